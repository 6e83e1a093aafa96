#include "ui/resource.h"

#include "app/shell.h"

#include <algorithm>
#include <unordered_map>

namespace ui {

namespace {

const std::vector<ListItem> kBaudItems = {
    {"9600", 0}, {"19200", 1}, {"38400", 2}, {"57600", 3}, {"115200", 4}};

ControlDef make(int id, Kind kind, int panel, const char *label, Rect rect, CtrlCallback callback = nullptr)
{
    ControlDef d;
    d.id = id;
    d.kind = kind;
    d.panel = panel;
    d.label = label;
    d.rect = rect;
    d.callback = callback;
    return d;
}

ControlDef numeric(int id, int panel, const char *label, Rect rect, double lo, double hi, double initial,
                   int precision = 0, bool indicator = false)
{
    ControlDef d = make(id, Kind::Numeric, panel, label, rect);
    d.minimum = lo;
    d.maximum = hi;
    d.initial = initial;
    d.precision = precision;
    d.indicator = indicator;
    return d;
}

ControlDef display(int id, int panel, const char *label, Rect rect, int precision = 0)
{
    return numeric(id, panel, label, rect, -1e12, 1e12, 0.0, precision, true);
}

ControlDef ring(int id, int panel, const char *label, Rect rect, std::vector<ListItem> items)
{
    ControlDef d = make(id, Kind::Ring, panel, label, rect);
    d.items = std::move(items);
    return d;
}

ControlDef binarySwitch(int id, int panel, const char *label, Rect rect, const char *off, const char *on)
{
    ControlDef d = make(id, Kind::BinarySwitch, panel, label, rect);
    d.offText = off;
    d.onText = on;
    return d;
}

ControlDef led(int id, int panel, const char *label, Rect rect, int color)
{
    ControlDef d = make(id, Kind::Led, panel, label, rect);
    d.color = color;
    return d;
}

ControlDef slider(int id, int panel, const char *label, Rect rect, double lo, double hi, double initial,
                  int precision)
{
    ControlDef d = numeric(id, panel, label, rect, lo, hi, initial, precision);
    d.kind = Kind::Slider;
    return d;
}

// Page rows: a label line above each field.
constexpr int row(int n) { return 18 + n * 44; }
constexpr int kColA = 10;
constexpr int kColB = 200;
constexpr int kFieldW = 170;
constexpr int kFieldH = 22;

std::vector<ControlDef> buildControls()
{
    std::vector<ControlDef> c;
    // ---- main panel ------------------------------------------------------------------
    {
        ControlDef band = make(MAIN_HEADER, Kind::Decoration, PANEL, "", {0, 0, 60, 780});
        band.color = 0x0080FF;
        c.push_back(band);
    }
    c.push_back(make(MAIN_LOGO, Kind::Picture, PANEL, "", {10, 300, 22, 140}));
    {
        ControlDef tab = make(MAIN_TAB, Kind::Tab, PANEL, "", {66, 5, 330, 400});
        tab.tabPages = 6;
        c.push_back(tab);
    }
    {
        ControlDef status = make(MAIN_STATUS, Kind::String, PANEL, "", {520, 5, 22, 600});
        status.indicator = true;
        c.push_back(status);
    }
    c.push_back(numeric(MAIN_COMPORT, PANEL, "COM", {520, 650, 22, 60}, 1, 256, 1, 0, true));
    {
        ControlDef host = make(MAIN_IPHOST, Kind::String, PANEL, "IP", {520, 630, 22, 145});
        host.indicator = true;
        c.push_back(host);
    }
    c.push_back(make(MAIN_DECO_RUNSTOP, Kind::Decoration, PANEL, "", {400, 5, 112, 240}));
    c.push_back(make(MAIN_RUN, Kind::Button, PANEL, "RUN", {406, 12, 28, 70}));
    c.push_back(make(MAIN_STOP, Kind::Button, PANEL, "STOP", {406, 88, 28, 70}));
    c.push_back(make(MAIN_VIDEO, Kind::Button, PANEL, "VIDEO", {406, 164, 28, 70}));
    c.push_back(make(MAIN_GET, Kind::Button, PANEL, "GET", {440, 12, 28, 70}));
    c.push_back(make(MAIN_SEND, Kind::Button, PANEL, "SEND", {440, 88, 28, 70}));
    c.push_back(make(MAIN_RAM, Kind::Radio, PANEL, "RAM", {478, 12, 20, 60}));
    c.push_back(make(MAIN_EEPROM, Kind::Radio, PANEL, "EEPROM", {478, 76, 20, 80}));
    c.push_back(make(MAIN_FILE, Kind::Radio, PANEL, "FILE", {478, 160, 20, 60}));
    c.push_back(binarySwitch(MAIN_MM_SWITCH, PANEL, "UNIT", {416, 252, 22, 70}, "PIXEL", "MM"));
    c.push_back(numeric(MAIN_EDGE_LEFT, PANEL, "E-BEG", {466, 252, 22, 70}, 0, 65535, 1));
    c.push_back(numeric(MAIN_EDGE_RIGHT, PANEL, "E-END", {466, 330, 22, 70}, 0, 65535, 1024));

    c.push_back(make(MAIN_VIDEO_GRAPH, Kind::Graph, PANEL, "VIDEO", {66, 410, 228, 365}));
    c.push_back(make(MAIN_ROLL_GRAPH, Kind::StripChart, PANEL, "ROLL", {66, 410, 228, 365}));
    c.push_back(make(MAIN_AXIS_CAPTION, Kind::TextMessage, PANEL, "linear-image-sensor [pixel]", {298, 540, 16, 200}));
    {
        ControlDef t = make(MAIN_COMPARE, Kind::Toggle, PANEL, "COMPARE", {296, 410, 20, 80});
        c.push_back(t);
        ControlDef z = make(MAIN_ZOOM, Kind::Toggle, PANEL, "ZOOM", {296, 410, 20, 80});
        c.push_back(z);
    }
    c.push_back(make(MAIN_BAR_GRAPH, Kind::Graph, PANEL, "", {320, 410, 44, 365}));

    c.push_back(display(MAIN_ELEFT, PANEL, "E-LEFT", {384, 410, 20, 68}));
    c.push_back(display(MAIN_ERIGHT, PANEL, "E-RIGHT", {384, 484, 20, 68}));
    c.push_back(display(MAIN_MVALUE, PANEL, "M-VALUE", {384, 558, 20, 68}));
    c.push_back(display(MAIN_MVAL_MM, PANEL, "M-VAL [mm]", {384, 632, 20, 68}, 3));
    c.push_back(display(MAIN_CYCLE_RATE, PANEL, "RATE [Hz]", {384, 706, 20, 68}, 1));
    c.push_back(display(MAIN_UPPER_TOL_MM, PANEL, "TOL+ [mm]", {424, 410, 20, 68}, 1));
    c.push_back(display(MAIN_LOWER_TOL_MM, PANEL, "TOL- [mm]", {424, 484, 20, 68}, 1));
    c.push_back(display(MAIN_DARK_PIXELS, PANEL, "DARK-PIX", {424, 558, 20, 68}));
    c.push_back(led(MAIN_TRIG_LED, PANEL, "TRG", {424, 632, 18, 18}, VAL_GREEN));
    c.push_back(make(MAIN_TRIG_LABEL, Kind::TextMessage, PANEL, "INT-TRIG", {426, 652, 16, 50}));
    c.push_back(led(MAIN_IN0_LED, PANEL, "IN0", {424, 706, 18, 18}, VAL_GREEN));
    c.push_back(led(MAIN_IN1_LED, PANEL, "IN1", {424, 732, 18, 18}, VAL_GREEN));
    c.push_back(led(MAIN_BTN_LED, PANEL, "BTN", {424, 758, 18, 18}, VAL_GREEN));

    c.push_back(make(MAIN_DECO_ANALOG, Kind::Decoration, PANEL, "", {452, 408, 56, 368}));
    c.push_back(make(MAIN_ANALOG_LABEL, Kind::TextMessage, PANEL, "ANALOG-OUT", {454, 414, 14, 80}));
    c.push_back(display(MAIN_ANALOG_VALUE, PANEL, "VALUE", {484, 414, 20, 68}));
    c.push_back(display(MAIN_ANALOG_MAX, PANEL, "MAX", {484, 488, 20, 68}));
    c.push_back(display(MAIN_ANALOG_MIN, PANEL, "MIN", {484, 562, 20, 68}));
    c.push_back(make(MAIN_RESET, Kind::Button, PANEL, "RESET", {478, 650, 26, 80}));

    // ---- first parameter page --------------------------------------------------------
    const int P1 = PAGE_PARA1;
    c.push_back(ring(PARA1_POLARITY, P1, "POLARITY", {row(0), kColA, kFieldH, kFieldW},
                     {{"OUT ACTIVE 0V", 0}, {"OUT ACTIVE +24V", 1}}));
    c.push_back(ring(PARA1_EVAL_MODE, P1, "EVALUATION-MODE", {row(0), kColB, kFieldH, kFieldW},
                     {{"1ST EDGE", 0}, {"2ND EDGE", 1}, {"WIDTH", 2}, {"CENTRE", 3}, {"CENTRE (4)", 4}}));
    {
        std::vector<ListItem> items{{"FIXED TOLERANCE", 0}};
        for (int v = 1; v <= 60; ++v)
            items.push_back({"AUTO-TOL " + std::to_string(v), v});
        c.push_back(ring(PARA1_TOL_MODE, P1, "TOLERANCE-MODE", {row(1), kColA, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(numeric(PARA1_TEACH_VALUE, P1, "TEACH-VALUE [pixel]", {row(1), kColB, kFieldH, 100}, 0, 65535, 512));
    c.push_back(make(PARA1_TEACH, Kind::Button, P1, "TEACH", {row(1), kColB + 110, kFieldH + 2, 70}));
    c.push_back(numeric(PARA1_UPPER_TOL, P1, "TOL-HIGH [pixel]", {row(2), kColA, kFieldH, 80}, 0, 65535, 100));
    c.push_back(display(PARA1_UPPER_TOL_MM, P1, "[mm]", {row(2), kColA + 90, kFieldH, 80}, 1));
    c.push_back(numeric(PARA1_LOWER_TOL, P1, "TOL-LOW [pixel]", {row(3), kColA, kFieldH, 80}, 0, 65535, 100));
    c.push_back(display(PARA1_LOWER_TOL_MM, P1, "[mm]", {row(3), kColA + 90, kFieldH, 80}, 1));
    c.push_back(display(PARA1_TEACH_MM, P1, "TEACH [mm]", {row(2), kColB, kFieldH, 100}, 1));
    {
        std::vector<ListItem> items;
        for (int v : {1, 2, 4, 8, 16, 32, 64, 128, 256})
            items.push_back({std::to_string(v), v});
        c.push_back(ring(PARA1_AVERAGE, P1, "AVERAGE", {row(3), kColB, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(ring(PARA1_ANALOG_MODE, P1, "ANALOG-OUT", {row(4), kColA, kFieldH, kFieldW},
                     {{"M-VALUE", 0}, {"MAXIMUM", 1}, {"MINIMUM", 2}, {"MAX - MIN", 3}, {"MODE 4", 4},
                      {"MODE 5", 5}, {"MODE 6", 6}, {"MODE 7", 7}}));
    c.push_back(binarySwitch(PARA1_OUTPUT_MODE, P1, "ANALOG-OUT-MODE", {row(4), kColB, kFieldH, 120},
                             "U 0..10V", "I 4..20mA"));
    c.push_back(ring(PARA1_ZOOM_MODE, P1, "ZOOM-MODE", {row(5), kColA, kFieldH, kFieldW},
                     {{"ZOOM OFF", 0}, {"ZOOM 1", 1}, {"ZOOM 2", 2}, {"ZOOM 3", 3}}));

    // ---- second parameter page -------------------------------------------------------
    const int P2 = PAGE_PARA2;
    c.push_back(slider(PARA2_POWER, P2, "POWER", {row(0), kColA, kFieldH, 370}, 0, 1000, 500, 0));
    c.push_back(ring(PARA2_POWER_MODE, P2, "POWER-MODE", {row(1), kColA, kFieldH, kFieldW},
                     {{"FIXED", 0}, {"DYNAMIC POWER", 1}, {"DYNAMIC EXPOSURE", 2}}));
    c.push_back(ring(PARA2_BG_MODE, P2, "BACKGROUND-COMP", {row(1), kColB, kFieldH, kFieldW},
                     {{"OFF", 0}, {"ON", 1}}));
    c.push_back(slider(PARA2_EXPOSURE, P2, "EXPOSURE-TIME [ms]", {row(2), kColA, kFieldH, 370}, 0.0, 10.0, 1.5, 1));
    c.push_back(ring(PARA2_VTHD_MODE, P2, "VIDEO-THD-MODE", {row(3), kColA, kFieldH, kFieldW},
                     {{"FIXED", 0}, {"AUTO", 1}}));
    {
        std::vector<ListItem> items{{"NO FILTER", 0}};
        for (int v = 1; v <= 64; v *= 2)
            items.push_back({"MOVING AVERAGE " + std::to_string(v), v});
        c.push_back(ring(PARA2_FILTER, P2, "SMOOTH-VIDEO", {row(3), kColB, kFieldH, kFieldW}, std::move(items)));
    }
    c.push_back(slider(PARA2_VTHD, P2, "V-THD [%]", {row(4), kColA, kFieldH, 370}, 10, 950, 40, 0));
    c.push_back(make(PARA2_SAVE_THD, Kind::Button, P2, "SAVE V-THD", {row(5), kColA, 24, 110}));
    {
        ControlDef t = binarySwitch(PARA2_THD_TARGET, P2, "V-THD TARGET", {row(5), kColB, kFieldH, 120}, "RAM", "EEPROM");
        c.push_back(t);
    }

    // ---- third parameter page --------------------------------------------------------
    const int P3 = PAGE_PARA3;
    c.push_back(ring(PARA3_TRIG_MODE, P3, "EXT-IN0-TRIG-MODE", {row(0), kColA, kFieldH, kFieldW},
                     {{"OFF", 0}, {"MODE 1", 1}, {"MODE 2", 2}, {"MODE 3", 3}, {"MODE 4", 4}, {"MODE 5", 5}}));
    c.push_back(ring(PARA3_HW_MODE, P3, "HARDWARE-MODE", {row(0), kColB, kFieldH, kFieldW},
                     {{"DISABLE ALL", 0}, {"ENABLE ALL", 1}, {"ENABLE BTN", 2}, {"ENABLE POTI", 3}}));
    c.push_back(ring(PARA3_OP_MODE, P3, "CCD-OPERATION-MODE", {row(1), kColA, kFieldH, kFieldW},
                     {{"NORMAL-SPEED", 0}, {"DOUBLE-SPEED", 1}, {"QUAD-SPEED", 2}}));
    c.push_back(ring(PARA3_INTRG_MODE, P3, "INTERNAL-TRIGGER", {row(1), kColB, kFieldH, kFieldW},
                     {{"OFF", 0}, {"MODE 1", 1}, {"MODE 2", 2}}));
    c.push_back(numeric(PARA3_TRG_PIX, P3, "MIN-TRIGGER-PIXEL", {row(2), kColB, kFieldH, 100}, 0, 65535, 0));

    // ---- calibration page ------------------------------------------------------------
    const int PC = PAGE_CALIB;
    {
        ControlDef tab = make(CALIB_TAB, Kind::Tab, PC, "", {4, 4, 196, 388});
        tab.tabPages = 2;
        c.push_back(tab);
    }
    c.push_back(make(CALIB_TEXT, Kind::TextMessage, PC, "SLOPE CALIBRATION", {204, 8, 16, 160}));
    c.push_back(make(CALIB_HW_DESC, Kind::TextBox, PC, "", {222, 4, 80, 388}));
    c.push_back(make(CALIB_RBT_HEADER, Kind::Radio, PC, "HEADER", {230, 8, 20, 90}));
    c.push_back(make(CALIB_RBT_LOOKUP, Kind::Radio, PC, "LOOKUP", {230, 100, 20, 90}));
    c.push_back(make(CALIB_WRITE_XF, Kind::Button, PC, "WRITE XFLASH", {228, 200, 24, 110}));
    c.push_back(make(CALIB_SERVICE_FRAME, Kind::Decoration, PC, "", {224, 4, 32, 388}));

    const int C1 = PAGE_CAL1;
    c.push_back(make(CAL1_ACTIVATE, Kind::CheckBox, C1, "ACTIVATE CALIBRATION", {8, 8, 20, 180}));
    c.push_back(numeric(CAL1_REF_SIZE, C1, "REFERENCE [um]", {50, 8, kFieldH, 100}, 0, 1e9, 10000));
    c.push_back(display(CAL1_CUR_PIXEL, C1, "CURRENT [pixel]", {50, 120, kFieldH, 100}));
    c.push_back(display(CAL1_NEW_SLOPE, C1, "NEW SLOPE [um/pixel]", {96, 8, kFieldH, 100}, 4));
    c.push_back(numeric(CAL1_SLOPE, C1, "SLOPE [um/pixel]", {96, 120, kFieldH, 100}, 0, 262143.0, 5.0, 4));
    c.push_back(display(CAL1_SLOPE_SHOWN, C1, "IN USE", {96, 230, kFieldH, 100}, 4));
    c.push_back(make(CAL1_ACCEPT, Kind::Button, C1, "ACCEPT", {140, 8, 24, 80}));
    c.push_back(make(CAL1_SAVE, Kind::Button, C1, "SAVE", {140, 94, 24, 80}));
    c.push_back(make(CAL1_DISCARD, Kind::Button, C1, "DISCARD", {140, 180, 24, 80}));
    c.push_back(make(CAL1_FACTORY, Kind::Button, C1, "FACTORY", {140, 266, 24, 80}));

    const int C2 = PAGE_CAL2;
    c.push_back(numeric(CAL2_SERNO, C2, "SER-NO", {18, 8, kFieldH, 80}, 0, 65535, 0));
    c.push_back(ring(CAL2_HWTYPE, C2, "HW-TYPE", {18, 100, kFieldH, 170},
                     {{"K-VOR-MQ-10-CL", 517422}, {"K-VOR-MQ", 517311}, {"K-VOR-MQ-14-CL", 517465},
                      {"K-VOR-MQ-20-CL", 517318}, {"K-VOR-MQ-20", 517312}, {"K-VOR-MQ-30-CL", 517204},
                      {"K-VOR-MQ-30", 517449}, {"K-VOR-MQ-40-CL", 517437}, {"K-VOR-MQ-40", 517314}}));
    c.push_back(numeric(CAL2_OFFSET, C2, "UM-OFFSET", {62, 8, kFieldH, 80}, -1e9, 1e9, 0));
    c.push_back(numeric(CAL2_SLOPE, C2, "SLOPE [um/pixel]", {62, 100, kFieldH, 90}, 0, 262143.0, 5.0, 4));
    c.push_back(numeric(CAL2_RANGE, C2, "UM-RANGE", {62, 200, kFieldH, 80}, -1e9, 1e9, 20000));
    c.push_back(numeric(CAL2_DIVISOR, C2, "XF-DIVISOR", {106, 8, kFieldH, 80}, 0, 65535, 1));
    c.push_back(numeric(CAL2_SIZE, C2, "XF-SIZE", {106, 100, kFieldH, 80}, 0, 65535, 2048));
    c.push_back(make(CAL2_READ_XF, Kind::Button, C2, "READ XFLASH", {104, 200, 24, 110}));
    {
        ControlDef f = make(CAL2_FILENAME, Kind::String, C2, "CALIBRATION FILE", {150, 8, kFieldH, 300});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(CAL2_FILE_BTN, Kind::Button, C2, "...", {150, 314, kFieldH, 30}));

    // ---- recorder page ---------------------------------------------------------------
    const int PR = PAGE_REC;
    c.push_back(ring(REC_MODE, PR, "RS-232-MODE", {row(0), kColA, kFieldH, kFieldW},
                     {{"STATIC(REC)", 0}, {"EXT-IN0-L/H", 1}, {"EXT-IN0-L/H(3-BYTE)", 2}, {"CONTINUOUS", 3}}));
    c.push_back(numeric(REC_SAMPLES, PR, "SAMPLES", {row(1), kColA, kFieldH, 80}, 1, 32000, 100));
    c.push_back(numeric(REC_INTERVAL, PR, "TIME-INTERVAL [s]", {row(1), kColA + 90, kFieldH, 80}, 0.1, 6183, 1.0, 1));
    {
        ControlDef f = make(REC_FILENAME, Kind::String, PR, "RECORD FILE", {row(2), kColA, kFieldH, 330});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(REC_FILE_BTN, Kind::Button, PR, "...", {row(2), kColA + 336, kFieldH, 30}));
    c.push_back(make(REC_START, Kind::Button, PR, "START", {row(3), kColA, 24, 80}));
    c.push_back(make(REC_STOP, Kind::Button, PR, "STOP", {row(3), kColA + 90, 24, 80}));
    c.push_back(display(REC_COUNT, PR, "SAMPLE", {row(3), kColB, kFieldH, 80}));
    c.push_back(display(REC_DAYS, PR, "DAYS", {row(4), kColA, kFieldH, 50}));
    c.push_back(display(REC_HOURS, PR, "HOURS", {row(4), kColA + 60, kFieldH, 50}));
    c.push_back(display(REC_MINUTES, PR, "MIN", {row(4), kColA + 120, kFieldH, 50}));
    c.push_back(display(REC_SECONDS, PR, "SEC", {row(4), kColA + 180, kFieldH, 50}));
    for (int id : {REC_DATE, REC_TIME}) {
        ControlDef f = make(id, Kind::String, PR, id == REC_DATE ? "DATE" : "TIME",
                            {row(5), id == REC_DATE ? kColA : kColA + 110, kFieldH, 100});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(REC_STATUS, Kind::TextMessage, PR, "DATA-RECORDER READY", {row(5) + 26, kColA, 18, 370}));

    // ---- connection page -------------------------------------------------------------
    const int PN = PAGE_CONN;
    c.push_back(ring(CONN_COMTYPE, PN, "PROTOCOL", {row(0), kColA, kFieldH, 120}, {{"RS-232", 0}, {"TCP/IP", 1}}));
    c.push_back(ring(CONN_BAUD, PN, "BAUDRATE", {row(0), 140, kFieldH, 110}, kBaudItems));
    c.push_back(numeric(CONN_COMPORT, PN, "COM-PORT", {row(0), 260, kFieldH, 70}, 1, 256, 1));
    {
        ControlDef ip = make(CONN_IPADDR, Kind::ComboString, PN, "IP ADDRESS", {row(0), 140, kFieldH, 150});
        c.push_back(ip);
        ControlDef port = make(CONN_PORTNUM, Kind::String, PN, "PORT", {row(0), 300, kFieldH, 70});
        c.push_back(port);
    }
    c.push_back(make(CONN_TCP_ONLY, Kind::TextMessage, PN, "via network-to-serial server", {row(1) - 20, 140, 16, 230}));
    c.push_back(make(CONN_CONNECT, Kind::Button, PN, "CONNECT", {row(1), kColA, 24, 86}));
    c.push_back(make(CONN_DISCONNECT, Kind::Button, PN, "DISCONNECT", {row(1), 102, 24, 86}));
    c.push_back(make(CONN_ACCEPT, Kind::Button, PN, "ACCEPT", {row(1), 194, 24, 86}));
    c.push_back(make(CONN_CHANGE_BAUD, Kind::Button, PN, "SET BAUD", {row(1), 286, 24, 86}));
    c.push_back(make(CONN_HWINFO, Kind::Button, PN, "GENERATE HARDWARE INFO", {row(2) - 8, kColA, 24, 200}));
    c.push_back(make(CONN_STATUS, Kind::TextBox, PN, "", {row(2) + 22, kColA, 168, 370}));

    // ---- help pop-up -----------------------------------------------------------------
    c.push_back(make(HELP_TEXT, Kind::TextBox, PANEL_HELP, "", {2, 2, 126, 316}));
    return c;
}

std::vector<PanelDef> buildPanels()
{
    std::vector<PanelDef> p;
    p.push_back({PANEL, "K-VOR-MQ-Series CONTROL-PANEL", 548, 780, CC_PANEL, 0, 0, -1});
    p.push_back({PANEL_HELP, "", 130, 320, CC_PANELpopup, 0, 0, -1});
    p.push_back({PAGE_PARA1, "PARA-1", 0, 0, nullptr, PANEL, MAIN_TAB, 0});
    p.push_back({PAGE_PARA2, "PARA-2", 0, 0, nullptr, PANEL, MAIN_TAB, 1});
    p.push_back({PAGE_PARA3, "PARA-3", 0, 0, nullptr, PANEL, MAIN_TAB, 2});
    p.push_back({PAGE_CALIB, "CALIBRATION", 0, 0, nullptr, PANEL, MAIN_TAB, 3});
    p.push_back({PAGE_REC, "RECORDER", 0, 0, nullptr, PANEL, MAIN_TAB, 4});
    p.push_back({PAGE_CONN, "CONNECT", 0, 0, nullptr, PANEL, MAIN_TAB, 5});
    p.push_back({PAGE_CAL1, "CALIBRATION", 0, 0, nullptr, PAGE_CALIB, CALIB_TAB, 0});
    p.push_back({PAGE_CAL2, "SERVICE", 0, 0, nullptr, PAGE_CALIB, CALIB_TAB, 1});
    return p;
}

} // namespace

const std::vector<PanelDef> &PanelDefs()
{
    static const std::vector<PanelDef> panels = buildPanels();
    return panels;
}

const std::vector<ControlDef> &ControlDefs()
{
    static const std::vector<ControlDef> controls = buildControls();
    return controls;
}

const PanelDef *FindPanelDef(int resource)
{
    for (const PanelDef &p : PanelDefs())
        if (p.resource == resource)
            return &p;
    return nullptr;
}

const ControlDef *FindControlDef(int id)
{
    static const std::unordered_map<int, const ControlDef *> index = [] {
        std::unordered_map<int, const ControlDef *> m;
        for (const ControlDef &d : ControlDefs())
            m.emplace(d.id, &d);
        return m;
    }();
    auto it = index.find(id);
    return it == index.end() ? nullptr : it->second;
}

} // namespace ui
