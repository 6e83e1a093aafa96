// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The commands of mq-vista-cli. Each returns the program's exit code.

#include "cli/address.h"

#include <string>
#include <vector>

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;

struct CommonOptions {
    bool json = false;
    int jobs = 8;
    double timeout = 10.0; // seconds for opening a link
};

// The command's own arguments (everything after its name).
int RunIdentify(const CommonOptions &common, const std::vector<std::string> &arguments);
int RunBackup(const CommonOptions &common, const std::vector<std::string> &arguments);
int RunDiff(const CommonOptions &common, const std::vector<std::string> &arguments);
int RunRestore(const CommonOptions &common, const std::vector<std::string> &arguments);
int RunVerify(const CommonOptions &common, const std::vector<std::string> &arguments);
int RunRecord(const CommonOptions &common, const std::vector<std::string> &arguments);

// The program's version, as the backup files name it.
const char *ProgramVersion();

} // namespace cli
