// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The change log window: the rows of the log beside the settings file, newest first, filtered by
// sensor serial and date, the latest hash and whether the chain is whole, and the export to CSV.

#include <string>

extern int pChanges; // the window's panel while it is loaded, else 0

// Loads (once) and shows the window with the log's rows.
int OpenChangeLogWindow();
// The rows shown again with the filter fields' values; false with a message for a bad date.
bool ShowChangeLogRows();
// Writes the rows shown, oldest first, as CSV (UTF-8, header line, CR LF); false when it cannot.
bool ExportChangeLogCsv(const std::string &path);
void CloseChangeLogWindow();
// Discards the window (the program's end).
void DiscardChangeLogWindow();

int CC_BTNchangeLog(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_PANELchanges(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNchangesShow(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNchangesExport(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTNchangesClose(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
