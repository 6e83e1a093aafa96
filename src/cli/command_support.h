// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the commands of mq-vista-cli share: their own arguments, one sensor's result line,
// files written whole, and the sources of diff and restore.

#include "base/records.h"
#include "cli/address.h"
#include "cli/options.h"
#include "cli/sensor.h"

#include <QJsonObject>

#include <map>
#include <string>
#include <vector>

namespace cli::commands {

struct CommandOption {
    const char *name; // without "--"
    bool takesValue;
};

struct Parsed {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    bool help = false;
};

struct Source {
    enum class Kind { ParameterFile, Backup, Sensor } kind = Kind::ParameterFile;
    std::string text;
    std::string path;
    SensorAddress address;
    SetTarget target = SetTarget::Eeprom;
};

struct SourceSet {
    ParameterSet set{};
    bool haveIdentity = false;
    Identity identity;
};

// The command's own options through Qt's parser: "--name value", "--name=value", "--" ends them.
bool parseArguments(const std::vector<std::string> &arguments, const std::vector<CommandOption> &known, Parsed &parsed,
                    std::string &error);
int usageError(const std::string &command, const std::string &error);
int help(const char *text);
bool has(const Parsed &p, const char *name);
// The bound of one sensor's identify, backup or verify: its link opened within the time-out,
// and a minute for exchanges that each end on their own time-outs.
double workLimit(const CommonOptions &common);
// Opens and identifies; a refused or silent sensor gives `error`.
bool reach(const SensorAddress &address, Identity &identity, std::string &error);
QJsonObject started(const SensorAddress &address);
QJsonObject finished(QJsonObject result, const std::string &error);
void addIdentity(QJsonObject &result, const Identity &identity);
std::string utcNow();
bool readFile(const std::string &path, std::string &bytes);
// Written beside and renamed over, so that a failed write leaves no half file.
bool writeFileWhole(const std::string &path, const std::string &bytes);
bool endsWith(const std::string &text, const std::string &tail);
bool parseSource(const std::string &text, Source &source, std::string &error);
// A parameter file is laid over `base` (keys it lacks keep base's values), as the window's
// GET from FILE does.
bool loadSource(const Source &source, const ParameterSet &base, SourceSet &loaded, std::string &error);
std::vector<SensorAddress> addressesOf(const Parsed &parsed, const std::string &command, int &exitCode);
void reportFailures(const std::vector<QJsonObject> &results);

} // namespace cli::commands
