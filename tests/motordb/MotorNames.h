// Every name of the motor database in iteration order, as the program lists them.
#pragma once

#include "mdb700.h"

#include <string>
#include <vector>

namespace motordbtest {

inline std::vector<std::string> AllNames()
{
    std::vector<std::string> names;
    char buf[9];
    for (char *n = mdb_FirstName(buf); n; n = mdb_NextName(buf))
        names.push_back(n);
    return names;
}

} // namespace motordbtest
