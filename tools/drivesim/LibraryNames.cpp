// The wire symbol table as the loaded link library holds it.
#include "WireNames.h"
#include "comm700.h"

namespace drivesim {

WireNames WireNames::FromLibrary()
{
    std::vector<WireName> entries;
    for (int i = 0;; ++i) {
        char name[32] = {};
        int id = 0, kind = 0;
        if (Sym700(i, name, &id, &kind) != 1) break;
        entries.push_back({name, kind, id});
    }
    return WireNames(std::move(entries));
}

}  // namespace drivesim
