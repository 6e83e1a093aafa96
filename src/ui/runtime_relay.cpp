// SPDX-License-Identifier: GPL-3.0-or-later
// The event relay: turns the widgets' mouse, key, focus, close and resize events into the
// callback events of their controls and panels.

#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

namespace ui::detail {

namespace {

bool isActivationKey(int key) { return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter; }

// Turns mouse, key, focus, close and resize events of widgets into callback events.
class EventRelay : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QVariant panelProp = watched->property("mqPanel");
        if (!panelProp.isValid())
            return false;
        const int panel = panelProp.toInt();
        const int control = watched->property("mqControl").toInt();
        // Controls without a callback pass mouse events on to their panel, so a panel
        // reacts to a click anywhere on it.
        auto target = [&](int &ctl) {
            ctl = control;
            if (ctl != 0) {
                ControlRec *c = FindControl(panel, ctl);
                if (!c || !c->callback)
                    ctl = 0;
            }
        };
        // A dimmed control is inert: Qt hands its mouse events on to the panel beneath,
        // and only the right click that shows its help text reaches its own callback.
        auto *widget = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            HideFloatingPanels(widget);
        if (event->type() == QEvent::ContextMenu)
            return true; // a right click is the control's own: no edit menus
        if (control != 0 && !widget->isEnabled()) {
            if (event->type() == QEvent::MouseButtonPress &&
                static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
                Dispatch(panel, control, EVENT_RIGHT_CLICK);
                return true;
            }
            return event->type() == QEvent::Shortcut;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(event);
            int ctl = 0;
            target(ctl);
            if (me->button() == Qt::LeftButton)
                Dispatch(panel, ctl, EVENT_LEFT_CLICK);
            else if (me->button() == Qt::RightButton) {
                Dispatch(panel, ctl, EVENT_RIGHT_CLICK);
                return true; // no context menus
            }
            break;
        }
        case QEvent::MouseButtonDblClick: {
            auto *me = static_cast<QMouseEvent *>(event);
            int ctl = 0;
            target(ctl);
            if (me->button() == Qt::LeftButton)
                Dispatch(panel, ctl, EVENT_LEFT_DOUBLE_CLICK);
            else if (me->button() == Qt::RightButton) {
                Dispatch(panel, ctl, EVENT_RIGHT_DOUBLE_CLICK);
                return true;
            }
            break;
        }
        case QEvent::Shortcut:
            // A button's key sequence presses it as a click does: the left click now,
            // the commit when the button comes up.
            if (qobject_cast<QAbstractButton *>(widget) && control != 0)
                Dispatch(panel, control, EVENT_LEFT_CLICK);
            break;
        case QEvent::KeyPress:
            if (control != 0) {
                auto *ke = static_cast<QKeyEvent *>(event);
                if (auto *button = qobject_cast<QAbstractButton *>(widget); button && isActivationKey(ke->key())) {
                    // Space or Enter on a focused button: the events of a mouse click, in its
                    // order (left click on the way down, commit on the way up), nothing else.
                    if (!ke->isAutoRepeat()) {
                        Dispatch(panel, control, EVENT_LEFT_CLICK);
                        if (ke->key() != Qt::Key_Space)
                            button->click();
                    }
                    return ke->key() != Qt::Key_Space;
                }
                Dispatch(panel, control, EVENT_KEYPRESS, ke->key());
            }
            break;
        case QEvent::FocusOut:
            if (control == 0 || FindControl(panel, control))
                Dispatch(panel, control, EVENT_LOST_FOCUS);
            break;
        case QEvent::Close:
            if (control == 0) {
                event->ignore();
                Dispatch(panel, 0, EVENT_CLOSE);
                return true;
            }
            break;
        case QEvent::Resize:
            if (control == 0 && static_cast<QWidget *>(watched)->isWindow()) {
                RescaleWindow(panel);
                Dispatch(panel, 0, EVENT_PANEL_SIZE);
            }
            break;
        default:
            break;
        }
        return false;
    }
};

EventRelay *relay()
{
    static EventRelay *r = new EventRelay;
    return r;
}

} // namespace

void WatchWidget(QWidget *w, int panel, int control)
{
    w->setProperty("mqPanel", panel);
    w->setProperty("mqControl", control);
    w->installEventFilter(relay());
    for (QWidget *child : w->findChildren<QWidget *>()) {
        child->setProperty("mqPanel", panel);
        child->setProperty("mqControl", control);
        child->installEventFilter(relay());
    }
}

} // namespace ui::detail
