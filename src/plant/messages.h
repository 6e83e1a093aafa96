// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the plant link publishes: topics and JSON payloads, built from the program's
// records so the exact members can be checked without a broker.

#include "base/records.h"
#include "link/hwinfo.h"
#include "params/pset.h"

#include <cstdint>
#include <string>

// "<prefix>/<serial>/<leaf>"
std::string PlantTopic(const std::string &prefix, unsigned serial, const char *leaf);
// UTC, ISO 8601 with milliseconds and "Z".
std::string PlantTimeText(std::int64_t msecsSinceEpoch);

struct PlantIdentity {
    std::string firmware;
    HardwareInfo hardware;
    unsigned pixelCount;
    double slopeUmPerPixel;
    std::string programVersion;
};
std::string IdentityPayload(const PlantIdentity &identity);
// One member per parameter-file key and "source" ("RAM" or "EEPROM").
std::string ParametersPayload(const ParameterSet &p, const char *source);
// A shown frame: seq, time, the five record-file values (M-VAL[um] signed), in_tolerance.
std::string MeasurementPayload(std::uint64_t seq, std::int64_t msecs, const MeasurementRecord &r, bool inTolerance);
// A recorded sample: the frame's members and the 1-based sample number and file name.
std::string RecordPayload(std::uint64_t seq, std::int64_t msecs, const MeasurementRecord &r, bool inTolerance,
                          int sample, const std::string &fileName);
