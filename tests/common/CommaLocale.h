// A C library locale with a decimal comma for LC_NUMERIC while it lives, as a Qt program runs
// under a German user's environment: "de_DE.UTF-8" where it is installed, else one made once by
// localedef into a folder of the temporary directory that glibc is shown with LOCPATH while it
// loads it. `active` is false where neither works (no locale sources): the caller skips.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testutil {

class CommaLocale {
public:
    static constexpr const char *kName = "de_DE.UTF-8";

    CommaLocale()
    {
        if (const char *now = std::setlocale(LC_NUMERIC, nullptr))
            previous_ = now;
        active = Use() || (Make() && Use());
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    CommaLocale(const CommaLocale &) = delete;
    CommaLocale &operator=(const CommaLocale &) = delete;

    // The environment a child process needs for the same locale: LC_ALL, and LOCPATH when the
    // locale was made here.
    std::vector<std::string> Environment() const
    {
        std::vector<std::string> env{std::string("LC_ALL=") + kName};
        if (!localePath_.empty())
            env.push_back("LOCPATH=" + localePath_);
        else if (const char *path = std::getenv("LOCPATH"))
            env.push_back(std::string("LOCPATH=") + path);
        return env;
    }

    bool active = false;

private:
    // A locale made here is found through LOCPATH while it is loaded, and only then: glibc copies
    // LOCPATH on every later newlocale() of a named locale and loses that copy (40 bytes a call,
    // which the leak checker reports), and the program's date texts call newlocale().
    bool Use()
    {
        const char *outer = std::getenv("LOCPATH");
        const std::string kept = outer ? outer : "";
        if (!localePath_.empty())
            setenv("LOCPATH", localePath_.c_str(), 1);
        const char *set = std::setlocale(LC_NUMERIC, kName);
        if (!localePath_.empty()) {
            if (outer)
                setenv("LOCPATH", kept.c_str(), 1);
            else
                unsetenv("LOCPATH");
        }
        return set != nullptr && *std::localeconv()->decimal_point == ',';
    }
    // Tests running side by side each make it in a folder of their own and rename it into place.
    bool Make()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (!fs::exists("/usr/share/i18n/locales/de_DE", ec) || access("/usr/bin/localedef", X_OK) != 0)
            return false;
        const fs::path folder = fs::temp_directory_path() / ("tools700-locales-" + std::to_string(getuid()));
        if (!fs::exists(folder / kName, ec)) {
            const fs::path mine = folder.string() + "." + std::to_string(getpid());
            fs::create_directories(mine, ec);
            const std::string command = "/usr/bin/localedef -i de_DE -f UTF-8 '" + (mine / kName).string() +
                                        "' >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0 && !fs::exists(mine / kName, ec))
                return false;
            fs::create_directories(folder, ec);
            fs::rename(mine / kName, folder / kName, ec);
            fs::remove_all(mine, ec);
        }
        localePath_ = folder.string();
        return true;
    }

    std::string previous_ = "C";
    std::string localePath_;  // the folder of a locale made here
};

} // namespace testutil
