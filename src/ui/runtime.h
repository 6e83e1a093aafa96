// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The run-time layer: panels and controls as integer handles and ids, built from the
// resource description, over Qt widgets. Nothing outside src/ui touches Qt widgets.
//
// Setting a value or attribute from code never fires a callback.
// Functions return 0 (or a positive value) on success and a negative value for an
// unknown panel or control; the logic ignores these results as the original run-time's
// callers did, tests can check them.

#include "platform/events.h"
#include "ui/uitypes.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

// ---- Start-up and the event loop -------------------------------------------------
// Creates the application object once (argc/argv as given to main): 1 when it was
// created now, 0 when it existed already, < 0 on failure.
int InitRuntime(int argc, char **argv);
// Deletes the application object that InitRuntime created.
void ShutdownRuntime();
bool RuntimeReady();
// Runs the event loop until QuitUserInterface; returns the code given to it.
int RunUserInterface();
void QuitUserInterface(int code);

// While a PacedRepaints lives, windows and graphs are painted only from RepaintIfDue, which
// paints what changed once the screen's interval has passed; should the caller stall, a
// slow timer paints instead. A measurement loop calls RepaintIfDue just after sending a
// request, so painting overlaps the answer's time on the line.
class PacedRepaints {
public:
    PacedRepaints();
    ~PacedRepaints();
    PacedRepaints(const PacedRepaints &) = delete;
    PacedRepaints &operator=(const PacedRepaints &) = delete;

private:
    bool previous_;
};
void RepaintIfDue();
// SIGINT and SIGTERM deliver a close event to the panel's callback.
int CloseOnTerminationSignal(int panel);

// ---- Panels ----------------------------------------------------------------------
// Builds panel resource `resourceId` (and its tab pages) from the resource description.
// parent 0: top-level. Returns the panel handle (> 0) or a negative code.
int LoadPanel(int parentPanel, int resourceId);
void DiscardPanel(int panel);
// Handle of page `index` of a tab control, < 0 if there is none.
int GetPanelHandleFromTabPage(int panel, int tabControl, int index, int *pageHandle);
int SetActiveTabPage(int panel, int tabControl, int index);
int GetActiveTabPage(int panel, int tabControl, int *index);
int DisplayPanel(int panel);
int HidePanel(int panel);
bool IsPanelVisible(int panel);
int SetActivePanel(int panel);
int SetPanelTitle(int panel, const char *title);
std::string GetPanelTitle(int panel);
int SetPanelSize(int panel, int height, int width);
int GetPanelSize(int panel, int *height, int *width);
// A child panel is kept wholly inside its parent, moved the least distance from (top, left).
int SetPanelPos(int panel, int top, int left);
int GetPanelPos(int panel, int *top, int *left);
// Grows a panel from its built size until its text box shows the whole text, wrapped:
// taller first, then wider, up to its parent's size.
int FitPanelToTextBox(int panel, int control);
int SetPanelMaximized(int panel, bool maximized);
bool IsPanelMaximized(int panel);
// Moves a top-level panel to the centre of the screen.
int CenterPanel(int panel);
int GetScreenSize(int *height, int *width);

// ---- Control values --------------------------------------------------------------
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, double *value);
int GetCtrlVal(int panel, int control, unsigned short *value);
int GetCtrlVal(int panel, int control, unsigned int *value);
// Text value cut to size - 1 characters and always terminated.
int GetCtrlVal(int panel, int control, char *buffer, int size);
std::string GetCtrlString(int panel, int control);
// The same for texts in UTF-8 (characters beyond Latin-1, such as a dash for "none").
int SetCtrlValUtf8(int panel, int control, const char *value);
std::string GetCtrlStringUtf8(int panel, int control);

// ---- Control attributes ----------------------------------------------------------
int SetCtrlDimmed(int panel, int control, bool dimmed);
bool IsCtrlDimmed(int panel, int control);
int SetCtrlVisible(int panel, int control, bool visible);
bool IsCtrlVisible(int panel, int control);
int SetCtrlTextColor(int panel, int control, int color);
int GetCtrlTextColor(int panel, int control);
int SetCtrlBackColor(int panel, int control, int color);
int GetCtrlBackColor(int panel, int control);
int SetCtrlFrameColor(int panel, int control, int color);
std::string GetCtrlLabel(int panel, int control);
int SetCtrlPrecision(int panel, int control, int decimals);
int GetCtrlPrecision(int panel, int control);
int SetCtrlMin(int panel, int control, double minimum);
int SetCtrlMax(int panel, int control, double maximum);
double GetCtrlMin(int panel, int control);
double GetCtrlMax(int panel, int control);
int SetCtrlTooltip(int panel, int control, const char *text);
std::string GetCtrlTooltip(int panel, int control);
int GetCtrlBoundingRect(int panel, int control, Rect *rect);
int SetCtrlPos(int panel, int control, int top, int left);
int SetActiveCtrl(int panel, int control);
// Creates a text message at run time (the header band texts); returns its id.
int NewTextMessage(int panel, const char *text, int top, int left);
int SetCtrlFont(int panel, int control, const char *family, int pointSize);
// Picture control: loads an image file (bare names are looked up beside the program).
int DisplayImageFile(int panel, int control, const char *fileName);

// ---- Rings and combo boxes ---------------------------------------------------------
int ClearListCtrl(int panel, int control);
// Inserts at index (-1 appends). Ring items carry a value; combo items only text.
int InsertListItem(int panel, int control, int index, const char *label, int value);
int DeleteListItem(int panel, int control, int index, int count);
int GetNumListItems(int panel, int control, int *count);
int GetListItemLabel(int panel, int control, int index, std::string *label);
// The label (Latin-1, as GetListItemLabel) of the ring item carrying value; -1 when no item does.
int GetRingLabelOfValue(int panel, int control, int value, std::string *label);
// Index of the item whose label equals text, or -1.
int FindListItem(int panel, int control, const char *text);

// ---- Text boxes --------------------------------------------------------------------
// Appends text; a text ending in a line feed completes its line.
int AppendTextBox(int panel, int control, const char *text);
int ReplaceTextBoxLine(int panel, int control, int index, const char *text);
int ResetTextBox(int panel, int control, const char *text);
// Shows a text box from its first line (new text shows its last).
int ScrollTextBoxToTop(int panel, int control);
std::vector<std::string> GetTextBoxLines(int panel, int control);

// ---- Graphs ------------------------------------------------------------------------
enum Axis { XAXIS = 0, YAXIS = 1 };
int DeleteGraphPlots(int panel, int control);
int PlotXY(int panel, int control, const double *x, const double *y, int count, int color, bool thick);
int PlotXYu16(int panel, int control, const double *x, const unsigned short *y, int count, int color, bool thick);
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int frameColor, int fillColor);
int SetGraphCursor(int panel, int control, int cursor, double x, double y);
int GetGraphCursor(int panel, int control, int cursor, double *x, double *y);
int SetAxisRange(int panel, int control, Axis axis, double minimum, double maximum);
int GetAxisRange(int panel, int control, Axis axis, double *minimum, double *maximum);
int SetAxisCaption(int panel, int control, Axis axis, const char *caption);
int SetAxisPrecision(int panel, int control, Axis axis, int decimals);
// Bars of the given width centred on x (a histogram); counted as one plot.
int PlotBars(int panel, int control, const double *x, const double *heights, int count, double width, int color);
// A vertical line at x over the whole height (limits, a mean); counted as a plot.
int PlotVerticalLine(int panel, int control, double x, int color, bool dashed);
// Saves the graph as it is shown, as PDF when the path ends in ".pdf", else as PNG,
// through QCustomPlot's own export; width/height 0 take the widget's size.
int SaveGraphImage(int panel, int control, const char *path, int width = 0, int height = 0);
int SetGraphAutoRefresh(int panel, int control, bool on);
int RefreshGraph(int panel, int control);
// What the graph holds, for tests and diagnostics.
int GetNumGraphPlots(int panel, int control);
int GetNumGraphRects(int panel, int control);
// The y values of plot `index` (0 = first plotted) of a graph, or of trace `index` of a
// strip chart, oldest point first.
int GetGraphPlotY(int panel, int control, int index, std::vector<double> *y);
// Corners of filled rectangle `index` (0 = first drawn): x from x1 to x2, y from y1 to y2.
int GetGraphRect(int panel, int control, int index, double *x1, double *y1, double *x2, double *y2);

// ---- Strip charts ------------------------------------------------------------------
int SetStripChartTraces(int panel, int control, int traces);
int SetStripChartPointsPerScreen(int panel, int control, int points);
int SetStripChartTraceColor(int panel, int control, int trace, int color);
int GetStripChartTraceColor(int panel, int control, int trace);
// values are interleaved point by point (traces values per point).
int PlotStripChart(int panel, int control, const double *values, int count);

// ---- Test support --------------------------------------------------------------------
// Delivers an event to the callback bound to a control (control 0: the panel's own
// callback), exactly as the widget would. Returns the callback's result or -1.
int SimulateEvent(int panel, int control, int event, int eventData1 = 0, int eventData2 = 0);
// The panel that owns a control id, or -1.
int PanelOfControl(int control);
// Sees every event on its way to a callback (from the widgets and from SimulateEvent);
// returning false keeps it from the callback. An empty observer removes it.
using EventObserver = std::function<bool(int panel, int control, int event)>;
void SetEventObserver(EventObserver observer);

} // namespace ui
