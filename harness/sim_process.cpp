// SPDX-License-Identifier: GPL-3.0-or-later

#include "harness/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <cstdlib>
#include <sstream>

std::string SimProcess::executable()
{
    const char *env = std::getenv("MQ_SIM");
    return env && *env ? env : "mq-sensor-sim";
}

SimProcess::~SimProcess() { stop(); }

bool SimProcess::start(const std::vector<std::string> &options)
{
    stop();
    process_ = new QProcess;
    QStringList args;
    for (const std::string &o : options)
        args << QString::fromStdString(o);
    args << "--control"
         << "0";
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->start(QString::fromStdString(executable()), args);
    if (!process_->waitForStarted(5000)) {
        error_ = "cannot start " + executable();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    std::string pending;
    while (clock.elapsed() < 10000) {
        if (!process_->canReadLine() && !process_->waitForReadyRead(200)) {
            if (process_->state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (process_->canReadLine()) {
            const std::string line = process_->readLine().trimmed().toStdString();
            if (line.rfind("tcp 127.0.0.1:", 0) == 0)
                tcpPort_ = std::stoi(line.substr(14));
            else if (line.rfind("pty ", 0) == 0)
                ptyPath_ = line.substr(4);
            else if (line.rfind("control 127.0.0.1:", 0) == 0)
                controlPort_ = std::stoi(line.substr(18));
            else if (line == "ready")
                return true;
        }
    }
    error_ = "simulator not ready: " + process_->readAllStandardError().toStdString();
    return false;
}

void StopChildProcess(QProcess *&process)
{
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
    delete process;
    process = nullptr;
}

void SimProcess::stop() { StopChildProcess(process_); }

std::string SimProcess::command(const std::string &line)
{
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(controlPort_));
    if (!socket.waitForConnected(2000))
        return "error no control channel";
    socket.write((line + "\n").c_str());
    socket.flush();
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine() && clock.elapsed() < 3000)
        socket.waitForReadyRead(100);
    const std::string reply = socket.readLine().trimmed().toStdString();
    socket.disconnectFromHost();
    return reply;
}

namespace {
std::string field(const std::string &reply, const std::string &key)
{
    const std::string tag = key + "=";
    const size_t at = reply.find(tag);
    if (at == std::string::npos)
        return {};
    const size_t start = at + tag.size();
    const size_t end = reply.find(' ', start);
    return reply.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
} // namespace

std::string SimProcess::lastRequestHex() { return field(command("stats"), "last"); }

std::vector<int> SimProcess::orders()
{
    std::vector<int> result;
    std::stringstream list(field(command("stats"), "orders"));
    std::string item;
    while (std::getline(list, item, ','))
        if (!item.empty())
            result.push_back(std::stoi(item));
    return result;
}

int FreeLocalPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

bool PortAnswers(int port)
{
    QTcpSocket s;
    s.connectToHost("127.0.0.1", static_cast<quint16>(port));
    return s.waitForConnected(200);
}

bool WaitWithEvents(const std::function<bool()> &pred, double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > seconds * 1000)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return true;
}
