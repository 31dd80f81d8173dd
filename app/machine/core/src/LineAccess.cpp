#include "tools700/machine/LineAccess.h"

#include "comm700.h"
#include "tools700/common/Line.h"

namespace tools700::machine {

bool SelectedAxisLineAccess::OnAxis(int axis, const std::function<void()> &exchanges)
{
    bool ran = false;
    WithAxis(axis, [&] {
        ran = true;
        exchanges();
        return 0;
    });
    return ran;
}

bool DirectLineAccess::OnAxis(int axis, const std::function<void()> &exchanges)
{
    const LineTurn turn;
    if (!turn || ::SetAxis700(axis) != COMM_OK)
        return false;
    exchanges();
    ::SetAxis700(homeAxis_);
    return true;
}

} // namespace tools700::machine
