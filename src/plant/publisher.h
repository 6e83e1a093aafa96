// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The plant link's connection to its MQTT broker (libmosquitto). A thread of its own owns
// the connection; the measuring loops only hand messages to the outbox and never wait for
// the network. Messages leave the outbox in order, and at QoS 1 only once the broker has
// acknowledged them; a lost connection sends the unacknowledged ones again. With an outbox
// file the link's thread writes each message to it as it arrives and marks it gone once
// acknowledged, so what waits at the end goes out first at the next start.

#include "plant/outbox.h"
#include "plant/outbox_file.h"
#include "plant/plant_settings.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

struct mosquitto;

class PlantPublisher {
public:
    // Told every change of the link's state text, on the link's own thread.
    using StateListener = std::function<void(const std::string &text)>;

    PlantPublisher();
    ~PlantPublisher();
    PlantPublisher(const PlantPublisher &) = delete;
    PlantPublisher &operator=(const PlantPublisher &) = delete;

    void setStateListener(StateListener listener);
    // Where the buffer lives on disk (empty: in memory only); taken at the next start.
    void setOutboxFile(const std::string &path);
    // Applies settings: disabled stops the link (nothing is contacted); enabled (re)connects.
    void configure(const PlantSettings &settings);
    // The identified sensor: its serial names the status topic and the last will. Nothing
    // is contacted before the first one.
    void setSerial(unsigned serial);
    // Queues a message; ignored while the link is disabled.
    void publish(PlantMessage message);
    // Sends what waits (up to the given seconds), says "offline" and closes the connection.
    void stop(double drainSeconds = 2.0);

    std::string stateText() const;
    std::size_t waiting() const;
    std::uint64_t dropped() const;
    bool running() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class SessionEnd { Failed, Reconfigured, Stopped };
    void run();
    mosquitto *openSession(const PlantSettings &s, unsigned serial);
    SessionEnd runSession(mosquitto *m, const PlantSettings &s, unsigned serial, std::uint64_t generation,
                          bool *wasConnected);
    void closeCleanly(mosquitto *m, const PlantSettings &s, unsigned serial, double drainSeconds);
    void pump(mosquitto *m);
    void applyAcknowledgements();
    void setState(const std::string &text);
    std::string unreachableText() const;
    // What a failed connection attempt or a lost connection is said as.
    std::string failureText(int rc, const PlantSettings &s) const;
    void wake();
    // Opens the outbox file and puts what waits in it in front of the buffer.
    void openOutboxFile();
    // Writes the messages that arrived to the outbox file and marks those gone.
    void persist();
    bool unfiledLocked() const { return filing_ && outbox_.lastId() > filed_; }
    // Waits for a change of the link or its end, writing what arrives meanwhile.
    void waitPersisting(std::unique_lock<std::mutex> &lock, Clock::time_point until, const std::function<bool()> &done);
    void republishRetained(mosquitto *m);

    static void onConnect(mosquitto *, void *self, int rc);
    static void onPublish(mosquitto *, void *self, int mid);
    static void onLog(mosquitto *, void *self, int level, const char *text);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    PlantOutbox outbox_{100000, 32};
    PlantSettings settings_;
    unsigned serial_ = 0;
    bool serialKnown_ = false;
    std::uint64_t generation_ = 0; // bumped by every change that needs a new connection
    bool stopping_ = false;
    double drainSeconds_ = 0.0;
    std::string state_;
    StateListener listener_;
    std::thread thread_;
    int wakeFd_ = -1;
    std::string filePath_;
    // The latest retained message of each topic, given again on every connection (a broker
    // restarted without persistence has lost them).
    std::map<std::string, PlantMessage> retained_;

    // Opened while the thread is off, then touched by the link's thread only.
    PlantOutboxFile file_;
    bool filing_ = false;     // the file is open (under mutex_)
    std::uint64_t filed_ = 0; // messages up to this id are in the file (under mutex_)
    Clock::time_point lastSync_{};

    // Touched by the link's thread only (libmosquitto calls back on it).
    int connack_ = -1; // -1 while no answer to CONNECT has come
    std::vector<int> acks_;
    std::string tlsProblem_;
};
