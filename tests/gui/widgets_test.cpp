// SPDX-License-Identifier: GPL-3.0-or-later
// The real widgets pressed as an operator presses them (QTest mouse and keys), for what
// depends on the widget rather than on the callbacks: dimmed controls, keyboard activation,
// where each help text opens, repaints during a loop, the scaled window.

#include "support/app_fixture.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "setup/assistant.h"
#include "stats/statistics.h"
#include "support/record_samples.h"
#include "ui/runtime_internal.h"
#include "ui/widget_access.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <functional>
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
            if (whileDelivering)
                whileDelivering(control, event);
            return passRightClicks && event == EVENT_RIGHT_CLICK;
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
    bool passRightClicks = false;                                // let right clicks reach the callbacks (help texts)
    std::function<void(int control, int event)> whileDelivering; // stands in for a callback
};

// Counts the paint events of one widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
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

// Dimmed, a control delivers nothing but its help click; released, a button pressed by a
// key delivers the events of a click.
TEST_F(WidgetsTest, DimmedControlsDeliverOnlyTheirHelpClickAndKeysPressAButton)
{
    const auto controls = boundControls();
    ASSERT_GT(controls.size(), 60u);
    int buttons = 0;
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
        EXPECT_EQ(deliveredTo(d->id), std::vector<Delivered>{}) << "dimmed";
        delivered.clear();
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        EXPECT_EQ(deliveredTo(d->id), (std::vector<Delivered>{{d->id, EVENT_RIGHT_CLICK}})) << "dimmed";
        SetCtrlDimmed(panel, d->id, wasDimmed && d->kind != Kind::Button);
        if (d->kind != Kind::Button)
            continue;
        QWidget *button = ControlWidget(panel, d->id);
        const std::vector<Delivered> click = {{d->id, EVENT_LEFT_CLICK}, {d->id, EVENT_COMMIT}};
        delivered.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(delivered, click);
        button->setFocus();
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
            delivered.clear();
            QTest::keyClick(button, key);
            EXPECT_EQ(delivered, click) << "key " << key;
        }
        ++buttons;
    }
    EXPECT_GT(buttons, 25);
}

// How a help text begins and where it opens: beside the tab control level with a page's
// control, or by the control's own rectangle; then moved the least into the window.
enum Anchor { BesideTab, RightOf, LeftOf };
struct Placement {
    int control;
    const char *start;
    Anchor anchor;
    int dTop, dLeft;
    bool whole = false; // start is the whole text
};
const Placement kPlacements[] = {
    {PARA1_EVAL_MODE, "EVALUATION-MODE:\nDrop-down", BesideTab, 25, 5},
    {PARA1_TOL_MODE, "TOLERANCE-MODE:\n", BesideTab, 25, 5},
    {PARA1_POLARITY, "POLARITY:\n", BesideTab, 25, 5},
    {PARA1_AVERAGE, "AVERAGE:\nNumber N", BesideTab, 25, 5},
    {PARA1_ANALOG_MODE, "ANALOG-OUT:\n", BesideTab, 25, 5},
    {PARA1_OUTPUT_MODE, "ANALOG-OUT-MODE:\n", BesideTab, 25, 5},
    {PARA1_ZOOM_MODE, "ZOOM-MODE:\n", BesideTab, 25, 5},
    {PARA1_UPPER_TOL, "TOLERANCE-HIGH:\n", BesideTab, 25, 5},
    {PARA1_LOWER_TOL, "TOLERANCE-LOW:\n", BesideTab, 25, 5},
    {PARA1_TEACH, "TEACH-BUTTON:\n", BesideTab, 25, 5},
    {PARA1_TEACH_VALUE, "TEACH-VALUE [Pixel]:\n", BesideTab, 25, 5},
    {PARA2_POWER, "POWER:\n", BesideTab, 25, 5},
    {PARA2_EXPOSURE, "EXPOSURE-TIME [ms]:\n", BesideTab, 25, 5},
    {PARA2_VTHD, "V-THD:\n", BesideTab, 25, 5},
    {PARA2_POWER_MODE, "POWER-MODE:\n", BesideTab, 25, 5},
    {PARA2_BG_MODE, "BACKGROUND-COMP-MODE:\n", BesideTab, 25, 5},
    {PARA2_FILTER, "SMOOTH-VIDEO-SIGNAL:\n", BesideTab, 25, 5},
    {PARA2_VTHD_MODE, "VIDEO-THD-MODE:\nFIXED: Horizontal video-threshold is used. \nAUTO:  Video", BesideTab, 25, 5},
    {PARA2_SAVE_THD, "SAVE V-THD:\n", BesideTab, 25, 5},
    {PARA2_THD_TARGET, "TARGET SWITCH\nSelect storage location for video-threshold.\nRAM:    store", BesideTab, 25, 5},
    {PARA3_TRIG_MODE, "EXT-IN0-TRIG-MODE:\n", BesideTab, 25, 5},
    {PARA3_HW_MODE, "HARDWARE OPERATION-MODE:\n", BesideTab, 25, 5},
    {PARA3_OP_MODE, "CCD-OPERATION-MODE:\n", BesideTab, 25, 5},
    {PARA3_INTRG_MODE, "INTERNAL-TRIGGGER-MODE:\n", BesideTab, 25, 5},
    {PARA3_TRG_PIX, "MIN-TRIGGER-PIXEL:\n", BesideTab, 25, 5},
    {CONN_DISCONNECT, "DISCONNECT:\n", BesideTab, 25, 5},
    {MAIN_RUN, "RUN-BUTTON:\n", RightOf, 25, 5},
    {MAIN_STOP, "STOP-BUTTON:\n", RightOf, 25, 5},
    {MAIN_VIDEO, "VIDEO-BUTTON:\n", RightOf, 25, 5},
    {MAIN_RESET, "RESET-BUTTON:\n", RightOf, 25, 5},
    {MAIN_MM_SWITCH, "MM/PIXEL SWITCH:\n", RightOf, 25, 5},
    {MAIN_ZOOM, "ZOOM-TOGGLE-BUTTON:\n", RightOf, 25, 5},
    {MAIN_ROLL_GRAPH, "ROLL-GRAPH-WINDOW:\n", RightOf, 25, 5},
    {MAIN_VIDEO_GRAPH, "VIDEO-GRAPH-WINDOW:\n", RightOf, 25, 5},
    {MAIN_EDGE_LEFT, "E-BEG:\n", RightOf, 0, 0},
    {MAIN_EDGE_RIGHT, "E-END:\n", LeftOf, 0, -200},
    {MAIN_GET, "GET-BUTTON:\nGet parameter-frame of sensor\nfrom EEPROM- or RAM-memory ...\n", RightOf, -45, 15, true},
    {MAIN_SEND, "SEND-BUTTON:\nSend parameter-frame to EEPROM- or\nRAM-memory of the sensor!\n", RightOf, -25, 15,
     true},
    {REC_MODE, "RS-232-MODE for meas-data output:\n", RightOf, 25, 5}, // the page's rectangle
    {REC_SAMPLES, "SAMPLES [MAX 32000]:\n", RightOf, 25, 5},
    {REC_INTERVAL, "TIME-INTERVAL [0.1 ..3600] sec:\n", RightOf, 25, 5},
};

TEST_F(WidgetsTest, EveryHelpTextShowsWholeInsideTheWindowAndNoEditMenu)
{
    passRightClicks = true;
    QWidget *window = PanelWidget(pPA);
    window->resize(780, 548);
    auto *text = static_cast<QPlainTextEdit *>(ControlWidget(pPH, HELP_TEXT));
    const auto placedAt = [](const Placement &p) {
        Rect tab, r;
        GetCtrlBoundingRect(pPA, MAIN_TAB, &tab);
        GetCtrlBoundingRect(PanelOfControl(p.control), p.control, &r);
        if (p.anchor == BesideTab)
            return helpPositionFor(tab.top + r.top + p.dTop, tab.left + tab.width + p.dLeft);
        const int left = p.anchor == RightOf ? r.left + r.width : r.left - r.width;
        return helpPositionFor(r.top + p.dTop, left + p.dLeft);
    };
    int shown = 0;
    size_t placed = 0;
    for (const ControlDef *d : boundControls()) {
        SCOPED_TRACE(d->label + " (" + std::to_string(d->id) + ")");
        showPage(d->panel);
        HidePanel(pPH);
        ResetTextBox(pPH, HELP_TEXT, "");
        auto [w, at] = hit(*d);
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        bool menu = false;
        QTimer::singleShot(0, [&menu] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menu = true;
                popup->close();
            }
        });
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &request);
        QApplication::processEvents();
        EXPECT_FALSE(menu);
        for (const Placement &p : kPlacements) {
            if (p.control != d->id)
                continue;
            ++placed;
            EXPECT_TRUE(IsPanelVisible(pPH)); // numeric fields too: the help, never the edit menu
            EXPECT_EQ(p.whole ? helpText() : helpText().substr(0, std::strlen(p.start)), p.start);
            EXPECT_EQ(helpPosition(), placedAt(p));
        }
        if (!IsPanelVisible(pPH))
            continue;
        ++shown;
        const QRect popup = PanelWidget(pPH)->geometry();
        EXPECT_EQ(popup.intersected(window->rect()), popup);
        EXPECT_EQ(text->verticalScrollBar()->maximum(), 0) << helpText();
        EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0) << helpText();
    }
    EXPECT_EQ(placed, std::size(kPlacements));
    EXPECT_GE(shown, 50);
}

TEST_F(WidgetsTest, HelpGoesAtAClickAnywhereInTheWindow)
{
    int clicked = 0;
    for (const ControlDef &d : ControlDefs()) {
        if (d.panel != PANEL || d.callback || d.kind == Kind::Tab)
            continue;
        SCOPED_TRACE(std::to_string(d.id));
        QWidget *w = ControlWidget(pPA, d.id);
        if (!w->isVisible())
            continue;
        DisplayPanel(pPH);
        auto [target, at] = hit(d);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        EXPECT_FALSE(IsPanelVisible(pPH));
        ++clicked;
    }
    EXPECT_GT(clicked, 10);
}

// Typed digits are never cut: a number beyond a field's range becomes its nearest bound.
TEST_F(WidgetsTest, TypedNumberBeyondTheRangeBecomesTheBound)
{
    showPage(PAGE_REC);
    QWidget *w = hit(*FindControlDef(REC_SAMPLES)).first;
    for (auto [typed, expected] : {std::pair{"50000", 32000}, {"0", 1}, {"1234", 1234}}) {
        SCOPED_TRACE(typed);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, typed);
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(intOf(pRec, REC_SAMPLES), expected);
    }
}

// A callback that runs a loop from a click on a check box or switch (a calibration
// measurement): the click's change, and what the loop sets, are painted while it runs.
TEST_F(WidgetsTest, LoopRunFromAClickPaintsTheChangedControl)
{
    int checked = 0;
    for (const ControlDef *d : boundControls()) {
        if (d->kind != Kind::CheckBox && d->kind != Kind::Radio && d->kind != Kind::Toggle &&
            d->kind != Kind::BinarySwitch)
            continue;
        SCOPED_TRACE(d->label + " (" + std::to_string(d->id) + ")");
        const int panel = PanelOfControl(d->id);
        showPage(d->panel);
        SetCtrlDimmed(panel, d->id, false);
        QWidget *w = ControlWidget(panel, d->id);
        if (!w->isVisible())
            continue;
        DelayWithEventProcessing(0.03);
        PaintCount count(w);
        int onClick = -1, onSet = -1;
        whileDelivering = [&](int control, int event) {
            if (control != d->id || event != EVENT_COMMIT)
                return;
            PacedRepaints paced;
            const auto loopSteps = [] {
                for (int step = 0; step < 20; ++step) {
                    DelayWithEventProcessing(0.002);
                    RepaintIfDue();
                }
            };
            loopSteps();
            onClick = count.paints;
            SetCtrlVal(panel, d->id, intOf(panel, d->id) == 0 ? 1 : 0); // what the loop sets
            loopSteps();
            onSet = count.paints - onClick;
        };
        QTest::mouseClick(w, Qt::LeftButton);
        whileDelivering = nullptr;
        EXPECT_GT(onClick, 0);
        EXPECT_GT(onSet, 0);
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

// The Run loop paints where it has time for it: while it paces the repaints nothing is
// painted behind its back, a stalled loop is still painted, and its last state is painted
// when it ends.
TEST_F(WidgetsTest, LoopPacesTheRepaintsAndAStalledLoopIsStillPainted)
{
    QWidget window;
    PaintCount count(&window);
    window.resize(40, 40);
    detail::InstallRepaintThrottle(&window);
    window.show();
    DelayWithEventProcessing(0.05);
    int painted = count.paints;
    window.update();
    DelayWithEventProcessing(0.05);
    ASSERT_EQ(count.paints, painted + 1) << "unpaced, a change is painted within the screen's interval";
    {
        PacedRepaints paced;
        painted = count.paints;
        window.update();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 5; ++i)
            ProcessPendingEvents();
        if (clock.elapsed() < 90) {
            EXPECT_EQ(count.paints, painted) << "held for the loop";
        }
        DelayWithEventProcessing(0.02);
        RepaintIfDue();
        EXPECT_EQ(count.paints, painted + 1);

        window.update(); // the loop stalls: the slow timer paints
        DelayWithEventProcessing(0.3);
        EXPECT_EQ(count.paints, painted + 2);

        window.update();
        ProcessPendingEvents();
    }
    EXPECT_EQ(count.paints, painted + 3) << "the state the loop left is painted when it ends";
    DelayWithEventProcessing(0.15);
    EXPECT_EQ(count.paints, painted + 3) << "and only once";
}

// The contents follow the window with one factor and stand centred in it; the logic, and
// the help pop-up's placement, still see the panel at 100 %.
TEST_F(WidgetsTest, ContentsScaleWithTheWindowKeepingProportions)
{
    passRightClicks = true;
    QWidget *window = PanelWidget(pPA);
    window->resize(780, 548);
    QApplication::processEvents();
    const double point = ControlWidget(pPA, MAIN_RUN)->font().pointSizeF();
    for (auto [width, height, factor, offsetX, offsetY] : {std::tuple{780, 548, 1.0, 0, 0},
                                                           {1560, 1096, 2.0, 0, 0},
                                                           {1170, 822, 1.5, 0, 0},
                                                           {1560, 548, 1.0, 390, 0},
                                                           {780, 1096, 1.0, 0, 274},
                                                           {1920, 1096, 2.0, 180, 0}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        window->resize(width, height);
        QApplication::processEvents();
        for (int id : {MAIN_RUN, MAIN_VIDEO_GRAPH, MAIN_HEADER, PARA1_TEACH, REC_SAMPLES}) {
            const int panel = PanelOfControl(id);
            Rect r;
            GetCtrlBoundingRect(panel, id, &r);
            EXPECT_EQ(r.width, FindControlDef(id)->rect.width); // the logic sees 100 %
            const bool onWindow = panel == pPA;
            const QRect g = ControlWidget(panel, id)->geometry();
            EXPECT_NEAR(g.x(), r.left * factor + (onWindow ? offsetX : 0), 1) << id;
            EXPECT_NEAR(g.y(), r.top * factor + (onWindow ? offsetY : 0), 1) << id;
            EXPECT_NEAR(g.width(), r.width * factor, 1) << id;
            EXPECT_NEAR(g.height(), r.height * factor, 1) << id;
        }
        EXPECT_DOUBLE_EQ(ControlWidget(pPA, MAIN_RUN)->font().pointSizeF(), point * factor);
        for (int id : {MAIN_RESET, MAIN_VIDEO_GRAPH}) {
            HidePanel(pPH);
            SimulateEvent(pPA, id, EVENT_RIGHT_CLICK);
            ASSERT_TRUE(IsPanelVisible(pPH));
            const QRect popup = PanelWidget(pPH)->geometry();
            const QRect contents(offsetX, offsetY, static_cast<int>(780 * factor), static_cast<int>(548 * factor));
            EXPECT_EQ(popup.intersected(contents), popup) << id;
            const auto [top, left] = helpPosition();
            EXPECT_NEAR(popup.x(), left * factor + offsetX, 1) << id;
            EXPECT_NEAR(popup.y(), top * factor + offsetY, 1) << id;
        }
    }
}

// Tab labels and the header band's texts follow the window's scale as the rest does: small,
// every tab stands inside the tab control and takes its click; large, no header text is cut.
TEST_F(WidgetsTest, TabLabelsAndHeaderTextsScaleWithTheWindow)
{
    QWidget *window = PanelWidget(pPA);
    auto *tabs = static_cast<QTabWidget *>(ControlWidget(pPA, MAIN_TAB));
    QTabBar *bar = tabs->tabBar();
    std::vector<QLabel *> header;
    for (int id : detail::FindPanel(pPA)->controls) {
        const detail::ControlRec *c = detail::FindControl(pPA, id);
        if (c->kind == Kind::TextMessage &&
            c->design.top + c->design.height <= FindControlDef(MAIN_HEADER)->rect.height)
            header.push_back(static_cast<QLabel *>(c->widget.data()));
    }
    ASSERT_EQ(header.size(), 5u) << "three contact lines, the program's name and its version";
    struct Size {
        const char *name;
        int width, height;
    };
    for (const Size &size : {Size{"small", 480, 340}, {"as built", 780, 548}, {"maximised", 1920, 1050}}) {
        SCOPED_TRACE(size.name);
        window->resize(size.width, size.height);
        QApplication::processEvents();
        for (int i = tabs->count() - 1; i >= 0; --i) {
            SCOPED_TRACE(tabs->tabText(i).toStdString());
            const QRect tab(bar->mapTo(tabs, bar->tabRect(i).topLeft()), bar->tabRect(i).size());
            EXPECT_TRUE(tabs->rect().contains(tab)) << "tab " << tab.x() << "," << tab.y() << " " << tab.width() << "x"
                                                    << tab.height() << " in " << tabs->width() << "x" << tabs->height();
            EXPECT_GE(tab.width(), bar->fontMetrics().horizontalAdvance(tabs->tabText(i))) << "the label whole";
            // Clicked where the window shows it: a tab cut off is not there to take the click.
            const QPoint centre = bar->mapTo(window, bar->tabRect(i).center());
            QWidget *under = window->childAt(centre);
            ASSERT_NE(under, nullptr);
            QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(window, centre));
            EXPECT_EQ(tabs->currentIndex(), i);
        }
        for (QLabel *text : header) {
            SCOPED_TRACE(text->text().toStdString());
            EXPECT_GE(text->width(), text->sizeHint().width());
            EXPECT_GE(text->height(), text->sizeHint().height());
        }
    }
}

// The controls beyond the original panel show a help text on a right click, dimmed too: on
// the main panel in its pop-up, in the statistics and set-up windows in a pop-up of their own.
TEST_F(WidgetsTest, AddedControlsShowTheirHelpOnARightClickDimmedToo)
{
    passRightClicks = true;
    const std::string record = programDir + "/RECORD.DAT";
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile({510, 512, 514})));
    ASSERT_EQ(OpenRecordStatistics(record.c_str()), 0);
    OpenSetupAssistant();
    struct Row {
        int control;
        const char *name; // the help's first line
        bool dim = false;
    };
    // clang-format off
    const Row rows[] = {
        {MAIN_GRAPH_EXPORT, "SAVE-BUTTON:"}, {REC_STATS, "STATISTICS:", true}, {PARA2_SETUP, "SET-UP ASSISTANT:"},
        {CONN_PLANT_LINK, "PLANT LINK:"},    {CONN_BIND_DEVICE, "BIND:"},      {STATS_RELOAD, "RELOAD:"},
        {STATS_CLOSE, "CLOSE:"},             {STATS_SAVE_REPORT, "SAVE REPORT:"}, {STATS_SAVE_HISTOGRAM, "SAVE HISTOGRAM:"},
        {STATS_SAVE_RUNCHART, "SAVE RUN CHART:", true}, {SETUP_ANALYSE, "ANALYSE:"}, {SETUP_AUTO, "AUTO SET-UP:"},
        {SETUP_UNDO, "UNDO:"},               {SETUP_CLOSE, "CLOSE:"},
    };
    // clang-format on
    ASSERT_TRUE(IsCtrlDimmed(pSetup, SETUP_UNDO)) << "nothing to undo yet: dimmed as it stands";
    for (const Row &row : rows) {
        const ControlDef *d = FindControlDef(row.control);
        SCOPED_TRACE(d->label);
        const int panel = PanelOfControl(row.control);
        // The windows of their own show help in a pop-up of their own, inside them.
        const int popup = panel == pStats ? pStatsHelp : panel == pSetup ? pSetupHelp : pPH;
        const int text = panel == pStats ? STATS_HELP_TEXT : panel == pSetup ? SETUP_HELP_TEXT : HELP_TEXT;
        const int window = popup == pPH ? pPA : panel;
        ASSERT_GT(popup, 0);
        showPage(d->panel);
        if (row.dim)
            SetCtrlDimmed(panel, row.control, true);
        HidePanel(popup);
        auto [w, at] = hit(*d);
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        if (row.dim)
            SetCtrlDimmed(panel, row.control, false);
        const std::vector<std::string> lines = GetTextBoxLines(popup, text);
        if (!IsPanelVisible(popup) || lines.size() < 2) {
            ADD_FAILURE() << "no help text on a right click";
            continue;
        }
        EXPECT_EQ(lines[0], row.name);
        EXPECT_GT(lines[1].size(), 10u) << "a text under the name";
        const QRect shown = PanelWidget(popup)->geometry();
        EXPECT_EQ(shown.intersected(PanelWidget(window)->rect()), shown) << "inside its own window";
    }
}

// A display too narrow for its text (the set-up window's advice, the status line) shows
// how the text begins: its end alone reads as nonsense.
TEST_F(WidgetsTest, ADisplayTooNarrowForItsTextShowsHowItBegins)
{
    auto *status = static_cast<QLineEdit *>(ControlWidget(pPA, MAIN_STATUS));
    ASSERT_TRUE(status->isReadOnly());
    SetCtrlVal(pPA, MAIN_STATUS, std::string(300, 'x').c_str());
    EXPECT_EQ(status->cursorPosition(), 0);
}

} // namespace
