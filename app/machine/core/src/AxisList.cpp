#include "tools700/machine/AxisList.h"

#include <algorithm>
#include <charconv>

namespace tools700::machine {

namespace {

std::string Trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<int> Address(const std::string &text)
{
    const std::string t = Trimmed(text);
    int v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || v < 1 || v > 255)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<std::vector<int>> ParseAxisList(const std::string &text, std::string &error)
{
    std::vector<int> axes;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        std::size_t dash = item.find("..");
        std::size_t width = 2;
        if (dash == std::string::npos) {
            dash = item.find('-');
            width = 1;
        }
        std::optional<int> from, to;
        if (dash == std::string::npos) {
            from = to = Address(item);
        } else {
            from = Address(item.substr(0, dash));
            to = Address(item.substr(dash + width));
        }
        if (!from || !to || *from > *to) {
            error = "\"" + Trimmed(item) + "\" is not an axis address 1..255 or a range such as 1..32";
            return std::nullopt;
        }
        for (int a = *from; a <= *to; ++a)
            if (std::find(axes.begin(), axes.end(), a) == axes.end())
                axes.push_back(a);
    }
    return axes;
}

std::vector<int> DefaultScanAxes()
{
    std::vector<int> axes;
    for (int a = kDefaultFirstAxis; a <= kDefaultLastAxis; ++a)
        axes.push_back(a);
    return axes;
}

std::string AxisListText(const std::vector<int> &axes)
{
    std::string text;
    for (std::size_t i = 0; i < axes.size();) {
        std::size_t j = i;
        while (j + 1 < axes.size() && axes[j + 1] == axes[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        if (j - i >= 2) {
            text += std::to_string(axes[i]) + ".." + std::to_string(axes[j]);
            i = j + 1;
        } else {
            text += std::to_string(axes[i]);
            ++i;
        }
    }
    return text;
}

} // namespace tools700::machine
