// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The backup file <serial>.json: what one sensor held at one moment, both parameter sets by
// parameter-file key and the calibration header by its record's field names.

#include "base/records.h"

#include <QJsonObject>

#include <cstdint>
#include <string>

namespace cli {

// The members of identify.
struct Identity {
    unsigned serial = 0;
    std::string firmware;
    int firmwareNo = 0;
    std::uint32_t hardwareType = 0;
    std::uint32_t receiverType = 0;
    int pixelCount = 0;
    bool served = false;
};

struct Backup {
    std::string programVersion;
    std::string time; // UTC, ISO 8601
    std::string address;
    Identity identity;
    ParameterSet ram{};
    ParameterSet eeprom{};
    CalibrationHeader calibration{};
};

// The identity's members as identify and the backup file give them.
QJsonObject IdentityToJson(const Identity &identity);

std::string BackupToJson(const Backup &backup);
// False with the reason in `error` for anything that is not a whole backup (every key of
// both sets and of the header present, each an integer within its field).
bool BackupFromJson(const std::string &bytes, Backup &backup, std::string &error);

} // namespace cli
