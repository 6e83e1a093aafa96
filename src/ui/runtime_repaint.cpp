// SPDX-License-Identifier: GPL-3.0-or-later
// Repaints of the run-time layer. Windows and graphs are painted at most at the screen's
// rate: a measurement loop changes its displays a thousand times a second, and painting
// each change would cost more than the measurement. A loop may take the timing over, so
// that painting falls where the loop has time for it (just after a request went out)
// rather than wherever a timer fires, which may be the moment its answer arrives.

#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <qcustomplot.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace ui {
namespace detail {

namespace {

constexpr qint64 kIntervalMs = 16;
// While a loop paces the repaints, timers only stand in for it when it stalls (waiting
// for a late answer), so that the window still shows what happened.
constexpr qint64 kStalledLoopMs = 100;

bool g_pacedByCaller = false;

qint64 timerDelay(qint64 sinceLastPaint)
{
    const qint64 interval = g_pacedByCaller ? kStalledLoopMs : kIntervalMs;
    return std::max<qint64>(0, interval - sinceLastPaint);
}

// Qt posts one update request per window and waits for it before posting another, so a
// request held back here is delivered later and nothing is lost.
class RepaintThrottle : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest || passing_)
            return false;
        if (!g_pacedByCaller && sinceLastPaint() >= kIntervalMs) {
            lastPaint_ = clock().elapsed();
            return false;
        }
        if (!held_.contains(watched)) {
            held_.append(watched);
            QTimer::singleShot(static_cast<int>(timerDelay(sinceLastPaint())), this,
                               [this, target = QPointer<QObject>(watched)] {
                                   if (target && held_.contains(target.data()))
                                       deliver(target.data());
                               });
        }
        return true;
    }

    qint64 sinceLastPaint() { return clock().elapsed() - lastPaint_; }

    // A window that goes while its request is held back is forgotten with it.
    void watch(QWidget *window)
    {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this](QObject *gone) { held_.removeAll(gone); });
    }

    // Paints every window whose request was held back, and whatever requests are posted.
    void deliverAll()
    {
        passing_ = true;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        passing_ = false;
        const QList<QObject *> held = held_;
        for (QObject *target : held)
            deliver(target);
        lastPaint_ = clock().elapsed();
    }

private:
    QElapsedTimer &clock()
    {
        if (!clock_.isValid())
            clock_.start();
        return clock_;
    }

    void deliver(QObject *target)
    {
        held_.removeAll(target);
        lastPaint_ = clock().elapsed();
        QEvent request(QEvent::UpdateRequest);
        passing_ = true;
        QCoreApplication::sendEvent(target, &request);
        passing_ = false;
    }

    QElapsedTimer clock_;
    qint64 lastPaint_ = -kIntervalMs;
    QList<QObject *> held_;
    bool passing_ = false;
};

RepaintThrottle *throttle()
{
    static RepaintThrottle *instance = new RepaintThrottle;
    return instance;
}

std::vector<QPointer<QCustomPlot>> g_dirtyPlots;
QTimer *g_replotTimer = nullptr;

void replotDirty()
{
    std::vector<QPointer<QCustomPlot>> plots;
    plots.swap(g_dirtyPlots);
    for (const QPointer<QCustomPlot> &plot : plots)
        if (plot)
            plot->replot(QCustomPlot::rpQueuedRefresh);
}

} // namespace

void InstallRepaintThrottle(QWidget *window) { throttle()->watch(window); }

void ScheduleReplot(QCustomPlot *plot)
{
    if (std::find(g_dirtyPlots.begin(), g_dirtyPlots.end(), plot) == g_dirtyPlots.end())
        g_dirtyPlots.emplace_back(plot);
    if (!g_replotTimer) {
        g_replotTimer = new QTimer(QCoreApplication::instance());
        g_replotTimer->setSingleShot(true);
        QObject::connect(g_replotTimer, &QTimer::timeout, replotDirty);
        QObject::connect(g_replotTimer, &QObject::destroyed, [] { g_replotTimer = nullptr; });
    }
    if (!g_replotTimer->isActive())
        g_replotTimer->start(static_cast<int>(g_pacedByCaller ? kStalledLoopMs : kIntervalMs));
}

} // namespace detail

using namespace detail;

PacedRepaints::PacedRepaints() : previous_(g_pacedByCaller) { g_pacedByCaller = true; }

PacedRepaints::~PacedRepaints()
{
    g_pacedByCaller = previous_;
    // The last state the loop left is painted now rather than after the fallback delay.
    replotDirty();
    throttle()->deliverAll();
}

void RepaintIfDue()
{
    if (throttle()->sinceLastPaint() < kIntervalMs)
        return;
    replotDirty();
    throttle()->deliverAll();
}

} // namespace ui
