// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The commands of mq-vista-cli. Each returns the program's exit code.

#include "cli/address.h"
#include "cli/options.h"

#include <string>
#include <vector>

namespace cli {

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
