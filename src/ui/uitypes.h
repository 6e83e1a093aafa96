// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Vocabulary shared by the panel resource description and the run-time layer:
// control kinds, the events callbacks receive, colours and the callback form.

namespace ui {

enum class Kind {
    Button,       // command button: left click (press) then commit
    Ring,         // drop-down list of (label, integer value) items
    Numeric,      // numeric field, integer or double by its precision
    Slider,       // horizontal slider with a value read-out, double
    BinarySwitch, // two-state switch with an off and an on label
    Toggle,       // toggle button
    Radio,        // radio button (groups are kept by the callbacks, not the toolkit)
    CheckBox,
    TextMessage, // static text
    String,      // one-line text entry
    ComboString, // text entry with a drop-down list of recent entries
    TextBox,     // multi-line read-only text; every insert adds a line
    Led,         // round lamp
    Graph,       // XY graph with plots, rectangles and cursors
    StripChart,  // rolling chart with several traces
    Decoration,  // frame or coloured band
    Picture,     // bitmap from a file next to the program
    Tab,         // tab control whose pages are child panels
    ProgressBar, // horizontal bar of an integer value between its minimum and maximum
};

// Events delivered to callbacks.
enum Event {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_LEFT_DOUBLE_CLICK = 4,
    EVENT_RIGHT_CLICK = 5,
    EVENT_RIGHT_DOUBLE_CLICK = 6,
    EVENT_KEYPRESS = 7,
    EVENT_GOT_FOCUS = 8,
    EVENT_LOST_FOCUS = 9,
    EVENT_CLOSE = 10,
    EVENT_PANEL_SIZE = 11,
    EVENT_ACTIVE_TAB_CHANGE = 12,
};

// Colours are 0xRRGGBB.
constexpr int VAL_BLACK = 0x000000;
constexpr int VAL_WHITE = 0xFFFFFF;
constexpr int VAL_RED = 0xFF0000;
constexpr int VAL_GREEN = 0x00FF00;
constexpr int VAL_DK_GREEN = 0x008000;
constexpr int VAL_BLUE = 0x0000FF;
constexpr int VAL_LT_GRAY = 0xE0E0E0;
constexpr int VAL_GRAY = 0xA0A0A0;

// Every control and panel callback has this form and returns 0.
using CtrlCallback = int (*)(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

struct Rect {
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
};

} // namespace ui
