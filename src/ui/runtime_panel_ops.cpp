// SPDX-License-Identifier: GPL-3.0-or-later
// Panels of the run-time layer: loading, tab pages, showing, size and position.

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
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace ui {

using namespace detail;

// ---- Panels --------------------------------------------------------------------------

int LoadPanel(int parentPanel, int resourceId)
{
    if (!RuntimeReady())
        return -1;
    const PanelDef *def = FindPanelDef(resourceId);
    if (!def || def->ownerTab != 0)
        return -1;
    QWidget *parentWidget = nullptr;
    if (parentPanel != 0) {
        PanelRec *parent = FindPanel(parentPanel);
        if (!parent)
            return -1;
        parentWidget = parent->widget;
    }
    QWidget *w = parentWidget ? new QFrame(parentWidget) : new QWidget;
    if (auto *frame = qobject_cast<QFrame *>(w)) {
        frame->setFrameShape(QFrame::Panel);
        frame->setAutoFillBackground(true);
        frame->setStyleSheet("QFrame{background:#FFFFE0;}");
    }
    if (!parentWidget)
        InstallRepaintThrottle(w);
    w->resize(def->width, def->height);
    w->setWindowTitle(QString::fromStdString(def->title));
    w->hide();
    const int handle = BuildPanel(resourceId, parentPanel, w);
    if (handle < 0) {
        delete w;
        return -1;
    }
    PanelRec *p = FindPanel(handle);
    p->design = {0, 0, def->height, def->width};
    PlacePanel(*p);
    return handle;
}

void DiscardPanel(int panel) { DiscardPanelTree(panel); }

int GetPanelHandleFromTabPage(int panel, int tabControl, int index, int *pageHandle)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab || index < 0 || index >= static_cast<int>(c->pages.size()))
        return -1;
    *pageHandle = c->pages[static_cast<size_t>(index)];
    return 0;
}

int SetActiveTabPage(int panel, int tabControl, int index)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab || index < 0 || index >= static_cast<int>(c->pages.size()))
        return -1;
    ProgrammaticScope quiet;
    static_cast<QTabWidget *>(c->widget.data())->setCurrentIndex(index);
    return 0;
}

int GetActiveTabPage(int panel, int tabControl, int *index)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab)
        return -1;
    *index = static_cast<QTabWidget *>(c->widget.data())->currentIndex();
    return 0;
}

int DisplayPanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->show();
    p->widget->raise();
    if (p->parent != 0)
        p->widget->setFocus();
    return 0;
}

int HidePanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->hide();
    return 0;
}

bool IsPanelVisible(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget && p->widget->isVisible();
}

int SetActivePanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->activateWindow();
    return 0;
}

int SetPanelTitle(int panel, const char *title)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->setWindowTitle(QString::fromUtf8(title ? title : ""));
    return 0;
}

std::string GetPanelTitle(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget ? p->widget->windowTitle().toStdString() : std::string();
}

namespace {

bool isChildPanel(const PanelRec &p) { return p.parent != 0 && p.widget && !p.widget->isWindow(); }

// A panel's size at 100 %: a window's built size, a child panel's own.
QSize designSize(const PanelRec &p)
{
    if (isChildPanel(p))
        return {p.design.width, p.design.height};
    const PanelDef *def = FindPanelDef(p.resource);
    return def ? QSize(def->width, def->height) : QSize();
}

} // namespace

// Windows have the size the operator gave them; child panels are sized and placed at 100 %
// on their parent, and shown scaled with it.
int SetPanelSize(int panel, int height, int width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget || height <= 0 || width <= 0)
        return -1;
    if (isChildPanel(*p)) {
        p->design.height = height;
        p->design.width = width;
        PlacePanel(*p);
    } else {
        p->widget->resize(width, height);
    }
    return 0;
}

int GetPanelSize(int panel, int *height, int *width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    const QSize size = isChildPanel(*p) ? designSize(*p) : p->widget->size();
    *height = size.height();
    *width = size.width();
    return 0;
}

int SetPanelPos(int panel, int top, int left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    if (!isChildPanel(*p)) {
        p->widget->move(left, top);
        return 0;
    }
    // A child panel shows only inside its parent: the least move that puts it wholly there.
    const QSize room = designSize(*FindPanel(p->parent));
    p->design.left = std::max(0, std::min(left, room.width() - p->design.width));
    p->design.top = std::max(0, std::min(top, room.height() - p->design.height));
    PlacePanel(*p);
    return 0;
}

int GetPanelPos(int panel, int *top, int *left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    *top = isChildPanel(*p) ? p->design.top : p->widget->y();
    *left = isChildPanel(*p) ? p->design.left : p->widget->x();
    return 0;
}

int FitPanelToTextBox(int panel, int control)
{
    PanelRec *p = FindPanel(panel);
    ControlRec *c = FindControl(panel, control);
    const PanelDef *def = p ? FindPanelDef(p->resource) : nullptr;
    if (!def || !p->widget || !c || c->kind != Kind::TextBox || !c->widget)
        return -1;
    auto *edit = static_cast<QPlainTextEdit *>(c->widget.data());
    const QSize room = isChildPanel(*p) ? designSize(*FindPanel(p->parent)) : QSize(def->width, def->height);
    // The box's margins on the panel and the text's inside the box, as built.
    const int marginX = def->width - FindControlDef(control)->rect.width;
    const int marginY = def->height - FindControlDef(control)->rect.height;
    const int inner = 2 * (edit->frameWidth() + static_cast<int>(std::ceil(edit->document()->documentMargin()))) + 4;
    QTextDocument doc;
    doc.setDefaultFont(c->baseFont);
    doc.setDocumentMargin(0);
    doc.setPlainText(edit->toPlainText());
    auto heightAt = [&](int width) {
        doc.setTextWidth(width - marginX - inner);
        return static_cast<int>(std::ceil(doc.size().height())) + inner + marginY;
    };
    // Taller first, wider only once the window's height is used up.
    int width = def->width;
    int height = heightAt(width);
    while (height > room.height() && width < room.width()) {
        width = std::min(room.width(), width + 40);
        height = heightAt(width);
    }
    height = std::clamp(height, def->height, std::max(def->height, room.height()));
    p->design.width = width;
    p->design.height = height;
    c->design.width = width - marginX;
    c->design.height = height - marginY;
    PlacePanel(*p);
    PlaceControl(*c);
    return 0;
}

int SetPanelMaximized(int panel, bool maximized)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    if (maximized)
        p->widget->setWindowState(p->widget->windowState() | Qt::WindowMaximized);
    else
        p->widget->setWindowState(p->widget->windowState() & ~Qt::WindowMaximized);
    return 0;
}

bool IsPanelMaximized(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget && (p->widget->windowState() & Qt::WindowMaximized);
}

int GetScreenSize(int *height, int *width)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return -1;
    const QRect r = screen->availableGeometry();
    *height = r.height();
    *width = r.width();
    return 0;
}

int CenterPanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!p || !p->widget || !screen)
        return -1;
    const QRect r = screen->availableGeometry();
    p->widget->move(r.x() + (r.width() - p->widget->width()) / 2, r.y() + (r.height() - p->widget->height()) / 2);
    return 0;
}

} // namespace ui
