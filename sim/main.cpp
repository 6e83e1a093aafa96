// mq-sensor-sim: a K-VOR-MQ sensor in software, served on TCP and on a pty.

#include "engine.h"
#include "options.h"
#include "transports.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here; the event loop picks the byte up and quits.
void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

bool installSignalHandlers()
{
    if (::pipe(signalPipe) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0)
        return false;
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void announce(const std::string &line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    mqsim::Options options;
    std::string message;
    switch (mqsim::parseCommandLine(argc, argv, options, message)) {
    case mqsim::ParseOutcome::Help:
        std::fputs(mqsim::usageText().c_str(), stdout);
        return 0;
    case mqsim::ParseOutcome::Error:
        std::fprintf(stderr, "mq-sensor-sim: %s\n", message.c_str());
        return 2;
    case mqsim::ParseOutcome::Run:
        break;
    }

    // Qt sees no arguments: every option is ours, none may be taken for a Qt one.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    if (!installSignalHandlers()) {
        std::perror("mq-sensor-sim: signal set-up");
        return 1;
    }
    QSocketNotifier terminate(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&terminate, &QSocketNotifier::activated, &app, [&app] { app.quit(); });

    mqsim::EngineConfig config;
    config.identity = options.identity;
    config.eepromPath = options.eepromPath;
    config.fault = options.fault;
    config.lateMs = options.lateMs;
    config.baud = options.baud;
    config.triggerMs = options.triggerMs;
    mqsim::SensorEngine engine(config, std::cerr);

    mqsim::TcpLink tcp(engine);
    mqsim::PtyLink pty(engine);
    mqsim::ControlServer control(engine);
    QString error;
    if (options.tcpPort >= 0 && !tcp.listen(static_cast<quint16>(options.tcpPort), error)) {
        std::fprintf(stderr, "mq-sensor-sim: cannot listen on 127.0.0.1:%d: %s\n", options.tcpPort,
                     qPrintable(error));
        return 1;
    }
    if (!options.ptyPath.empty() && !pty.open(QString::fromStdString(options.ptyPath), error)) {
        std::fprintf(stderr, "mq-sensor-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (options.controlPort >= 0 && !control.listen(static_cast<quint16>(options.controlPort), error)) {
        std::fprintf(stderr, "mq-sensor-sim: cannot listen on 127.0.0.1:%d: %s\n", options.controlPort,
                     qPrintable(error));
        pty.shutdown();
        return 1;
    }

    // The control channel may change the rate at any time; without one the timer only
    // looks for a change now and then.
    QTimer trigger;
    const auto triggerInterval = [&engine] { return engine.triggerMs() > 0 ? engine.triggerMs() : 100; };
    trigger.setTimerType(Qt::PreciseTimer);
    trigger.setInterval(triggerInterval());
    QObject::connect(&trigger, &QTimer::timeout, &app, [&] {
        if (engine.triggerMs() > 0) {
            const mqsim::Reply frame = engine.triggerReply(mqsim::monotonicSeconds());
            tcp.sendUnsolicited(frame);
            pty.sendUnsolicited(frame);
        }
        if (trigger.interval() != triggerInterval())
            trigger.setInterval(triggerInterval());
    });
    trigger.start();

    if (options.tcpPort >= 0)
        announce("tcp 127.0.0.1:" + std::to_string(tcp.port()));
    if (!options.ptyPath.empty())
        announce("pty " + pty.slavePath().toStdString());
    if (options.controlPort >= 0)
        announce("control 127.0.0.1:" + std::to_string(control.port()));
    announce("ready");

    app.exec();
    pty.shutdown();
    return 0;
}
