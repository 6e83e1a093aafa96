// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/publish.h"

#include "files/locations.h"
#include "ini/ini.h"
#include "plant/plant_settings.h"
#include "platform/system.h"

#include <mosquitto.h>

#include <chrono>
#include <set>
#include <unistd.h>

namespace cli {

namespace {

PlantSettings settingsOfFile()
{
    PlantSettings settings;
    const std::string directory = ui::ProgramDirectory();
    const FileLocations where = ChooseFileLocations(directory, ui::DirectoryWritable(directory));
    IniText ini = Ini_New(0);
    const bool read =
        ini && ui::FileExists(where.settingsFile) && Ini_ReadFromFile(ini, where.settingsFile.c_str()) >= 0;
    ReadPlantSettings(read ? ini : nullptr, &settings);
    if (ini)
        Ini_Dispose(ini);
    return settings;
}

struct Acks {
    std::set<int> waiting;
    int connack = -1;
};

} // namespace

std::string PlantTopicPrefix() { return settingsOfFile().topicPrefix; }

bool PublishRetained(const std::vector<RetainedMessage> &messages, double seconds, std::string &error)
{
    const PlantSettings s = settingsOfFile();
    const std::string where = s.broker + ":" + std::to_string(s.port);
    std::string password;
    if (!s.username.empty() && !s.passwordFile.empty() && !ReadPasswordFile(s.passwordFile, &password)) {
        error = "MQTT: password file not readable: " + s.passwordFile;
        return false;
    }
    mosquitto_lib_init();
    Acks acks;
    const std::string clientId = "mq-vista-cli-" + std::to_string(getpid());
    mosquitto *m = mosquitto_new(clientId.c_str(), true, &acks);
    if (!m) {
        error = "MQTT: out of memory";
        return false;
    }
    mosquitto_connect_callback_set(m, [](mosquitto *, void *self, int rc) { static_cast<Acks *>(self)->connack = rc; });
    mosquitto_publish_callback_set(m, [](mosquitto *, void *self, int mid) {
        static_cast<Acks *>(self)->waiting.erase(mid);
    });
    if (!s.username.empty())
        mosquitto_username_pw_set(m, s.username.c_str(), s.passwordFile.empty() ? nullptr : password.c_str());
    bool ok = true;
    if (s.tls) {
        const auto opt = [](const std::string &v) { return v.empty() ? nullptr : v.c_str(); };
        if (mosquitto_tls_set(m, opt(s.caFile), s.caFile.empty() ? "/etc/ssl/certs" : nullptr, opt(s.certFile),
                              opt(s.keyFile), nullptr) != MOSQ_ERR_SUCCESS) {
            error = "MQTT: TLS files not usable (CA, certificate or key)";
            ok = false;
        } else {
            mosquitto_tls_opts_set(m, 1, nullptr, nullptr);
        }
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    const auto loopUntil = [&](auto done) {
        while (!done() && std::chrono::steady_clock::now() < deadline)
            if (mosquitto_loop(m, 50, 1) != MOSQ_ERR_SUCCESS)
                return false;
        return done();
    };
    if (ok && mosquitto_connect(m, s.broker.c_str(), s.port, 30) != MOSQ_ERR_SUCCESS) {
        error = "MQTT: broker " + where + " unreachable";
        ok = false;
    }
    if (ok && (!loopUntil([&] { return acks.connack >= 0; }) || acks.connack != 0)) {
        error = acks.connack > 0 ? "MQTT: broker " + where + " refused: " + mosquitto_connack_string(acks.connack)
                                 : "MQTT: no answer from broker " + where;
        ok = false;
    }
    for (const RetainedMessage &message : messages) {
        if (!ok)
            break;
        int mid = 0;
        if (mosquitto_publish(m, &mid, message.topic.c_str(), static_cast<int>(message.payload.size()),
                              message.payload.data(), s.qos, true) != MOSQ_ERR_SUCCESS) {
            error = "MQTT: publishing " + message.topic + " failed";
            ok = false;
        } else if (s.qos > 0) {
            acks.waiting.insert(mid);
        }
    }
    if (ok && !loopUntil([&] { return acks.waiting.empty(); })) {
        error = "MQTT: broker " + where + " did not acknowledge every verdict";
        ok = false;
    }
    mosquitto_disconnect(m);
    mosquitto_loop(m, 50, 1);
    mosquitto_destroy(m);
    mosquitto_lib_cleanup();
    return ok;
}

} // namespace cli
