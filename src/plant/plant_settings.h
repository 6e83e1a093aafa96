// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The plant link's settings: section "MQTT" of the settings file. The password itself is
// never kept there, only the path of a file that holds it.

#include "ini/ini.h"

#include <string>

struct PlantSettings {
    bool enabled = false;
    std::string broker = "127.0.0.1";
    int port = 1883;
    std::string topicPrefix = "k-vor-mq";
    int qos = 1;
    std::string username;
    std::string passwordFile;
    bool tls = false;
    std::string caFile;
    std::string certFile;
    std::string keyFile;
    int buffer = 100000;

    bool operator==(const PlantSettings &) const = default;
};

inline constexpr int kPlantBufferMax = 1000000;

extern PlantSettings plantSettings; // set by ReadPlantSettings and the PLANT LINK dialog; read by the link

// Takes the keys of section "MQTT" that are present and in range into the record; a null
// store gives the defaults.
void ReadPlantSettings(IniText ini, PlantSettings *settings);
void WritePlantSettings(IniText ini, const PlantSettings &settings);
// The first line of the password file, without its line end; false when it cannot be read.
bool ReadPasswordFile(const std::string &path, std::string *password);
