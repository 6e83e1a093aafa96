// SPDX-License-Identifier: GPL-3.0-or-later

// mq-vista-cli log: the change log printed oldest first, or its chain checked.

#include "cli/log_command.h"

#include "cli/change_log_place.h"
#include "files/change_log.h"

#include <QDate>

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

const char kLogHelp[] = "usage: mq-vista-cli log [--log FILE] [--sensor SERIAL] [--since DATE] [--json]\n"
                        "       mq-vista-cli log --verify [--log FILE]\n"
                        "\n"
                        "Prints the change log, oldest first: one line per field a write changed in a sensor\n"
                        "(--json: one JSON object a line). --sensor keeps one sensor's rows, --since (YYYY-MM-DD)\n"
                        "those from that day on. --verify checks the hash chain: exit 0 when whole, 1 naming the\n"
                        "first row that breaks it. --log names the log (default: the one beside the settings file).\n";

int logUsage(const std::string &error)
{
    std::fprintf(stderr, "mq-vista-cli log: %s (see mq-vista-cli log --help)\n", error.c_str());
    return kExitUsage;
}

std::string textLine(const ChangeRow &r)
{
    const std::string old = r.oldValue ? std::to_string(*r.oldValue) : "not read";
    return r.time + "  " + r.serial + "  " + r.action + "  " + r.target + "  " + r.key + "  " + old + " -> " +
           std::to_string(r.newValue) + "  " + ChangeResultText(r) + "  " + r.user + "@" + r.host + "  " + r.address +
           "  " + r.status;
}

} // namespace

int RunLog(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    std::string path, serial, since;
    bool verify = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &a = arguments[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kLogHelp, stdout);
            return kExitOk;
        }
        if (a == "--verify") {
            verify = true;
            continue;
        }
        std::string *value = a == "--log" ? &path : a == "--sensor" ? &serial : a == "--since" ? &since : nullptr;
        if (!value)
            return logUsage("unknown argument '" + a + "'");
        if (i + 1 >= arguments.size())
            return logUsage(a + " needs a value");
        *value = arguments[++i];
    }
    if (!since.empty() && !QDate::fromString(QString::fromStdString(since), Qt::ISODate).isValid())
        return logUsage("--since wants a date YYYY-MM-DD, not '" + since + "'");
    if (path.empty())
        path = DefaultChangeLogPath();

    if (verify) {
        if (!serial.empty() || !since.empty())
            return logUsage("--verify checks the whole log: no --sensor or --since");
        const ChainCheck check = VerifyChangeChain(path);
        if (!check.readable) {
            std::fprintf(stderr, "mq-vista-cli log: %s\n", check.error.c_str());
            return kExitFailed;
        }
        if (check.firstBroken != 0) {
            std::printf("%s: row %lld breaks the chain (%lld rows)\n", path.c_str(), check.firstBroken, check.rows);
            return kExitDifferent;
        }
        std::printf("%s: %lld rows, chain whole, latest hash %s\n", path.c_str(), check.rows,
                    check.lastHash.empty() ? "(none)" : check.lastHash.c_str());
        return kExitOk;
    }

    std::vector<ChangeRow> rows;
    std::string error;
    if (!ReadChangeRows(path, {serial, since}, &rows, &error)) {
        std::fprintf(stderr, "mq-vista-cli log: %s\n", error.c_str());
        return kExitFailed;
    }
    for (const ChangeRow &r : rows)
        std::printf("%s\n", common.json ? ChangeRowJson(r).c_str() : textLine(r).c_str());
    return kExitOk;
}

} // namespace cli
