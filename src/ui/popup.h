// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The pop-ups of the window: Qt dialogs behind the pop-up interface.

#include "base/popups.h"

namespace ui {

std::unique_ptr<Popups> MakeQtPopups();

} // namespace ui
