// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A real mosquitto broker for a test: its own configuration file in a directory of the
// test's, on 127.0.0.1 on a free port, started and stopped with bounded waits; and a
// subscriber on it (libmosquitto on its own thread) that keeps what arrives.

#include "harness/sim_process.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class QProcess;
struct mosquitto;

class BrokerProcess {
public:
    ~BrokerProcess();
    // Starts mosquitto with the listener on port() (a free one on the first start) and
    // the further configuration lines; false with the reason in error().
    bool start(const std::string &directory, const std::string &extraConfig = "", int extraListenerPort = 0);
    // Stops it (SIGTERM: a persistent broker saves its state).
    void stop();
    // Starts it again on the same port with the same configuration.
    bool restart();
    int port() const { return port_; }
    const std::string &error() const { return error_; }

private:
    bool launch();
    QProcess *process_ = nullptr;
    std::string directory_;
    std::string config_;
    int port_ = 0;
    int waitPort_ = 0; // a plain TCP port of the broker, to see it is up
    std::string error_;
};

// Makes the files of a TLS set-up with openssl in the directory: ca.crt/ca.key, a server
// certificate for 127.0.0.1 (server.crt/server.key), a client certificate (client.crt/
// client.key) and a second, unrelated CA (other-ca.crt). False when openssl failed.
bool MakeTlsFiles(const std::string &directory);
// A mosquitto password file with one user; false when mosquitto_passwd failed.
bool MakePasswordFile(const std::string &path, const std::string &user, const std::string &password);

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
};

class MqttSubscriber {
public:
    ~MqttSubscriber();
    // Subscribes to topic at QoS 1. A client id gives a persistent session: the broker
    // keeps what arrives while the subscriber is away.
    bool connect(int port, const std::string &topic, const std::string &clientId = "");
    std::vector<MqttMessage> messages() const;
    std::vector<MqttMessage> messagesOn(const std::string &topic) const;
    // Waits up to the seconds, processing the program's events, until pred holds.
    bool waitFor(const std::function<bool(const MqttSubscriber &)> &pred, double seconds) const;

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onSubscribe(mosquitto *, void *self, int mid, int count, const int *granted);
    static void onMessage(mosquitto *, void *self, const struct mosquitto_message *m);
    mosquitto *mosq_ = nullptr;
    std::string topic_;
    mutable std::mutex mutex_;
    std::vector<MqttMessage> messages_;
    bool subscribed_ = false;
};
