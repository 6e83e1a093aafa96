// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the commands print: a table on standard output (one row per sensor, or per field),
// or with --json one compact JSON object a line; messages on standard error.

#include "params/compare.h"

#include <QJsonArray>
#include <QJsonObject>

#include <string>
#include <vector>

namespace cli {

struct Column {
    const char *title;
    const char *member; // the result's member shown in it
};

// [{"key", "left", "right"}, ...]
QJsonArray DifferencesToJson(const std::vector<ParameterDifference> &differences);

// One row per result; a result that is not ok shows its error in the last column.
void PrintResults(const std::vector<QJsonObject> &results, bool json, const std::vector<Column> &columns);
// One row per field: KEY LEFT RIGHT under the given titles.
void PrintDifferences(const std::vector<ParameterDifference> &differences, const std::string &leftTitle,
                      const std::string &rightTitle);
void PrintJsonLine(const QJsonObject &object);
// "mq-vista-cli: ADDRESS: text" on standard error.
void Complain(const std::string &address, const std::string &text);

} // namespace cli
