// SPDX-License-Identifier: GPL-3.0-or-later
// Scaling of a window's contents: every control, caption, child panel and font follows the
// window's size with one factor, so proportions hold; the contents stand centred in the
// window. Everything the logic reads or sets is at 100 %, the panel's built size.

#include "ui/runtime_internal.h"

#include <QLabel>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

namespace ui::detail {

namespace {

struct Scale {
    double factor = 1.0;
    QPoint offset; // of the contents in the window
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

// The space the style puts around a tab's label follows the scale as the label's font does.
class TabLabelStyle : public QProxyStyle {
public:
    double factor = 1.0;
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric == PM_TabBarTabHSpace || metric == PM_TabBarTabVSpace)
            return static_cast<int>(std::lround(value * factor));
        return value;
    }
};

// The tab labels have a font of their own. Small text is a little wider than its share (whole
// pixels, hinting): where the labels would then pass the tab control's width, their font
// shrinks a little further, so that every tab stays in sight and takes its click.
void scaleTabLabels(ControlRec &c, double factor)
{
    QTabBar *bar = static_cast<QTabWidget *>(c.widget.data())->tabBar();
    auto *style = dynamic_cast<TabLabelStyle *>(bar->style());
    if (!style) {
        style = new TabLabelStyle;
        style->setParent(bar);
        bar->setStyle(style);
    }
    style->factor = factor;
    QFont font = ScaledFont(c.tabFont, factor);
    bar->setFont(font);
    const int room = static_cast<int>(std::lround(c.design.width * factor));
    for (int step = 0; step < 20 && bar->sizeHint().width() > room && font.pointSizeF() > 1.0; ++step) {
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * 0.95));
        bar->setFont(font);
    }
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
    if (c.kind == Kind::Graph || c.kind == Kind::StripChart)
        ScaleGraphFonts(c, s.factor);
    else
        c.widget->setFont(ScaledFont(c.baseFont, s.factor));
    if (c.kind == Kind::Tab)
        scaleTabLabels(c, s.factor);
    QRect place = scaled(c.design, s, top);
    // A text does not scale exactly with its font (whole pixels, hinting): one sized to its
    // text keeps room for all of it.
    if (c.fitsText)
        place.setSize(place.size().expandedTo(c.widget->sizeHint()));
    c.widget->setGeometry(place);
    if (c.caption) {
        c.caption->setGeometry(scaled(c.captionDesign, s, top));
        c.caption->setFont(ScaledFont(c.captionFont, s.factor));
    }
    if (c.kind == Kind::Led)
        ApplyStyle(c); // its roundness follows its size
}

void PlacePanel(PanelRec &p)
{
    if (!p.widget || p.parent == 0 || FindPanelDef(p.resource)->ownerTab != 0)
        return; // windows and tab pages are placed by their owners
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
