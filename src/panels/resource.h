// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The panel resource description: every panel, tab page and control of the program,
// listed once and bound to its callback.

#include "base/control_ids.h"
#include "ui/resource.h"

namespace panels {

// A described id at or above it is taken by the first text the program adds (the header band's).
static_assert(PLANT_CANCEL < ui::kFirstDynamicControl);

// Hands the description to the run-time layer; called once before the first LoadPanel.
void RegisterResources();

} // namespace panels
