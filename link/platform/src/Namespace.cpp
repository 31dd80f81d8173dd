#include "tools700/platform/Namespace.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace tools700::platform {

std::string Namespace()
{
    const char* env = std::getenv("COMM700_NAMESPACE");
    if (env != nullptr && *env != '\0')
        return env;
    return "comm700-" + std::to_string(static_cast<unsigned long>(getuid()));
}

namespace {

// Shared-memory names are files in /dev/shm: any byte but '/' and NUL is allowed.
void AppendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        if (c == '/')
            out += "%2F";
        else if (c == '%')
            out += "%25";
        else
            out += c;
    }
}

}  // namespace

std::string ObjectPath(std::string_view objectName)
{
    if (objectName.empty() || objectName.find('\0') != std::string_view::npos)
        return {};
    std::string path = "/";
    AppendEscaped(path, Namespace());
    path += '.';
    AppendEscaped(path, objectName);
    if (path.size() - 1 > NAME_MAX)
        return {};
    return path;
}

int RemoveNamespaceObjects(std::string_view ns)
{
    std::string prefix;
    AppendEscaped(prefix, ns);
    prefix += '.';
    int removed = 0;
    DIR* dir = opendir("/dev/shm");
    if (dir == nullptr)
        return 0;
    while (dirent* e = readdir(dir)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0) {
            std::string path = std::string("/") + e->d_name;
            if (shm_unlink(path.c_str()) == 0)
                ++removed;
        }
    }
    closedir(dir);
    return removed;
}

}  // namespace tools700::platform
