// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Every write order that goes to the sensor becomes rows of the change log: the order issue
// reports each request and its answer here. The old value of a field is the one last read
// from that target of that sensor in this run (a set, the calibration header), else "not
// read". The operator's action that caused a write is named by a ChangeAction around it;
// its rows are written when the next order goes out or the action ends, with the status
// text the write left.

#include <string>

class ChangeAction {
public:
    explicit ChangeAction(const char *name);
    ~ChangeAction();
    ChangeAction(const ChangeAction &) = delete;
    ChangeAction &operator=(const ChangeAction &) = delete;

private:
    const char *previous_;
};

// The log file, and the watch over the orders switched on; empty: no log is kept.
void SetChangeLogFile(const std::string &path);
const std::string &ChangeLogFile();
// Program name and version in every row.
void SetChangeLogProgram(const std::string &program);
// Rows that could not be written since the last that could.
int ChangeLogMissed();

// The watch the order issue calls through the program hooks: a request went out (sent false: it could not be sent), and
// its answer came (ok) or not.
void NoteOrderRequest(unsigned char order, unsigned short address, const void *data, unsigned short length, bool sent);
void NoteOrderAnswer(bool ok, const void *answerData, unsigned answerLength);
// Writes the rows waiting for their status text.
void FlushChangeRows();
