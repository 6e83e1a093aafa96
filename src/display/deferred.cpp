// SPDX-License-Identifier: GPL-3.0-or-later

#include "display/deferred.h"

#include "base/state.h"

#include <vector>

namespace {

struct DeferredRequest {
    int *flag;
    void (*carryOut)();
};

std::vector<DeferredRequest> &requests()
{
    static std::vector<DeferredRequest> table;
    return table;
}

} // namespace

void RegisterDeferredRequest(int *flag, void (*carryOut)())
{
    for (DeferredRequest &r : requests())
        if (r.flag == flag) {
            r.carryOut = carryOut;
            return;
        }
    requests().push_back({flag, carryOut});
}

bool DeferredRequestsPending()
{
    for (const DeferredRequest &r : requests())
        if (*r.flag == 1)
            return true;
    return false;
}

bool CarryOutDeferredRequests(bool honourExit)
{
    for (const DeferredRequest &r : requests()) {
        if (*r.flag != 1)
            continue;
        *r.flag = 0;
        r.carryOut();
    }
    if (honourExit && exit_flag == 1) {
        stop_flag = 1;
        return true;
    }
    return false;
}
