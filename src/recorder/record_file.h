// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The record file: a six-line header and one tab-separated line per sample, every
// line ending in CR LF, Latin-1 text. Formatting is kept apart from writing so the
// exact bytes can be checked without a file.

#include "base/records.h"

#include <string>

// Header lines 1 to 6 as they are appended, in order.
std::string RecordHeaderText(const std::string &date, const std::string &time, double interval, int samples,
                             double slope);
// One sample line: the time of writing, M-VALUE, E-LEFT, E-RIGHT, EDGES and M-VAL[um].
std::string RecordSampleLine(const std::string &time, const MeasurementRecord &record);
// A number in its 24-character field: right-aligned, with at least one decimal and as
// many more as the value needs to read back exactly (up to 9).
std::string RecordNumberField(double value);
// Opens the file for appending (binary), writes the bytes and closes it again. True
// only when every byte reached the file and it closed cleanly; bytes that got there
// from a failed append are taken out again.
bool AppendToRecordFile(const char *path, const std::string &bytes);
