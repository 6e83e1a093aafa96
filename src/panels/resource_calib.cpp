// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration page with its two inner pages (procedure and service).

#include "panels/resource_pages.h"

#include "calib_ui/procedure.h"
#include "calib_ui/service.h"
#include "calib_ui/table_loader.h"
#include "main_ui/hwtype.h"
#include "params_ui/para_callbacks.h"

namespace panels::res {

void AddCalibrationPages(std::vector<ControlDef> &c)
{
    const int PC = PAGE_CALIB;
    {
        ControlDef tab = make(CALIB_TAB, Kind::Tab, PC, "", {4, 4, 196, 388});
        tab.tabPages = 2;
        c.push_back(tab);
    }
    c.push_back(make(CALIB_TEXT, Kind::TextMessage, PC, "SLOPE CALIBRATION", {204, 8, 16, 160}, CC_TEXTcalibration));
    c.push_back(make(CALIB_HW_DESC, Kind::TextBox, PC, "", {222, 4, 80, 388}));
    c.push_back(make(CALIB_RBT_HEADER, Kind::Radio, PC, "HEADER", {230, 8, 20, 90}, CC_RBTHeader));
    c.push_back(make(CALIB_RBT_LOOKUP, Kind::Radio, PC, "LOOKUP", {230, 100, 20, 90}, CC_RBTLookup));
    c.push_back(make(CALIB_WRITE_XF, Kind::Button, PC, "WRITE XFLASH", {228, 200, 24, 110}, CC_WriteXFLASH));
    c.push_back(make(CALIB_SERVICE_FRAME, Kind::Decoration, PC, "", {224, 4, 32, 388}));

    const int C1 = PAGE_CAL1;
    c.push_back(
        make(CAL1_ACTIVATE, Kind::CheckBox, C1, "ACTIVATE CALIBRATION", {8, 8, 20, 180}, CC_CheckActivateCalib));
    c.push_back(numeric(CAL1_REF_SIZE, C1, "REFERENCE [um]", {50, 8, kFieldH, 100}, 0, 1e9, 10000));
    c.push_back(display(CAL1_CUR_PIXEL, C1, "CURRENT [pixel]", {50, 120, kFieldH, 100}));
    c.push_back(display(CAL1_NEW_SLOPE, C1, "NEW SLOPE [um/pixel]", {96, 8, kFieldH, 100}, 4));
    c.push_back(
        bind(numeric(CAL1_SLOPE, C1, "SLOPE [um/pixel]", {96, 120, kFieldH, 100}, 0, 262143.0, 5.0, 4), CC_NUMslope));
    c.push_back(display(CAL1_SLOPE_SHOWN, C1, "IN USE", {96, 230, kFieldH, 100}, 4));
    c.push_back(make(CAL1_ACCEPT, Kind::Button, C1, "ACCEPT", {140, 8, 24, 80}, CC_ButtonAcceptCalib));
    c.push_back(make(CAL1_SAVE, Kind::Button, C1, "SAVE", {140, 94, 24, 80}, CC_ButtonRefreshCalib));
    c.push_back(make(CAL1_DISCARD, Kind::Button, C1, "DISCARD", {140, 180, 24, 80}, CC_ButtonDiscardCalib));
    c.push_back(make(CAL1_FACTORY, Kind::Button, C1, "FACTORY", {140, 266, 24, 80}, CC_ButtonGetFactorySettings));

    const int C2 = PAGE_CAL2;
    c.push_back(numeric(CAL2_SERNO, C2, "SER-NO", {18, 8, kFieldH, 80}, 0, 65535, 0));
    c.push_back(ring(CAL2_HWTYPE, C2, "HW-TYPE", {18, 100, kFieldH, 170},
                     {{"K-VOR-MQ-10-CL", 517422},
                      {"K-VOR-MQ", 517311},
                      {"K-VOR-MQ-14-CL", 517465},
                      {"K-VOR-MQ-20-CL", 517318},
                      {"K-VOR-MQ-20", 517312},
                      {"K-VOR-MQ-30-CL", 517204},
                      {"K-VOR-MQ-30", 517449},
                      {"K-VOR-MQ-40-CL", 517437},
                      {"K-VOR-MQ-40", 517314}}));
    c.back().callback = CC_DROPhwtype;
    c.push_back(numeric(CAL2_OFFSET, C2, "UM-OFFSET", {62, 8, kFieldH, 80}, -1e9, 1e9, 0));
    c.push_back(numeric(CAL2_SLOPE, C2, "SLOPE [um/pixel]", {62, 100, kFieldH, 90}, 0, 262143.0, 5.0, 4));
    c.push_back(numeric(CAL2_RANGE, C2, "UM-RANGE", {62, 200, kFieldH, 80}, -1e9, 1e9, 20000));
    c.push_back(numeric(CAL2_DIVISOR, C2, "XF-DIVISOR", {106, 8, kFieldH, 80}, 0, 65535, 1));
    c.push_back(numeric(CAL2_SIZE, C2, "XF-SIZE", {106, 100, kFieldH, 80}, 0, 65535, 2048));
    c.push_back(make(CAL2_READ_XF, Kind::Button, C2, "READ XFLASH", {104, 200, 24, 110}, CC_ReadXFLASH));
    {
        ControlDef f = make(CAL2_FILENAME, Kind::String, C2, "CALIBRATION FILE", {150, 8, kFieldH, 300});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(CAL2_LOAD_TABLE, Kind::Button, C2, "LOAD TABLE", {16, 282, 24, 100}, CC_BTNloadtable));
    c.push_back(make(CAL2_FILE_BTN, Kind::Button, C2, "...", {150, 314, kFieldH, 30}, CC_PICBTNcalibfile));
}

} // namespace panels::res
