// SPDX-License-Identifier: GPL-3.0-or-later
// Series figures in two passes (mean first, then the squared deviations), which keeps
// the standard deviation exact for values far from zero.

#include "stats/figures.h"

#include <algorithm>
#include <cmath>

namespace {

template <typename T> SeriesFigures compute(const T *values, std::size_t n, ToleranceWindow w)
{
    SeriesFigures f;
    f.n = n;
    if (n == 0 || !values)
        return f;
    double sum = 0.0;
    double lo = values[0], hi = values[0];
    for (std::size_t i = 0; i < n; ++i) {
        const double v = values[i];
        sum += v;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (v > w.upper)
            ++f.above;
        else if (v < w.lower)
            ++f.below;
        else
            ++f.inside;
    }
    f.mean = sum / static_cast<double>(n);
    f.min = lo;
    f.max = hi;
    f.range = hi - lo;
    if (n >= 2) {
        double squares = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double d = values[i] - f.mean;
            squares += d * d;
        }
        f.stddev = std::sqrt(squares / static_cast<double>(n - 1));
    }
    if (n >= 2 && f.stddev > 0.0) {
        f.capability = true;
        f.cp = (w.upper - w.lower) / (6.0 * f.stddev);
        f.cpk = std::min(w.upper - f.mean, f.mean - w.lower) / (3.0 * f.stddev);
    }
    return f;
}

template <typename T> Histogram histogram(const T *values, std::size_t n, int bins)
{
    Histogram h;
    if (n == 0 || !values || bins < 1)
        return h;
    const auto [lo, hi] = std::minmax_element(values, values + n);
    const double first = *lo;
    const double last = *hi;
    if (last == first) {
        h.first = first - 0.5 * bins;
        h.width = 1.0;
    } else {
        h.first = first;
        h.width = (last - first) / bins;
    }
    h.counts.assign(static_cast<std::size_t>(bins), 0);
    for (std::size_t i = 0; i < n; ++i) {
        long long b = static_cast<long long>(std::floor((values[i] - h.first) / h.width));
        b = std::clamp<long long>(b, 0, bins - 1);
        ++h.counts[static_cast<std::size_t>(b)];
    }
    return h;
}

} // namespace

SeriesFigures ComputeFigures(const std::uint16_t *values, std::size_t n, ToleranceWindow window)
{
    return compute(values, n, window);
}

SeriesFigures ComputeFigures(const std::int32_t *values, std::size_t n, ToleranceWindow window)
{
    return compute(values, n, window);
}

int SturgesBins(std::size_t n)
{
    if (n <= 1)
        return 1;
    return static_cast<int>(std::ceil(std::log2(static_cast<double>(n)))) + 1;
}

Histogram MakeHistogram(const std::uint16_t *values, std::size_t n, int bins) { return histogram(values, n, bins); }
Histogram MakeHistogram(const std::int32_t *values, std::size_t n, int bins) { return histogram(values, n, bins); }
