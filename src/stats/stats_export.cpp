// SPDX-License-Identifier: GPL-3.0-or-later
// Exports of the statistics window: the report as CSV, the histogram and the run chart
// as PNG or PDF. None of them may land on a record file.

#include "stats/statistics.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/state.h"
#include "base/text.h"
#include "params_ui/help.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace ui;
using namespace panels;

namespace {

constexpr char kTitle[] = "STATISTICS";
const char *const kRowNames[STATS_ROWS] = {"n",           "MEAN",        "STD-DEV (n-1)", "MIN",    "MAX",   "RANGE",
                                           "LOWER LIMIT", "UPPER LIMIT", "ABOVE",         "INSIDE", "BELOW", "Cp",
                                           "Cpk"};

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string lowerCase(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool endsWith(const std::string &s, const char *suffix)
{
    const std::size_t n = std::strlen(suffix);
    return s.size() >= n && lowerCase(s.substr(s.size() - n)) == suffix;
}

// True when a record file lives at path: the open one, or any file that begins as one.
bool isRecordFile(const std::string &path)
{
    std::error_code ec;
    if (stats_fname[0] && std::filesystem::equivalent(path, stats_fname, ec))
        return true;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char head[6] = {};
    const bool record = std::fread(head, 1, sizeof head, f) == sizeof head && std::memcmp(head, "DATE:\t", 6) == 0;
    std::fclose(f);
    return record;
}

} // namespace

bool ConfirmExportTarget(const std::string &path)
{
    if (isRecordFile(path)) {
        MessagePopup(kTitle, (path + "\nis a record file - it is not overwritten.").c_str());
        return false;
    }
    return !FileExists(path) || ConfirmPopup("ATTENTION !", "File already exist - overwrite ?");
}

std::string ChooseExportTarget(const char *title, const std::string &directory, const std::string &fileName, bool image)
{
    const FileSelectRequest request =
        MakeFileSelectRequest(directory, fileName, image ? "*.png *.pdf" : "*.csv", title, FileSelectMode::Save);
    std::string path;
    if (CurrentPopups().FileSelect(request, &path) == VAL_NO_FILE_SELECTED || path.empty())
        return {};
    if (image && !endsWith(path, ".png") && !endsWith(path, ".pdf"))
        path += ".png";
    if (!image && !endsWith(path, ".csv") && !endsWith(path, ".txt"))
        path += ".csv";
    return ConfirmExportTarget(path) ? path : std::string();
}

namespace {

// Asks for the file to write beside the record file; empty when the operator cancelled
// or declined.
std::string chooseTarget(const char *title, const char *suffix, bool image)
{
    const std::filesystem::path record(stats_fname);
    return ChooseExportTarget(title, record.has_parent_path() ? record.parent_path().string() : ProgramDirectory(),
                              record.stem().string() + suffix, image);
}

// What an export wrote, and where, in the window's message line.
void saidSaved(const std::string &text)
{
    SetCtrlVal(pStats, STATS_MESSAGE, text.c_str());
    SetCtrlTextColor(pStats, STATS_MESSAGE, VAL_BLACK);
}

// A dialog opened while the recorder or a measurement waits for the sensor would hold
// that exchange past its time-out; the exports wait for the loop to end.
bool loopRunning()
{
    if (stop_flag != 0)
        return false;
    SetCtrlVal(pStats, STATS_MESSAGE, "Saving is possible once the recording or measurement has ended.");
    SetCtrlTextColor(pStats, STATS_MESSAGE, VAL_RED);
    return true;
}

void saveGraph(int control, const char *title, const char *suffix)
{
    if (pStats == 0 || stats_fname[0] == '\0' || loopRunning())
        return;
    const std::string path = chooseTarget(title, suffix, true);
    if (path.empty())
        return;
    if (SaveGraphImage(pStats, control, path.c_str(), 800, 450) < 0)
        MessagePopup(kTitle, ("The picture could not be written:\n" + path).c_str());
    else
        saidSaved("Picture saved: " + path);
}

} // namespace

std::string FormatStatisticsReport(const char *recordPath, const RecordReader &reader, ToleranceWindow pixels,
                                   double slope)
{
    const ToleranceWindow microns{pixels.lower * slope, pixels.upper * slope};
    const std::size_t n = reader.samples();
    const SeriesFigures fpx = ComputeFigures(reader.mValue().data(), n, pixels);
    const SeriesFigures fum = ComputeFigures(reader.mValUm().data(), n, microns);
    const RecordHeader &h = reader.header();
    char number[64];
    std::string out;
    out += "record file," + csvField(recordPath ? recordPath : "") + ",\r\n";
    out += "recorded," + csvField(std::string(h.date) + " " + h.time) + ",\r\n";
    FormatText(number, sizeof number, "%.6f", slope);
    out += "slope [\xC2\xB5m/pixel],";
    out += number;
    out += ",\r\n";
    out += "skipped lines," + std::to_string(reader.skippedLines()) + ",\r\n";
    out += "figure,M-VALUE [pixel],M-VAL[um]\r\n";
    for (int r = 0; r < STATS_ROWS; ++r) {
        out += csvField(kRowNames[r]) + "," + csvField(FormatStatisticsFigure(r, fpx, pixels)) + "," +
               csvField(FormatStatisticsFigure(r, fum, microns)) + "\r\n";
    }
    return out;
}

int CC_BTNstatsSaveReport(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowStatisticsHelp(
            control, "SAVE REPORT:\nWrite the figures of both columns to a\nCSV-file (UTF-8). A record-file is never\n"
                     "overwritten!");
    if (event != EVENT_COMMIT || pStats == 0 || stats_fname[0] == '\0' || loopRunning())
        return 0;
    const std::string path = chooseTarget("Statistics report:", "-statistics.csv", false);
    if (path.empty())
        return 0;
    const std::string report =
        FormatStatisticsReport(stats_fname, StatisticsReader(), StatisticsWindowPixels(), StatisticsSlope());
    std::FILE *f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr;
    if (f) {
        ok = std::fwrite(report.data(), 1, report.size(), f) == report.size();
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok)
        MessagePopup(kTitle, ("The report could not be written:\n" + path).c_str());
    else
        saidSaved("Report saved: " + path);
    return 0;
}

int CC_BTNstatsSaveHistogram(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowStatisticsHelp(control,
                           "SAVE HISTOGRAM:\nSave the histogram as PNG-picture,\nor as PDF when the name ends in .pdf");
    if (event == EVENT_COMMIT)
        saveGraph(STATS_HISTOGRAM, "Histogram picture (PNG or PDF):", "-histogram.png");
    return 0;
}

int CC_BTNstatsSaveRunChart(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowStatisticsHelp(
            control,
            "SAVE RUN CHART:\nSave the run chart (the values in file order)\nas PNG-picture, or as PDF when the name\n"
            "ends in .pdf");
    if (event == EVENT_COMMIT)
        saveGraph(STATS_RUNCHART, "Run chart picture (PNG or PDF):", "-runchart.png");
    return 0;
}
