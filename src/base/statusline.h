// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The status line: szStatus shown in the main status field, and the running log of link
// messages (the connection page's status box in the window). Lower rooms report through
// these; whoever runs them installs where the text goes (a sink), and until then it goes
// nowhere.

// Shows szStatus in the main status field.
void ShowStatus();
// Shows a text in the main status field (szStatus unchanged).
void ShowStatusText(const char *text);
// Adds a line to the connection page's status box (a missing line feed is added).
void LogStatusLine(const char *text);
// Shows szStatus, then appends a line feed to it and adds it to the status box.
void ShowAndLogStatus();
// Text colour of the main status field and the status box.
void SetStatusColor(int color);

// Where the status line's texts go. A null member drops that kind of report.
struct StatusSink {
    void (*show)(const char *text) = nullptr; // the main status field
    void (*log)(const char *line) = nullptr;  // one line of the link history, line feed included
    void (*color)(int rgb) = nullptr;
};
// Installs the sink in use; returns the previous one.
StatusSink SetStatusSink(const StatusSink &sink);
