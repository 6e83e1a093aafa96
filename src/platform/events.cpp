// SPDX-License-Identifier: GPL-3.0-or-later
// Event processing and time for every layer: the sensor core's waits, the widget
// run-time's loops and the command line all process events through these.

#include "platform/events.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace ui {

namespace {
QTimer *g_wakeTimer = nullptr;
void (*g_waitCursor)(bool) = nullptr;
} // namespace

int InitPlatform(int argc, char **argv)
{
    if (QCoreApplication::instance())
        return 0;
    static int s_argc = 1;
    static char s_name[] = "mq-vista";
    static char *s_argv[] = {s_name, nullptr};
    if (argc > 0 && argv) {
        s_argc = argc;
        new QCoreApplication(s_argc, argv);
    } else {
        new QCoreApplication(s_argc, s_argv);
    }
    return 1;
}

void ForgetWakeTimer() { g_wakeTimer = nullptr; }

bool ProcessPendingEvents()
{
    QAbstractEventDispatcher *dispatcher = QThread::currentThread()->eventDispatcher();
    if (!dispatcher)
        return false;
    QCoreApplication::sendPostedEvents();
    return dispatcher->processEvents(QEventLoop::AllEvents);
}

void WaitForEvents() { WaitForEvents(0.001); }

void WaitForEvents(double seconds)
{
    QAbstractEventDispatcher *dispatcher = QThread::currentThread()->eventDispatcher();
    if (!dispatcher)
        return;
    // Sleep in the dispatcher until something arrives (serial or socket data wakes it
    // at once) or the time has passed.
    if (!g_wakeTimer) {
        // Owned by the application object; dropped with it (ForgetWakeTimer).
        g_wakeTimer = new QTimer(QCoreApplication::instance());
        g_wakeTimer->setSingleShot(true);
        g_wakeTimer->setTimerType(Qt::PreciseTimer);
    }
    const int ms = seconds >= 3600.0 ? 3600000 : static_cast<int>(std::lround(seconds * 1000.0));
    g_wakeTimer->start(std::max(ms, 1));
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    g_wakeTimer->stop();
}

void ProcessSystemEvents()
{
    if (!ProcessPendingEvents())
        WaitForEvents();
}

void DelayWithEventProcessing(double seconds)
{
    const double end = Timer() + seconds;
    while (Timer() < end)
        ProcessSystemEvents();
}

int PostDeferredCall(void (*fn)(void *data), void *data, int delayMs)
{
    if (!fn || !QCoreApplication::instance())
        return -1;
    QTimer::singleShot(delayMs > 0 ? delayMs : 0, QCoreApplication::instance(), [fn, data] { fn(data); });
    return 0;
}

double Timer()
{
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration<double>(clock::now() - start).count();
}

void SetWaitCursorHook(void (*show)(bool on)) { g_waitCursor = show; }

void SetWaitCursor(bool on)
{
    if (g_waitCursor)
        g_waitCursor(on);
}

} // namespace ui
