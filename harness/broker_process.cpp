// SPDX-License-Identifier: GPL-3.0-or-later

#include "harness/broker_process.h"

#include <mosquitto.h>

#include <QProcess>

#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

bool runTool(const QString &program, const QStringList &args, const std::string &directory)
{
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(directory));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

BrokerProcess::~BrokerProcess() { stop(); }

bool BrokerProcess::start(const std::string &directory, const std::string &extraConfig, int extraListenerPort)
{
    directory_ = directory;
    if (port_ == 0)
        port_ = FreeLocalPort();
    waitPort_ = extraListenerPort ? extraListenerPort : port_;
    config_ = "listener " + std::to_string(port_) + " 127.0.0.1\n" + extraConfig;
    if (config_.find("allow_anonymous") == std::string::npos)
        config_ += "allow_anonymous true\n";
    // Started by root, mosquitto would drop to a user that cannot read the test's files.
    if (const passwd *me = getpwuid(getuid()))
        config_ += std::string("user ") + me->pw_name + "\n";
    config_ += "log_dest stderr\n";
    return launch();
}

bool BrokerProcess::launch()
{
    const std::string conf = directory_ + "/mosquitto.conf";
    std::ofstream(conf) << config_;
    process_ = new QProcess;
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setWorkingDirectory(QString::fromStdString(directory_));
    process_->start("mosquitto", {"-c", QString::fromStdString(conf)});
    if (!process_->waitForStarted(5000)) {
        error_ = "cannot start mosquitto";
        return false;
    }
    if (WaitWithEvents([&] { return PortAnswers(waitPort_) || process_->state() == QProcess::NotRunning; }, 10) &&
        process_->state() == QProcess::Running)
        return true;
    error_ = "mosquitto did not listen: " + process_->readAll().toStdString();
    return false;
}

void BrokerProcess::stop() { StopChildProcess(process_); }

bool BrokerProcess::restart()
{
    stop();
    return launch();
}

bool MakeTlsFiles(const std::string &dir)
{
    const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    const auto ca = [&](const QString &name) {
        return runTool("openssl",
                       QStringList{"req", "-x509"} + ec +
                           QStringList{"-keyout", name + ".key", "-out", name + ".crt", "-days", "2", "-subj",
                                       "/CN=" + name},
                       dir);
    };
    const auto signedBy = [&](const QString &name, const QString &cn) {
        std::ofstream(dir + "/" + name.toStdString() + ".ext") << "subjectAltName=IP:127.0.0.1\n";
        return runTool("openssl",
                       QStringList{"req"} + ec +
                           QStringList{"-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + cn},
                       dir) &&
               runTool("openssl",
                       {"x509", "-req", "-in", name + ".csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
                        "-out", name + ".crt", "-days", "2", "-extfile", name + ".ext"},
                       dir);
    };
    return ca("ca") && ca("other-ca") && signedBy("server", "127.0.0.1") && signedBy("client", "sensor-pc");
}

bool MakePasswordFile(const std::string &path, const std::string &user, const std::string &password)
{
    return runTool("mosquitto_passwd",
                   {"-c", "-b", QString::fromStdString(path), QString::fromStdString(user),
                    QString::fromStdString(password)},
                   ".");
}

MqttSubscriber::~MqttSubscriber()
{
    if (!mosq_)
        return;
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
}

void MqttSubscriber::onConnect(mosquitto *m, void *self, int rc)
{
    if (rc == 0)
        mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber *>(self)->topic_.c_str(), 1);
}

void MqttSubscriber::onSubscribe(mosquitto *, void *self, int, int, const int *)
{
    auto *s = static_cast<MqttSubscriber *>(self);
    std::lock_guard lock(s->mutex_);
    s->subscribed_ = true;
}

void MqttSubscriber::onMessage(mosquitto *, void *self, const mosquitto_message *m)
{
    auto *s = static_cast<MqttSubscriber *>(self);
    std::lock_guard lock(s->mutex_);
    s->messages_.push_back({m->topic,
                            std::string(static_cast<const char *>(m->payload), static_cast<std::size_t>(m->payloadlen)),
                            m->retain});
}

bool MqttSubscriber::connect(int port, const std::string &topic, const std::string &clientId)
{
    mosquitto_lib_init();
    topic_ = topic;
    mosq_ = mosquitto_new(clientId.empty() ? nullptr : clientId.c_str(), clientId.empty(), this);
    if (!mosq_)
        return false;
    mosquitto_connect_callback_set(mosq_, onConnect);
    mosquitto_message_callback_set(mosq_, onMessage);
    mosquitto_subscribe_callback_set(mosq_, onSubscribe);
    if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS || mosquitto_loop_start(mosq_) != 0)
        return false;
    return WaitWithEvents(
        [&] {
            std::lock_guard lock(mutex_);
            return subscribed_;
        },
        5);
}

std::vector<MqttMessage> MqttSubscriber::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<MqttMessage> MqttSubscriber::messagesOn(const std::string &topic) const
{
    std::vector<MqttMessage> on;
    for (const MqttMessage &m : messages())
        if (m.topic == topic)
            on.push_back(m);
    return on;
}

bool MqttSubscriber::waitFor(const std::function<bool(const MqttSubscriber &)> &pred, double seconds) const
{
    return WaitWithEvents([&] { return pred(*this); }, seconds);
}
