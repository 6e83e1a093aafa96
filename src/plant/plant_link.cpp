// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/plant_link.h"

#include "base/state.h"
#include "base/statusline.h"
#include "calib/calrec.h"
#include "display/measure.h"
#include "link/hwinfo.h"
#include "plant/messages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMetaObject>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#ifndef MQ_VERSION
#define MQ_VERSION "unknown"
#endif

std::uint64_t plantFrameSeq = 0;
std::uint64_t plantRecordSeq = 0;

namespace {

void (*g_stateViewer)(const std::string &text) = nullptr;

// The state arrives on the link's thread; the status box is written on the program's.
void showState(const std::string &text)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [text] {
            if (pConn)
                LogStatusLine(text.c_str());
            if (g_stateViewer)
                g_stateViewer(text);
        },
        Qt::QueuedConnection);
}

unsigned serialOfSensor() { return hwinfo.serialNo; }

bool g_identified = false; // a served sensor was identified in this run

void send(const char *leaf, std::string payload, bool retain)
{
    PlantLink().publish({PlantTopic(plantSettings.topicPrefix, serialOfSensor(), leaf), std::move(payload), 1, retain});
}

} // namespace

PlantPublisher &PlantLink()
{
    static PlantPublisher *link = [] {
        auto *p = new PlantPublisher; // lives to the end: the thread must not outlast it
        p->setStateListener(showState);
        return p;
    }();
    return *link;
}

void PlantApplySettings()
{
    // The buffer lives beside the settings file.
    PlantLink().setOutboxFile(
        appini_pathname[0] == '\0'
            ? std::string()
            : (std::filesystem::path(appini_pathname).parent_path() / kPlantOutboxFileName).string());
    PlantLink().configure(plantSettings);
    // A link switched on after the identification still learns which sensor it serves.
    if (g_identified)
        PlantPublishIdentity();
}

void LoadPlantSettings(IniText ini)
{
    ReadPlantSettings(ini, &plantSettings);
    PlantApplySettings();
}

void RestrictPlantSettingsFile(const char *path)
{
    if (path && !plantSettings.username.empty())
        chmod(path, S_IRUSR | S_IWUSR);
}

void PlantStop() { PlantLink().stop(); }

void SetPlantStateViewer(void (*show)(const std::string &text)) { g_stateViewer = show; }

void PlantPublishFrame()
{
    if (!plantSettings.enabled)
        return;
    send("measurement", MeasurementPayload(++plantFrameSeq, QDateTime::currentMSecsSinceEpoch(), raw, frameInTolerance),
         false);
}

void PlantPublishIdentity()
{
    g_identified = true;
    if (!plantSettings.enabled)
        return;
    PlantLink().setSerial(serialOfSensor());
    send("identity", IdentityPayload({szFirmwareVersion, hwinfo, PixelCount(), DSLOPE_UM, MQ_VERSION}), true);
}

void PlantPublishParameters(std::uint16_t where)
{
    if (!plantSettings.enabled || (where != RAM && where != EEPROM))
        return;
    send("parameters", ParametersPayload(pset, where == EEPROM ? "EEPROM" : "RAM"), true);
}

void PlantPublishRecord(int sample)
{
    if (!plantSettings.enabled)
        return;
    const std::string path = rec_fname;
    const std::size_t slash = path.find_last_of("/\\");
    send("record",
         RecordPayload(++plantRecordSeq, QDateTime::currentMSecsSinceEpoch(), raw, frameInTolerance, sample,
                       slash == std::string::npos ? path : path.substr(slash + 1)),
         false);
}

void PlantPublishChange(const char *, const char *json)
{
    if (!plantSettings.enabled)
        return;
    // Each row once, not kept by the broker: a plant's own subscriber collects them.
    send("change", json, false);
}
