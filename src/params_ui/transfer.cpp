// SPDX-License-Identifier: GPL-3.0-or-later

#include "params_ui/transfer.h"
#include "files/change_watch.h"

#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "display/measure.h"
#include "files/locations.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "params/parafile.h"
#include "params/pset.h"
#include "params_ui/help.h"
#include "params_ui/mapping.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <cstring>
#include <string>

void PushGET(std::uint16_t where)
{
    if (where != DATFILE) {
        const unsigned char order = where == EEPROM ? ORDER_READ_PARA_EE : ORDER_READ_PARA_RAM;
        if (IssueOrder(order, 0) != 1) {
            CopyText(szStatus, "Timeout-RS-232...");
            ShowStatus();
            return;
        }
        CopyAnswerData(&pset, sizeof pset);
        CopyText(szStatus, "Parameter-frame received! - Line Ok!");
    }
    if (pset.Video_Thd_Mode == 1 && where != DATFILE && !RequestsWaitForLoop() && teach_flag == 0) {
        ui::SetCtrlVisible(pPA, panels::MAIN_VIDEO_GRAPH, true);
        ui::SetCtrlVisible(pPA, panels::MAIN_ROLL_GRAPH, false);
        if (GetDATA(1) == 1) {
            std::memcpy(thdArrayEE, vtbuf, sizeof thdArrayEE);
            std::memcpy(thdArrayDYN, thdArrayEE, sizeof thdArrayDYN);
        }
    }
    SetPanelValues();
    ShowStatus();
    NotifyParametersTransferred(where); // DATFILE is not the sensor: nothing goes out
}

void PushSEND(std::uint16_t where)
{
    ChangeAction action("SEND");
    const unsigned char order = where == EEPROM ? ORDER_WRITE_PARA_EE : ORDER_WRITE_PARA_RAM;
    if (IssueOrder(order, 0, &pset, sizeof pset) == 1) {
        CopyText(szStatus, "Transmission successful - Line Ok!");
        NotifyParametersTransferred(where);
    } else
        CopyText(szStatus, "Transmission error [SEND]!");
    ShowStatus();
}

namespace {

// Asks for a parameter file; true with the chosen path in para_pathname.
bool selectParameterFile(bool save)
{
    const ui::FileSelectRequest request =
        ui::MakeFileSelectRequest(proj_dir, "K-VOR-MQpara.ini", "*.ini", "K-VOR-MQ-Series Parameter-File",
                                  save ? ui::FileSelectMode::Save : ui::FileSelectMode::Load,
                                  ui::FileExtension::Restricted);
    std::string path;
    if (ui::CurrentPopups().FileSelect(request, &path) == ui::VAL_NO_FILE_SELECTED || path.empty())
        return false;
    return TakeChosenPath(path, ".ini", para_pathname, sizeof para_pathname);
}

// A set the sensor cannot work with (its evaluation window inverted, its tolerance band
// reaching past the line, no slope, a fixed threshold the video never reaches) is sent only
// when the operator confirms it, naming the values.
bool confirmSetSendable()
{
    std::string problems;
    if (pset.um_Slope == 0)
        problems += "um-SLOPE 0: every mm value would be 0\n";
    if (pset.Video_Thd_Mode == 0 && pset.Video_Thd_Fix > 100)
        problems += "V-THD " + std::to_string(pset.Video_Thd_Fix) + " % > 100 %\n";
    if (pset.Eval_Begin > pset.Eval_End)
        problems += "E-BEG " + std::to_string(pset.Eval_Begin) + " > E-END " + std::to_string(pset.Eval_End) + "\n";
    if (pset.Tolerance_Mode == 0) {
        const int pixels = PixelCount();
        if (pset.Teach_Value + pset.Upper_Tolerance > pixels)
            problems += "TEACH-VALUE " + std::to_string(pset.Teach_Value) + " + TOL-HIGH " +
                        std::to_string(pset.Upper_Tolerance) + " > " + std::to_string(pixels) + " pixels\n";
        if (pset.Lower_Tolerance > pset.Teach_Value)
            problems += "TOL-LOW " + std::to_string(pset.Lower_Tolerance) + " > TEACH-VALUE " +
                        std::to_string(pset.Teach_Value) + "\n";
    }
    if (problems.empty())
        return true;
    const std::string text = "The parameter-set cannot work at the sensor:\n" + problems + "Send it anyway ?";
    return ui::ConfirmPopup("ATTENTION!", text.c_str()) != 0;
}

void reportFileProblem(const char *what)
{
    std::string text = what;
    text += "\n";
    text += para_pathname;
    ui::MessagePopup("ATTENTION!", text.c_str());
}

void saveParameterFile()
{
    if (!selectParameterFile(true)) {
        ShowStatusText("Parameter saving to file failed!");
        return;
    }
    if (ui::FileExists(para_pathname) &&
        !ui::ConfirmPopup("ATTENTION!", "Parameter-File already exists - overwrite ?")) {
        ShowStatusText("Parameter not saved to file!");
        return;
    }
    // A file that could not be written must not be reported as saved.
    if (WriteParaToIniFile(&pset, para_pathname) < 0) {
        ShowStatusText("Parameter saving to file failed!");
        reportFileProblem("Parameter-File could not be written:");
        return;
    }
    ShowStatusText("Parameter saved to file!");
}

} // namespace

int CC_BTNGet(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case ui::EVENT_RIGHT_CLICK:
        ShowHelpBesideControl(panel, control, -45, 15,
                              "GET-BUTTON:\nGet parameter-frame of sensor\nfrom EEPROM- or RAM-memory ...");
        break;
    case ui::EVENT_LEFT_CLICK:
        ShowStatusText("Waiting for parameter-frame ...");
        break;
    case ui::EVENT_COMMIT:
        if (target == DATFILE) {
            if (!selectParameterFile(false)) {
                ShowStatusText("Parameter not read from file!");
                break;
            }
            // A file that cannot be read, or holds a value its field cannot take, leaves pset
            // and the panel as they are.
            std::string refused;
            const int read = ReadParaFromIniFile(&pset, para_pathname, &refused);
            if (read < 0) {
                ShowStatusText("Parameter not read from file!");
                if (read == kParaFileOutOfRange)
                    reportFileProblem(("Parameter-File value out of range: " + refused).c_str());
                else
                    reportFileProblem(read == kParaFileEmpty ? "Parameter-File holds no parameters:"
                                                             : "Parameter-File could not be read:");
                break;
            }
            // PushGET ends by showing the status line: it reports the file read.
            CopyText(szStatus, "Parameter read from file!");
            ShowStatus();
        }
        if (!RequestsWaitForLoop()) {
            PushGET(static_cast<std::uint16_t>(target));
            get_flag = 0;
        } else {
            get_flag = 1;
        }
        break;
    default:
        break;
    }
    return 0;
}

int CC_BTNSend(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case ui::EVENT_RIGHT_CLICK:
        ShowHelpBesideControl(panel, control, -25, 15,
                              "SEND-BUTTON:\nSend parameter-frame to EEPROM- or\nRAM-memory of the sensor!");
        break;
    case ui::EVENT_LEFT_CLICK:
        ShowStatusText("Transmit parameter-frame ...");
        break;
    case ui::EVENT_COMMIT:
        GetPanelValues();
        if (!confirmSetSendable()) {
            ShowStatusText(target == DATFILE ? "Parameter not saved to file!" : "Parameter-frame not sent!");
            break;
        }
        if (target == DATFILE) {
            saveParameterFile();
        } else if (!RequestsWaitForLoop()) {
            PushSEND(static_cast<std::uint16_t>(target));
            send_flag = 0;
        } else {
            send_flag = 1;
        }
        break;
    default:
        break;
    }
    return 0;
}
