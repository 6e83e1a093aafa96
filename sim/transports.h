// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The lines the simulated sensor is reached by: a TCP server on 127.0.0.1 and a pseudo-terminal.
// Both feed the one shared engine and put its answers on the line, paced when pacing is on.

#include "control.h"
#include "engine.h"
#include "pacing.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QTcpServer;
class QTcpSocket;

namespace mqsim {

// CLOCK_MONOTONIC in seconds: the one clock for requests, pacing deadlines and the model.
double monotonicSeconds();

// Lets the engine get ready for the next request while an answer is still on the line: fires once
// the last answer scheduled has gone out (a millisecond on, at the soonest).
class PrepareTimer {
public:
    PrepareTimer(SensorEngine &engine, QObject *parent);
    void answerEndsAt(double end);

private:
    QTimer timer_;
};

// A TCP server on 127.0.0.1 serving one client at a time: a newcomer replaces the client in
// hand, which is dropped unheard, as when a network-to-serial server is reused.
class LoopbackServer : public QObject {
public:
    struct Handlers {
        std::function<void(QTcpSocket &)> accepted; // a new client, before its first bytes
        std::function<void()> readable;             // the client in hand sent bytes
        std::function<void()> gone;                 // the client in hand went away by itself
    };
    explicit LoopbackServer(Handlers handlers);
    bool listen(quint16 port, QString &error);
    quint16 port() const;
    QTcpSocket *client() const { return client_; }
    // Lets the client in hand go once what was written to it is out; it is no longer served.
    void release();

private:
    void acceptClient();

    Handlers handlers_;
    QTcpServer *server_;
    QTcpSocket *client_ = nullptr;
};

class TcpLink : public QObject {
public:
    TcpLink(SensorEngine &engine, QObject *parent = nullptr);
    bool listen(quint16 port, QString &error) { return server_.listen(port, error); }
    quint16 port() const { return server_.port(); }
    void sendUnsolicited(const Reply &frame);

private:
    struct Job {
        Bytes bytes;
        size_t sent = 0;
        double start = 0.0;
        double byteTime = 0.0;
        bool closeAfter = false;
    };

    void startClient(QTcpSocket &socket);
    void readClient();
    void schedule(const Reply &reply, double requestComplete);
    void pump(bool fromTimer);
    void closeClient();

    SensorEngine &engine_;
    FrameAssembler line_;
    LineSchedule schedule_;
    std::deque<Job> jobs_;
    QTimer timer_;
    bool lastByteTimer_ = false; // the armed timer is the one for an answer's last byte
    PrepareTimer prepare_;
    LoopbackServer server_; // last: gone first, so that no client callback outlives the rest
};

// The pty master's own thread: it reads requests as they come, stamping their arrival at once, and
// writes paced answers. Qt's millisecond timers are too coarse to put a byte out within tens of
// microseconds of its due time, and a wake-up through the event loop would date every request late.
class PtyLine {
public:
    // `received` runs on the line's thread with the bytes read and the time they arrived.
    using Received = std::function<void(Bytes bytes, double arrival)>;
    PtyLine(int fd, Received received);
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;
    void enqueue(Bytes bytes, double start, double byteTime);
    void stop();

private:
    struct Job {
        Bytes bytes;
        double start;
        double byteTime;
    };

    void run();
    void transmit(const Job &job);
    bool sleepUntil(double deadline, bool exact);
    void serve(double seconds);
    void readAll();
    void writeAll(const uint8_t *data, size_t count);

    int fd_;
    int wakeFd_;
    bool reading_ = true;
    Received received_;
    std::mutex mutex_;
    std::deque<Job> queue_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

class PtyLink : public QObject {
public:
    PtyLink(SensorEngine &engine, QObject *parent = nullptr);
    ~PtyLink() override;
    // Creates the pty and the link; on failure `error` says why and nothing is left behind.
    bool open(const QString &linkPath, QString &error);
    QString slavePath() const { return slavePath_; }
    void sendUnsolicited(const Reply &frame);
    // Stops the writer, removes the link (if it is still ours) and closes the pty.
    void shutdown();

private:
    void received(const Bytes &bytes, double arrival);
    void schedule(const Reply &reply, double requestComplete);
    bool lineRateMatches() const;

    SensorEngine &engine_;
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
    PtyLine *io_ = nullptr;
    FrameAssembler line_;
    LineSchedule schedule_;
    PrepareTimer prepare_;
};

class ControlServer : public QObject {
public:
    ControlServer(SensorEngine &engine, QObject *parent = nullptr);
    bool listen(quint16 port, QString &error) { return server_.listen(port, error); }
    quint16 port() const { return server_.port(); }

private:
    void readClient();

    ControlInterpreter interpreter_;
    QByteArray pending_;
    LoopbackServer server_;
};

} // namespace mqsim
