// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that only read: identify, backup and diff.

#include "cli/commands.h"

#include "cli/command_support.h"

#include "base/state.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "cli/backup_file.h"
#include "cli/change_log_place.h"
#include "cli/fleet.h"
#include "cli/output.h"
#include "cli/publish.h"
#include "cli/sensor.h"
#include "files/change_watch.h"
#include "link/orders.h"
#include "params/compare.h"
#include "params/parafile.h"
#include "params/pset.h"
#include "platform/events.h"
#include "platform/system.h"
#include "recorder/record_file.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace cli {

using namespace commands;

namespace {

const char kIdentifyHelp[] =
    "usage: mq-vista-cli [--json] [-j N] [--timeout S] identify ADDR...\n"
    "\n"
    "Echo, firmware text, hardware information and the served/refused verdict of each sensor.\n"
    "Exit 0 when every sensor was identified and is served, 2 when any failed or was refused.\n";
const char kBackupHelp[] = "usage: mq-vista-cli [--json] [-j N] [--timeout S] backup --dir DIR [--force] ADDR...\n"
                           "\n"
                           "Writes DIR/<serial>.json (identity, RAM and EEPROM sets, calibration header) and\n"
                           "DIR/<serial>.ini (the EEPROM set as a parameter file) for each sensor. DIR is created\n"
                           "when missing. An existing file is kept unless --force; a second sensor with the serial\n"
                           "number of an earlier one is an error. Exit 0, or 2 when any sensor failed.\n";
const char kDiffHelp[] = "usage: mq-vista-cli [--json] diff [--all] SOURCE SOURCE\n"
                         "\n"
                         "The fields that differ between two parameter sets, by parameter-file key (--all: every\n"
                         "field). A SOURCE is a parameter file (FILE.ini), a backup (FILE.json, its EEPROM set, or\n"
                         "FILE.json#ram) or a sensor's set (ADDR#eeprom, the default, or ADDR#ram).\n"
                         "Exit 0 when the sets are the same, 1 when they differ, 2 on an error.\n";

} // namespace

const char *ProgramVersion()
{
#ifdef MQ_VERSION
    return MQ_VERSION;
#else
    return "unknown";
#endif
}

// ---- identify -------------------------------------------------------------------------

int RunIdentify(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(arguments, {}, parsed, error))
        return usageError("identify", error);
    if (parsed.help)
        return help(kIdentifyHelp);
    int exitCode = kExitOk;
    const auto addresses = addressesOf(parsed, "identify", exitCode);
    if (addresses.empty())
        return exitCode;
    const auto results = RunForEachSensor(
        addresses, common.jobs,
        [](const SensorAddress &address) {
            QJsonObject result = started(address);
            Identity identity;
            std::string error;
            const bool answered = reach(address, identity, error);
            if (answered || !identity.firmware.empty())
                addIdentity(result, identity);
            return finished(result, answered ? "" : error);
        },
        workLimit(common));
    reportFailures(results);
    PrintResults(results, common.json,
                 {{"SERIAL", "serial"},
                  {"FIRMWARE", "firmware"},
                  {"HW-TYPE", "hardware_type"},
                  {"PIXELS", "pixel_count"},
                  {"SERVED", "served"}});
    for (const QJsonObject &r : results)
        if (!r.value("ok").toBool())
            return kExitFailed;
    return kExitOk;
}

// ---- backup ---------------------------------------------------------------------------

int RunBackup(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(arguments, {{"dir", true}, {"force", false}}, parsed, error))
        return usageError("backup", error);
    if (parsed.help)
        return help(kBackupHelp);
    if (!has(parsed, "dir") || parsed.options["dir"].empty())
        return usageError("backup", "--dir DIR is required");
    int exitCode = kExitOk;
    const auto addresses = addressesOf(parsed, "backup", exitCode);
    if (addresses.empty())
        return exitCode;
    const std::string dir = parsed.options["dir"];
    const bool force = has(parsed, "force");
    if (!ui::MakeDirectories(dir)) {
        Complain("", dir + ": the directory cannot be created");
        return kExitFailed;
    }

    // The children read; the files are written here, in the order of the addresses, so that
    // "the second sensor with one serial" is the same one on every run.
    auto results = RunForEachSensor(
        addresses, common.jobs,
        [](const SensorAddress &address) {
            QJsonObject result = started(address);
            Backup backup;
            std::string error;
            if (!reach(address, backup.identity, error) || !ReadSensorSet(SetTarget::Ram, backup.ram, error) ||
                !ReadSensorSet(SetTarget::Eeprom, backup.eeprom, error))
                return finished(result, error);
            backup.programVersion = ProgramVersion();
            backup.time = utcNow();
            backup.address = address.text;
            backup.calibration = cal;
            result.insert("serial", static_cast<int>(backup.identity.serial));
            result.insert("backup", QString::fromStdString(BackupToJson(backup)));
            return finished(result, "");
        },
        workLimit(common));
    std::set<int> serialsDone;
    for (QJsonObject &r : results) {
        const QString backupText = r.take("backup").toString();
        if (!r.value("ok").toBool())
            continue;
        const int serial = r.value("serial").toInt();
        const std::string stem = ui::JoinPath(dir, std::to_string(serial));
        const std::string jsonPath = stem + ".json", iniPath = stem + ".ini";
        std::string failure;
        Backup backup;
        if (!serialsDone.insert(serial).second)
            failure = "serial number " + std::to_string(serial) + " was backed up from an earlier address";
        else if (!force && (ui::FileExists(jsonPath) || ui::FileExists(iniPath)))
            failure = (ui::FileExists(jsonPath) ? jsonPath : iniPath) + " exists (--force overwrites it)";
        else if (!BackupFromJson(backupText.toStdString(), backup, failure))
            failure = "the backup read is not whole: " + failure;
        else if (!writeFileWhole(jsonPath, backupText.toStdString()))
            failure = jsonPath + " cannot be written";
        else {
            pset = backup.eeprom;
            if (WriteParaToIniFile(&pset, iniPath.c_str()) <= 0)
                failure = iniPath + " cannot be written";
        }
        if (!failure.empty()) {
            r.insert("ok", false);
            r.insert("error", QString::fromStdString(failure));
            continue;
        }
        r.insert("files", QJsonArray{QString::fromStdString(jsonPath), QString::fromStdString(iniPath)});
    }
    reportFailures(results);
    PrintResults(results, common.json, {{"SERIAL", "serial"}, {"FILES", "files"}});
    for (const QJsonObject &r : results)
        if (!r.value("ok").toBool())
            return kExitFailed;
    return kExitOk;
}

// ---- diff -----------------------------------------------------------------------------

int RunDiff(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(arguments, {{"all", false}}, parsed, error))
        return usageError("diff", error);
    if (parsed.help)
        return help(kDiffHelp);
    if (parsed.positional.size() != 2)
        return usageError("diff", "give two sources");
    Source sources[2];
    for (int i = 0; i < 2; ++i)
        if (!parseSource(parsed.positional[i], sources[i], error))
            return usageError("diff", error);
    SetConnectTimeout(common.timeout);
    ParameterSet defaults{};
    SetParameterDefaults(defaults);
    SourceSet sets[2];
    QJsonObject result;
    result.insert("address", QString::fromStdString(sources[1].text));
    result.insert("left", QString::fromStdString(sources[0].text));
    result.insert("right", QString::fromStdString(sources[1].text));
    for (int i = 0; i < 2; ++i)
        if (!loadSource(sources[i], defaults, sets[i], error)) {
            Complain("", error);
            result.insert("ok", false);
            result.insert("error", QString::fromStdString(error));
            if (common.json)
                PrintJsonLine(result);
            return kExitFailed;
        }
    const auto differences = CompareParameterSets(sets[0].set, sets[1].set, has(parsed, "all"));
    const bool same = CompareParameterSets(sets[0].set, sets[1].set).empty();
    result.insert("ok", true);
    result.insert("same", same);
    result.insert("differences", DifferencesToJson(differences));
    if (common.json)
        PrintJsonLine(result);
    else
        PrintDifferences(differences, sources[0].text, sources[1].text);
    return same ? kExitOk : kExitDifferent;
}

} // namespace cli
