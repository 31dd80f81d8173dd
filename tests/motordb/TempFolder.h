// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace motordbtest {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mdb700-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }

    // Writes `content` byte for byte into the file `name` and returns its path.
    std::string Write(const std::string &name, const std::string &content) const
    {
        std::filesystem::path p = path_ / name;
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << content;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

// A definition line of 20 numbers in the format the motor editor saves (no line end).
inline std::string DefinitionLine(double first = 0, double ke = 0.25)
{
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "%f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f", first, 4096.0,
                  ke, 0.000012, 4.2, 1.3, 8.0, 3.5, 30.0, 1.0, 1.0, 0.0, 0.0, 0.0, 20.0, 0.0,
                  ke, 0.0, 320.0, 0.0);
    return buf;
}

} // namespace motordbtest
