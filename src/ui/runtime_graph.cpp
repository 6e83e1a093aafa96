// SPDX-License-Identifier: GPL-3.0-or-later
// Graphs and strip charts of the run-time layer, drawn by QCustomPlot.

#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <qcustomplot.h>

#include <algorithm>

namespace ui {
namespace detail {

namespace {
QColor toColor(int rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

ControlRec *graphControl(int panel, int control, bool strip)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return nullptr;
    if (strip != (c->kind == Kind::StripChart))
        return nullptr;
    return c;
}

QCPAxis *axisOf(QCustomPlot *plot, Axis axis) { return axis == XAXIS ? plot->xAxis : plot->yAxis; }

void replotStrip(ControlRec &c)
{
    GraphState &g = c.graph;
    QCustomPlot *plot = g.plot;
    while (plot->graphCount() < g.traces)
        plot->addGraph();
    while (plot->graphCount() > g.traces)
        plot->removeGraph(plot->graphCount() - 1);
    for (int t = 0; t < g.traces; ++t) {
        QVector<double> xs, ys;
        const std::vector<double> &h = g.history[static_cast<size_t>(t)];
        const int offset = g.pointsPerScreen - static_cast<int>(h.size());
        for (size_t i = 0; i < h.size(); ++i) {
            xs.push_back(offset + static_cast<int>(i));
            ys.push_back(h[i]);
        }
        QCPGraph *graph = plot->graph(t);
        graph->setData(xs, ys, true);
        graph->setPen(QPen(toColor(g.traceColors[static_cast<size_t>(t)]), 1));
    }
    plot->xAxis->setRange(0, std::max(1, g.pointsPerScreen - 1));
    ScheduleReplot(plot);
}
} // namespace

void ScaleGraphFonts(ControlRec &c, double scale)
{
    QCustomPlot *plot = c.graph.plot;
    if (!plot)
        return;
    const QFont font = ScaledFont(c.baseFont, scale);
    for (QCPAxis *axis : {plot->xAxis, plot->yAxis}) {
        axis->setTickLabelFont(font);
        axis->setLabelFont(font);
    }
    ScheduleReplot(plot);
}

QWidget *CreateGraphWidget(ControlRec &c, QWidget *parent, bool strip, bool compact)
{
    auto *plot = new QCustomPlot(parent);
    plot->setBackground(QBrush(QColor(0xF8, 0xF8, 0xF8)));
    QFont small = plot->font();
    small.setPointSize(7);
    plot->setFont(small); // the graph's size at 100 %, which scaling starts from
    plot->xAxis->setTickLabelFont(small);
    plot->yAxis->setTickLabelFont(small);
    plot->xAxis->setLabelFont(small);
    plot->yAxis->setLabelFont(small);
    plot->axisRect()->setAutoMargins(QCP::msLeft | QCP::msBottom);
    plot->axisRect()->setMargins(QMargins(0, 4, 6, 0));
    c.graph.plot = plot;
    if (compact) {
        // A bar too low for axes: the plot area takes it all.
        plot->xAxis->setVisible(false);
        plot->yAxis->setVisible(false);
        plot->axisRect()->setAutoMargins(QCP::msNone);
        plot->axisRect()->setMargins(QMargins(1, 1, 1, 1));
        plot->yAxis->setRange(0.0, 1.0);
    }
    if (strip) {
        c.graph.traces = 1;
        c.graph.traceColors = {VAL_BLACK};
        c.graph.history.assign(1, {});
    }
    return plot;
}

void ReplotIfAuto(ControlRec &c)
{
    if (c.graph.autoRefresh && c.graph.plot)
        ScheduleReplot(c.graph.plot);
}

} // namespace detail

using namespace detail;

int DeleteGraphPlots(int panel, int control)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c)
        return -1;
    QCustomPlot *plot = c->graph.plot;
    plot->clearPlottables();
    for (int i = plot->itemCount() - 1; i >= 0; --i) {
        QCPAbstractItem *item = plot->item(i);
        if (qobject_cast<QCPItemRect *>(item))
            plot->removeItem(item);
    }
    for (QCPItemStraightLine *line : c->graph.markLines)
        plot->removeItem(line);
    c->graph.markLines.clear();
    c->graph.plots = 0;
    c->graph.rects = 0;
    ReplotIfAuto(*c);
    return 0;
}

int PlotXY(int panel, int control, const double *x, const double *y, int count, int color, bool thick)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c || !x || !y || count < 0)
        return -1;
    QCPGraph *graph = c->graph.plot->addGraph();
    QVector<double> xs(count), ys(count);
    std::copy(x, x + count, xs.begin());
    std::copy(y, y + count, ys.begin());
    graph->setData(xs, ys, true);
    graph->setPen(QPen(toColor(color), thick ? 2 : 1));
    ++c->graph.plots;
    ReplotIfAuto(*c);
    return c->graph.plots;
}

int PlotXYu16(int panel, int control, const double *x, const unsigned short *y, int count, int color, bool thick)
{
    if (!y || count < 0)
        return -1;
    std::vector<double> ys(y, y + count);
    return PlotXY(panel, control, x, ys.data(), count, color, thick);
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int frameColor, int fillColor)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c)
        return -1;
    auto *rect = new QCPItemRect(c->graph.plot);
    rect->topLeft->setCoords(std::min(x1, x2), std::max(y1, y2));
    rect->bottomRight->setCoords(std::max(x1, x2), std::min(y1, y2));
    rect->setPen(QPen(toColor(frameColor)));
    rect->setBrush(QBrush(toColor(fillColor)));
    rect->setLayer("background");
    ++c->graph.rects;
    ReplotIfAuto(*c);
    return c->graph.rects;
}

int PlotBars(int panel, int control, const double *x, const double *heights, int count, double width, int color)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c || !x || !heights || count < 0 || !(width > 0.0))
        return -1;
    auto *bars = new QCPBars(c->graph.plot->xAxis, c->graph.plot->yAxis);
    QVector<double> xs(count), ys(count);
    std::copy(x, x + count, xs.begin());
    std::copy(heights, heights + count, ys.begin());
    bars->setData(xs, ys, true);
    bars->setWidth(width);
    bars->setPen(QPen(toColor(color).darker(150)));
    bars->setBrush(QBrush(toColor(color)));
    ++c->graph.plots;
    ReplotIfAuto(*c);
    return c->graph.plots;
}

int PlotVerticalLine(int panel, int control, double x, int color, bool dashed)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c)
        return -1;
    auto *line = new QCPItemStraightLine(c->graph.plot);
    line->setPen(QPen(toColor(color), 2, dashed ? Qt::DashLine : Qt::SolidLine));
    line->point1->setCoords(x, 0);
    line->point2->setCoords(x, 1);
    c->graph.markLines.push_back(line);
    ++c->graph.plots;
    ReplotIfAuto(*c);
    return c->graph.plots;
}

int SaveGraphImage(int panel, int control, const char *path, int width, int height)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot || !path || !*path || width < 0 || height < 0)
        return -1;
    QCustomPlot *plot = c->graph.plot;
    const QString file = QString::fromLocal8Bit(path);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    const bool ok = file.endsWith(".pdf", Qt::CaseInsensitive) ? plot->savePdf(file, width, height)
                                                               : plot->savePng(file, width, height);
    return ok ? 0 : -1;
}

int SetGraphCursor(int panel, int control, int cursor, double x, double y)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c || cursor < 1)
        return -1;
    GraphState &g = c->graph;
    g.cursors[cursor] = {x, y};
    QCPItemStraightLine *&line = g.cursorLines[cursor];
    if (!line) {
        line = new QCPItemStraightLine(g.plot);
        static const int colours[] = {VAL_BLUE, 0x00A000, VAL_RED, VAL_BLACK};
        line->setPen(
            QPen(toColor(colours[(cursor - 1) % 4]), cursor == 1 ? 2 : 1, cursor == 1 ? Qt::SolidLine : Qt::DashLine));
    }
    line->point1->setCoords(x, 0);
    line->point2->setCoords(x, 1);
    ReplotIfAuto(*c);
    return 0;
}

int GetGraphCursor(int panel, int control, int cursor, double *x, double *y)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c)
        return -1;
    auto it = c->graph.cursors.find(cursor);
    if (it == c->graph.cursors.end())
        return -1;
    *x = it->second.first;
    *y = it->second.second;
    return 0;
}

int SetAxisRange(int panel, int control, Axis axis, double minimum, double maximum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return -1;
    axisOf(c->graph.plot, axis)->setRange(minimum, maximum);
    ReplotIfAuto(*c);
    return 0;
}

int GetAxisRange(int panel, int control, Axis axis, double *minimum, double *maximum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return -1;
    const QCPRange r = axisOf(c->graph.plot, axis)->range();
    *minimum = r.lower;
    *maximum = r.upper;
    return 0;
}

int SetAxisCaption(int panel, int control, Axis axis, const char *caption)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return -1;
    axisOf(c->graph.plot, axis)->setLabel(QString::fromLatin1(caption ? caption : ""));
    ReplotIfAuto(*c);
    return 0;
}

int SetAxisPrecision(int panel, int control, Axis axis, int decimals)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot || decimals < 0)
        return -1;
    QCPAxis *a = axisOf(c->graph.plot, axis);
    a->setNumberFormat("f");
    a->setNumberPrecision(decimals);
    ReplotIfAuto(*c);
    return 0;
}

int SetGraphAutoRefresh(int panel, int control, bool on)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return -1;
    c->graph.autoRefresh = on;
    return 0;
}

int RefreshGraph(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot)
        return -1;
    ScheduleReplot(c->graph.plot);
    return 0;
}

int GetNumGraphPlots(int panel, int control)
{
    ControlRec *c = graphControl(panel, control, false);
    return c ? c->graph.plots : -1;
}

int GetNumGraphRects(int panel, int control)
{
    ControlRec *c = graphControl(panel, control, false);
    return c ? c->graph.rects : -1;
}

int GetGraphPlotY(int panel, int control, int index, std::vector<double> *y)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->graph.plot || !y)
        return -1;
    y->clear();
    if (c->kind == Kind::StripChart) {
        if (index < 0 || index >= c->graph.traces)
            return -1;
        *y = c->graph.history[static_cast<size_t>(index)];
        return 0;
    }
    if (index < 0 || index >= c->graph.plot->graphCount())
        return -1;
    for (const QCPGraphData &point : *c->graph.plot->graph(index)->data())
        y->push_back(point.value);
    return 0;
}

int GetGraphRect(int panel, int control, int index, double *x1, double *y1, double *x2, double *y2)
{
    ControlRec *c = graphControl(panel, control, false);
    if (!c || !x1 || !y1 || !x2 || !y2)
        return -1;
    int seen = 0;
    for (int i = 0; i < c->graph.plot->itemCount(); ++i) {
        auto *rect = qobject_cast<QCPItemRect *>(c->graph.plot->item(i));
        if (!rect || seen++ != index)
            continue;
        *x1 = rect->topLeft->coords().x();
        *y2 = rect->topLeft->coords().y();
        *x2 = rect->bottomRight->coords().x();
        *y1 = rect->bottomRight->coords().y();
        return 0;
    }
    return -1;
}

int SetStripChartTraces(int panel, int control, int traces)
{
    ControlRec *c = graphControl(panel, control, true);
    if (!c || traces < 1 || traces > 16)
        return -1;
    GraphState &g = c->graph;
    g.traces = traces;
    g.traceColors.resize(static_cast<size_t>(traces), VAL_BLACK);
    g.history.resize(static_cast<size_t>(traces));
    replotStrip(*c);
    return 0;
}

int SetStripChartPointsPerScreen(int panel, int control, int points)
{
    ControlRec *c = graphControl(panel, control, true);
    if (!c || points < 2)
        return -1;
    c->graph.pointsPerScreen = points;
    for (auto &h : c->graph.history)
        if (static_cast<int>(h.size()) > points)
            h.erase(h.begin(), h.end() - points);
    replotStrip(*c);
    return 0;
}

int SetStripChartTraceColor(int panel, int control, int trace, int color)
{
    ControlRec *c = graphControl(panel, control, true);
    if (!c || trace < 1 || trace > c->graph.traces)
        return -1;
    c->graph.traceColors[static_cast<size_t>(trace - 1)] = color;
    replotStrip(*c);
    return 0;
}

int GetStripChartTraceColor(int panel, int control, int trace)
{
    ControlRec *c = graphControl(panel, control, true);
    if (!c || trace < 1 || trace > c->graph.traces)
        return -1;
    return c->graph.traceColors[static_cast<size_t>(trace - 1)];
}

int PlotStripChart(int panel, int control, const double *values, int count)
{
    ControlRec *c = graphControl(panel, control, true);
    if (!c || !values || count < 0)
        return -1;
    GraphState &g = c->graph;
    const int points = count / g.traces;
    for (int p = 0; p < points; ++p)
        for (int t = 0; t < g.traces; ++t) {
            std::vector<double> &h = g.history[static_cast<size_t>(t)];
            h.push_back(values[p * g.traces + t]);
            if (static_cast<int>(h.size()) > g.pointsPerScreen)
                h.erase(h.begin());
        }
    replotStrip(*c);
    return 0;
}

} // namespace ui
