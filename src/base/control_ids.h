// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Every panel, tab page and control of the program by role name: the logic refers to
// controls by these, the resource description lists them once (src/panels/).

namespace panels {

// Panel resources. Tab pages are panels of their own, owned by a tab control.
enum PanelResource {
    PANEL = 1,      // main panel
    PANEL_HELP = 2, // help pop-up, loaded as a child of the main panel
    PAGE_PARA1 = 101,
    PAGE_PARA2 = 102,
    PAGE_PARA3 = 103,
    PAGE_CALIB = 104,
    PAGE_REC = 105,
    PAGE_CONN = 106,
    PAGE_CAL1 = 111,
    PAGE_CAL2 = 112,
    PANEL_STATS = 3,      // statistics of a record file, a window of its own
    PANEL_SETUP = 4,      // set-up assistant, a window of its own
    PANEL_PLANT = 5,      // plant link settings, a dialog of its own
    PANEL_STATS_HELP = 6, // help pop-up of the statistics window, loaded as its child
    PANEL_SETUP_HELP = 7, // help pop-up of the set-up window, loaded as its child
    PANEL_CHANGES = 8,    // the change log, a window of its own
    PANEL_COMPARE = 9,    // parameter sets side by side, a window of its own
};

// Control ids, unique over the whole description.
enum ControlId {
    // main panel
    MAIN_HEADER = 1,
    MAIN_LOGO,
    MAIN_TAB,
    MAIN_STATUS,
    MAIN_COMPORT,
    MAIN_IPHOST,
    MAIN_RUN,
    MAIN_STOP,
    MAIN_VIDEO,
    MAIN_GET,
    MAIN_SEND,
    MAIN_RAM,
    MAIN_EEPROM,
    MAIN_FILE,
    MAIN_MM_SWITCH,
    MAIN_EDGE_LEFT,
    MAIN_EDGE_RIGHT,
    MAIN_VIDEO_GRAPH,
    MAIN_ROLL_GRAPH,
    MAIN_BAR_GRAPH,
    MAIN_AXIS_CAPTION,
    MAIN_COMPARE,
    MAIN_ZOOM,
    MAIN_ELEFT,
    MAIN_ERIGHT,
    MAIN_MVALUE,
    MAIN_MVAL_MM,
    MAIN_CYCLE_RATE,
    MAIN_UPPER_TOL_MM,
    MAIN_LOWER_TOL_MM,
    MAIN_DARK_PIXELS,
    MAIN_TRIG_LED,
    MAIN_TRIG_LABEL,
    MAIN_IN0_LED,
    MAIN_IN1_LED,
    MAIN_BTN_LED, // housing operating button: only the "-CL" models have one
    MAIN_DECO_RUNSTOP,
    MAIN_DECO_ANALOG,
    MAIN_ANALOG_LABEL,
    MAIN_ANALOG_VALUE,
    MAIN_ANALOG_MAX,
    MAIN_ANALOG_MIN,
    MAIN_RESET,
    MAIN_GRAPH_EXPORT,

    // first parameter page
    PARA1_POLARITY = 100,
    PARA1_EVAL_MODE,
    PARA1_TOL_MODE,
    PARA1_UPPER_TOL,
    PARA1_LOWER_TOL,
    PARA1_TEACH_VALUE,
    PARA1_TEACH,
    PARA1_AVERAGE,
    PARA1_ANALOG_MODE,
    PARA1_OUTPUT_MODE,
    PARA1_ZOOM_MODE,
    PARA1_UPPER_TOL_MM,
    PARA1_LOWER_TOL_MM,
    PARA1_TEACH_MM,

    // second parameter page
    PARA2_POWER = 200,
    PARA2_POWER_MODE,
    PARA2_BG_MODE,
    PARA2_VTHD_MODE,
    PARA2_FILTER,
    PARA2_EXPOSURE,
    PARA2_VTHD,
    PARA2_SAVE_THD,
    PARA2_THD_TARGET,
    PARA2_SETUP,
    PARA2_VTHD_ENTRY, // exact entry beside the threshold slider, whose pixel is about 3 %

    // third parameter page
    PARA3_TRIG_MODE = 300,
    PARA3_HW_MODE,
    PARA3_OP_MODE,
    PARA3_INTRG_MODE,
    PARA3_TRG_PIX,
    PARA3_COMPARE,

    // calibration page and its two inner pages
    CALIB_TAB = 400,
    CALIB_TEXT,
    CALIB_HW_DESC,
    CALIB_RBT_HEADER,
    CALIB_RBT_LOOKUP,
    CALIB_WRITE_XF,
    CALIB_SERVICE_FRAME,
    CAL1_ACTIVATE = 420,
    CAL1_REF_SIZE,
    CAL1_NEW_SLOPE,
    CAL1_SLOPE,
    CAL1_SLOPE_SHOWN,
    CAL1_CUR_PIXEL,
    CAL1_ACCEPT,
    CAL1_FACTORY,
    CAL1_SAVE,
    CAL1_DISCARD,
    CAL2_SERNO = 440,
    CAL2_HWTYPE,
    CAL2_OFFSET,
    CAL2_SLOPE,
    CAL2_RANGE,
    CAL2_DIVISOR,
    CAL2_SIZE,
    CAL2_FILENAME,
    CAL2_FILE_BTN,
    CAL2_READ_XF,
    CAL2_LOAD_TABLE,

    // recorder page
    REC_MODE = 500,
    REC_SAMPLES,
    REC_INTERVAL,
    REC_FILENAME,
    REC_FILE_BTN,
    REC_START,
    REC_STOP,
    REC_COUNT,
    REC_DAYS,
    REC_HOURS,
    REC_MINUTES,
    REC_SECONDS,
    REC_DATE,
    REC_TIME,
    REC_STATUS,
    REC_PROGRESS,
    REC_STATS,

    // connection page
    CONN_COMTYPE = 600,
    CONN_BAUD,
    CONN_COMPORT,
    CONN_IPADDR,
    CONN_PORTNUM,
    CONN_CONNECT,
    CONN_DISCONNECT,
    CONN_ACCEPT,
    CONN_CHANGE_BAUD,
    CONN_HWINFO,
    CONN_STATUS,
    CONN_TCP_ONLY,
    CONN_SERIAL_DEVICES,
    CONN_BIND_DEVICE,
    CONN_PLANT_LINK,
    CONN_CHANGE_LOG,

    // help pop-up
    HELP_TEXT = 700,
    STATS_HELP_TEXT,
    SETUP_HELP_TEXT,

    // statistics window
    STATS_FILE = 800,
    STATS_RELOAD,
    STATS_CLOSE,
    STATS_INFO,
    STATS_MESSAGE,
    STATS_SETPOINT,
    STATS_UPPER_TOL,
    STATS_LOWER_TOL,
    STATS_SLOPE,
    STATS_BINS,
    STATS_SERIES,
    STATS_HISTOGRAM,
    STATS_RUNCHART,
    STATS_SAVE_REPORT,
    STATS_SAVE_HISTOGRAM,
    STATS_SAVE_RUNCHART,
    STATS_COL_PIXEL,
    STATS_COL_UM,
    // plant link dialog, in the order of its settings
    PLANT_ENABLED = 960,
    PLANT_BROKER,
    PLANT_PORT,
    PLANT_PREFIX,
    PLANT_QOS,
    PLANT_USERNAME,
    PLANT_PASSWORD_FILE,
    PLANT_TLS,
    PLANT_CA_FILE,
    PLANT_CERT_FILE,
    PLANT_KEY_FILE,
    PLANT_BUFFER,
    PLANT_STATE,
    PLANT_ACCEPT,
    PLANT_CANCEL,
    STATS_ROW_LABEL = 850, // + row
    STATS_FIGURE = 870,    // + row * 2 + column (0 M-VALUE, 1 M-VAL[um])

    // set-up assistant window
    SETUP_GRAPH = 900,
    SETUP_ANALYSE,
    SETUP_AUTO,
    SETUP_UNDO,
    SETUP_CLOSE,
    SETUP_STEPS,
    SETUP_RESULT,
    SETUP_COL_FIGURE,
    SETUP_COL_VERDICT,
    SETUP_COL_ADVICE,
    SETUP_ROW_LABEL = 920, // + row of the diagnosis
    SETUP_FIGURE = 930,    // + row
    SETUP_VERDICT = 940,   // + row
    SETUP_ADVICE = 950,    // + row

    // change log window
    CHANGES_SERIAL = 980,
    CHANGES_SINCE,
    CHANGES_SHOW,
    CHANGES_EXPORT,
    CHANGES_CLOSE,
    CHANGES_INFO,
    CHANGES_HASH,
    CHANGES_TABLE,

    // compare-sets window
    COMPARE_READ = 620,
    COMPARE_FILE,
    COMPARE_TAKE_RAM,
    COMPARE_TAKE_EEPROM,
    COMPARE_TAKE_FILE,
    COMPARE_CLOSE,
    COMPARE_SUMMARY,
    COMPARE_NOTE,
    COMPARE_FILE_NAME,
    COMPARE_HEAD = 630,      // + column (0 PANEL, 1 RAM, 2 EEPROM, 3 FILE)
    COMPARE_ROW_LABEL = 530, // + row, the fields in file order
    // ids stay below ui::kFirstDynamicControl
};

// Rows of the statistics window's table of figures.
enum StatsRow {
    STATS_ROW_N,
    STATS_ROW_MEAN,
    STATS_ROW_STDDEV,
    STATS_ROW_MIN,
    STATS_ROW_MAX,
    STATS_ROW_RANGE,
    STATS_ROW_LSL,
    STATS_ROW_USL,
    STATS_ROW_ABOVE,
    STATS_ROW_INSIDE,
    STATS_ROW_BELOW,
    STATS_ROW_CP,
    STATS_ROW_CPK,
    STATS_ROWS,
};
constexpr int StatsFigureId(int row, int column) { return STATS_FIGURE + row * 2 + column; }

// The compare-sets window: 29 rows (the parameter-file keys, um-Slope last) by 4 columns.
constexpr int kCompareRows = 29;
constexpr int kCompareColumns = 4;
// Cells fill two free id ranges: PANEL and RAM from 640, EEPROM and FILE from 720.
constexpr int CompareCellId(int row, int column)
{
    return column < 2 ? 640 + column * kCompareRows + row : 720 + (column - 2) * kCompareRows + row;
}
static_assert(REC_STATS < COMPARE_ROW_LABEL && COMPARE_ROW_LABEL + kCompareRows <= CONN_COMTYPE);
static_assert(CONN_CHANGE_LOG < COMPARE_READ && COMPARE_HEAD + kCompareColumns <= CompareCellId(0, 0));
static_assert(CompareCellId(kCompareRows - 1, 1) < HELP_TEXT && SETUP_HELP_TEXT < CompareCellId(0, 2));
static_assert(CompareCellId(kCompareRows - 1, 3) < STATS_FILE);
} // namespace panels
