// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/change_log_place.h"

#include "files/change_log.h"
#include "files/change_watch.h"
#include "files/locations.h"
#include "platform/system.h"

namespace cli {

std::string DefaultChangeLogPath()
{
    const std::string directory = ui::ProgramDirectory();
    return ChangeLogPathBeside(ChooseFileLocations(directory, ui::DirectoryWritable(directory)).settingsFile);
}

void UseChangeLog(const std::string &path, const std::string &program)
{
    SetChangeLogFile(path.empty() ? DefaultChangeLogPath() : path);
    SetChangeLogProgram(program);
}

} // namespace cli
