// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/plant_settings.h"

#include <cstdint>
#include <fstream>

PlantSettings plantSettings;

namespace {

constexpr const char *kSection = "MQTT";

void readText(IniText ini, const char *key, std::string *value)
{
    char text[1024];
    if (Ini_GetStringIntoBuffer(ini, kSection, key, text, sizeof text) == 1)
        *value = text;
}

void readInt(IniText ini, const char *key, int lowest, int highest, int *value)
{
    std::int32_t v = 0;
    if (Ini_GetInt(ini, kSection, key, &v) == 1 && v >= lowest && v <= highest)
        *value = v;
}

} // namespace

void ReadPlantSettings(IniText ini, PlantSettings *s)
{
    *s = PlantSettings{};
    if (!ini)
        return;
    std::int32_t flag = 0;
    // Anything but 1 leaves the link off.
    s->enabled = Ini_GetInt(ini, kSection, "ENABLED", &flag) == 1 && flag == 1;
    readText(ini, "BROKER", &s->broker);
    readInt(ini, "PORT", 1, 65535, &s->port);
    readText(ini, "TOPIC PREFIX", &s->topicPrefix);
    readInt(ini, "QOS", 0, 1, &s->qos);
    readText(ini, "USERNAME", &s->username);
    readText(ini, "PASSWORD FILE", &s->passwordFile);
    s->tls = Ini_GetInt(ini, kSection, "TLS", &flag) == 1 && flag == 1;
    readText(ini, "CA FILE", &s->caFile);
    readText(ini, "CERT FILE", &s->certFile);
    readText(ini, "KEY FILE", &s->keyFile);
    readInt(ini, "BUFFER", 1, kPlantBufferMax, &s->buffer);
}

void WritePlantSettings(IniText ini, const PlantSettings &s)
{
    Ini_PutInt(ini, kSection, "ENABLED", s.enabled ? 1 : 0);
    Ini_PutString(ini, kSection, "BROKER", s.broker.c_str());
    Ini_PutInt(ini, kSection, "PORT", s.port);
    Ini_PutString(ini, kSection, "TOPIC PREFIX", s.topicPrefix.c_str());
    Ini_PutInt(ini, kSection, "QOS", s.qos);
    Ini_PutString(ini, kSection, "USERNAME", s.username.c_str());
    Ini_PutString(ini, kSection, "PASSWORD FILE", s.passwordFile.c_str());
    Ini_PutInt(ini, kSection, "TLS", s.tls ? 1 : 0);
    Ini_PutString(ini, kSection, "CA FILE", s.caFile.c_str());
    Ini_PutString(ini, kSection, "CERT FILE", s.certFile.c_str());
    Ini_PutString(ini, kSection, "KEY FILE", s.keyFile.c_str());
    Ini_PutInt(ini, kSection, "BUFFER", s.buffer);
}

bool ReadPasswordFile(const std::string &path, std::string *password)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    std::getline(in, line);
    if (in.bad())
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    *password = line;
    return true;
}
