// SPDX-License-Identifier: GPL-3.0-or-later
// Connection page.

#include "link_ui/change_log_window.h"
#include "link_ui/connection.h"
#include "link_ui/serial_devices.h"
#include "panels/resource_pages.h"
#include "plant/plant_dialog.h"

namespace panels::res {

void AddConnectionPage(std::vector<ControlDef> &c)
{
    const int PN = PAGE_CONN;
    c.push_back(ring(CONN_COMTYPE, PN, "PROTOCOL", {row(0), kColA, kFieldH, 120}, {{"RS-232", 0}, {"TCP/IP", 1}}));
    c.back().callback = CC_DROPComType;
    c.push_back(ring(CONN_BAUD, PN, "BAUDRATE", {row(0), 140, kFieldH, 110}, kBaudItems));
    c.back().callback = CC_DROPBaudRate;
    c.push_back(numeric(CONN_COMPORT, PN, "COM-PORT", {row(0), 260, kFieldH, 70}, 1, 256, 1));
    c.back().callback = CC_NUMrs232comport;
    {
        ControlDef ip =
            make(CONN_IPADDR, Kind::ComboString, PN, "IP ADDRESS", {row(0), 140, kFieldH, 150}, CC_STRINGipAddress);
        c.push_back(ip);
        ControlDef port =
            make(CONN_PORTNUM, Kind::String, PN, "PORT", {row(0), 300, kFieldH, 70}, CBF_StringPortNumber);
        c.push_back(port);
    }
    c.push_back(
        make(CONN_TCP_ONLY, Kind::TextMessage, PN, "via network-to-serial server", {row(1) - 20, 140, 16, 230}));
    c.push_back(make(CONN_CONNECT, Kind::Button, PN, "CONNECT", {row(1), kColA, 24, 86}, CC_CBTNTryToConnect));
    c.push_back(make(CONN_DISCONNECT, Kind::Button, PN, "DISCONNECT", {row(1), 102, 24, 86}, CC_CBTNDisconnect));
    c.push_back(make(CONN_ACCEPT, Kind::Button, PN, "ACCEPT", {row(1), 194, 24, 86}, CC_CBTNAcceptComSetting));
    c.push_back(make(CONN_CHANGE_BAUD, Kind::Button, PN, "SET BAUD", {row(1), 286, 24, 86}, CC_CBTNChangeBaudRate));
    c.push_back(make(CONN_HWINFO, Kind::Button, PN, "GENERATE HARDWARE INFO", {row(2) - 8, kColA, 24, 180},
                     CC_CBTNGenerateHWInfoFile));
    c.push_back(make(CONN_PLANT_LINK, Kind::Button, PN, "PLANT LINK", {row(2) - 8, 196, 24, 90}, CC_BTNplantLink));
    c.push_back(make(CONN_CHANGE_LOG, Kind::Button, PN, "CHANGE LOG", {row(2) - 8, 292, 24, 90}, CC_BTNchangeLog));
    c.push_back(make(CONN_STATUS, Kind::TextBox, PN, "", {row(2) + 22, kColA, 118, 370}));
    c.push_back(ring(CONN_SERIAL_DEVICES, PN, "SERIAL DEVICE FOR THIS COM-PORT", {row(2) + 158, kColA, kFieldH, 270},
                     {{"(no binding)", -1}}));
    c.back().callback = CC_DROPserialDevice;
    c.push_back(make(CONN_BIND_DEVICE, Kind::Button, PN, "BIND", {row(2) + 157, 290, 24, 90}, CC_BTNbindSerialDevice));
}

} // namespace panels::res
