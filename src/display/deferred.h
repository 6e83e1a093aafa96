// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Requests pressed while a loop waits for the sensor (SEND, GET, TEACH, RESET, the
// calibration's steps): each room registers its flag and what carries it out, and the
// loops carry them out between two frames, in the order registered.

// Registers a request; a flag registered before keeps its place and takes the new action.
void RegisterDeferredRequest(int *flag, void (*carryOut)());
// True when a registered flag is raised.
bool DeferredRequestsPending();
// Carries out each raised request in order, clearing its flag first (a press during the
// request's exchange raises it anew). With honourExit, a close asked for ends the loop:
// stop_flag is raised and true returned.
bool CarryOutDeferredRequests(bool honourExit);
