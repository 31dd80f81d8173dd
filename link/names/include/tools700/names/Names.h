// Names of drive variables, commands, signals and options as every part of 700Tools compares
// them: without regard to letter case. Letters A..Z fold to a..z; every other byte, UTF-8 included,
// stands for itself, whatever the C locale (a Qt program sets it from the user's), so the order a
// table is sorted in never changes under a user. Header only, C++20 and nothing else, so that the
// link library, the dictionary, the simulator, the tools and the build-time generators share it.
#pragma once

#include <algorithm>
#include <functional>
#include <iterator>
#include <ranges>
#include <string>
#include <string_view>

namespace tools700::names {

constexpr char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name with its letters A..Z in lower case.
inline std::string Lower(std::string_view name)
{
    std::string out(name);
    for (char &c : out)
        c = FoldCase(c);
    return out;
}

// Negative, zero or positive as `a` sorts before, with or after `b` ignoring letter case; a name
// sorts before its own continuations ("ARF0" < "ARF0_Tq"). Bytes compare as unsigned.
constexpr int Compare(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldCase(a[i]));
        const auto cb = static_cast<unsigned char>(FoldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool Equal(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && Compare(a, b) == 0;
}

// The order of names ignoring letter case, for sorted containers and algorithms.
struct Less {
    using is_transparent = void;
    constexpr bool operator()(std::string_view a, std::string_view b) const { return Compare(a, b) < 0; }
};

// True when every name of `table` (by `nameOf`) comes strictly after the one before it, so that
// no two names are equal ignoring letter case.
template <std::ranges::forward_range Table, class NameOf = std::identity>
constexpr bool StrictlyAscending(const Table &table, NameOf nameOf = {})
{
    return std::ranges::adjacent_find(table, [&](const auto &a, const auto &b) {
               return Compare(std::invoke(nameOf, a), std::invoke(nameOf, b)) >= 0;
           }) == std::ranges::end(table);
}

// The element of `table`, sorted by name ignoring letter case, whose name (by `nameOf`) is
// `name` in any letter case; nullptr when there is none.
template <std::ranges::random_access_range Table, class NameOf = std::identity>
constexpr auto FindSorted(Table &&table, std::string_view name, NameOf nameOf = {})
    -> decltype(std::addressof(*std::ranges::begin(table)))
{
    const auto it = std::ranges::lower_bound(table, name, Less{}, [&](const auto &e) -> std::string_view {
        return std::invoke(nameOf, e);
    });
    if (it == std::ranges::end(table) || Compare(std::invoke(nameOf, *it), name) != 0)
        return nullptr;
    return std::addressof(*it);
}

} // namespace tools700::names
