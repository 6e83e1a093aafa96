// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// verify --publish: each verdict goes retained to <prefix>/<serial>/verify through the
// broker the plant link's settings name (section "MQTT" of the settings file).

#include <string>
#include <vector>

namespace cli {

struct RetainedMessage {
    std::string topic;
    std::string payload;
};

// The plant link's topic prefix from the settings file (its default when there is none).
std::string PlantTopicPrefix();
// Connects, publishes every message retained at the plant link's QoS, waits for the
// broker's acknowledgements (at most `seconds`) and disconnects. False with the reason.
bool PublishRetained(const std::vector<RetainedMessage> &messages, double seconds, std::string &error);

} // namespace cli
