#include "tools700/machine/LineAccess.h"

#include "comm700.h"

namespace tools700::machine {

bool DirectLineAccess::OnAxis(int axis, const std::function<void()> &exchanges)
{
    if (SetAxis700(axis) != COMM_OK)
        return false;
    exchanges();
    SetAxis700(homeAxis_);
    return true;
}

} // namespace tools700::machine
