// SPDX-License-Identifier: GPL-3.0-or-later

#include "params/compare.h"

#include "params/parafile.h"

std::vector<ParameterDifference> CompareParameterSets(const ParameterSet &left, const ParameterSet &right, bool all)
{
    std::vector<ParameterDifference> fields;
    for (int i = 0; i < kParaKeyCount; ++i) {
        const ParaKey &k = kParaKeys[i];
        if (all || left.*k.field != right.*k.field)
            fields.push_back({k.name, left.*k.field, right.*k.field});
    }
    if (all || left.um_Slope != right.um_Slope)
        fields.push_back({"um-Slope", left.um_Slope, right.um_Slope});
    return fields;
}
