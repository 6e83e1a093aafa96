#pragma once
// The status line: szStatus shown in the main panel's status field, and the running log
// of link messages in the connection page's status box.

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
