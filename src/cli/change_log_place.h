// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the command line keeps its change log, and switching it on.

#include <string>

namespace cli {

// The log beside the settings file the program's directory gives, as the window's.
std::string DefaultChangeLogPath();
// Writes to this log (empty: the default) from now on, rows naming `program`.
void UseChangeLog(const std::string &path, const std::string &program);

} // namespace cli
