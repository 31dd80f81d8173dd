// A temporary folder for one test, removed with everything in it afterwards (also when a test
// took away its permissions).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tools700-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    std::string File(const std::string &name) const { return (path_ / name).string(); }

    // Writes `content` byte for byte into the file `name` and returns its path.
    std::string Write(const std::string &name, const std::string &content) const
    {
        const std::string file = File(name);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
        return file;
    }

private:
    std::filesystem::path path_;
};

} // namespace testsupport
