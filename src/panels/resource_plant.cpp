// SPDX-License-Identifier: GPL-3.0-or-later
// Plant link dialog: the MQTT settings, the link's state, ACCEPT and CANCEL.

#include "panels/resource_pages.h"
#include "plant/plant_dialog.h"
#include "plant/plant_settings.h"

namespace panels::res {

void AddPlantLinkDialog(std::vector<ControlDef> &c)
{
    const int PP = PANEL_PLANT;
    const std::vector<ListItem> offOn = {{"OFF", 0}, {"ON", 1}};
    c.push_back(ring(PLANT_ENABLED, PP, "PUBLISH", {row(0), kColA, kFieldH, 90}, offOn));
    c.push_back(make(PLANT_BROKER, Kind::String, PP, "BROKER", {row(0), 110, kFieldH, 200}));
    c.push_back(numeric(PLANT_PORT, PP, "PORT", {row(0), 320, kFieldH, 90}, 1, 65535, 1883));
    c.push_back(make(PLANT_PREFIX, Kind::String, PP, "TOPIC PREFIX", {row(1), kColA, kFieldH, 200}));
    c.push_back(ring(PLANT_QOS, PP, "QOS", {row(1), 220, kFieldH, 90}, {{"0", 0}, {"1", 1}}));
    c.push_back(numeric(PLANT_BUFFER, PP, "BUFFER", {row(1), 320, kFieldH, 90}, 1, kPlantBufferMax, 100000));
    c.push_back(make(PLANT_USERNAME, Kind::String, PP, "USER NAME", {row(2), kColA, kFieldH, 130}));
    c.push_back(make(PLANT_PASSWORD_FILE, Kind::String, PP, "PASSWORD FILE", {row(2), 150, kFieldH, 260}));
    c.push_back(ring(PLANT_TLS, PP, "TLS", {row(3), kColA, kFieldH, 90}, offOn));
    c.push_back(make(PLANT_CA_FILE, Kind::String, PP, "CA FILE", {row(3), 110, kFieldH, 300}));
    c.push_back(make(PLANT_CERT_FILE, Kind::String, PP, "CERT FILE", {row(4), kColA, kFieldH, 400}));
    c.push_back(make(PLANT_KEY_FILE, Kind::String, PP, "KEY FILE", {row(5), kColA, kFieldH, 400}));
    c.push_back(make(PLANT_STATE, Kind::TextMessage, PP, "", {row(6), kColA, 36, 400}));
    c.push_back(make(PLANT_ACCEPT, Kind::Button, PP, "ACCEPT", {row(7), 220, 24, 90}, CC_BTNplantAccept));
    c.push_back(make(PLANT_CANCEL, Kind::Button, PP, "CANCEL", {row(7), 320, 24, 90}, CC_BTNplantCancel));
}

} // namespace panels::res
