// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own settings file "MQ-Vista.ini" in the program directory: how to reach
// the sensor and the serial-device bindings; the window's values (recent IP addresses,
// geometry, unit switch) and further sections come from the rooms that own them.

#include "ini/ini.h"

#include <string>

// Reads the file into the state and hands it to the window's and the further sections;
// a missing or unreadable file gives the defaults.
void ReadIniFile(const char *path);
// Writes the file (the window's values taken first): 1 when written, -1 when not (the
// status line then says so and an earlier file stays as it was).
int WriteIniFile(const char *path);

// Settings kept by the rooms above the file's own. The window's are written right after
// the connection; further sections (the plant link's) after the file's own.
struct SettingsSection {
    void (*take)() = nullptr;            // before writing: gather what the controls hold
    void (*read)(IniText ini) = nullptr; // ini null: no file, or an unreadable one
    void (*write)(IniText ini) = nullptr;
    void (*written)(const char *path) = nullptr; // after a successful write
};
void SetWindowSettings(const SettingsSection &section);
// Added once; a second registration of the same section is ignored.
void AddSettingsSection(const SettingsSection &section);

// A link for this run only (mq-vista --sensor ADDR). Once set, every read of the file puts it
// in place of the file's own link, and every write keeps the file's own link, so that the
// run leaves the settings as they were; ACCEPT on the connection page forgets it first, and
// the link in use is then saved as usual.
struct RunOnlyLink {
    bool tcp = true;
    std::string host;  // tcp
    int port = 10001;  // tcp
    int comPort = 1;   // serial: 1..255
    int baudIndex = 4; // serial: 0..4
};
void SetRunOnlyLink(const RunOnlyLink &link);
void ForgetRunOnlyLink();

inline constexpr const char *kTextSettingsNotWritten = "ERROR: SETTINGS FILE COULD NOT BE WRITTEN!";
