// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a record file of one million samples and computing every figure of both
// series (with a histogram), as the statistics window does. Prints key=value figures;
// never fails on its numbers.

#include "stats/figures.h"
#include "stats/record_reader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr long kSamples = 1'000'000;

bool writeRecordFile(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f,
                 "DATE:\t12-07-2026\r\nTIME:\t10:00:00\r\nTIME-INCREMENT[s]:\t%24f\r\nNUMBER OF SAMPLES:\t%24ld\r\n"
                 "SLOPE-VALUE [\xB5m/pixel]:\t%24f\r\nTIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n",
                 0.1, kSamples, 5.0);
    unsigned seed = 12345;
    for (long i = 0; i < kSamples; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int mValue = 480 + static_cast<int>((seed >> 16) % 41);
        const long s = i / 10;
        std::fprintf(f, "%02ld:%02ld:%02ld\t%i\t%i\t%i\t%i\t%i\r\n", (s / 3600) % 24, (s / 60) % 60, s % 60, mValue,
                     300, 300 + mValue, 2, mValue * 5);
    }
    return std::fclose(f) == 0;
}

} // namespace

int main()
{
    char pattern[] = "/tmp/mq-bench-record-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        return 1;
    close(fd);
    const std::string path = pattern;
    if (!writeRecordFile(path)) {
        std::remove(path.c_str());
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    RecordReader reader;
    const RecordStatus status = reader.Update(path);
    const std::size_t n = reader.samples();
    const SeriesFigures px = ComputeFigures(reader.mValue().data(), n, {412, 612});
    const SeriesFigures um = ComputeFigures(reader.mValUm().data(), n, {412 * 5.0, 612 * 5.0});
    const Histogram hpx = MakeHistogram(reader.mValue().data(), n, SturgesBins(n));
    const Histogram hum = MakeHistogram(reader.mValUm().data(), n, SturgesBins(n));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::remove(path.c_str());

    std::printf("samples=%zu\n", n);
    std::printf("skipped_lines=%zu\n", reader.skippedLines());
    std::printf("parse_and_stats_ms_1e6=%.1f\n", ms);
    std::printf("rss_peak_mb=%.1f\n", usage.ru_maxrss / 1024.0);
    std::printf("mean_px=%.3f\n", px.mean);
    std::printf("cpk_px=%.3f\n", px.cpk);
    std::printf("cpk_um=%.3f\n", um.cpk);
    std::printf("histogram_bins_px=%zu\n", hpx.counts.size());
    std::printf("histogram_bins_um=%zu\n", hum.counts.size());
    return status == RecordStatus::Ok && n == static_cast<std::size_t>(kSamples) ? 0 : 1;
}
