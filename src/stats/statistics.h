// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The statistics window of a record file: figures of M-VALUE and M-VAL[um] against the
// tolerance window, a histogram and a run chart, and their export. The window only
// reads record files; it never writes to one.

#include "base/state.h"
#include "stats/figures.h"
#include "stats/record_reader.h"

#include <string>

extern int pStats;     // statistics window, 0 until first opened; loaded by OpenRecordStatistics, cleared by
                       // DiscardRecordStatistics
extern int pStatsHelp; // the window's help pop-up, loaded and discarded with it
extern char stats_fname[kPathSize]; // record file the window shows, empty while closed; set by OpenRecordStatistics,
                                    // read by reload and the report

// Opens (or brings up) the window for a record file and reads it; 0 when shown, -1
// with a message pop-up when the file is missing or not a record file.
int OpenRecordStatistics(const char *path);
// At the end of a completed or stopped recording: asks whether to show the statistics
// of rec_fname and opens them on yes.
void OfferRecordStatistics();
// Hides the window and forgets the file; nothing happens when it is closed.
void CloseRecordStatistics();
// The way out: discards the window.
void DiscardRecordStatistics();
// Reads what was appended to the file since and shows everything again.
void ReloadRecordStatistics();

// Right click on a button of the window: its help text in the window's help pop-up.
void ShowStatisticsHelp(int control, const char *text);

// What the window shows, for the exports and the tests.
const RecordReader &StatisticsReader();
ToleranceWindow StatisticsWindowPixels();
ToleranceWindow StatisticsWindowMicrons();
double StatisticsSlope();

// The report: one CSV table (figure, M-VALUE [pixel], M-VAL[um]) after four lines on
// the file. UTF-8, lines end in CR LF.
std::string FormatStatisticsReport(const char *recordPath, const RecordReader &reader, ToleranceWindow pixels,
                                   double slope);
// "—" when Cp/Cpk do not exist; the figures as the window shows them.
std::string FormatStatisticsFigure(int row, const SeriesFigures &f, ToleranceWindow window);

// Exports: asks for the file to write (PNG/PDF or CSV, the extension added when it
// is missing); empty when cancelled, when it is a record file (with a message) or when
// an existing file is not to be overwritten.
std::string ChooseExportTarget(const char *title, const std::string &directory, const std::string &fileName,
                               bool image);
// The same checks for a path chosen already.
bool ConfirmExportTarget(const std::string &path);

// The main panel's visible graph (video or roll graph) as PNG or PDF, and its data as
// CSV beside it (same name, ".csv"): the 256 video points with their threshold in the
// current unit, or the roll history of 100 points by 6 traces.
int CC_BTNGraphExport(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

// Recorder page.
int CC_BTNStatistics(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
// Statistics window.
int CC_PANELstats(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNstatsReload(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNstatsClose(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_NUMstatsTolerance(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_NUMstatsBins(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_DROPstatsSeries(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNstatsSaveReport(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNstatsSaveHistogram(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNstatsSaveRunChart(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
