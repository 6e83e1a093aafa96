// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One sensor over the sensor core: the link opened to an address, the sensor identified,
// its parameter sets read and written. The core keeps one sensor's state in the program's
// globals, so a process speaks to one sensor at a time.

#include "cli/address.h"
#include "cli/backup_file.h"

#include <string>

namespace cli {

// Opens the link; false with the reason in `error` ("busy: ..." when another program holds
// the sensor). A COM address takes the settings file's bindings.
bool OpenSensorLink(const SensorAddress &address, std::string &error);
void CloseSensorLink();

// Echo, firmware text, hardware information and calibration header. False when the sensor
// does not answer or is refused (then `error` holds the program's refusal text and
// `identity` what was read).
bool IdentifyOpenSensor(Identity &identity, std::string &error);

enum class SetTarget { Ram, Eeprom };
const char *TargetName(SetTarget target);
bool ReadSensorSet(SetTarget target, ParameterSet &set, std::string &error);
bool WriteSensorSet(SetTarget target, const ParameterSet &set, std::string &error);

// The status line's last text, without the line feed the core may leave on it.
std::string StatusText();

} // namespace cli
