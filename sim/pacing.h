// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The serial line as the simulator models it: a request of n bytes and its answer of m bytes occupy
// n + m byte-times, and answers never overlap on the line. Times are seconds on one clock.

#include <cstddef>
#include <limits>

namespace mqsim {

class LineSchedule {
public:
    // Returns the start of the answer's first byte slot: byte k (1..m) is due at start + k * byteTime.
    // `delay` holds the whole answer back (late fault); an answer still going out pushes this one on.
    double place(double requestComplete, size_t requestBytes, size_t answerBytes, double byteTime, double delay);
    void reset() { freeAt_ = -std::numeric_limits<double>::infinity(); }
    double freeAt() const { return freeAt_; }

private:
    double freeAt_ = -std::numeric_limits<double>::infinity();
};

// Bytes written together on a paced line: about a millisecond's worth, at least one.
size_t sliceBytes(double byteTime);

} // namespace mqsim
