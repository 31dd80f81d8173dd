#include "tools700/config/VariableReader.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/config/StatusText.h"

#include <algorithm>

namespace tools700 {

std::vector<VariableReading> ReadVariables(const std::vector<std::string> &names, const ProgressFn &progress,
                                           const CancelFn &cancelled)
{
    std::vector<VariableReading> out(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        out[i].name = names[i];
    const std::size_t total = names.size();
    std::size_t settled = 0;
    auto report = [&] {
        if (progress && total > 0)
            progress(static_cast<double>(settled) / static_cast<double>(total));
    };
    int lineFailure = 0;
    for (std::size_t first = 0; first < total && lineFailure == 0; first += kNamesPerExchange) {
        if (cancelled && cancelled())
            return out;
        const std::size_t count = std::min(kNamesPerExchange, total - first);
        const char *batch[kNamesPerExchange + 1] = {};
        for (std::size_t i = 0; i < count; ++i)
            batch[i] = out[first + i].name.c_str();
        double values[kNamesPerExchange] = {};
        int mask = 0;
        const int status = line::GetVars700(batch, values, &mask);
        const unsigned valid = status == 0 ? static_cast<unsigned>(mask) : 0u;
        for (std::size_t i = 0; i < count; ++i)
            if ((valid >> i) & 1u) {
                out[first + i].status = 0;
                out[first + i].value = values[i];
                ++settled;
            }
        report();
        for (std::size_t i = 0; i < count; ++i) {
            VariableReading &r = out[first + i];
            if (r.Read())
                continue;
            if (cancelled && cancelled())
                return out;
            double value = 0;
            r.status = line::GetVar700(r.name.c_str(), &value);
            if (r.status == 0)
                r.value = value;
            ++settled;
            report();
            if (IsLineFailure(r.status)) {
                lineFailure = r.status;
                break;
            }
        }
    }
    if (lineFailure != 0)
        for (VariableReading &r : out)
            if (r.status == VariableReading::kNotRead)
                r.status = lineFailure;
    return out;
}

} // namespace tools700
