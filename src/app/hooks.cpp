// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/hooks.h"

#include "app/settings_window.h"
#include "app/shell.h"
#include "app/status_window.h"
#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/state.h"
#include "calib_ui/procedure.h"
#include "display/deferred.h"
#include "link/orders.h"
#include "link_ui/connection.h"
#include "params_ui/para_callbacks.h"
#include "params_ui/transfer.h"
#include "plant/plant_dialog.h"
#include "plant/plant_link.h"
#include "ui/runtime.h"

namespace {

void showOpeningPort(int port) { ui::SetCtrlVal(pPA, panels::MAIN_COMPORT, port); }

// Requests pressed while a loop waits, carried out between two frames in this order.
void registerDeferredRequests()
{
    RegisterDeferredRequest(&send_flag, [] { PushSEND(static_cast<std::uint16_t>(target)); });
    RegisterDeferredRequest(&get_flag, [] { PushGET(static_cast<std::uint16_t>(target)); });
    RegisterDeferredRequest(&teach_flag, [] { PushTEACH(); });
    RegisterDeferredRequest(&reset_flag, [] { PushRESET(); });
    RegisterDeferredRequest(&cal_start_flag, [] { ActivateCalibration(1); });
    RegisterDeferredRequest(&cal_save_flag, [] { ActivateCalibration(2); });
    RegisterDeferredRequest(&cal_exit_flag, [] {
        ActivateCalibration(0);
        stop_flag = 1;
    });
}

} // namespace

void InstallApplicationHooks()
{
    InstallWindowStatusLine();
    InstallWindowSettings();
    registerDeferredRequests();

    programHooks.frameShown = PlantPublishFrame;
    programHooks.sensorIdentified = PlantPublishIdentity;
    programHooks.parametersTransferred = PlantPublishParameters;
    programHooks.sampleRecorded = PlantPublishRecord;
    programHooks.changeLogged = PlantPublishChange;
    programHooks.serialPortOpening = showOpeningPort;
    programHooks.linkLost = DimAfterLostLink;
    programHooks.sensorReconnected = InitGUI;
    SetPlantStateViewer(ShowPlantStateInDialog);
}
