// Scaling of a window's contents: every control, caption, child panel and font follows the
// window's size with one factor, so proportions hold; the contents stand centred in the
// window. Everything the logic reads or sets is at 100 %, the panel's built size.

#include "ui/runtime_internal.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace ui::detail {

namespace {

struct Scale {
    double factor = 1.0;
    QPoint offset;  // of the contents in the window
};

int topPanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    while (p && p->parent != 0)
        p = FindPanel(p->parent);
    return p ? p->handle : 0;
}

Scale scaleOf(int panel)
{
    PanelRec *top = FindPanel(topPanel(panel));
    const PanelDef *def = top ? FindPanelDef(top->resource) : nullptr;
    if (!def || !top->widget || def->width <= 0 || def->height <= 0)
        return {};
    const QSize size = top->widget->size();
    Scale s;
    s.factor = std::min(size.width() / double(def->width), size.height() / double(def->height));
    s.offset = QPoint(static_cast<int>(std::lround((size.width() - def->width * s.factor) / 2)),
                      static_cast<int>(std::lround((size.height() - def->height * s.factor) / 2)));
    return s;
}

QRect scaled(const Rect &r, const Scale &s, bool onWindow)
{
    auto at = [&](int v) { return static_cast<int>(std::lround(v * s.factor)); };
    const QPoint offset = onWindow ? s.offset : QPoint();
    // Corners scale, so neighbours that touch at 100 % still touch.
    const int left = at(r.left), top = at(r.top);
    return {left + offset.x(), top + offset.y(), at(r.left + r.width) - left, at(r.top + r.height) - top};
}

// Controls on the window itself and child panels stand in the centred contents; controls
// on a tab page or a child panel are placed within it.
bool onWindow(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->parent == 0;
}

} // namespace

QFont ScaledFont(const QFont &base, double scale)
{
    QFont f = base;
    if (base.pointSizeF() > 0)
        f.setPointSizeF(std::max(1.0, base.pointSizeF() * scale));
    else if (base.pixelSize() > 0)
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(base.pixelSize() * scale))));
    return f;
}

void PlaceControl(ControlRec &c)
{
    if (!c.widget)
        return;
    const Scale s = scaleOf(c.panel);
    const bool top = onWindow(c.panel);
    c.widget->setGeometry(scaled(c.design, s, top));
    if (c.kind == Kind::Graph || c.kind == Kind::StripChart)
        ScaleGraphFonts(c, s.factor);
    else
        c.widget->setFont(ScaledFont(c.baseFont, s.factor));
    if (c.caption) {
        c.caption->setGeometry(scaled(c.captionDesign, s, top));
        c.caption->setFont(ScaledFont(c.captionFont, s.factor));
    }
    if (c.kind == Kind::Led)
        ApplyStyle(c);  // its roundness follows its size
}

void PlacePanel(PanelRec &p)
{
    if (!p.widget || p.parent == 0 || FindPanelDef(p.resource)->ownerTab != 0)
        return;  // windows and tab pages are placed by their owners
    const Scale s = scaleOf(p.handle);
    p.widget->setGeometry(scaled(p.design, s, onWindow(p.parent)));
}

void RescaleWindow(int panel)
{
    const int top = topPanel(panel);
    std::vector<int> tree = {top};
    for (size_t i = 0; i < tree.size(); ++i) {
        PanelRec *p = FindPanel(tree[i]);
        if (!p)
            continue;
        PlacePanel(*p);
        for (int id : p->controls)
            if (ControlRec *c = FindControl(p->handle, id))
                PlaceControl(*c);
        for (int child : ChildPanels(p->handle))
            tree.push_back(child);
    }
}

} // namespace ui::detail
