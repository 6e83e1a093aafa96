// SPDX-License-Identifier: GPL-3.0-or-later
// mq-vista-cli: identify, back up, compare, restore, verify and record many sensors at once,
// from scripts. Built from the sensor core alone: no windows.

#include "cli/commands.h"
#include "cli/fleet.h"
#include "cli/log_command.h"
#include "platform/system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char kUsage[] =
    "usage: mq-vista-cli [--json] [-j N] [--timeout S] COMMAND [OPTIONS] ADDR...\n"
    "\n"
    "Commands (mq-vista-cli COMMAND --help tells more):\n"
    "  identify ADDR...                      echo, firmware, hardware information, served or refused\n"
    "  backup --dir DIR ADDR...              DIR/<serial>.json and DIR/<serial>.ini of each sensor\n"
    "  diff SOURCE SOURCE                    the fields that differ between two parameter sets\n"
    "  restore SOURCE ADDR                   writes a set onto a sensor, read back to confirm\n"
    "  verify --golden DIR ADDR...           ok, unsaved, drifted or no-golden for each sensor\n"
    "  record --samples N --interval S ADDR...  measurement samples into record files\n"
    "  log [--sensor SERIAL] [--since DATE]  the change log of every write to a sensor, oldest first\n"
    "  log --verify                          checks the change log's hash chain\n"
    "\n"
    "Options:\n"
    "  --json          one JSON object a line per sensor, in the order of the addresses\n"
    "  -j N            sensors served at once (default 8)\n"
    "  --timeout S     seconds for opening a link (default 10)\n"
    "\n"
    "Addresses: tcp://HOST[:PORT] (port 10001 when omitted), comN[@BAUD], /dev/NAME[@BAUD],\n"
    "@FILE (an inventory: one address a line, an optional name after it, # comments).\n"
    "BAUD is one of 9600, 19200, 38400, 57600, 115200 (default 115200).\n"
    "\n"
    "Exit codes: 0 success, 1 a difference found, 2 a failure, 64 a usage error.\n";

int usage(const std::string &error)
{
    std::fprintf(stderr, "mq-vista-cli: %s (see mq-vista-cli --help)\n", error.c_str());
    return cli::kExitUsage;
}

} // namespace

int main(int argc, char **argv)
{
    // The directory of the program names its settings file and its com<N> links; the parent
    // never creates the Qt application object that would otherwise tell it.
    std::error_code failed;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (!failed)
        ui::SetProgramDirectory(self.parent_path().string());
    cli::CommonOptions common;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return cli::kExitOk;
        }
        if (a == "--version") {
            std::printf("mq-vista-cli %s\n", cli::ProgramVersion());
            return cli::kExitOk;
        }
        if (a == "--json") {
            common.json = true;
            continue;
        }
        std::string value;
        const bool jobs = a == "-j" || a.rfind("--jobs", 0) == 0;
        const bool timeout = a.rfind("--timeout", 0) == 0;
        if (!jobs && !timeout)
            return usage("unknown option '" + a + "'");
        if (const auto equals = a.find('='); equals != std::string::npos)
            value = a.substr(equals + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return usage("option '" + a + "' needs a value");
        char *end = nullptr;
        if (jobs) {
            const long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 1 || n > 256)
                return usage("-j wants a count from 1 to 256");
            common.jobs = static_cast<int>(n);
        } else {
            const double s = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(s > 0 && s <= 3600))
                return usage("--timeout wants seconds above 0, at most 3600");
            common.timeout = s;
        }
    }
    if (i >= argc)
        return usage("no command given");
    const std::string command = argv[i];
    // --json is taken after the command too, where scripts tend to put it.
    std::vector<std::string> arguments;
    for (int k = i + 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--json") == 0)
            common.json = true;
        else
            arguments.emplace_back(argv[k]);
    }
    cli::SetConnectTimeout(common.timeout);
    if (command == "identify")
        return cli::RunIdentify(common, arguments);
    if (command == "backup")
        return cli::RunBackup(common, arguments);
    if (command == "diff")
        return cli::RunDiff(common, arguments);
    if (command == "restore")
        return cli::RunRestore(common, arguments);
    if (command == "verify")
        return cli::RunVerify(common, arguments);
    if (command == "record")
        return cli::RunRecord(common, arguments);
    if (command == "log")
        return cli::RunLog(common, arguments);
    return usage("unknown command '" + command + "'");
}
