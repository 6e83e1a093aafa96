// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What lower rooms tell the rooms above them. The application fills these in at start-up
// (the window's pages, the plant link); a program without windows leaves them empty, and
// an empty hook does nothing.

#include <cstdint>

struct ProgramHooks {
    void (*frameShown)() = nullptr;                               // the Run loop showed raw
    void (*sensorIdentified)() = nullptr;                         // a served sensor was identified
    void (*parametersTransferred)(std::uint16_t where) = nullptr; // a GET or SEND with RAM or EEPROM succeeded
    void (*sampleRecorded)(int sample) = nullptr;                 // the recorder wrote sample (1-based) to rec_fname
    void (*serialPortOpening)(int port) = nullptr;                // an RS-232 port is about to open
    void (*linkLost)() = nullptr;                                 // the link went away and was closed
    void (*sensorReconnected)() = nullptr;                        // Connect identified a sensor anew
    void (*changeLogged)(const char *serial, const char *json) = nullptr; // a change-log row was written
    // The change log's watch over every order (installed with the log file, not by the window):
    // a request went out or could not (sent), and its answer came (ok) with its data.
    void (*orderRequested)(unsigned char order, unsigned short address, const void *data, unsigned short length,
                           bool sent) = nullptr;
    void (*orderAnswered)(bool ok, const void *data, unsigned length) = nullptr;
};
extern ProgramHooks programHooks;

inline void NotifyFrameShown()
{
    if (programHooks.frameShown)
        programHooks.frameShown();
}
inline void NotifySensorIdentified()
{
    if (programHooks.sensorIdentified)
        programHooks.sensorIdentified();
}
inline void NotifyParametersTransferred(std::uint16_t where)
{
    if (programHooks.parametersTransferred)
        programHooks.parametersTransferred(where);
}
inline void NotifySampleRecorded(int sample)
{
    if (programHooks.sampleRecorded)
        programHooks.sampleRecorded(sample);
}
inline void NotifySerialPortOpening(int port)
{
    if (programHooks.serialPortOpening)
        programHooks.serialPortOpening(port);
}
inline void NotifyLinkLost()
{
    if (programHooks.linkLost)
        programHooks.linkLost();
}
inline void NotifySensorReconnected()
{
    if (programHooks.sensorReconnected)
        programHooks.sensorReconnected();
}
inline void NotifyChangeLogged(const char *serial, const char *json)
{
    if (programHooks.changeLogged)
        programHooks.changeLogged(serial, json);
}
