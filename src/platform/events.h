// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Event processing and time over Qt Core: the waits of the sensor exchange, the loops of
// the window and the command line all go through these. They are the run-time's names,
// so they share its namespace with the widget half above.

namespace ui {

// Creates a core application object when there is none yet (a program without windows);
// 1 when it was created, 0 when one exists.
int InitPlatform(int argc, char **argv);
// The application object is going away: the wake-up timer it owned goes with it.
void ForgetWakeTimer();

// Processes pending events once. When nothing is pending it blocks for at most about
// a millisecond (woken at once by arriving serial or socket data), so polling loops
// built on it cost almost no processor time while they wait.
void ProcessSystemEvents();
// The two halves: process what is pending now (true if anything was), and sleep until
// an event arrives or about a millisecond has passed. Polling loops check their
// condition between the two so that data already received ends the wait at once.
bool ProcessPendingEvents();
void WaitForEvents();
// The same sleep, bounded by `seconds` instead of a millisecond: for loops that know
// when their next step is due (a recorder waiting for its next interval).
void WaitForEvents(double seconds);
// Waits the given seconds while processing events.
void DelayWithEventProcessing(double seconds);
// Runs fn(data) once from a later round of event processing (not from inside this call),
// after at least delayMs milliseconds.
int PostDeferredCall(void (*fn)(void *data), void *data, int delayMs = 0);
// Monotonic seconds as a double.
double Timer();
// The busy cursor while a link opens; shown by whoever installed the hook (the window).
void SetWaitCursor(bool on);
void SetWaitCursorHook(void (*show)(bool on));

} // namespace ui
