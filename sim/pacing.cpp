// SPDX-License-Identifier: GPL-3.0-or-later

#include "pacing.h"

#include <algorithm>

namespace mqsim {

double LineSchedule::place(double requestComplete, size_t requestBytes, size_t answerBytes, double byteTime,
                           double delay)
{
    const double start = std::max(requestComplete + delay + static_cast<double>(requestBytes) * byteTime, freeAt_);
    freeAt_ = start + static_cast<double>(answerBytes) * byteTime;
    return start;
}

size_t sliceBytes(double byteTime)
{
    if (byteTime <= 0.0)
        return std::numeric_limits<size_t>::max();
    return std::max<size_t>(1, static_cast<size_t>(0.001 / byteTime));
}

} // namespace mqsim
