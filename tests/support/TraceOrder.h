// What a download of a configuration sends, in the order the drive must see it, for comparing
// with the drive simulator's trace.
#pragma once

#include "../config/SimProcess.h"
#include "tools700/config/ValueSet.h"

#include <string>
#include <utility>
#include <vector>

namespace wizardtest {

using Request = std::pair<std::string, std::string>; // command (GET, PUT, EXE), name

// The transfer's requests for the family list `list`; with `only`, a download restricted to
// those names (the seven variables other bounds depend on go first all the same).
inline std::vector<Request> DownloadRequests(const std::vector<tools700::TQX *> &list,
                                             const std::vector<std::string> *only = nullptr)
{
    auto chosen = [&](const std::string &name) {
        if (!only)
            return true;
        for (const std::string &n : *only)
            if (testutil::SameName(n, name))
                return true;
        return false;
    };
    std::vector<Request> want{{"GET", "Model"}, {"PUT", "Enable"}};
    for (const char *first : {"CommSrc", "RemoteFB", "BlkType", "EncMode", "EncInF0", "ARZ0", "ARZ1"})
        if (chosen(first))
            want.emplace_back("PUT", first);
    for (tools700::TQX *t : list)
        if (!t->Matches("Model") && chosen(t->VarName()))
            want.emplace_back("PUT", t->VarName());
    want.emplace_back("EXE", "TableGen");
    want.emplace_back("PUT", "Enable");
    return want;
}

// Every request of the trace as (command, name).
inline std::vector<Request> TracedRequests(const std::vector<testutil::TraceLine> &trace)
{
    std::vector<Request> out;
    for (const auto &t : trace)
        out.emplace_back(t.command.substr(0, 3), t.name);
    return out;
}

// The trace's requests from the first "GET Model" on, as (command, name).
inline std::vector<Request> TracedFromModel(const std::vector<testutil::TraceLine> &trace)
{
    std::vector<Request> out;
    bool started = false;
    for (const auto &t : trace) {
        const std::string cmd = t.command.substr(0, 3);
        started |= cmd == "GET" && testutil::SameName(t.name, "Model");
        if (started)
            out.emplace_back(cmd, t.name);
    }
    return out;
}

inline bool SameRequests(const std::vector<Request> &a, const std::vector<Request> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].first != b[i].first || !testutil::SameName(a[i].second, b[i].second))
            return false;
    return true;
}

} // namespace wizardtest
