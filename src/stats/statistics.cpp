// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics window: opening, reading the record file, figures and graphs.

#include "stats/statistics.h"

#include "params_ui/help.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/text.h"
#include "params/pset.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

int pStats = 0;
int pStatsHelp = 0;
char stats_fname[kPathSize] = "";

namespace {

constexpr char kTitle[] = "STATISTICS";
constexpr int kBarColor = 0x6699CC;
constexpr int kLimitColor = VAL_RED;
constexpr int kMeanColor = 0x008000;

RecordReader g_reader;

double fieldValue(int control)
{
    double v = 0.0;
    GetCtrlVal(pStats, control, &v);
    return v;
}

void showInfo()
{
    const RecordHeader &h = g_reader.header();
    char interval[32] = "?", planned[32] = "?", slope[32] = "?";
    if (h.haveTimeIncrement)
        FormatText(interval, sizeof interval, "%g", h.timeIncrement);
    if (h.haveSamplesPlanned)
        FormatText(planned, sizeof planned, "%.0f", h.samplesPlanned);
    if (h.haveSlope)
        FormatText(slope, sizeof slope, "%g", h.slope);
    char info[200];
    FormatText(info, sizeof info,
               "RECORDED %s %s   INTERVAL %s s   PLANNED %s   SLOPE %s \xB5m/pixel   SAMPLES READ %zu",
               h.date[0] ? h.date : "?", h.time[0] ? h.time : "?", interval, planned, slope, g_reader.samples());
    SetCtrlVal(pStats, STATS_INFO, info);

    std::string message;
    if (g_reader.samples() == 0)
        message = "The record file holds no samples yet.";
    if (g_reader.skippedLines() > 0) {
        char text[120];
        FormatText(text, sizeof text, "%zu line(s) could not be read and were skipped (the first is line %zu).",
                   g_reader.skippedLines(), g_reader.firstSkippedLine());
        message += message.empty() ? "" : " ";
        message += text;
    }
    if (g_reader.droppedSamples() > 0) {
        char text[120];
        FormatText(text, sizeof text, "Only the first %zu samples are evaluated.", RecordReader::kMaxSamples);
        message += message.empty() ? "" : " ";
        message += text;
    }
    if (g_reader.pendingLine())
        message += message.empty() ? "The last line is still being written." : " The last line is still being written.";
    if (!g_reader.header().haveSlope)
        message += message.empty() ? "No slope in the file header: the parameter set's slope is used."
                                   : " No slope in the file header: the parameter set's slope is used.";
    SetCtrlVal(pStats, STATS_MESSAGE, message.c_str());
    SetCtrlTextColor(pStats, STATS_MESSAGE, message.empty() ? VAL_BLACK : VAL_RED);
}

void showFigures()
{
    const std::size_t n = g_reader.samples();
    const ToleranceWindow px = StatisticsWindowPixels();
    const ToleranceWindow um = StatisticsWindowMicrons();
    const SeriesFigures fpx = ComputeFigures(g_reader.mValue().data(), n, px);
    const SeriesFigures fum = ComputeFigures(g_reader.mValUm().data(), n, um);
    for (int r = 0; r < STATS_ROWS; ++r) {
        SetCtrlValUtf8(pStats, StatsFigureId(r, 0), FormatStatisticsFigure(r, fpx, px).c_str());
        SetCtrlValUtf8(pStats, StatsFigureId(r, 1), FormatStatisticsFigure(r, fum, um).c_str());
    }
}

template <typename T> void drawSeries(const std::vector<T> &values, ToleranceWindow w, const char *caption)
{
    const std::size_t n = values.size();
    const SeriesFigures f = ComputeFigures(values.data(), n, w);

    int bins = 1;
    GetCtrlVal(pStats, STATS_BINS, &bins);
    const Histogram h = MakeHistogram(values.data(), n, std::max(1, bins));
    DeleteGraphPlots(pStats, STATS_HISTOGRAM);
    SetGraphAutoRefresh(pStats, STATS_HISTOGRAM, false);
    std::vector<double> xs, ys;
    std::size_t highest = 0;
    for (std::size_t b = 0; b < h.counts.size(); ++b) {
        xs.push_back(h.first + (static_cast<double>(b) + 0.5) * h.width);
        ys.push_back(static_cast<double>(h.counts[b]));
        highest = std::max(highest, h.counts[b]);
    }
    if (!xs.empty())
        PlotBars(pStats, STATS_HISTOGRAM, xs.data(), ys.data(), static_cast<int>(xs.size()), h.width, kBarColor);
    PlotVerticalLine(pStats, STATS_HISTOGRAM, w.lower, kLimitColor, true);
    PlotVerticalLine(pStats, STATS_HISTOGRAM, w.upper, kLimitColor, true);
    if (n > 0)
        PlotVerticalLine(pStats, STATS_HISTOGRAM, f.mean, kMeanColor, false);
    double lo = std::min(w.lower, w.upper), hi = std::max(w.lower, w.upper);
    if (!h.counts.empty()) {
        lo = std::min(lo, h.first);
        hi = std::max(hi, h.first + h.width * static_cast<double>(h.counts.size()));
    }
    const double margin = std::max(1.0, (hi - lo) * 0.05);
    SetAxisRange(pStats, STATS_HISTOGRAM, XAXIS, lo - margin, hi + margin);
    SetAxisRange(pStats, STATS_HISTOGRAM, YAXIS, 0.0, std::max<double>(1.0, static_cast<double>(highest) * 1.1));
    SetAxisCaption(pStats, STATS_HISTOGRAM, XAXIS, caption);
    SetAxisCaption(pStats, STATS_HISTOGRAM, YAXIS, "COUNT");
    SetGraphAutoRefresh(pStats, STATS_HISTOGRAM, true);
    RefreshGraph(pStats, STATS_HISTOGRAM);

    DeleteGraphPlots(pStats, STATS_RUNCHART);
    SetGraphAutoRefresh(pStats, STATS_RUNCHART, false);
    std::vector<double> index(n), ys2(n);
    for (std::size_t i = 0; i < n; ++i) {
        index[i] = static_cast<double>(i + 1);
        ys2[i] = static_cast<double>(values[i]);
    }
    const double last = static_cast<double>(std::max<std::size_t>(n, 1));
    const double limitX[2] = {1.0, last};
    const double lower[2] = {w.lower, w.lower};
    const double upper[2] = {w.upper, w.upper};
    PlotXY(pStats, STATS_RUNCHART, limitX, lower, 2, kLimitColor, false);
    PlotXY(pStats, STATS_RUNCHART, limitX, upper, 2, kLimitColor, false);
    if (n > 0) {
        const double mean[2] = {f.mean, f.mean};
        PlotXY(pStats, STATS_RUNCHART, limitX, mean, 2, kMeanColor, false);
        PlotXY(pStats, STATS_RUNCHART, index.data(), ys2.data(), static_cast<int>(n), VAL_BLUE, false);
    }
    double ylo = std::min(w.lower, w.upper), yhi = std::max(w.lower, w.upper);
    if (n > 0) {
        ylo = std::min(ylo, f.min);
        yhi = std::max(yhi, f.max);
    }
    const double ymargin = std::max(1.0, (yhi - ylo) * 0.05);
    SetAxisRange(pStats, STATS_RUNCHART, XAXIS, 0.0, last + 1.0);
    SetAxisRange(pStats, STATS_RUNCHART, YAXIS, ylo - ymargin, yhi + ymargin);
    SetAxisCaption(pStats, STATS_RUNCHART, XAXIS, "SAMPLE");
    SetAxisCaption(pStats, STATS_RUNCHART, YAXIS, caption);
    SetGraphAutoRefresh(pStats, STATS_RUNCHART, true);
    RefreshGraph(pStats, STATS_RUNCHART);
}

void drawGraphs()
{
    int series = 0;
    GetCtrlVal(pStats, STATS_SERIES, &series);
    if (series == 1)
        drawSeries(g_reader.mValUm(), StatisticsWindowMicrons(), "M-VAL [\xB5m]");
    else
        drawSeries(g_reader.mValue(), StatisticsWindowPixels(), "M-VALUE [pixel]");
}

void showAll()
{
    showInfo();
    showFigures();
    drawGraphs();
}

// The tolerance window of the parameter set in use, and the slope of the file (the
// parameter set's when the header has none).
void takeDefaults()
{
    SetCtrlVal(pStats, STATS_SETPOINT, static_cast<int>(pset.Teach_Value));
    SetCtrlVal(pStats, STATS_UPPER_TOL, static_cast<int>(pset.Upper_Tolerance));
    SetCtrlVal(pStats, STATS_LOWER_TOL, static_cast<int>(pset.Lower_Tolerance));
    const double slope = g_reader.header().haveSlope ? g_reader.header().slope : SlopeWordToMicrons(pset.um_Slope);
    SetCtrlVal(pStats, STATS_SLOPE, slope);
    SetCtrlVal(pStats, STATS_BINS, SturgesBins(g_reader.samples()));
}

} // namespace

const RecordReader &StatisticsReader() { return g_reader; }

ToleranceWindow StatisticsWindowPixels()
{
    const double setPoint = fieldValue(STATS_SETPOINT);
    return {setPoint - fieldValue(STATS_LOWER_TOL), setPoint + fieldValue(STATS_UPPER_TOL)};
}

double StatisticsSlope() { return fieldValue(STATS_SLOPE); }

ToleranceWindow StatisticsWindowMicrons()
{
    const ToleranceWindow px = StatisticsWindowPixels();
    const double slope = StatisticsSlope();
    return {px.lower * slope, px.upper * slope};
}

std::string FormatStatisticsFigure(int row, const SeriesFigures &f, ToleranceWindow window)
{
    char text[48];
    const bool none = f.n == 0;
    switch (row) {
    case STATS_ROW_N:
        FormatText(text, sizeof text, "%zu", f.n);
        break;
    case STATS_ROW_MEAN:
        FormatText(text, sizeof text, none ? "\xE2\x80\x94" : "%.3f", f.mean);
        break;
    case STATS_ROW_STDDEV:
        FormatText(text, sizeof text, f.n < 2 ? "\xE2\x80\x94" : "%.3f", f.stddev);
        break;
    case STATS_ROW_MIN:
    case STATS_ROW_MAX:
    case STATS_ROW_RANGE: {
        const double v = row == STATS_ROW_MIN ? f.min : row == STATS_ROW_MAX ? f.max : f.range;
        FormatText(text, sizeof text, none ? "\xE2\x80\x94" : "%.0f", v); // both columns hold whole numbers
        break;
    }
    case STATS_ROW_LSL:
        FormatText(text, sizeof text, "%.3f", window.lower);
        break;
    case STATS_ROW_USL:
        FormatText(text, sizeof text, "%.3f", window.upper);
        break;
    case STATS_ROW_ABOVE:
        FormatText(text, sizeof text, "%zu", f.above);
        break;
    case STATS_ROW_INSIDE:
        FormatText(text, sizeof text, "%zu", f.inside);
        break;
    case STATS_ROW_BELOW:
        FormatText(text, sizeof text, "%zu", f.below);
        break;
    case STATS_ROW_CP:
        FormatText(text, sizeof text, f.capability ? "%.3f" : "\xE2\x80\x94", f.cp);
        break;
    case STATS_ROW_CPK:
        FormatText(text, sizeof text, f.capability ? "%.3f" : "\xE2\x80\x94", f.cpk);
        break;
    default:
        text[0] = '\0';
    }
    return text;
}

int OpenRecordStatistics(const char *path)
{
    const std::string file = path ? path : "";
    RecordReader fresh;
    const RecordStatus status = fresh.Update(file);
    if (status == RecordStatus::Unreadable) {
        MessagePopup(kTitle, ("Record file not found: " + file).c_str());
        return -1;
    }
    if (status == RecordStatus::NotRecord) {
        MessagePopup(kTitle, (file + "\nis not a record file (it does not begin with the \"DATE:\" line).").c_str());
        return -1;
    }
    if (pStats == 0) {
        pStats = LoadPanel(0, PANEL_STATS);
        if (pStats < 0) {
            pStats = 0;
            return -1;
        }
        pStatsHelp = std::max(0, LoadPanel(pStats, PANEL_STATS_HELP));
    }
    g_reader = std::move(fresh);
    CopyText(stats_fname, file.c_str());
    SetCtrlVal(pStats, STATS_FILE, stats_fname);
    takeDefaults();
    showAll();
    DisplayPanel(pStats);
    return 0;
}

void ReloadRecordStatistics()
{
    if (pStats == 0 || stats_fname[0] == '\0')
        return;
    const RecordStatus status = g_reader.Update(stats_fname);
    if (status == RecordStatus::Unreadable || status == RecordStatus::NotRecord) {
        SetCtrlVal(pStats, STATS_MESSAGE,
                   status == RecordStatus::Unreadable ? "The record file cannot be read any more."
                                                      : "The file is no longer a record file.");
        SetCtrlTextColor(pStats, STATS_MESSAGE, VAL_RED);
        return;
    }
    showAll();
}

void OfferRecordStatistics()
{
    if (!FileExists(rec_fname))
        return;
    if (ConfirmPopup(kTitle, "Show the statistics of the recording?"))
        OpenRecordStatistics(rec_fname);
}

void CloseRecordStatistics()
{
    // Hidden, not discarded: the close arrives inside the window's own event handling.
    if (pStats != 0)
        HidePanel(pStats);
    stats_fname[0] = '\0';
    g_reader.Reset();
}

void DiscardRecordStatistics()
{
    if (pStats != 0)
        DiscardPanel(pStats);
    pStats = pStatsHelp = 0;
    stats_fname[0] = '\0';
    g_reader.Reset();
}

void ShowStatisticsHelp(int control, const char *text)
{
    if (pStatsHelp != 0)
        ShowWindowHelp(pStatsHelp, STATS_HELP_TEXT, pStats, control, text);
}

int CC_BTNStatistics(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowHelpBesideControl(
            panel, control, 25, 5,
            "STATISTICS:\nOpen the statistics window for the record-file\nin the box: MEAN, STD-DEV, Cp, Cpk, histogram\n"
            "and run chart. The file is only read!");
    if (event == EVENT_COMMIT)
        OpenRecordStatistics(rec_fname);
    return 0;
}

int CC_PANELstats(int, int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        CloseRecordStatistics();
    return 0;
}

int CC_BTNstatsClose(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowStatisticsHelp(control, "CLOSE:\nClose the statistics window.\nThe record-file stays as it is.");
    if (event == EVENT_COMMIT)
        CloseRecordStatistics();
    return 0;
}

int CC_BTNstatsReload(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowStatisticsHelp(
            control, "RELOAD:\nRead the record-file again: the lines added\nsince (while the DATA-RECORDER is still\n"
                     "recording) are taken into the figures.");
    if (event == EVENT_COMMIT)
        ReloadRecordStatistics();
    return 0;
}

int CC_NUMstatsTolerance(int, int, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED && pStats != 0) {
        showFigures();
        drawGraphs();
    }
    return 0;
}

int CC_NUMstatsBins(int, int, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED && pStats != 0)
        drawGraphs();
    return 0;
}

int CC_DROPstatsSeries(int, int, int event, void *, int, int)
{
    if (event == EVENT_VAL_CHANGED && pStats != 0)
        drawGraphs();
    return 0;
}
