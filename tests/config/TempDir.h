// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testutil {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tools700-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        path_ = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string &name) const { return (path_ / name).string(); }
    const std::filesystem::path &Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteText(const std::string &file, const std::string &text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

inline std::string ReadText(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace testutil
