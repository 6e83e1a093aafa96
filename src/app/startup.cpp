// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: loading the panels, the defaults of every global, opening the link,
// preparing the controls, the event loop and the way out.

#include "app/hooks.h"
#include "app/shell.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "calib_ui/service.h"
#include "compare_ui/compare_window.h"
#include "display/buffers.h"
#include "files/change_log.h"
#include "files/change_watch.h"
#include "files/locations.h"
#include "files/settings.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link_ui/change_log_window.h"
#include "link_ui/connection.h"
#include "link_ui/ident_page.h"
#include "link_ui/serial_devices.h"
#include "main_ui/main_panel.h"
#include "panels/resource.h"
#include "params/pset.h"
#include "params_ui/mapping.h"
#include "params_ui/transfer.h"
#include "plant/plant_dialog.h"
#include "plant/plant_link.h"
#include "platform/comm.h"
#include "platform/system.h"
#include "recorder/recorder.h"
#include "setup/assistant.h"
#include "stats/statistics.h"
#include "ui/runtime.h"

#include <cstring>

using namespace ui;
using namespace panels;

namespace {

void drawEvaluationWindowBar()
{
    DeleteGraphPlots(pPA, MAIN_BAR_GRAPH);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, pset.Teach_Value, 1.0);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 2, pset.Eval_Begin, 1.0);
    SetGraphCursor(pPA, MAIN_BAR_GRAPH, 3, pset.Eval_End, 1.0);
    PlotRectangle(pPA, MAIN_BAR_GRAPH, pset.Teach_Value - pset.Lower_Tolerance, 0.0,
                  pset.Teach_Value + pset.Upper_Tolerance, 0.25, VAL_GREEN, VAL_GREEN);
}

// The video graph and the roll graph share one place; the video graph is in front
// until a measurement runs.
void prepareGraphs()
{
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_ZOOM, false);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    SetCtrlVisible(pPA, MAIN_COMPARE, true);
    SetAxisRange(pPA, MAIN_VIDEO_GRAPH, XAXIS, 1.0, hwinfo.pixelCount);
    SetAxisRange(pPA, MAIN_VIDEO_GRAPH, YAXIS, 0.0, ADCMAX);
    SetAxisRange(pPA, MAIN_BAR_GRAPH, XAXIS, 1.0, hwinfo.pixelCount);
}

// The parameter set and calibration record the program starts with, no link open, and a
// header ready for the first request.
void setRecordAndLinkDefaults()
{
    std::memset(&pset, 0, sizeof pset);
    SetParameterDefaults(pset);
    SetCalibrationDefaults(cal);

    comtype = 0;
    rs232baudrate = 4;
    rs232port = 1;
    tcpcon = 0;
    link_lost = 0;
    tcp_hconversation = 0;
    tcpport = 10001;
    dataSizeRec = 0;
    rs232con = 0;

    head = {kSyncByte, 1, 0, 0, 0, 0};
}

// RAM as storage target, no loop running, the analog group hidden, pixels not millimetres.
void setFlagDefaults()
{
    target = RAM;
    SetCtrlVal(pPA, MAIN_RAM, 1);
    err_flag = 0;
    teach_flag = 0;
    stop_flag = 1;
    exit_flag = 0;
    hide_flag = 1;
    deco_flag = 0;
    cal_start_flag = cal_save_flag = cal_exit_flag = cal_file_flag = 0;
    mm_flag = 0;
    xARRAY = xArray_pi;
}

// The hardware figures until a sensor has identified itself.
void setHardwareDefaults()
{
    SetHardwareInfoDefaults(hwinfo);
    ADCMAX = 255;
    PRECISION = 1;
    MAXRANGE_MM = 20.0;
    YSCALE_FAC = MAXRANGE_MM / hwinfo.pixelCount;
    HWTYPE = 0;
}

void showProgramNames()
{
    CopyText(szVersion, "V4.0");
    CopyText(szSoftBuildDate, "Build: V4.0.6  02/Feb/2016");
    CopyText(szSoftName, "K-VOR-MQ-Vista");
    SetPanelTitle(pPA, "K-VOR-MQ-Series CONTROL-PANEL");

    ShowLogo(2);
}

// The program's directory, the documents directory and the settings file in one of them.
void chooseFileLocations()
{
    CopyText(dir_name, ProgramDirectory().c_str());
    const FileLocations where = ChooseFileLocations(dir_name, DirectoryWritable(dir_name));
    CopyText(proj_dir, where.documentsDirectory.c_str());
    CopyText(appini_pathname, where.settingsFile.c_str());
    // The change log follows the settings file wherever its rule puts it.
    SetChangeLogFile(ChangeLogPathBeside(appini_pathname));
    SetChangeLogProgram(std::string("MQ-Vista ") + MQ_VERSION);
}

// The controls' start-up state, after the settings: the record file in the documents
// directory, the graphs, the hidden groups and the evaluation window bar.
void layOutPages()
{
    SetCtrlFrameColor(pConn, CONN_IPADDR, VAL_LT_GRAY);

    CopyText(rec_fname, JoinPath(proj_dir, "RECORD.DAT").c_str());
    SetCtrlVal(pRec, REC_FILENAME, rec_fname);
    SetCtrlVal(pRec, REC_DATE, DateStr().c_str());

    prepareGraphs();
    // The calibration service section stays hidden until it is asked for.
    for (int id : {CALIB_RBT_HEADER, CALIB_RBT_LOOKUP, CALIB_WRITE_XF, CALIB_SERVICE_FRAME})
        SetCtrlVisible(pCalib, id, false);
    InitCalibrationPages();
    // The analog-output group starts hidden, as deco_flag 0 says: its double click shows it.
    for (int id : {MAIN_ANALOG_VALUE, MAIN_ANALOG_MAX, MAIN_ANALOG_MIN, MAIN_RESET})
        SetCtrlVisible(pPA, id, false);
    drawEvaluationWindowBar();

    SetStatusColor(VAL_BLACK);
}

// The video graph's x positions and the fixed threshold line, in RAM and EEPROM.
void fillVideoArrays()
{
    for (int i = 0; i < kVideoPoints; ++i) {
        xArray_pi[i] = 4.0 * i;
        thdArray[i] = static_cast<std::uint16_t>(ADCMAX * pset.Video_Thd_Fix / 100);
        thdArrayEE[i] = thdArray[i];
    }
    xARRAY = xArray_pi;
}

} // namespace

void InitVars()
{
    setRecordAndLinkDefaults();
    setFlagDefaults();
    setHardwareDefaults();
    showProgramNames();
    chooseFileLocations();
    ReadIniFile(appini_pathname);
    FillSerialDeviceList();
    layOutPages();
    fillVideoArrays();
}

void OpenLinkAtStartup()
{
    int opened;
    if (comtype == 0) {
        rs232con = InitRS232(rs232port, rs232baudrate);
        opened = rs232con;
    } else {
        tcpcon = InitTCP_IP();
        opened = tcpcon;
    }
    if (opened == 1)
        SetActiveTabPage(pPA, MAIN_TAB, InitDataExchange() == 1 ? 0 : 5);
    else
        SetActiveTabPage(pPA, MAIN_TAB, 5);
}

void InitGUI()
{
    ApplyLinkLayout(comtype, false);

    // Tolerance fields.
    int tolMode = 0;
    GetCtrlVal(pPara1, PARA1_TOL_MODE, &tolMode);
    unsigned upper = pset.Upper_Tolerance, lower = pset.Lower_Tolerance;
    if (tolMode > 0) {
        SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, true);
        SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, true);
        SetCtrlDimmed(pPara1, PARA1_TOL_MODE, false);
        if (raw.AUTO_TOL != 0) {
            SetCtrlVal(pPara1, PARA1_UPPER_TOL, static_cast<int>(raw.AUTO_TOL));
            SetCtrlVal(pPara1, PARA1_LOWER_TOL, static_cast<int>(raw.AUTO_TOL));
            upper = lower = raw.AUTO_TOL;
        }
    } else {
        SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, false);
        SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, false);
        SetCtrlDimmed(pPara1, PARA1_TOL_MODE, false);
        SetCtrlVal(pPara1, PARA1_UPPER_TOL, static_cast<int>(pset.Upper_Tolerance));
        SetCtrlVal(pPara1, PARA1_LOWER_TOL, static_cast<int>(pset.Lower_Tolerance));
    }

    int hwMode = 0;
    GetCtrlVal(pPara3, PARA3_HW_MODE, &hwMode);
    const bool dimTolerances = hwMode == 1 || hwMode == 3 || tolMode > 0;
    SetCtrlDimmed(pPara1, PARA1_UPPER_TOL, dimTolerances);
    SetCtrlDimmed(pPara1, PARA1_LOWER_TOL, dimTolerances);

    int powerMode = 0;
    GetCtrlVal(pPara2, PARA2_POWER_MODE, &powerMode);
    SetCtrlDimmed(pPara2, PARA2_POWER, powerMode == 1);
    SetCtrlDimmed(pPara2, PARA2_EXPOSURE, powerMode == 2);

    int intTrigger = 0;
    GetCtrlVal(pPara3, PARA3_INTRG_MODE, &intTrigger);
    SetCtrlDimmed(pPara3, PARA3_TRG_PIX, intTrigger <= 0);
    for (int id : {MAIN_DARK_PIXELS, MAIN_TRIG_LED, MAIN_TRIG_LABEL})
        SetCtrlVisible(pPA, id, intTrigger > 0);

    int thdMode = 0;
    GetCtrlVal(pPara2, PARA2_VTHD_MODE, &thdMode);
    if (thdMode == 0) {
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, true);
        PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    } else {
        SetCtrlDimmed(pPara2, PARA2_SAVE_THD, false);
        if (GetDATA(1) == 1) {
            std::memcpy(thdArrayEE, vtbuf, sizeof thdArrayEE);
            std::memcpy(thdArrayDYN, thdArrayEE, sizeof thdArrayDYN);
            ShowStatusText(szVersion);
            PlotVIDEOCurve(adbuf, vtbuf, xARRAY);
        }
    }

    int recMode = 0;
    GetCtrlVal(pRec, REC_MODE, &recMode);
    ApplyRecorderMode(recMode);

    ShowToleranceMillimetres(upper, lower);

    if (err_flag == 1) {
        DimmButtons(1);
        SetActiveTabPage(pPA, MAIN_TAB, 5);
    }
}

int LoadAllPanels()
{
    RegisterResources();
    InstallApplicationHooks();
    pPA = LoadPanel(0, PANEL);
    if (pPA < 0)
        return -1;
    pPH = LoadPanel(pPA, PANEL_HELP);
    if (pPH < 0)
        return -1;
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 0, &pPara1);
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 1, &pPara2);
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 2, &pPara3);
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 3, &pCalib);
    GetPanelHandleFromTabPage(pCalib, CALIB_TAB, 0, &pCal1);
    GetPanelHandleFromTabPage(pCalib, CALIB_TAB, 1, &pCal2);
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 4, &pRec);
    GetPanelHandleFromTabPage(pPA, MAIN_TAB, 5, &pConn);
    return 0;
}

void CloseLinkAndPanels()
{
    PlantStop();
    DiscardPlantDialog();
    CloseOpenLinks();
    DiscardRecordStatistics();
    DiscardSetupAssistant();
    DiscardChangeLogWindow();
    DiscardCompareWindow();
    DiscardPanel(pPA);
    pPA = pPH = pPara1 = pPara2 = pPara3 = pCalib = pCal1 = pCal2 = pRec = pConn = 0;
}

int WinMain(int argc, char **argv)
{
    const int runtime = InitRuntime(argc, argv);
    if (runtime < 0)
        return -1;
    if (LoadAllPanels() < 0)
        return -1;

    // A termination signal closes the main panel as the operator would, also while the
    // sensor is still being identified.
    CloseOnTerminationSignal(pPA);
    InitVars();
    OpenLinkAtStartup();
    InitGUI();

    DisplayPanel(pPA);
    SetActivePanel(pPA);
    SetActiveCtrl(pPA, MAIN_STOP);

    RunUserInterface();

    CloseLinkAndPanels();
    if (runtime == 1)
        ShutdownRuntime();
    return 0;
}
