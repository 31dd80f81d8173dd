// The reference sweep: the sweep the technician kept to compare the next ones with. It lives in
// the program's data folder as a sweep file ("SweepReference.csv") with its signals, units,
// timebase, trigger, scales and offsets, so it outlasts the program and the next run shows it.
#pragma once

#include "tools700/common/Sweep.h"

#include <memory>
#include <string>

namespace tools700::analysis {

inline constexpr const char *kReferenceFileName = "SweepReference.csv";

// `dataDir` ends with a separator.
std::string ReferencePath(const std::string &dataDir);
// Stores the sweep, replacing the one kept before only once the new file is whole.
bool KeepReference(const std::string &dataDir, const Sweep &sweep, std::string &error);
// The kept sweep; null when none is kept (error empty) or the file cannot be read (error set).
std::shared_ptr<const Sweep> LoadReference(const std::string &dataDir, std::string &error);
// Removes the kept sweep; true when none is left.
bool ClearReference(const std::string &dataDir, std::string &error);

} // namespace tools700::analysis
