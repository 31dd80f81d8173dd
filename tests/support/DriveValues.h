// Values a drive accepts: the simulator starts every variable at the dictionary default, and a
// few defaults (ARZ0, ARZ1) lie outside the bounds it enforces on writes.
#pragma once

#include "tools700/config/Cfg.h"

#include <string>

namespace testsupport {

// Brings every value of both lists into its bounds.
inline void IntoBounds(tools700::Cfg &cfg)
{
    for (const auto *list : {&cfg.PrimaryList(), &cfg.SecondaryList()})
        for (tools700::TQX *t : *list) {
            const std::string &n = t->VarName();
            if (n.find("Map") != std::string::npos)
                continue; // I/O maps carry the active-high bit above their bounds
            if (t->Val() < t->Min())
                t->Val(t->Min());
            if (t->Val() > t->Max())
                t->Val(t->Max());
        }
}

} // namespace testsupport
