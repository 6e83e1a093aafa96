// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Bookkeeping shared by the Qt implementation files of the run-time layer.

#include "ui/resource.h"
#include "ui/uitypes.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class QLabel;
class QCustomPlot;
class QCPItemStraightLine;
class QCPItemTracer;

namespace ui::detail {

struct GraphState {
    QCustomPlot *plot = nullptr;
    bool autoRefresh = true;
    int plots = 0;
    int rects = 0;
    std::map<int, std::pair<double, double>> cursors;
    std::map<int, QCPItemStraightLine *> cursorLines;
    std::vector<QCPItemStraightLine *> markLines; // PlotVerticalLine, gone with the plots
    // strip chart
    int traces = 0;
    int pointsPerScreen = 101;
    std::vector<int> traceColors;
    std::vector<std::vector<double>> history;
};

struct ControlRec {
    int id = 0;
    int panel = 0;
    Kind kind = Kind::TextMessage;
    CtrlCallback callback = nullptr;
    QPointer<QWidget> widget;
    QPointer<QLabel> caption;
    std::vector<int> itemValues; // rings
    double sliderScale = 1.0;    // sliders hold value * scale as integers
    int precision = 0;
    double numericValue = 0.0; // numerics keep the exact value; the field shows it rounded
    int textColor = VAL_BLACK;
    int backColor = -1;
    int ledOnColor = VAL_GREEN;
    bool ledOn = false;
    std::string offText, onText;
    std::string tooltip;
    std::string textBoxContent;
    GraphState graph;
    std::vector<int> pages; // tab controls: page panel handles
    // Place and fonts at 100 %: the logic sees these, the widgets show them scaled.
    Rect design;
    Rect captionDesign;
    QFont baseFont;
    QFont captionFont;
    QFont tabFont;         // tab controls: the tab labels' font at 100 %
    bool fitsText = false; // a text message sized to its text: never shown smaller than the text
};

struct PanelRec {
    int handle = 0;
    int resource = 0;
    int parent = 0;
    CtrlCallback callback = nullptr;
    QPointer<QWidget> widget;
    std::vector<int> controls;
    Rect design; // child panels: place and size at 100 % on their parent
};

PanelRec *FindPanel(int handle);
ControlRec *FindControl(int panel, int control);
// Delivers an event to a control's callback (control 0: the panel's).
int Dispatch(int panel, int control, int event, int eventData1 = 0, int eventData2 = 0);
// True while code (not the operator) changes a widget; signal handlers then stay quiet.
bool Programmatic();

class ProgrammaticScope {
public:
    ProgrammaticScope();
    ~ProgrammaticScope();
    ProgrammaticScope(const ProgrammaticScope &) = delete;
    ProgrammaticScope &operator=(const ProgrammaticScope &) = delete;
};

// Building and discarding (runtime_build.cpp).
int BuildPanel(int resource, int parentHandle, QWidget *host);
int AddControl(int panelHandle, QWidget *host, const ControlDef &d);
void DiscardPanelTree(int handle);
void UpdateSwitchText(ControlRec &c);
int NextDynamicControlId();
int PanelOwningControl(int control);
std::vector<int> ChildPanels(int handle);
ControlRec *FindControlById(int control);

// Scaling (runtime_scale.cpp): a window's contents follow its size, keeping proportions;
// 100 % is the panel's built size. Positions and sizes the logic sees stay at 100 %.
void PlaceControl(ControlRec &c);
void PlacePanel(PanelRec &p);
void RescaleWindow(int panel);
// Hands the events of a widget and its children to the callbacks of (panel, control).
void WatchWidget(QWidget *w, int panel, int control);
// Hides the floating child panels (the help pop-up) of the window a press landed in.
void HideFloatingPanels(QWidget *pressed);
QFont ScaledFont(const QFont &base, double scale);

// Keeps a text box from growing without end over a long run.
constexpr size_t kTextBoxMaxChars = 200000;

QString ColorCss(int color);
void ApplyStyle(ControlRec &c);

// Graph and strip-chart construction and refresh (runtime_graph.cpp).
QWidget *CreateGraphWidget(ControlRec &c, QWidget *parent, bool strip, bool compact);
void ReplotIfAuto(ControlRec &c);
void ScaleGraphFonts(ControlRec &c, double scale);

// Repaint pacing (runtime_repaint.cpp): a window's update requests pass at most at the
// screen's rate; a graph is replotted at most as often.
void InstallRepaintThrottle(QWidget *window);
void ScheduleReplot(QCustomPlot *plot);

} // namespace ui::detail
