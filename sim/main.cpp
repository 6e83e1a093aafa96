// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <memory>
#include <unistd.h>
#include <vector>

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

    // One engine, line and control channel per sensor; the k-th on the ports from the given
    // ones on, with its own serial number and EEPROM file.
    struct Sensor {
        std::unique_ptr<mqsim::SensorEngine> engine;
        std::unique_ptr<mqsim::TcpLink> tcp;
        std::unique_ptr<mqsim::PtyLink> pty;
        std::unique_ptr<mqsim::ControlServer> control;
    };
    std::vector<Sensor> sensors;
    for (int k = 0; k < options.sensors; ++k) {
        mqsim::EngineConfig config;
        config.identity = options.identity;
        config.identity.serial = static_cast<uint16_t>(options.identity.serial + k);
        config.eepromPath = k == 0 ? options.eepromPath : options.eepromPath + "-" + std::to_string(k);
        config.fault = options.fault;
        config.lateMs = options.lateMs;
        config.baud = options.baud;
        config.triggerMs = options.triggerMs;
        Sensor s;
        s.engine = std::make_unique<mqsim::SensorEngine>(config, std::cerr);
        s.tcp = std::make_unique<mqsim::TcpLink>(*s.engine);
        s.pty = std::make_unique<mqsim::PtyLink>(*s.engine);
        s.control = std::make_unique<mqsim::ControlServer>(*s.engine);
        sensors.push_back(std::move(s));
    }
    const auto shutdownPtys = [&sensors] {
        for (Sensor &s : sensors)
            s.pty->shutdown();
    };
    QString error;
    for (int k = 0; k < options.sensors; ++k) {
        Sensor &s = sensors[static_cast<size_t>(k)];
        const int tcpPort = options.tcpPort > 0 ? options.tcpPort + k : options.tcpPort;
        if (tcpPort >= 0 && !s.tcp->listen(static_cast<quint16>(tcpPort), error)) {
            std::fprintf(stderr, "mq-sensor-sim: cannot listen on 127.0.0.1:%d: %s\n", tcpPort, qPrintable(error));
            shutdownPtys();
            return 1;
        }
        if (!options.ptyPath.empty() && !s.pty->open(QString::fromStdString(options.ptyPath), error)) {
            std::fprintf(stderr, "mq-sensor-sim: %s\n", qPrintable(error));
            return 1;
        }
        const int controlPort = options.controlPort > 0 ? options.controlPort + k : options.controlPort;
        if (controlPort >= 0 && !s.control->listen(static_cast<quint16>(controlPort), error)) {
            std::fprintf(stderr, "mq-sensor-sim: cannot listen on 127.0.0.1:%d: %s\n", controlPort, qPrintable(error));
            shutdownPtys();
            return 1;
        }
    }

    // Each sensor's triggered frames on a timer of its own. The control channel may change the
    // rate at any time; without one the timer only looks for a change now and then.
    std::vector<std::unique_ptr<QTimer>> triggers;
    for (Sensor &s : sensors) {
        mqsim::SensorEngine &engine = *s.engine;
        auto trigger = std::make_unique<QTimer>();
        QTimer *timer = trigger.get();
        const auto triggerInterval = [&engine] { return engine.triggerMs() > 0 ? engine.triggerMs() : 100; };
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(triggerInterval());
        QObject::connect(timer, &QTimer::timeout, &app, [&s, timer, triggerInterval] {
            if (s.engine->triggerMs() > 0) {
                const mqsim::Reply frame = s.engine->triggerReply(mqsim::monotonicSeconds());
                s.tcp->sendUnsolicited(frame);
                s.pty->sendUnsolicited(frame);
            }
            if (timer->interval() != triggerInterval())
                timer->setInterval(triggerInterval());
        });
        timer->start();
        triggers.push_back(std::move(trigger));
    }

    for (Sensor &s : sensors)
        if (options.tcpPort >= 0)
            announce("tcp 127.0.0.1:" + std::to_string(s.tcp->port()));
    if (!options.ptyPath.empty())
        announce("pty " + sensors.front().pty->slavePath().toStdString());
    for (Sensor &s : sensors)
        if (options.controlPort >= 0)
            announce("control 127.0.0.1:" + std::to_string(s.control->port()));
    announce("ready");

    app.exec();
    shutdownPtys();
    return 0;
}
