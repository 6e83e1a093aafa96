// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The window's part of the settings file: the recent IP addresses, the main window's
// position, size and maximised state, the unit switch and the connection page's values.

// Hands the window's part to the settings file (and the plant link's section).
void InstallWindowSettings();
