// SPDX-License-Identifier: GPL-3.0-or-later

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

namespace cli::commands {

// ---- the command's own arguments ------------------------------------------------------

// The command's own options through Qt's parser: "--name value", "--name=value", "--" ends them.
bool parseArguments(const std::vector<std::string> &arguments, const std::vector<CommandOption> &known, Parsed &parsed,
                    std::string &error)
{
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{"h", "help"});
    parser.addOption(helpOption);
    for (const CommandOption &option : known)
        parser.addOption(option.takesValue ? QCommandLineOption(option.name, QString(), "value")
                                           : QCommandLineOption(option.name));
    QStringList words{"mq-vista-cli"};
    for (const std::string &a : arguments)
        words << QString::fromStdString(a);
    if (!parser.parse(words)) {
        error = parser.errorText().toStdString();
        return false;
    }
    parsed.help = parser.isSet(helpOption);
    for (const CommandOption &option : known)
        if (parser.isSet(option.name))
            parsed.options[option.name] = option.takesValue ? parser.value(option.name).toStdString() : std::string();
    for (const QString &p : parser.positionalArguments())
        parsed.positional.push_back(p.toStdString());
    return true;
}

int usageError(const std::string &command, const std::string &error)
{
    std::fprintf(stderr, "mq-vista-cli %s: %s (see mq-vista-cli %s --help)\n", command.c_str(), error.c_str(),
                 command.c_str());
    return kExitUsage;
}

int help(const char *text)
{
    std::fputs(text, stdout);
    return kExitOk;
}

bool has(const Parsed &p, const char *name) { return p.options.count(name) != 0; }

// The bound of one sensor's identify, backup or verify: its link opened within the time-out,
// and a minute for exchanges that each end on their own time-outs.
double workLimit(const CommonOptions &common) { return common.timeout + 60.0; }

// ---- one sensor, in the process that serves it -------------------------------------------

// Opens and identifies; a refused or silent sensor gives `error`.
bool reach(const SensorAddress &address, Identity &identity, std::string &error)
{
    ArmConnectTimeout();
    const bool open = OpenSensorLink(address, error);
    DisarmConnectTimeout();
    if (!open)
        return false;
    return IdentifyOpenSensor(identity, error);
}

QJsonObject started(const SensorAddress &address)
{
    QJsonObject result;
    result.insert("address", QString::fromStdString(address.text));
    if (!address.name.empty())
        result.insert("name", QString::fromStdString(address.name));
    return result;
}

QJsonObject finished(QJsonObject result, const std::string &error)
{
    result.insert("ok", error.empty());
    if (!error.empty())
        result.insert("error", QString::fromStdString(error));
    CloseSensorLink();
    return result;
}

void addIdentity(QJsonObject &result, const Identity &identity)
{
    const QJsonObject members = IdentityToJson(identity);
    for (auto it = members.begin(); it != members.end(); ++it)
        result.insert(it.key(), it.value());
}

std::string utcNow() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString(); }

bool readFile(const std::string &path, std::string &bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream text;
    text << file.rdbuf();
    bytes = text.str();
    return !file.bad();
}

// Written beside and renamed over, so that a failed write leaves no half file.
bool writeFileWhole(const std::string &path, const std::string &bytes)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << bytes;
        file.flush();
        if (!file) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

// ---- sources of diff and restore ------------------------------------------------------

bool endsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool parseSource(const std::string &text, Source &source, std::string &error)
{
    source = {};
    source.text = text;
    std::string base = text;
    bool targetGiven = false;
    if (endsWith(base, "#ram") || endsWith(base, "#eeprom")) {
        source.target = endsWith(base, "#ram") ? SetTarget::Ram : SetTarget::Eeprom;
        base.resize(base.rfind('#'));
        targetGiven = true;
    }
    if (endsWith(base, ".ini")) {
        if (targetGiven) {
            error = "'" + text + "': a parameter file holds one set (no #ram or #eeprom)";
            return false;
        }
        source.kind = Source::Kind::ParameterFile;
        source.path = base;
        return true;
    }
    if (endsWith(base, ".json")) {
        source.kind = Source::Kind::Backup;
        source.path = base;
        return true;
    }
    source.kind = Source::Kind::Sensor;
    if (!ParseAddress(base, source.address, error)) {
        error = "'" + text + "' is neither a parameter file (.ini), a backup (.json) nor a sensor address";
        return false;
    }
    return true;
}

// A parameter file is laid over `base` (keys it lacks keep base's values), as the window's
// GET from FILE does.
bool loadSource(const Source &source, const ParameterSet &base, SourceSet &loaded, std::string &error)
{
    loaded = {};
    switch (source.kind) {
    case Source::Kind::ParameterFile: {
        loaded.set = base;
        std::string refused;
        const int read = ReadParaFromIniFile(&loaded.set, source.path.c_str(), &refused);
        if (read > 0)
            return true;
        error = source.path + (read == kParaFileOutOfRange ? ": value out of range: " + refused
                               : read == kParaFileEmpty    ? ": no parameter in it"
                                                           : ": cannot be read");
        return false;
    }
    case Source::Kind::Backup: {
        std::string bytes;
        Backup backup;
        if (!readFile(source.path, bytes)) {
            error = source.path + ": cannot be read";
            return false;
        }
        if (!BackupFromJson(bytes, backup, error)) {
            error = source.path + ": " + error;
            return false;
        }
        loaded.set = source.target == SetTarget::Ram ? backup.ram : backup.eeprom;
        loaded.haveIdentity = true;
        loaded.identity = backup.identity;
        return true;
    }
    case Source::Kind::Sensor: {
        PreparePlatform();
        Identity identity;
        if (!reach(source.address, identity, error) || !ReadSensorSet(source.target, loaded.set, error)) {
            error = source.address.text + ": " + error;
            CloseSensorLink();
            return false;
        }
        CloseSensorLink();
        loaded.haveIdentity = true;
        loaded.identity = identity;
        return true;
    }
    }
    return false;
}

std::vector<SensorAddress> addressesOf(const Parsed &parsed, const std::string &command, int &exitCode)
{
    std::vector<SensorAddress> addresses;
    std::string error;
    if (!ExpandAddresses(parsed.positional, addresses, error)) {
        exitCode = usageError(command, error);
        addresses.clear();
    }
    return addresses;
}

void reportFailures(const std::vector<QJsonObject> &results)
{
    for (const QJsonObject &r : results)
        if (!r.value("ok").toBool())
            Complain(r.value("address").toString().toStdString(), r.value("error").toString().toStdString());
}

} // namespace cli::commands
