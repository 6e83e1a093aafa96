// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/plant_dialog.h"

#include "base/control_ids.h"
#include "base/state.h"
#include "files/settings.h"
#include "params_ui/help.h"
#include "plant/plant_link.h"
#include "plant/plant_settings.h"
#include "ui/runtime.h"

using namespace ui;
using namespace panels;

int pPlant = 0;

namespace {

struct TextField {
    int control;
    std::string PlantSettings::*value;
};
const TextField kTextFields[] = {
    {PLANT_BROKER, &PlantSettings::broker},     {PLANT_PREFIX, &PlantSettings::topicPrefix},
    {PLANT_USERNAME, &PlantSettings::username}, {PLANT_PASSWORD_FILE, &PlantSettings::passwordFile},
    {PLANT_CA_FILE, &PlantSettings::caFile},    {PLANT_CERT_FILE, &PlantSettings::certFile},
    {PLANT_KEY_FILE, &PlantSettings::keyFile},
};

void showSettings(const PlantSettings &s)
{
    for (const TextField &f : kTextFields)
        SetCtrlVal(pPlant, f.control, (s.*f.value).c_str());
    SetCtrlVal(pPlant, PLANT_ENABLED, s.enabled ? 1 : 0);
    SetCtrlVal(pPlant, PLANT_PORT, s.port);
    SetCtrlVal(pPlant, PLANT_QOS, s.qos);
    SetCtrlVal(pPlant, PLANT_TLS, s.tls ? 1 : 0);
    SetCtrlVal(pPlant, PLANT_BUFFER, s.buffer);
}

PlantSettings takeSettings()
{
    PlantSettings s;
    for (const TextField &f : kTextFields)
        s.*f.value = GetCtrlString(pPlant, f.control);
    int v = 0;
    GetCtrlVal(pPlant, PLANT_ENABLED, &v);
    s.enabled = v == 1;
    GetCtrlVal(pPlant, PLANT_PORT, &s.port);
    GetCtrlVal(pPlant, PLANT_QOS, &s.qos);
    GetCtrlVal(pPlant, PLANT_TLS, &v);
    s.tls = v == 1;
    GetCtrlVal(pPlant, PLANT_BUFFER, &s.buffer);
    return s;
}

} // namespace

void ShowPlantStateInDialog(const std::string &text)
{
    if (pPlant != 0)
        SetCtrlVal(pPlant, PLANT_STATE, text.c_str());
}

void DiscardPlantDialog()
{
    if (pPlant != 0)
        DiscardPanel(pPlant);
    pPlant = 0;
}

int CC_BTNplantLink(int panel, int control, int event, void *, int, int)
{
    if (ParameterHelpOnRightClick(
            panel, control, event,
            "PLANT LINK:\nSettings of the link to the plant network (MQTT):\nbroker, topic prefix, buffer, TLS.\n"
            "Status, parameters and every meas.-frame\nare published there."))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    if (pPlant == 0) {
        pPlant = LoadPanel(0, PANEL_PLANT);
        if (pPlant < 0) {
            pPlant = 0;
            return 0;
        }
    }
    showSettings(plantSettings);
    ShowPlantStateInDialog(PlantLink().stateText());
    DisplayPanel(pPlant);
    return 0;
}

int CC_BTNplantAccept(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    plantSettings = takeSettings();
    WriteIniFile(appini_pathname);
    PlantApplySettings();
    HidePanel(pPlant);
    return 0;
}

int CC_BTNplantCancel(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        HidePanel(pPlant);
    return 0;
}

int CC_PANELplant(int panel, int, int event, void *, int, int)
{
    // Hidden, not discarded: the close arrives inside the dialog's own event handling.
    if (event == EVENT_CLOSE)
        HidePanel(panel);
    return 0;
}
