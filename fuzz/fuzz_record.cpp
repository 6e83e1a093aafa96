// SPDX-License-Identifier: GPL-3.0-or-later
// Any file contents through the record-file reader, whole and in two pieces, and the
// figures and histogram of whatever samples it found.

#include "stats/figures.h"
#include "stats/record_reader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    RecordReader whole;
    whole.Feed(text, size);

    // The file as it grows: the split point anywhere must not change the outcome.
    const std::size_t split = size ? data[0] % (size + 1) : 0;
    RecordReader pieces;
    pieces.Feed(text, split);
    pieces.Feed(text + split, size - split);
    if (whole.mValue() != pieces.mValue() || whole.mValUm() != pieces.mValUm() ||
        whole.skippedLines() != pieces.skippedLines() || whole.status() != pieces.status())
        std::abort();
    if (whole.mValue().size() != whole.mValUm().size())
        std::abort();

    const std::size_t n = whole.samples();
    const SeriesFigures px = ComputeFigures(whole.mValue().data(), n, {412, 612});
    const SeriesFigures um = ComputeFigures(whole.mValUm().data(), n, {-1e6, 1e6});
    if (px.above + px.inside + px.below != n || um.above + um.inside + um.below != n)
        std::abort();
    if (n > 0 && (px.mean < px.min || px.mean > px.max || !std::isfinite(um.stddev)))
        std::abort();
    const Histogram h = MakeHistogram(whole.mValUm().data(), n, SturgesBins(n));
    std::size_t total = 0;
    for (std::size_t c : h.counts)
        total += c;
    if (total != n)
        std::abort();
    return 0;
}
