// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Many sensors at once. The sensor core keeps one sensor's state in the program's globals,
// so each sensor is served by a child process of its own: the parent (which never creates
// the Qt application object) forks at most `jobs` children at a time, each opens its one
// link, does the work and hands back one JSON line through a pipe. The results come back
// in the order of the addresses, whatever order the children end in.

#include "cli/address.h"

#include <QJsonObject>

#include <functional>
#include <vector>

namespace cli {

using SensorWork = std::function<QJsonObject(const SensorAddress &address)>;

// `limitSeconds` bounds each sensor's worker (0: no bound): one that has not answered by
// then is ended and reported, so that nothing can hold the run up for good.
std::vector<QJsonObject> RunForEachSensor(const std::vector<SensorAddress> &addresses, int jobs, const SensorWork &work,
                                          double limitSeconds = 0);

// Set up the platform in this process (a child, or the parent for a single in-process run).
void PreparePlatform();

// Bounds the link's opening to `seconds` (0: the link's own time-outs alone).
void SetConnectTimeout(double seconds);
// Arms and disarms the bound around an opening.
void ArmConnectTimeout();
void DisarmConnectTimeout();

// A result row for an address that failed.
QJsonObject FailedResult(const SensorAddress &address, const std::string &error);

// Set by SIGINT/SIGTERM in a child or in-process run: a loop ends after the step under way.
bool StopRequested();
void InstallStopHandler();

} // namespace cli
