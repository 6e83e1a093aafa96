// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's plant link: one publisher, fed from the places where the program shows a
// frame, identifies a sensor, transfers parameters and records a sample. Each hook costs
// the loops only the building of one small JSON text.

#include "ini/ini.h"
#include "plant/publisher.h"

#include <cstdint>
#include <string>

PlantPublisher &PlantLink();

// (Re)starts or stops the link as plantSettings say.
void PlantApplySettings();
// Takes section "MQTT" of the settings file (null: defaults) and applies it.
void LoadPlantSettings(IniText ini);
// The settings file is readable by its owner only once it names a broker user.
void RestrictPlantSettingsFile(const char *path);
// Sends what waits, says "offline" and closes the connection (program end).
void PlantStop();
// Where the link's state is shown besides the status box (the settings dialog, while open).
void SetPlantStateViewer(void (*show)(const std::string &text));

void PlantPublishFrame();                                      // the Run loop showed raw
void PlantPublishIdentity();                                   // a served sensor was identified
void PlantPublishParameters(std::uint16_t where);              // a GET or SEND with RAM or EEPROM succeeded
void PlantPublishRecord(int sample);                           // the recorder wrote sample (1-based) to rec_fname
void PlantPublishChange(const char *serial, const char *json); // a change-log row was written

// Numbers of the frames and samples published in this run.
extern std::uint64_t plantFrameSeq, plantRecordSeq;
