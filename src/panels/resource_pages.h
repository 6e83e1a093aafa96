// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Helpers for the page files of the resource description: one file per panel page,
// each adding its controls in the order they are built.

#include "base/control_ids.h"
#include "ui/resource.h"

#include <string>
#include <vector>

namespace panels::res {

using namespace ui;

inline const std::vector<ListItem> kBaudItems = {{"9600", 0}, {"19200", 1}, {"38400", 2}, {"57600", 3}, {"115200", 4}};

inline ControlDef make(int id, Kind kind, int panel, const char *label, Rect rect, CtrlCallback callback = nullptr)
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

inline ControlDef bind(ControlDef d, CtrlCallback callback)
{
    d.callback = callback;
    return d;
}

inline ControlDef numeric(int id, int panel, const char *label, Rect rect, double lo, double hi, double initial,
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

inline ControlDef display(int id, int panel, const char *label, Rect rect, int precision = 0)
{
    return numeric(id, panel, label, rect, -1e12, 1e12, 0.0, precision, true);
}

inline ControlDef ring(int id, int panel, const char *label, Rect rect, std::vector<ListItem> items)
{
    ControlDef d = make(id, Kind::Ring, panel, label, rect);
    d.items = std::move(items);
    return d;
}

inline ControlDef binarySwitch(int id, int panel, const char *label, Rect rect, const char *off, const char *on)
{
    ControlDef d = make(id, Kind::BinarySwitch, panel, label, rect);
    d.offText = off;
    d.onText = on;
    return d;
}

inline ControlDef led(int id, int panel, const char *label, Rect rect, int color)
{
    ControlDef d = make(id, Kind::Led, panel, label, rect);
    d.color = color;
    return d;
}

inline ControlDef slider(int id, int panel, const char *label, Rect rect, double lo, double hi, double initial,
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

void AddMainPanel(std::vector<ControlDef> &c);
void AddPara1Page(std::vector<ControlDef> &c);
void AddPara2Page(std::vector<ControlDef> &c);
void AddPara3Page(std::vector<ControlDef> &c);
void AddCalibrationPages(std::vector<ControlDef> &c);
void AddRecorderPage(std::vector<ControlDef> &c);
void AddConnectionPage(std::vector<ControlDef> &c);
void AddHelpPopup(std::vector<ControlDef> &c);
void AddStatisticsWindow(std::vector<ControlDef> &c);
void AddSetupWindow(std::vector<ControlDef> &c);
void AddPlantLinkDialog(std::vector<ControlDef> &c);
void AddChangeLogWindow(std::vector<ControlDef> &c);
void AddCompareWindow(std::vector<ControlDef> &c);

} // namespace panels::res
