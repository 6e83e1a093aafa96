// The real widgets pressed as an operator presses them (QTest mouse and keys), for what
// depends on the widget rather than on the callbacks: dimmed controls, keyboard activation.

#include "support/app_fixture.h"

#include "app/state.h"
#include "panels/resource.h"
#include "ui/resource.h"
#include "ui/runtime.h"
#include "ui/widget_access.h"

#include <QTest>
#include <QWidget>

#include <ostream>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

struct Delivered {
    int control;
    int event;
    bool operator==(const Delivered &) const = default;
};
void PrintTo(const Delivered &d, std::ostream *os) { *os << "{control " << d.control << ", event " << d.event << "}"; }

class WidgetsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        DisplayPanel(pPA);
        // Record what reaches the callbacks and keep it from them: pressing every control
        // would otherwise start loops and exchanges.
        SetEventObserver([this](int, int control, int event) {
            if (control != 0)
                delivered.push_back({control, event});
            return false;
        });
    }
    void TearDown() override
    {
        SetEventObserver(nullptr);
        AppFixture::TearDown();
    }

    // Brings the tab pages that hold a panel resource to the front.
    static void showPage(int resource)
    {
        const PanelDef *page = FindPanelDef(resource);
        if (!page || page->ownerTab == 0)
            return;
        showPage(page->ownerPanel);
        SetActiveTabPage(PanelOfControl(page->ownerTab), page->ownerTab, page->pageIndex);
    }

    // The innermost widget under the control's centre, and that point in its coordinates.
    static std::pair<QWidget *, QPoint> hit(const ControlDef &d)
    {
        QWidget *w = ControlWidget(PanelOfControl(d.id), d.id);
        const QPoint centre = w->rect().center();
        QWidget *child = w->childAt(centre);
        return child ? std::pair{child, child->mapFrom(w, centre)} : std::pair{w, centre};
    }

    // What reached one control (the panel beneath a dimmed control may take its clicks).
    std::vector<Delivered> deliveredTo(int control) const
    {
        std::vector<Delivered> out;
        for (const Delivered &d : delivered)
            if (d.control == control)
                out.push_back(d);
        return out;
    }

    std::vector<Delivered> delivered;
};

// Every control bound to a callback on the main panel and its pages.
std::vector<const ControlDef *> boundControls()
{
    std::vector<const ControlDef *> out;
    for (const ControlDef &d : ControlDefs())
        if (d.callback && d.kind != Kind::Tab && (d.panel == PANEL || FindPanelDef(d.panel)->ownerTab != 0))
            out.push_back(&d);
    return out;
}

TEST_F(WidgetsTest, DimmedControlsDeliverNothingButTheirHelpClick)
{
    const auto controls = boundControls();
    ASSERT_GT(controls.size(), 60u);
    for (const ControlDef *d : controls) {
        SCOPED_TRACE(d->label + " (" + std::to_string(d->id) + ")");
        const int panel = PanelOfControl(d->id);
        showPage(d->panel);
        const bool wasDimmed = IsCtrlDimmed(panel, d->id);
        SetCtrlDimmed(panel, d->id, true);
        auto [w, at] = hit(*d);
        delivered.clear();
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        QTest::keyClick(w, Qt::Key_Space);
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(deliveredTo(d->id), std::vector<Delivered>{});
        delivered.clear();
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        EXPECT_EQ(deliveredTo(d->id), (std::vector<Delivered>{{d->id, EVENT_RIGHT_CLICK}}));
        SetCtrlDimmed(panel, d->id, wasDimmed);
    }
}

TEST_F(WidgetsTest, KeysPressAButtonWithTheEventsOfAClick)
{
    int buttons = 0;
    for (const ControlDef *d : boundControls()) {
        if (d->kind != Kind::Button)
            continue;
        SCOPED_TRACE(d->label + " (" + std::to_string(d->id) + ")");
        const int panel = PanelOfControl(d->id);
        showPage(d->panel);
        SetCtrlDimmed(panel, d->id, false);
        QWidget *w = ControlWidget(panel, d->id);
        const std::vector<Delivered> click = {{d->id, EVENT_LEFT_CLICK}, {d->id, EVENT_COMMIT}};
        delivered.clear();
        QTest::mouseClick(w, Qt::LeftButton);
        EXPECT_EQ(delivered, click);
        w->setFocus();
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
            delivered.clear();
            QTest::keyClick(w, key);
            EXPECT_EQ(delivered, click) << "key " << key;
        }
        ++buttons;
    }
    EXPECT_GT(buttons, 25);
}

} // namespace
