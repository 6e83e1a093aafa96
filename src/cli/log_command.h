// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// mq-vista-cli log: the change log printed, or its chain checked.

#include "cli/commands.h"

#include <string>
#include <vector>

namespace cli {

int RunLog(const CommonOptions &common, const std::vector<std::string> &arguments);

} // namespace cli
