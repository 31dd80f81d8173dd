#include "tools700/analysis/ReferenceSweep.h"

#include "tools700/analysis/SweepFile.h"

#include <filesystem>

namespace tools700::analysis {

std::string ReferencePath(const std::string &dataDir) { return dataDir + kReferenceFileName; }

bool KeepReference(const std::string &dataDir, const Sweep &sweep, std::string &error)
{
    return WriteSweepFile(ReferencePath(dataDir), sweep, SweepView{}, {"Reference sweep of the sweep analysis"}, error);
}

std::shared_ptr<const Sweep> LoadReference(const std::string &dataDir, std::string &error)
{
    const std::string path = ReferencePath(dataDir);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return nullptr;
    auto file = ReadSweepFile(path, error);
    if (!file)
        return nullptr;
    auto sweep = std::make_shared<Sweep>(std::move(file->frames.back()));
    sweep->origin = "reference";
    return sweep;
}

bool ClearReference(const std::string &dataDir, std::string &error)
{
    const std::string path = ReferencePath(dataDir);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec) {
        error = "Can't remove file " + path + " (" + ec.message() + ")";
        return false;
    }
    return true;
}

} // namespace tools700::analysis
