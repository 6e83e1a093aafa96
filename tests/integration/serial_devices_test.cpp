// SPDX-License-Identifier: GPL-3.0-or-later
// Serial devices bound to COM numbers: opened through the binding, a link beside the
// program wins, a missing device is named on Connect, and bindings are kept in the
// settings file.

#include "files/settings.h"
#include "link/ident.h"
#include "link/transport.h"
#include "link_ui/serial_devices.h"
#include "platform/comm.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <string>
#include <tuple>

using namespace ui;
using namespace panels;

namespace {

class SerialDevicesTest : public SimFixture {
protected:
    void TearDown() override
    {
        for (int port : BoundComPorts())
            SetComPortBinding(port, {});
        SimFixture::TearDown();
    }
    void connectTo(int port)
    {
        SetCtrlVal(pConn, CONN_COMTYPE, 0);
        SetCtrlVal(pConn, CONN_COMPORT, port);
        SimulateEvent(pConn, CONN_CONNECT, EVENT_COMMIT);
    }
};

TEST_F(SerialDevicesTest, BoundDeviceIsOpenedUnlessALinkBesideTheProgramNamesAnother)
{
    ASSERT_NO_FATAL_FAILURE(startSim(Link::Pty));
    SetComPortBinding(4, {sim.ptyPath(), "", "simulated sensor"});
    EXPECT_EQ(std::pair(ComPortDevicePath(4), ComPortBindingMissing(4)), std::pair(sim.ptyPath(), false));
    connectTo(4);
    EXPECT_EQ(std::tuple(rs232port, rs232con, err_flag), std::tuple(4, 1, 0));
    EXPECT_EQ(CheckComLine(), 1);

    SetComPortBinding(2, {"/dev/mq-no-such-adapter", "", "USB adapter"});
    EXPECT_TRUE(ComPortBindingMissing(2));
    linkComPort(2, sim.ptyPath());
    EXPECT_EQ(std::pair(ComPortDevicePath(2), ComPortBindingMissing(2)), std::pair(sim.ptyPath(), false));
    connectTo(2);
    EXPECT_EQ(std::tuple(rs232port, rs232con), std::tuple(2, 1));
}

TEST_F(SerialDevicesTest, MissingDeviceIsNamedOnConnect)
{
    SetComPortBinding(3, {"/dev/mq-no-such-adapter", "FT1234", "USB-Serial adapter"});
    FillSerialDeviceList();
    int count = 0;
    GetNumListItems(pConn, CONN_SERIAL_DEVICES, &count);
    std::string last;
    GetListItemLabel(pConn, CONN_SERIAL_DEVICES, count - 1, &last);
    EXPECT_EQ(last, "COM3: /dev/mq-no-such-adapter - MISSING");

    connectTo(3);
    EXPECT_EQ(MainStatus(), "COM3: /dev/mq-no-such-adapter (USB-Serial adapter) is missing!");
    EXPECT_EQ(err_flag, 1);
    EXPECT_TRUE(IsCtrlDimmed(pPA, MAIN_RUN));
    EXPECT_NE(rs232con, 1) << "no port may be open";
}

TEST_F(SerialDevicesTest, BindingsAreKeptInTheSettingsFileAndCanBeRemoved)
{
    SetComPortBinding(5, {"/dev/ttyUSB7", "A9XYZ", "FT232R USB UART"});
    SetComPortBinding(9, {"/dev/ttyACM0", "", ""});
    const std::string file = programDir + "/MQ-Vista.ini";
    ASSERT_GE(WriteIniFile(file.c_str()), 0);
    SetComPortBinding(5, {});
    SetComPortBinding(9, {});
    SetComPortBinding(6, {"/dev/stale", "", ""});
    ReadIniFile(file.c_str());
    EXPECT_EQ(BoundComPorts(), (std::vector<int>{5, 9}));
    const ComPortBinding b = GetComPortBinding(5);
    EXPECT_EQ(std::tuple(b.device, b.serialNumber, b.description),
              std::tuple(std::string("/dev/ttyUSB7"), std::string("A9XYZ"), std::string("FT232R USB UART")));

    // "(no binding)" with BIND removes the binding of the COM number shown.
    FillSerialDeviceList();
    SetCtrlVal(pConn, CONN_COMPORT, 5);
    SetCtrlVal(pConn, CONN_SERIAL_DEVICES, -1);
    SimulateEvent(pConn, CONN_BIND_DEVICE, EVENT_COMMIT);
    EXPECT_EQ(std::pair(BoundComPorts(), MainStatus()),
              std::pair(std::vector<int>{9}, std::string("COM5: binding removed")));
}

} // namespace
