// Lists of axis addresses as a user writes them: "1..32", "1-8,12", "3,5,7".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools700::machine {

// The addresses a scan asks when none are given.
constexpr int kDefaultFirstAxis = 1;
constexpr int kDefaultLastAxis = 32;

// Items separated by commas, each an address 1..255 or a range "A..B" / "A-B" (A <= B).
// Returns the addresses in the order written, each once; nullopt (with `error`) for bad text.
std::optional<std::vector<int>> ParseAxisList(const std::string &text, std::string &error);

// 1..32.
std::vector<int> DefaultScanAxes();

// "1..32", "1, 3, 5..8": consecutive runs of three or more written as ranges.
std::string AxisListText(const std::vector<int> &axes);

} // namespace tools700::machine
