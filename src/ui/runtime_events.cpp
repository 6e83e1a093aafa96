// Application object, event loop, event processing and time.

#include "ui/runtime.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <memory>

namespace ui {

namespace {
std::unique_ptr<QApplication> g_app;
int g_argc = 1;
char g_arg0[] = "mq-vista";
char *g_argv[] = {g_arg0, nullptr};
QTimer *g_wakeTimer = nullptr;
} // namespace

int InitRuntime(int argc, char **argv)
{
    if (QCoreApplication::instance())
        return 0;
    if (argc > 0 && argv) {
        g_argc = argc;
        g_app = std::make_unique<QApplication>(g_argc, argv);
    } else {
        g_app = std::make_unique<QApplication>(g_argc, g_argv);
    }
    g_wakeTimer = new QTimer(g_app.get());
    g_wakeTimer->setSingleShot(true);
    g_wakeTimer->setTimerType(Qt::PreciseTimer);
    return 0;
}

bool RuntimeReady() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }

int RunUserInterface() { return QApplication::exec(); }

void QuitUserInterface(int code) { QCoreApplication::exit(code); }

void ProcessSystemEvents()
{
    QAbstractEventDispatcher *dispatcher = QThread::currentThread()->eventDispatcher();
    if (!dispatcher)
        return;
    QCoreApplication::sendPostedEvents();
    if (dispatcher->processEvents(QEventLoop::AllEvents))
        return;
    // Nothing was pending: sleep in the dispatcher until something arrives (serial or
    // socket data wakes it at once) or a millisecond has passed.
    if (!g_wakeTimer) {
        g_wakeTimer = new QTimer(QCoreApplication::instance());
        g_wakeTimer->setSingleShot(true);
        g_wakeTimer->setTimerType(Qt::PreciseTimer);
    }
    g_wakeTimer->start(1);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    g_wakeTimer->stop();
}

void DelayWithEventProcessing(double seconds)
{
    const double end = Timer() + seconds;
    while (Timer() < end)
        ProcessSystemEvents();
}

double Timer()
{
    using clock = std::chrono::steady_clock;
    static const clock::time_point start = clock::now();
    return std::chrono::duration<double>(clock::now() - start).count();
}

void SetWaitCursor(bool on)
{
    if (!RuntimeReady())
        return;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace ui
