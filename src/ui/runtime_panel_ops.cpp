// Panels of the run-time layer: loading, tab pages, showing, size and position.

#include "ui/runtime.h"
#include "ui/runtime_internal.h"
#include "ui/system.h"

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

int SetPanelSize(int panel, int height, int width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget || height <= 0 || width <= 0)
        return -1;
    p->widget->resize(width, height);
    return 0;
}

int GetPanelSize(int panel, int *height, int *width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    *height = p->widget->height();
    *width = p->widget->width();
    return 0;
}

int SetPanelPos(int panel, int top, int left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->move(left, top);
    return 0;
}

int GetPanelPos(int panel, int *top, int *left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    *top = p->widget->y();
    *left = p->widget->x();
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
