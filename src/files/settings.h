#pragma once
// The program's own settings file "MQ-Vista.ini" in the program directory: how to reach
// the sensor, the recent IP addresses, the main window's geometry and the unit switch.

// Reads the file and shows the connection values on the connection page; a missing or
// unreadable file gives the defaults.
void ReadIniFile(const char *path);
// Takes the connection page's values and writes the file: 1 when written, -1 when not
// (the status line then says so and an earlier file stays as it was).
int WriteIniFile(const char *path);

inline constexpr const char *kTextSettingsNotWritten = "ERROR: SETTINGS FILE COULD NOT BE WRITTEN!";
