// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The status line in the window: the main status field and the connection page's box.

// Sends the status line's texts to the window's controls (once the panels are loaded).
void InstallWindowStatusLine();
