// SPDX-License-Identifier: GPL-3.0-or-later
// Application object, event loop, event processing and time.

#include "ui/runtime.h"

#include "ui/popup.h"
#include "ui/runtime_internal.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace ui {

namespace {
QApplication *g_app = nullptr; // deleted by ShutdownRuntime, never at static teardown
int g_argc = 1;
char g_arg0[] = "mq-vista";
char *g_argv[] = {g_arg0, nullptr};
int g_signalPipe[2] = {-1, -1};
int g_signalPanel = 0;

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

int CloseOnTerminationSignal(int panel)
{
    g_signalPanel = panel;
    if (g_signalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
            return -1;
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            detail::Dispatch(g_signalPanel, 0, EVENT_CLOSE);
        });
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    return 0;
}

namespace {

constexpr char kNoDisplay[] = "the display could not be opened: set DISPLAY to a running X server, "
                              "or QT_QPA_PLATFORM (offscreen runs without one)";

// The platform Qt will start: "-platform" among the arguments, else QT_QPA_PLATFORM.
QByteArray chosenPlatform(int argc, char **argv)
{
    for (int i = 1; argv && i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return argv[i + 1];
    return qgetenv("QT_QPA_PLATFORM");
}

bool displayNamed(const QByteArray &platform)
{
    if (platform.startsWith("wayland"))
        return !qgetenv("WAYLAND_DISPLAY").isEmpty();
    if (platform.isEmpty() || platform.startsWith("xcb"))
        return !qgetenv("DISPLAY").isEmpty() || (platform.isEmpty() && !qgetenv("WAYLAND_DISPLAY").isEmpty());
    return true; // offscreen, vnc, framebuffers: no display to name
}

// Qt ends the process when a named display cannot be reached, after warnings of its own;
// that case gets the same one line instead, and the warnings of a good start pass on.
QStringList g_startWarnings;

void fatalWhileStarting(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg) {
        g_startWarnings.append(message);
        return;
    }
    std::fprintf(stderr, "mq-vista: %s\n", kNoDisplay);
    std::_Exit(1);
}

} // namespace

namespace {
void showWaitCursor(bool on)
{
    if (!RuntimeReady())
        return;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
} // namespace

int InitRuntime(int argc, char **argv)
{
    if (QCoreApplication::instance())
        return 0;
    if (!displayNamed(chosenPlatform(argc, argv))) {
        std::fprintf(stderr, "mq-vista: %s\n", kNoDisplay);
        return -1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(fatalWhileStarting);
    if (argc > 0 && argv) {
        g_argc = argc;
        g_app = new QApplication(g_argc, argv);
    } else {
        g_app = new QApplication(g_argc, g_argv);
    }
    qInstallMessageHandler(previous);
    for (const QString &warning : std::exchange(g_startWarnings, {}))
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    SetWaitCursorHook(showWaitCursor);
    SetFallbackPopups(MakeQtPopups);
    return 1;
}

void ShutdownRuntime()
{
    SetWaitCursorHook(nullptr);
    ForgetWakeTimer();
    delete g_app;
    g_app = nullptr;
}

bool RuntimeReady() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }

namespace {
// A quit asked for before the loop runs (a close during start-up) still ends the run.
bool g_quitRequested = false;
int g_quitCode = 0;
} // namespace

int RunUserInterface()
{
    if (g_quitRequested) {
        g_quitRequested = false;
        return g_quitCode;
    }
    const int code = QApplication::exec();
    g_quitRequested = false;
    return code;
}

void QuitUserInterface(int code)
{
    g_quitRequested = true;
    g_quitCode = code;
    QCoreApplication::exit(code);
}

} // namespace ui
