// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The figures of a series of measurement values against a tolerance window, and its
// histogram. Qt-free.

#include <cstddef>
#include <cstdint>
#include <vector>

struct ToleranceWindow {
    double lower = 0.0; // lower tolerance limit (LSL)
    double upper = 0.0; // upper tolerance limit (USL)
};

struct SeriesFigures {
    std::size_t n = 0;
    double mean = 0.0;
    double stddev = 0.0; // sample standard deviation (n - 1)
    double min = 0.0;
    double max = 0.0;
    double range = 0.0;
    std::size_t above = 0;  // > upper
    std::size_t inside = 0; // lower <= value <= upper
    std::size_t below = 0;  // < lower
    // Cp and Cpk exist only with a spread: n >= 2 and a standard deviation above 0.
    bool capability = false;
    double cp = 0.0;
    double cpk = 0.0;
};

SeriesFigures ComputeFigures(const std::uint16_t *values, std::size_t n, ToleranceWindow window);
SeriesFigures ComputeFigures(const std::int32_t *values, std::size_t n, ToleranceWindow window);

// Bins of a histogram over [first, first + bins * width).
struct Histogram {
    double first = 0.0;
    double width = 1.0;
    std::vector<std::size_t> counts;
};

// Sturges' rule: ceil(log2 n) + 1 bins, at least 1.
int SturgesBins(std::size_t n);
// The values' range cut into `bins` equal bins (the largest value falls in the last one).
// An empty series gives no bins; a series of one value gives bins one unit wide around it.
Histogram MakeHistogram(const std::uint16_t *values, std::size_t n, int bins);
Histogram MakeHistogram(const std::int32_t *values, std::size_t n, int bins);
