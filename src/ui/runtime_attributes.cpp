// SPDX-License-Identifier: GPL-3.0-or-later
// Control attributes of the run-time layer.

#include "platform/system.h"
#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace ui {

using namespace detail;

// ---- Attributes ------------------------------------------------------------------------

int SetCtrlDimmed(int panel, int control, bool dimmed)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setEnabled(!dimmed);
    if (c->caption)
        c->caption->setEnabled(!dimmed);
    return 0;
}

bool IsCtrlDimmed(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c && c->widget && !c->widget->isEnabled();
}

int SetCtrlVisible(int panel, int control, bool visible)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setVisible(visible);
    if (c->caption)
        c->caption->setVisible(visible);
    return 0;
}

bool IsCtrlVisible(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c && c->widget && !c->widget->isHidden();
}

int SetCtrlTextColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c)
        return -1;
    c->textColor = color;
    ApplyStyle(*c);
    return 0;
}

int GetCtrlTextColor(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->textColor : -1;
}

int SetCtrlBackColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c)
        return -1;
    c->backColor = color;
    ApplyStyle(*c);
    return 0;
}

int GetCtrlBackColor(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->backColor : -1;
}

int SetCtrlFrameColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setStyleSheet(c->widget->styleSheet() + QString("border:1px solid %1;").arg(ColorCss(color)));
    return 0;
}

std::string GetCtrlLabel(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return {};
    if (c->caption)
        return c->caption->text().toLatin1().toStdString();
    if (auto *b = qobject_cast<QAbstractButton *>(c->widget.data()))
        return b->text().toLatin1().toStdString();
    if (auto *l = qobject_cast<QLabel *>(c->widget.data()))
        return l->text().toLatin1().toStdString();
    return c->widget->property("mqLabel").toString().toLatin1().toStdString();
}

int SetCtrlPrecision(int panel, int control, int decimals)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::Numeric || decimals < 0 || decimals > 15)
        return -1;
    ProgrammaticScope quiet;
    c->precision = decimals;
    static_cast<QDoubleSpinBox *>(c->widget.data())->setDecimals(decimals);
    return 0;
}

int GetCtrlPrecision(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->precision : -1;
}

int SetCtrlMin(int panel, int control, double minimum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    if (c->kind == Kind::Numeric) {
        static_cast<QDoubleSpinBox *>(c->widget.data())->setMinimum(minimum);
        c->numericValue = std::max(c->numericValue, minimum);
    } else if (c->kind == Kind::Slider)
        c->widget->findChild<QSlider *>()->setMinimum(static_cast<int>(std::lround(minimum * c->sliderScale)));
    else
        return -1;
    return 0;
}

int SetCtrlMax(int panel, int control, double maximum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    if (c->kind == Kind::Numeric) {
        static_cast<QDoubleSpinBox *>(c->widget.data())->setMaximum(maximum);
        c->numericValue = std::min(c->numericValue, maximum);
    } else if (c->kind == Kind::Slider)
        c->widget->findChild<QSlider *>()->setMaximum(static_cast<int>(std::lround(maximum * c->sliderScale)));
    else if (c->kind == Kind::ProgressBar)
        static_cast<QProgressBar *>(c->widget.data())->setMaximum(static_cast<int>(maximum));
    else
        return -1;
    return 0;
}

double GetCtrlMax(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return 0;
    if (c->kind == Kind::Numeric)
        return static_cast<QDoubleSpinBox *>(c->widget.data())->maximum();
    if (c->kind == Kind::Slider)
        return c->widget->findChild<QSlider *>()->maximum() / c->sliderScale;
    if (c->kind == Kind::ProgressBar)
        return static_cast<QProgressBar *>(c->widget.data())->maximum();
    return 0;
}

double GetCtrlMin(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return 0;
    if (c->kind == Kind::Numeric)
        return static_cast<QDoubleSpinBox *>(c->widget.data())->minimum();
    if (c->kind == Kind::Slider)
        return c->widget->findChild<QSlider *>()->minimum() / c->sliderScale;
    return 0;
}

int SetCtrlTooltip(int panel, int control, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->tooltip = text ? text : "";
    c->widget->setToolTip(QString::fromLatin1(c->tooltip.c_str()));
    return 0;
}

std::string GetCtrlTooltip(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->tooltip : std::string();
}

int GetCtrlBoundingRect(int panel, int control, Rect *rect)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget || !rect)
        return -1;
    *rect = c->design;
    return 0;
}

int SetCtrlPos(int panel, int control, int top, int left)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->design.top = top;
    c->design.left = left;
    PlaceControl(*c);
    return 0;
}

int SetActiveCtrl(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setFocus();
    return 0;
}

namespace {
// A text message takes the size of its text at 100 %, then the window's scale.
void fitToText(ControlRec &c)
{
    c.fitsText = true;
    c.widget->setFont(c.baseFont);
    c.widget->adjustSize();
    c.design.width = c.widget->width();
    c.design.height = c.widget->height();
    PlaceControl(c);
}
} // namespace

int NewTextMessage(int panel, const char *text, int top, int left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    ControlDef d;
    d.id = NextDynamicControlId();
    d.kind = Kind::TextMessage;
    d.panel = p->resource;
    d.label = text ? text : "";
    d.rect = {top, left, 20, 200};
    if (AddControl(panel, p->widget, d) < 0)
        return -1;
    ControlRec &c = *FindControlById(d.id);
    fitToText(c);
    c.widget->show();
    c.widget->raise();
    return d.id;
}

int SetCtrlFont(int panel, int control, const char *family, int pointSize)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    QFont f = c->baseFont;
    if (family && *family)
        f.setFamily(QString::fromLatin1(family));
    // Sizes are pixel heights, as the panel layout is in pixels.
    if (pointSize > 0)
        f.setPixelSize(pointSize);
    c->baseFont = f;
    // A text box keeps its place and size: its text scrolls.
    if (c->kind == Kind::TextBox)
        PlaceControl(*c);
    else
        fitToText(*c);
    return 0;
}

int DisplayImageFile(int panel, int control, const char *fileName)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::Picture || !fileName)
        return -1;
    std::string path = fileName;
    if (path.find('/') == std::string::npos) {
        path = JoinPath(ProgramDirectory(), fileName);
        // An installed program keeps its pictures under share/ beside bin/.
        const std::string installed = JoinPath(ProgramDirectory(), std::string("../share/mq-vista/") + fileName);
        if (!FileExists(path) && FileExists(installed))
            path = installed;
    }
    QPixmap pixmap;
    if (!pixmap.load(QString::fromStdString(path)))
        return -1;
    static_cast<QLabel *>(c->widget.data())->setPixmap(pixmap);
    return 0;
}

} // namespace ui
