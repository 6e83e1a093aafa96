// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/publisher.h"

#include "plant/messages.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kWindow = 32; // messages with the broker, unacknowledged, at most
constexpr int kKeepAliveSeconds = 30;
constexpr double kConnackWaitSeconds = 10.0; // a broker that accepts TCP but never answers
constexpr const char *kOnline = "online";
constexpr const char *kOffline = "offline";

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string refusalText(int connack)
{
    switch (connack) {
    case 4:
        return "MQTT: refused: bad user name or password";
    case 5:
        return "MQTT: refused: not authorised";
    default:
        return std::string("MQTT: refused: ") + mosquitto_connack_string(connack);
    }
}

} // namespace

PlantPublisher::PlantPublisher()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    state_ = "MQTT: off";
}

PlantPublisher::~PlantPublisher()
{
    stop(0.0);
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void PlantPublisher::setStateListener(StateListener listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void PlantPublisher::setOutboxFile(const std::string &path)
{
    std::lock_guard lock(mutex_);
    filePath_ = path;
}

void PlantPublisher::configure(const PlantSettings &settings)
{
    if (!settings.enabled) {
        stop(0.0);
        {
            std::lock_guard lock(mutex_);
            settings_ = settings;
        }
        setState("MQTT: off");
        return;
    }
    {
        std::lock_guard lock(mutex_);
        settings_ = settings;
        outbox_.setCapacity(static_cast<std::size_t>(settings.buffer));
    }
    // Read under the new BUFFER: a larger one keeps all that waited.
    if (!running())
        openOutboxFile();
    std::lock_guard lock(mutex_);
    ++generation_;
    if (!thread_.joinable()) {
        stopping_ = false;
        thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
    wake();
}

void PlantPublisher::setSerial(unsigned serial)
{
    std::lock_guard lock(mutex_);
    if (serialKnown_ && serial_ == serial)
        return;
    serial_ = serial;
    serialKnown_ = true;
    retained_.clear(); // another sensor's topics
    ++generation_;
    changed_.notify_all();
    wake();
}

void PlantPublisher::publish(PlantMessage message)
{
    std::lock_guard lock(mutex_);
    if (!settings_.enabled)
        return;
    message.qos = settings_.qos;
    if (message.retain) {
        PlantMessage &kept = retained_[message.topic];
        kept = message;
        outbox_.push(std::move(message));
        kept.id = outbox_.lastId();
    } else {
        outbox_.push(std::move(message));
    }
    wake();
    if (filing_)
        changed_.notify_all(); // a link waiting to reconnect writes it to the file
}

void PlantPublisher::stop(double drainSeconds)
{
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            return;
        stopping_ = true;
        drainSeconds_ = drainSeconds;
        changed_.notify_all();
        wake();
    }
    thread_.join();
    std::lock_guard lock(mutex_);
    stopping_ = false;
}

std::string PlantPublisher::stateText() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

std::size_t PlantPublisher::waiting() const
{
    std::lock_guard lock(mutex_);
    return outbox_.waiting();
}

std::uint64_t PlantPublisher::dropped() const
{
    std::lock_guard lock(mutex_);
    return outbox_.dropped();
}

bool PlantPublisher::running() const
{
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

void PlantPublisher::wake()
{
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0 && write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is already set: the thread wakes anyway.
    }
}

void PlantPublisher::openOutboxFile()
{
    std::string path;
    {
        std::lock_guard lock(mutex_);
        path = filePath_;
        if (path.empty() || (filing_ && file_.path() == path))
            return;
        filing_ = false;
    }
    file_.close();
    PlantOutboxContents stored;
    std::string problem;
    const bool opened = file_.open(path, &stored, &problem);
    {
        std::lock_guard lock(mutex_);
        if (opened) {
            outbox_.restore(std::move(stored.messages), stored.lastId);
            filed_ = stored.lastId;
            filing_ = true;
        }
    }
    if (!problem.empty())
        setState("MQTT: " + problem);
}

void PlantPublisher::persist()
{
    std::vector<PlantMessage> fresh;
    std::uint64_t gone = 0;
    {
        std::lock_guard lock(mutex_);
        if (!filing_)
            return;
        fresh = outbox_.messagesAfter(filed_);
        if (!fresh.empty())
            filed_ = fresh.back().id;
        gone = outbox_.lastGone();
    }
    bool written = file_.append(fresh);
    written = file_.done(gone) && written;
    if (!written)
        setState("MQTT: outbox file not writable, messages kept in memory only: " + file_.path());
    // For a power cut: once a second at most, on this thread, never in a loop's way.
    if (secondsSince(lastSync_) >= 1.0) {
        file_.sync();
        lastSync_ = Clock::now();
    }
}

void PlantPublisher::waitPersisting(std::unique_lock<std::mutex> &lock, Clock::time_point until,
                                    const std::function<bool()> &done)
{
    const auto woken = [&] { return done() || unfiledLocked(); };
    while (!done()) {
        // What was written reaches the disk itself within a second, even when nothing follows.
        const Clock::time_point deadline =
            file_.unsynced() ? std::min(until, lastSync_ + std::chrono::seconds(1)) : until;
        if (deadline == Clock::time_point::max())
            changed_.wait(lock, woken);
        else
            changed_.wait_until(lock, deadline, woken);
        lock.unlock();
        persist();
        lock.lock();
        if (Clock::now() >= until)
            return;
    }
}

void PlantPublisher::setState(const std::string &text)
{
    StateListener listener;
    {
        std::lock_guard lock(mutex_);
        if (text == state_)
            return;
        state_ = text;
        listener = listener_;
    }
    if (listener)
        listener(text);
}

std::string PlantPublisher::unreachableText() const
{
    std::lock_guard lock(mutex_);
    std::string text = "MQTT: broker unreachable, " + std::to_string(outbox_.waiting()) + " waiting";
    if (outbox_.dropped() > 0)
        text += ", " + std::to_string(outbox_.dropped()) + " dropped";
    return text;
}

std::string PlantPublisher::failureText(int rc, const PlantSettings &s) const
{
    if (rc == MOSQ_ERR_EAI)
        return "MQTT: unknown host " + s.broker;
    if (rc == MOSQ_ERR_TLS || !tlsProblem_.empty())
        return "MQTT: TLS refused: " + (tlsProblem_.empty() ? std::string("handshake failed") : tlsProblem_);
    return unreachableText();
}

void PlantPublisher::onConnect(mosquitto *, void *self, int rc) { static_cast<PlantPublisher *>(self)->connack_ = rc; }

void PlantPublisher::onPublish(mosquitto *, void *self, int mid)
{
    static_cast<PlantPublisher *>(self)->acks_.push_back(mid);
}

void PlantPublisher::onLog(mosquitto *, void *self, int level, const char *text)
{
    // OpenSSL's reason for a failed handshake reaches us only through the log.
    if (level == MOSQ_LOG_ERR && text && std::strncmp(text, "OpenSSL Error", 13) == 0) {
        const char *reason = std::strrchr(text, ':');
        static_cast<PlantPublisher *>(self)->tlsProblem_ = reason ? reason + 1 : text;
    }
}

void PlantPublisher::run()
{
    ReconnectBackoff backoff;
    for (;;) {
        PlantSettings s;
        unsigned serial = 0;
        std::uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            if (stopping_)
                break;
            if (!serialKnown_) {
                lock.unlock();
                setState("MQTT: waiting for the sensor's identification");
                lock.lock();
                waitPersisting(lock, Clock::time_point::max(), [this] { return stopping_ || serialKnown_; });
                continue;
            }
            s = settings_;
            serial = serial_;
            generation = generation_;
        }
        SessionEnd end = SessionEnd::Failed;
        bool connected = false;
        if (mosquitto *m = openSession(s, serial)) {
            end = runSession(m, s, serial, generation, &connected);
            mosquitto_destroy(m);
        }
        if (connected)
            backoff.reset();
        {
            std::lock_guard lock(mutex_);
            outbox_.connectionLost();
        }
        if (end == SessionEnd::Stopped)
            break;
        if (end == SessionEnd::Reconfigured) {
            backoff.reset();
            continue;
        }
        const auto until =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(backoff.next()));
        std::unique_lock lock(mutex_);
        waitPersisting(lock, until, [&] { return stopping_ || generation_ != generation; });
    }
    // What is left stays in the file for the next start; the file is the buffer now.
    persist();
    if (file_.isOpen()) {
        {
            std::lock_guard lock(mutex_);
            outbox_.clear();
            filed_ = 0;
            filing_ = false;
        }
        file_.close();
    }
}

mosquitto *PlantPublisher::openSession(const PlantSettings &s, unsigned serial)
{
    std::string password;
    if (!s.username.empty() && !s.passwordFile.empty() && !ReadPasswordFile(s.passwordFile, &password)) {
        setState("MQTT: password file not readable: " + s.passwordFile);
        return nullptr;
    }
    const std::string clientId = "mq-vista-" + std::to_string(serial) + "-" + std::to_string(getpid());
    mosquitto *m = mosquitto_new(clientId.c_str(), true, this);
    if (!m) {
        setState("MQTT: out of memory");
        return nullptr;
    }
    mosquitto_connect_callback_set(m, onConnect);
    mosquitto_publish_callback_set(m, onPublish);
    mosquitto_log_callback_set(m, onLog);
    mosquitto_max_inflight_messages_set(m, kWindow + 2);
    connack_ = -1;
    acks_.clear();
    tlsProblem_.clear();

    const std::string statusTopic = PlantTopic(s.topicPrefix, serial, "status");
    mosquitto_will_set(m, statusTopic.c_str(), static_cast<int>(std::strlen(kOffline)), kOffline, 1, true);
    if (!s.username.empty())
        mosquitto_username_pw_set(m, s.username.c_str(), s.passwordFile.empty() ? nullptr : password.c_str());
    if (s.tls) {
        const auto opt = [](const std::string &v) { return v.empty() ? nullptr : v.c_str(); };
        const int rc = mosquitto_tls_set(m, opt(s.caFile), s.caFile.empty() ? "/etc/ssl/certs" : nullptr,
                                         opt(s.certFile), opt(s.keyFile), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            setState("MQTT: TLS files not usable (CA, certificate or key): " + std::string(mosquitto_strerror(rc)));
            mosquitto_destroy(m);
            return nullptr;
        }
        mosquitto_tls_opts_set(m, 1, nullptr, nullptr); // the broker's certificate is verified
    }
    // A broker on this machine may take the TCP connection, and fail the TLS handshake,
    // before the call returns.
    const int rc = mosquitto_connect_async(m, s.broker.c_str(), s.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_CONN_PENDING) {
        setState(failureText(rc, s));
        mosquitto_destroy(m);
        return nullptr;
    }
    return m;
}

void PlantPublisher::applyAcknowledgements()
{
    if (acks_.empty())
        return;
    std::lock_guard lock(mutex_);
    for (int mid : acks_)
        outbox_.acknowledged(mid);
    acks_.clear();
}

void PlantPublisher::pump(mosquitto *m)
{
    {
        std::lock_guard lock(mutex_);
        // A QoS 0 message may be reported published inside mosquitto_publish: the callback
        // only notes the id, which is applied once markSent has recorded it.
        while (const PlantMessage *msg = outbox_.nextToSend()) {
            int mid = 0;
            const int rc = mosquitto_publish(m, &mid, msg->topic.c_str(), static_cast<int>(msg->payload.size()),
                                             msg->payload.data(), msg->qos, msg->retain);
            if (rc != MOSQ_ERR_SUCCESS)
                break;
            outbox_.markSent(mid);
        }
    }
    applyAcknowledgements();
}

PlantPublisher::SessionEnd PlantPublisher::runSession(mosquitto *m, const PlantSettings &s, unsigned serial,
                                                      std::uint64_t generation, bool *wasConnected)
{
    const auto started = Clock::now();
    bool &connected = *wasConnected;
    for (;;) {
        bool stopping, reconfigured, busy;
        double drain;
        {
            std::lock_guard lock(mutex_);
            stopping = stopping_;
            drain = drainSeconds_;
            reconfigured = generation_ != generation;
            busy = outbox_.inFlight() > 0 || outbox_.nextToSend() != nullptr;
        }
        if (stopping || reconfigured) {
            if (connected)
                closeCleanly(m, s, serial, stopping ? drain : 0.0);
            return stopping ? SessionEnd::Stopped : SessionEnd::Reconfigured;
        }
        // Wait for the socket or for new messages; acknowledgements are looked for often
        // while some are due (TLS may hold read data the socket does not show).
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {mosquitto_socket(m), POLLIN, 0}};
        if (mosquitto_want_write(m))
            fds[1].events |= POLLOUT;
        const int nfds = fds[1].fd >= 0 ? 2 : 1;
        poll(fds, nfds, busy || !connected ? 5 : 200);
        std::uint64_t counter = 0;
        if (read(wakeFd_, &counter, sizeof counter) < 0) {
            // Nothing was signalled.
        }
        persist();
        const int rc = mosquitto_loop(m, 0, 1);
        if (connack_ > 0) {
            setState(refusalText(connack_));
            return SessionEnd::Failed;
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            setState(failureText(rc, s));
            return SessionEnd::Failed;
        }
        if (!connected && connack_ == 0) {
            connected = true;
            const std::string statusTopic = PlantTopic(s.topicPrefix, serial, "status");
            mosquitto_publish(m, nullptr, statusTopic.c_str(), static_cast<int>(std::strlen(kOnline)), kOnline, 1,
                              true);
            republishRetained(m);
            acks_.clear();
            setState("MQTT: connected to " + s.broker + ":" + std::to_string(s.port));
        }
        if (!connected) {
            if (secondsSince(started) > kConnackWaitSeconds) {
                setState(unreachableText());
                return SessionEnd::Failed;
            }
            continue;
        }
        pump(m);
    }
}

void PlantPublisher::closeCleanly(mosquitto *m, const PlantSettings &s, unsigned serial, double drainSeconds)
{
    const auto started = Clock::now();
    int offlineMid = -1;
    bool offlineAcked = false;
    while (secondsSince(started) < drainSeconds + 1.0 && !offlineAcked) {
        bool empty;
        {
            std::lock_guard lock(mutex_);
            empty = outbox_.waiting() == 0;
        }
        if (offlineMid < 0 && (empty || secondsSince(started) >= drainSeconds)) {
            const std::string statusTopic = PlantTopic(s.topicPrefix, serial, "status");
            if (mosquitto_publish(m, &offlineMid, statusTopic.c_str(), static_cast<int>(std::strlen(kOffline)),
                                  kOffline, 1, true) != MOSQ_ERR_SUCCESS)
                break;
        }
        for (int mid : acks_)
            offlineAcked = offlineAcked || mid == offlineMid;
        if (offlineMid < 0)
            pump(m);
        else
            applyAcknowledgements(); // what was acknowledged meanwhile is not sent again at the next start
        if (mosquitto_loop(m, 5, 1) != MOSQ_ERR_SUCCESS)
            return;
    }
    mosquitto_disconnect(m);
    mosquitto_loop(m, 5, 1);
    applyAcknowledgements();
}

void PlantPublisher::republishRetained(mosquitto *m)
{
    std::vector<PlantMessage> again;
    {
        std::lock_guard lock(mutex_);
        // One still in the buffer goes out from there, in its turn.
        for (const auto &[topic, message] : retained_)
            if (!outbox_.holds(message.id))
                again.push_back(message);
    }
    for (const PlantMessage &msg : again)
        mosquitto_publish(m, nullptr, msg.topic.c_str(), static_cast<int>(msg.payload.size()), msg.payload.data(),
                          msg.qos, true);
}
