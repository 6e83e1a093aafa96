// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Two parameter sets compared field by field under their parameter-file keys: what the
// command line's diff and restore show, and what a side-by-side view of two sets shows.

#include "base/records.h"

#include <cstdint>
#include <string>
#include <vector>

struct ParameterDifference {
    std::string key; // the parameter-file key ("Power", ..., "um-Slope")
    std::uint32_t left;
    std::uint32_t right;
    bool operator==(const ParameterDifference &) const = default;
};

// The fields in file order (um-Slope last); with `all` every field, else only those that
// differ.
std::vector<ParameterDifference> CompareParameterSets(const ParameterSet &left, const ParameterSet &right,
                                                      bool all = false);
