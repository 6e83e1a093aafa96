// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the lower rooms' reports and the loops' requests go in the window: set once the
// panels are loaded.

void InstallApplicationHooks();
