// SPDX-License-Identifier: GPL-3.0-or-later

#include "transports.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace mqsim {

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

PrepareTimer::PrepareTimer(SensorEngine &engine, QObject *parent) : timer_(parent)
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [&engine] { engine.prepare(monotonicSeconds()); });
}

void PrepareTimer::answerEndsAt(double end)
{
    timer_.start(std::max(1, static_cast<int>((end - monotonicSeconds()) * 1000.0)));
}

// ---------------------------------------------------------------------------------------------
// TCP server

LoopbackServer::LoopbackServer(Handlers handlers) : handlers_(std::move(handlers)), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, [this] { acceptClient(); });
}

// 127.0.0.1 only: the simulator is never reachable from elsewhere.
bool LoopbackServer::listen(quint16 port, QString &error)
{
    if (server_->listen(QHostAddress::LocalHost, port))
        return true;
    error = server_->errorString();
    return false;
}

quint16 LoopbackServer::port() const { return server_->serverPort(); }

void LoopbackServer::acceptClient()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        if (client_) {
            client_->disconnect(this);
            client_->abort();
            client_->deleteLater();
        }
        client_ = socket;
        handlers_.accepted(*socket);
        connect(socket, &QTcpSocket::readyRead, this, [this] { handlers_.readable(); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (client_ == socket) {
                client_ = nullptr;
                if (handlers_.gone)
                    handlers_.gone();
            }
            socket->deleteLater();
        });
    }
}

void LoopbackServer::release()
{
    if (QTcpSocket *socket = client_) {
        client_ = nullptr;
        socket->disconnectFromHost(); // flushes what was written; 'disconnected' then deletes it
    }
}

// ---------------------------------------------------------------------------------------------
// TCP

TcpLink::TcpLink(SensorEngine &engine, QObject *parent)
    : QObject(parent), engine_(engine), prepare_(engine, this),
      server_({[this](QTcpSocket &socket) { startClient(socket); }, [this] { readClient(); },
               [this] {
                   jobs_.clear();
                   timer_.stop();
               }})
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { pump(true); });
}

// A new client starts on a quiet line.
void TcpLink::startClient(QTcpSocket &socket)
{
    line_.clear();
    jobs_.clear();
    schedule_.reset();
    timer_.stop();
    lastByteTimer_ = false;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void TcpLink::readClient()
{
    QTcpSocket *client = server_.client();
    if (!client)
        return;
    const QByteArray data = client->readAll();
    const double now = monotonicSeconds();
    std::vector<Reply> replies;
    engine_.feed(line_, reinterpret_cast<const uint8_t *>(data.constData()), static_cast<size_t>(data.size()), now,
                 replies);
    for (const auto &reply : replies)
        schedule(reply, now);
}

void TcpLink::schedule(const Reply &reply, double requestComplete)
{
    if (reply.bytes.empty() || !server_.client())
        return;
    Job job;
    job.bytes = reply.bytes;
    job.byteTime = reply.byteTime;
    job.closeAfter = reply.closeAfter;
    job.start = schedule_.place(requestComplete, reply.requestBytes, reply.bytes.size(), reply.byteTime, reply.delay);
    jobs_.push_back(std::move(job));
    prepare_.answerEndsAt(schedule_.freeAt());
    pump(false);
}

void TcpLink::sendUnsolicited(const Reply &frame) { schedule(frame, monotonicSeconds()); }

void TcpLink::pump(bool fromTimer)
{
    // QTimer works in whole milliseconds. Bytes inside an answer go in slices of about a
    // millisecond, taking along those due within the next half; the last byte gets a timer of its
    // own rounded to the nearest millisecond, so the end of an answer is centred on its due time
    // rather than always late (or, with the look-ahead, always early).
    constexpr double lookahead = 0.0005;
    const double now = monotonicSeconds();
    bool lastByteTimer = fromTimer && lastByteTimer_;
    while (!jobs_.empty() && server_.client()) {
        Job &job = jobs_.front();
        const size_t total = job.bytes.size();
        size_t due = 0;
        if (job.byteTime <= 0.0) {
            due = now >= job.start ? total : 0;
        } else {
            const double end = job.start + static_cast<double>(total) * job.byteTime;
            if (now >= end || (lastByteTimer && job.sent + 1 == total))
                due = total;
            else if (now + lookahead >= job.start)
                due = std::min(total - 1, static_cast<size_t>((now + lookahead - job.start) / job.byteTime));
        }
        if (due > job.sent) {
            server_.client()->write(reinterpret_cast<const char *>(job.bytes.data() + job.sent),
                                    static_cast<qint64>(due - job.sent));
            job.sent = due;
        }
        if (job.sent < total)
            break;
        const bool close = job.closeAfter;
        jobs_.pop_front();
        lastByteTimer = false; // the timer was for the answer just finished
        if (close) {
            closeClient();
            return;
        }
    }
    if (jobs_.empty() || !server_.client())
        return;
    const Job &job = jobs_.front();
    double next = job.start;
    if (job.byteTime > 0.0) {
        next = job.start + static_cast<double>(job.sent + 1) * job.byteTime;
        lastByteTimer_ = job.sent + 1 == job.bytes.size();
        if (!lastByteTimer_)
            next = std::max(next, now + 0.001);
    }
    timer_.start(static_cast<int>(std::lround(std::max(0.0, next - now) * 1000.0)));
}

void TcpLink::closeClient()
{
    jobs_.clear();
    timer_.stop();
    line_.clear();
    server_.release();
}

// ---------------------------------------------------------------------------------------------
// pty line thread

namespace {
constexpr double kSpinSeconds = 100e-6;
constexpr size_t kMaxQueuedAnswers = 256;
} // namespace

PtyLine::PtyLine(int fd, Received received)
    : fd_(fd), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), received_(std::move(received)),
      thread_([this] { run(); })
{
}

PtyLine::~PtyLine()
{
    stop();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void PtyLine::enqueue(Bytes bytes, double start, double byteTime)
{
    {
        std::lock_guard lock(mutex_);
        // Unsolicited frames keep coming while nobody reads the pty; keep memory bounded.
        if (queue_.size() >= kMaxQueuedAnswers)
            queue_.pop_front();
        queue_.push_back({std::move(bytes), start, byteTime});
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

void PtyLine::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
}

void PtyLine::run()
{
    // The default 50 us timer slack alone would use up the whole budget for a byte's lateness.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    while (!stopping_) {
        Job job;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.empty()) {
                job = std::move(queue_.front());
                queue_.pop_front();
            }
        }
        if (job.bytes.empty())
            serve(std::numeric_limits<double>::infinity());
        else
            transmit(job);
    }
}

void PtyLine::transmit(const Job &job)
{
    const size_t total = job.bytes.size();
    if (job.byteTime <= 0.0) {
        if (sleepUntil(job.start, false))
            writeAll(job.bytes.data(), total);
        return;
    }
    // Each slice leaves when its last byte is due, so the writes stay about a millisecond apart; the
    // final slice spins out the last stretch, so the answer's end is on time to a few microseconds.
    const size_t slice = sliceBytes(job.byteTime);
    for (size_t sent = 0; sent < total;) {
        const size_t end = std::min(total, sent + slice);
        if (!sleepUntil(job.start + static_cast<double>(end) * job.byteTime, end == total))
            return;
        writeAll(job.bytes.data() + sent, end - sent);
        sent = end;
    }
}

bool PtyLine::sleepUntil(double deadline, bool exact)
{
    // A wake-up from the kernel comes some tens of microseconds late here; for an exact deadline
    // wait until just short of it and spin the rest. Requests are read while waiting.
    const double wakeAt = exact ? deadline - kSpinSeconds : deadline;
    for (double left = wakeAt - monotonicSeconds(); left > 0.0 && !stopping_; left = wakeAt - monotonicSeconds())
        serve(left);
    while (exact && !stopping_ && monotonicSeconds() < deadline) {
    }
    return !stopping_;
}

void PtyLine::serve(double seconds)
{
    pollfd ready[2] = {{wakeFd_, POLLIN, 0}, {fd_, static_cast<short>(reading_ ? POLLIN : 0), 0}};
    timespec timeout{};
    if (std::isfinite(seconds)) {
        const double whole = std::floor(seconds);
        timeout.tv_sec = static_cast<time_t>(whole);
        timeout.tv_nsec = std::min(999999999L, static_cast<long>((seconds - whole) * 1e9));
    }
    if (::ppoll(ready, 2, std::isfinite(seconds) ? &timeout : nullptr, nullptr) <= 0)
        return;
    if (ready[0].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
    }
    if (ready[1].revents & POLLIN)
        readAll();
}

void PtyLine::readAll()
{
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got > 0) {
            // The line time of an answer counts from its request's arrival, which is now.
            received_(Bytes(buffer, buffer + got), monotonicSeconds());
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno != EAGAIN) {
            // Cannot happen while our slave descriptor is open; never let it turn into a busy loop.
            std::fprintf(stderr, "mq-sensor-sim: pty read failed: %s\n", std::strerror(errno));
            reading_ = false;
        }
        return;
    }
}

void PtyLine::writeAll(const uint8_t *data, size_t count)
{
    while (count > 0 && !stopping_) {
        const ssize_t written = ::write(fd_, data, count);
        if (written > 0) {
            data += written;
            count -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            // Nobody drains the line: give a slow reader a moment, then the bytes are lost, as they
            // are on a real serial line whose receiver has overflowed.
            pollfd waiting{fd_, POLLOUT, 0};
            if (::poll(&waiting, 1, 20) > 0)
                continue;
        }
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// pty

PtyLink::PtyLink(SensorEngine &engine, QObject *parent) : QObject(parent), engine_(engine), prepare_(engine, this) {}

PtyLink::~PtyLink() { shutdown(); }

bool PtyLink::open(const QString &linkPath, QString &error)
{
    const auto fail = [&](const QString &what) {
        error = what + ": " + QString::fromLocal8Bit(std::strerror(errno));
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
        slave_ = master_ = -1;
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("cannot create a pty");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("cannot unlock the pty");
    char name[256] = {};
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("cannot name the pty");
    // Our own slave descriptor stays open for the whole run: the master then never sees a hang-up
    // when the program closes its side, and poll does not spin on one.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail(QString("cannot open %1").arg(name));
    termios mode{};
    if (tcgetattr(slave_, &mode) != 0)
        return fail("cannot read the pty's line settings");
    cfmakeraw(&mode);
    if (tcsetattr(slave_, TCSANOW, &mode) != 0)
        return fail("cannot make the pty raw");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("cannot make the pty non-blocking");
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);

    const QByteArray link = linkPath.toLocal8Bit();
    struct stat existing {};
    if (lstat(link.constData(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            errno = EEXIST;
            return fail(QString("%1 exists and is not a symbolic link").arg(linkPath));
        }
        if (unlink(link.constData()) != 0)
            return fail(QString("cannot replace %1").arg(linkPath));
    }
    if (symlink(name, link.constData()) != 0)
        return fail(QString("cannot create the link %1").arg(linkPath));

    slavePath_ = QString::fromLocal8Bit(name);
    linkPath_ = linkPath;
    io_ = new PtyLine(master_, [this](Bytes bytes, double arrival) {
        QMetaObject::invokeMethod(
            this, [this, bytes = std::move(bytes), arrival] { received(bytes, arrival); }, Qt::QueuedConnection);
    });
    return true;
}

// The program's side sets the line rate on the shared terminal; after a baud-rate order
// the sensor hears requests sent at another rate as noise and does not answer them.
bool PtyLink::lineRateMatches() const
{
    const int ordered = engine_.orderedBaud();
    if (ordered == 0 || slave_ < 0)
        return true;
    termios mode{};
    if (tcgetattr(slave_, &mode) != 0)
        return true;
    static const struct {
        speed_t speed;
        int baud;
    } rates[] = {{B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    const speed_t speed = cfgetospeed(&mode);
    for (const auto &r : rates)
        if (r.speed == speed)
            return r.baud == ordered;
    return false;
}

void PtyLink::received(const Bytes &bytes, double arrival)
{
    if (!lineRateMatches())
        return;
    std::vector<Reply> replies;
    engine_.feed(line_, bytes.data(), bytes.size(), arrival, replies);
    for (const auto &reply : replies)
        schedule(reply, arrival);
}

void PtyLink::schedule(const Reply &reply, double requestComplete)
{
    if (reply.bytes.empty() || !io_)
        return;
    // A pty has no connection to drop: the close fault leaves the answer half sent, like 'half'.
    const double start =
        schedule_.place(requestComplete, reply.requestBytes, reply.bytes.size(), reply.byteTime, reply.delay);
    io_->enqueue(reply.bytes, start, reply.byteTime);
    prepare_.answerEndsAt(schedule_.freeAt());
}

void PtyLink::sendUnsolicited(const Reply &frame) { schedule(frame, monotonicSeconds()); }

void PtyLink::shutdown()
{
    delete io_; // joins the thread before the descriptor goes
    io_ = nullptr;
    if (!linkPath_.isEmpty()) {
        const QByteArray link = linkPath_.toLocal8Bit();
        char target[512] = {};
        const ssize_t length = readlink(link.constData(), target, sizeof target - 1);
        if (length > 0 && QString::fromLocal8Bit(target, static_cast<int>(length)) == slavePath_)
            unlink(link.constData());
        linkPath_.clear();
    }
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

// ---------------------------------------------------------------------------------------------
// control channel

namespace {
constexpr qsizetype kMaxControlLine = 64 * 1024;
}

ControlServer::ControlServer(SensorEngine &engine, QObject *parent)
    : QObject(parent), interpreter_(engine),
      server_({[this](QTcpSocket &) { pending_.clear(); }, [this] { readClient(); }, nullptr})
{
}

void ControlServer::readClient()
{
    QTcpSocket *client = server_.client();
    if (!client)
        return;
    pending_ += client->readAll();
    for (;;) {
        const qsizetype end = pending_.indexOf('\n');
        if (end < 0)
            break;
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        const std::string answer =
            interpreter_.execute(std::string_view(line.constData(), static_cast<size_t>(line.size()))) + "\n";
        client->write(answer.data(), static_cast<qint64>(answer.size()));
    }
    if (pending_.size() > kMaxControlLine) {
        pending_.clear();
        client->write("error line too long\n");
    }
}

} // namespace mqsim
