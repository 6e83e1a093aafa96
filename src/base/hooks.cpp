// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/hooks.h"

ProgramHooks programHooks;
