// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that write or keep running: restore, verify and record.

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

const char kRestoreHelp[] =
    "usage: mq-vista-cli [--json] [--timeout S] restore SOURCE ADDR [--to eeprom|ram] [--dry-run]\n"
    "                    [--with-slope] [--force] [--yes] [--log FILE]\n"
    "\n"
    "Reads the sensor's set (--to: EEPROM, the default, or RAM), shows what differs from SOURCE\n"
    "and writes the wanted set when something differs, then reads it back and compares.\n"
    "The sensor keeps its own um-Slope unless --with-slope. A backup of another hardware type\n"
    "or pixel count is refused unless --force. Without --yes the write is confirmed on the\n"
    "terminal, and refused when there is none. --dry-run writes nothing. Each field written is a\n"
    "row of the change log (--log FILE, default the one beside the settings file).\n"
    "Exit 0 when the sensor holds the wanted set (dry run: nothing would change), 1 when the\n"
    "read-back differs (dry run: something would change), 2 on an error or a refusal.\n";
const char kVerifyHelp[] = "usage: mq-vista-cli [--json] [-j N] [--timeout S] verify --golden DIR [--publish] ADDR...\n"
                           "\n"
                           "Per sensor: ok (EEPROM equals DIR/<serial>.json or DIR/<serial>.ini and RAM equals\n"
                           "EEPROM), unsaved (RAM differs from EEPROM), drifted (EEPROM differs from the golden set)\n"
                           "or no-golden. With --publish each verdict also goes retained to <prefix>/<serial>/verify\n"
                           "through the broker of the plant link's settings (section MQTT of the settings file).\n"
                           "Exit 0 when all are ok, 1 when any is not, 2 when any sensor failed (or publishing did).\n";
const char kRecordHelp[] =
    "usage: mq-vista-cli [--json] [-j N] [--timeout S] record --samples N --interval S [--dir DIR] ADDR...\n"
    "\n"
    "N measurement samples every S seconds (0.1 to 3600) from each sensor into\n"
    "DIR/<serial>-RECORD.DAT, in the recorder's record-file format. Ctrl+C ends after the\n"
    "sample under way, every file whole. Exit 0, or 2 when any sensor failed.\n";

} // namespace

// ---- restore --------------------------------------------------------------------------

namespace {

// The operator's yes on the terminal; without one nothing is written.
bool confirmOnTerminal(const std::string &question, std::string &error)
{
    if (!isatty(STDIN_FILENO)) {
        error = "refused: no terminal to confirm the write on (--yes writes without asking)";
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin) || (answer[0] != 'y' && answer[0] != 'Y')) {
        error = "refused by the operator";
        return false;
    }
    return true;
}

} // namespace

int RunRestore(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(
            arguments,
            {{"to", true}, {"dry-run", false}, {"with-slope", false}, {"force", false}, {"yes", false}, {"log", true}},
            parsed, error))
        return usageError("restore", error);
    if (parsed.help)
        return help(kRestoreHelp);
    if (parsed.positional.size() != 2)
        return usageError("restore", "give one SOURCE and one ADDR");
    SetTarget target = SetTarget::Eeprom;
    if (has(parsed, "to")) {
        if (parsed.options["to"] == "ram")
            target = SetTarget::Ram;
        else if (parsed.options["to"] != "eeprom")
            return usageError("restore", "--to is eeprom or ram");
    }
    Source source;
    SensorAddress address;
    if (!parseSource(parsed.positional[0], source, error) || !ParseAddress(parsed.positional[1], address, error))
        return usageError("restore", error);
    SetConnectTimeout(common.timeout);
    UseChangeLog(has(parsed, "log") ? parsed.options["log"] : std::string(),
                 std::string("mq-vista-cli ") + ProgramVersion());

    QJsonObject result = started(address);
    result.insert("source", QString::fromStdString(source.text));
    result.insert("target", target == SetTarget::Ram ? "ram" : "eeprom");
    const auto fail = [&](const std::string &why) {
        Complain(address.text, why);
        CloseSensorLink();
        result.insert("ok", false);
        result.insert("error", QString::fromStdString(why));
        if (common.json)
            PrintJsonLine(result);
        return kExitFailed;
    };

    // A sensor as the source is read (and let go) before the target is opened.
    SourceSet wanted;
    ParameterSet defaults{};
    SetParameterDefaults(defaults);
    if (source.kind != Source::Kind::ParameterFile && !loadSource(source, defaults, wanted, error))
        return fail(error);

    PreparePlatform();
    Identity identity;
    ParameterSet current{};
    if (!reach(address, identity, error) || !ReadSensorSet(target, current, error))
        return fail(error);
    result.insert("serial", static_cast<int>(identity.serial));
    if (source.kind == Source::Kind::ParameterFile && !loadSource(source, current, wanted, error))
        return fail(error);
    if (wanted.haveIdentity &&
        (wanted.identity.hardwareType != identity.hardwareType || wanted.identity.pixelCount != identity.pixelCount)) {
        const std::string mismatch = "hardware type " + std::to_string(wanted.identity.hardwareType) + " with " +
                                     std::to_string(wanted.identity.pixelCount) + " pixels, the sensor is " +
                                     std::to_string(identity.hardwareType) + " with " +
                                     std::to_string(identity.pixelCount);
        if (!has(parsed, "force"))
            return fail("refused: the source is of " + mismatch + " (--force restores anyway)");
        Complain(address.text, "restoring across hardware: the source is of " + mismatch);
    }
    if (!has(parsed, "with-slope"))
        wanted.set.um_Slope = current.um_Slope;

    const auto differences = CompareParameterSets(current, wanted.set);
    result.insert("differences", DifferencesToJson(differences));
    const auto show = [&](const std::vector<ParameterDifference> &rows, const std::string &right) {
        if (!common.json)
            PrintDifferences(rows, "SENSOR " + std::string(TargetName(target)), right);
    };
    show(differences, "WANTED");
    if (differences.empty()) {
        CloseSensorLink();
        result.insert("written", false);
        result.insert("ok", true);
        if (common.json)
            PrintJsonLine(result);
        return kExitOk;
    }
    if (has(parsed, "dry-run")) {
        CloseSensorLink();
        result.insert("written", false);
        result.insert("ok", true);
        if (common.json)
            PrintJsonLine(result);
        return kExitDifferent;
    }
    if (!has(parsed, "yes") &&
        !confirmOnTerminal("Write " + std::to_string(differences.size()) + " field(s) to the " + TargetName(target) +
                               " of " + address.text + " (serial " + std::to_string(identity.serial) + ")?",
                           error))
        return fail(error);
    ParameterSet readBack{};
    bool written = false;
    {
        // The fields written become rows of the change log, old values from the set read above.
        ChangeAction action("RESTORE");
        written = WriteSensorSet(target, wanted.set, error);
    }
    if (!written)
        return fail(error);
    result.insert("written", true);
    if (!ReadSensorSet(target, readBack, error))
        return fail("written, but the read-back failed: " + error);
    CloseSensorLink();
    const auto mismatch = CompareParameterSets(readBack, wanted.set);
    if (!mismatch.empty()) {
        Complain(address.text, "the set read back differs from the set written");
        show(mismatch, "WRITTEN");
        result.insert("read_back_differences", DifferencesToJson(mismatch));
        result.insert("ok", false);
        result.insert("error", "the set read back differs from the set written");
    } else {
        result.insert("ok", true);
    }
    if (common.json)
        PrintJsonLine(result);
    return mismatch.empty() ? kExitOk : kExitDifferent;
}

// ---- verify ---------------------------------------------------------------------------

namespace {

// Each sensor's verdict, retained, where the plant link publishes that sensor.
bool publishVerdicts(const std::vector<QJsonObject> &results)
{
    const std::string prefix = PlantTopicPrefix();
    const std::string time = utcNow();
    std::vector<RetainedMessage> messages;
    for (const QJsonObject &r : results) {
        if (!r.value("ok").toBool() || !r.contains("serial"))
            continue;
        QJsonObject payload;
        for (const char *member : {"address", "serial", "verdict", "differences"})
            if (r.contains(member))
                payload.insert(member, r.value(member));
        payload.insert("time", QString::fromStdString(time));
        messages.push_back({prefix + "/" + std::to_string(r.value("serial").toInt()) + "/verify",
                            QJsonDocument(payload).toJson(QJsonDocument::Compact).toStdString()});
    }
    if (messages.empty())
        return true;
    std::string error;
    if (!PublishRetained(messages, 10.0, error)) {
        Complain("", "the verdicts were not published: " + error);
        return false;
    }
    return true;
}

} // namespace

int RunVerify(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(arguments, {{"golden", true}, {"publish", false}}, parsed, error))
        return usageError("verify", error);
    if (parsed.help)
        return help(kVerifyHelp);
    if (!has(parsed, "golden") || parsed.options["golden"].empty())
        return usageError("verify", "--golden DIR is required");
    int exitCode = kExitOk;
    const auto addresses = addressesOf(parsed, "verify", exitCode);
    if (addresses.empty())
        return exitCode;
    const std::string golden = parsed.options["golden"];
    const auto results = RunForEachSensor(
        addresses, common.jobs,
        [&golden](const SensorAddress &address) {
            QJsonObject result = started(address);
            Identity identity;
            ParameterSet ram{}, eeprom{};
            std::string error;
            if (!reach(address, identity, error) || !ReadSensorSet(SetTarget::Eeprom, eeprom, error) ||
                !ReadSensorSet(SetTarget::Ram, ram, error))
                return finished(result, error);
            result.insert("serial", static_cast<int>(identity.serial));
            const std::string stem = ui::JoinPath(golden, std::to_string(identity.serial));
            Source source;
            if (ui::FileExists(stem + ".json"))
                parseSource(stem + ".json", source, error);
            else if (ui::FileExists(stem + ".ini"))
                parseSource(stem + ".ini", source, error);
            else {
                result.insert("verdict", "no-golden");
                return finished(result, "");
            }
            SourceSet wanted;
            if (!loadSource(source, eeprom, wanted, error))
                return finished(result, "golden set: " + error);
            result.insert("golden", QString::fromStdString(source.path));
            const auto drift = CompareParameterSets(eeprom, wanted.set);
            const auto unsaved = CompareParameterSets(eeprom, ram);
            result.insert("verdict", !drift.empty() ? "drifted" : !unsaved.empty() ? "unsaved" : "ok");
            result.insert("differences", DifferencesToJson(!drift.empty() ? drift : unsaved));
            return finished(result, "");
        },
        workLimit(common));
    reportFailures(results);
    PrintResults(results, common.json, {{"SERIAL", "serial"}, {"VERDICT", "verdict"}});
    int worst = kExitOk;
    if (has(parsed, "publish") && !publishVerdicts(results))
        worst = kExitFailed;
    for (const QJsonObject &r : results) {
        if (!r.value("ok").toBool())
            worst = kExitFailed;
        else if (r.value("verdict").toString() != "ok" && worst == kExitOk)
            worst = kExitDifferent;
    }
    return worst;
}

// ---- record ---------------------------------------------------------------------------

int RunRecord(const CommonOptions &common, const std::vector<std::string> &arguments)
{
    Parsed parsed;
    std::string error;
    if (!parseArguments(arguments, {{"samples", true}, {"interval", true}, {"dir", true}}, parsed, error))
        return usageError("record", error);
    if (parsed.help)
        return help(kRecordHelp);
    char *end = nullptr;
    const long samples = has(parsed, "samples") ? std::strtol(parsed.options["samples"].c_str(), &end, 10) : 0;
    if (!has(parsed, "samples") || *end != '\0' || samples < 1 || samples > 10000000)
        return usageError("record", "--samples N wants a count from 1 to 10000000");
    const double interval = has(parsed, "interval") ? std::strtod(parsed.options["interval"].c_str(), &end) : 0;
    if (!has(parsed, "interval") || *end != '\0' || !(interval >= 0.1 && interval <= 3600))
        return usageError("record", "--interval S wants seconds from 0.1 to 3600");
    int exitCode = kExitOk;
    const auto addresses = addressesOf(parsed, "record", exitCode);
    if (addresses.empty())
        return exitCode;
    const std::string dir = has(parsed, "dir") ? parsed.options["dir"] : ".";
    if (!ui::MakeDirectories(dir)) {
        Complain("", dir + ": the directory cannot be created");
        return kExitFailed;
    }
    // Ctrl+C reaches the children too; each ends after its sample under way.
    InstallStopHandler();
    const auto results = RunForEachSensor(addresses, common.jobs, [&](const SensorAddress &address) {
        QJsonObject result = started(address);
        Identity identity;
        if (!reach(address, identity, error))
            return finished(result, error);
        result.insert("serial", static_cast<int>(identity.serial));
        const std::string path = ui::JoinPath(dir, std::to_string(identity.serial) + "-RECORD.DAT");
        result.insert("files", QJsonArray{QString::fromStdString(path)});
        const std::string header =
            RecordHeaderText(ui::DateStr(), ui::TimeStr(), interval, static_cast<int>(samples), cal.UM_SLOPE / 16384.0);
        if (!AppendToRecordFile(path.c_str(), header))
            return finished(result, path + " cannot be written");
        long taken = 0;
        double due = ui::Timer();
        while (taken < samples && !StopRequested()) {
            if (GetRAW() != 1)
                return finished(result, std::string("sample ") + std::to_string(taken + 1) + ": " + StatusText());
            if (!AppendToRecordFile(path.c_str(), RecordSampleLine(ui::TimeStr(), raw)))
                return finished(result, path + " cannot be written");
            ++taken;
            std::fprintf(stderr, "%s: %ld/%ld\n", address.text.c_str(), taken, samples);
            due += interval;
            while (taken < samples && !StopRequested() && ui::Timer() < due)
                ui::WaitForEvents(std::min(0.1, due - ui::Timer())); // a stop is seen within 0.1 s
        }
        result.insert("samples", static_cast<int>(taken));
        return finished(result, "");
    });
    reportFailures(results);
    PrintResults(results, common.json, {{"SERIAL", "serial"}, {"SAMPLES", "samples"}, {"FILE", "files"}});
    for (const QJsonObject &r : results)
        if (!r.value("ok").toBool())
            return kExitFailed;
    return kExitOk;
}

} // namespace cli
