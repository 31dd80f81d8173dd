#include "NvMemory.h"

#include "tools700/common/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace drivesim {

std::optional<double> NvImage::Get(const std::string& name) const
{
    for (const auto& [n, v] : values)
        if (n == name) return v;
    return std::nullopt;
}

NvMemory::NvMemory(std::string path) : path_(std::move(path)) {}

bool NvMemory::Load(std::string& error)
{
    images_.clear();
    usable_ = true;
    if (path_.empty()) return true;
    errno = 0;
    std::ifstream in(path_);
    if (!in) {
        if (errno == ENOENT) return true;
        error = "can't open " + path_ + ": " + std::strerror(errno);
        usable_ = false;
        return false;
    }
    std::string line;
    int lineNo = 0;
    NvImage* current = nullptr;
    std::map<int, NvImage> images;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto bad = [&](const char* why) {
            error = path_ + ":" + std::to_string(lineNo) + ": " + why;
            usable_ = false;
            return false;
        };
        if (line[0] == '[') {
            int slot = 0;
            char close = 0;
            if (std::sscanf(line.c_str(), "[drive %d%c", &slot, &close) != 2 || close != ']' ||
                slot < 1 || slot > 511)
                return bad("expected a section [drive N]");
            current = &images[slot];
            current->values.clear();
            continue;
        }
        std::size_t eq = line.find('=');
        if (!current) return bad("value outside a [drive N] section");
        if (eq == std::string::npos || eq == 0) return bad("expected NAME=VALUE");
        std::string value = line.substr(eq + 1);
        char* end = nullptr;
        errno = 0;
        double v = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || errno == ERANGE) return bad("value is not a number");
        current->values.emplace_back(line.substr(0, eq), v);
    }
    if (in.bad()) {
        error = "error reading " + path_;
        usable_ = false;
        return false;
    }
    images_ = std::move(images);
    return true;
}

std::optional<NvImage> NvMemory::Image(int slot) const
{
    auto it = images_.find(slot);
    if (it == images_.end()) return std::nullopt;
    return it->second;
}

bool NvMemory::Store(int slot, NvImage image, std::string& error)
{
    auto old = images_;
    images_[slot] = std::move(image);
    if (!Write(error)) {
        images_ = std::move(old);
        return false;
    }
    return true;
}

bool NvMemory::Erase(int slot, std::string& error)
{
    auto old = images_;
    images_.erase(slot);
    if (!Write(error)) {
        images_ = std::move(old);
        return false;
    }
    return true;
}

bool NvMemory::Write(std::string& error) const
{
    if (path_.empty()) return true;
    if (!usable_) {
        error = path_ + " could not be read at start-up; it is left untouched";
        return false;
    }
    std::ostringstream out;
    out << "# drivesim non-volatile memory\n";
    for (const auto& [slot, image] : images_) {
        out << "[drive " << slot << "]\n";
        for (const auto& [name, value] : image.values) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", value);
            out << name << '=' << buf << '\n';
        }
    }
    tools700::FileWriteFailure failure;
    if (!tools700::ReplaceFile(path_, out.str(), failure)) {
        error = "can't write " + path_ + ": " + std::strerror(failure.error);
        return false;
    }
    return true;
}

}  // namespace drivesim
