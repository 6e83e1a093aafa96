// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Start-up and shutdown.

// The program's entry: returns 0 after a normal run, -1 when the run-time or a panel
// could not be set up.
int WinMain(int argc, char **argv);

// Loads the main panel with its pages and the help pop-up; -1 on failure.
int LoadAllPanels();
// The way out: closes the link and discards the panels.
void CloseLinkAndPanels();
void InitVars();
void InitGUI();
// Start-up step 5: opens the link the state names and identifies the sensor.
void OpenLinkAtStartup();
