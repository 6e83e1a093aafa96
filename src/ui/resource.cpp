// SPDX-License-Identifier: GPL-3.0-or-later
// The resource description the panels installed, and the index over its controls.

#include "ui/resource.h"

#include <unordered_map>
#include <utility>

namespace ui {
namespace {

struct Description {
    std::vector<PanelDef> panels;
    std::vector<ControlDef> controls;
    std::unordered_map<int, const ControlDef *> index;
};

Description &description()
{
    static Description d;
    return d;
}

} // namespace

void SetResourceDescription(std::vector<PanelDef> panels, std::vector<ControlDef> controls)
{
    Description &d = description();
    d.panels = std::move(panels);
    d.controls = std::move(controls);
    d.index.clear();
    for (const ControlDef &c : d.controls)
        d.index.emplace(c.id, &c);
}

const std::vector<PanelDef> &PanelDefs() { return description().panels; }
const std::vector<ControlDef> &ControlDefs() { return description().controls; }

const PanelDef *FindPanelDef(int resource)
{
    for (const PanelDef &p : PanelDefs())
        if (p.resource == resource)
            return &p;
    return nullptr;
}

const ControlDef *FindControlDef(int id)
{
    const auto &index = description().index;
    auto it = index.find(id);
    return it == index.end() ? nullptr : it->second;
}

} // namespace ui
