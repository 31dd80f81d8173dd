#include "tools700/common/AtomicFile.h"

#include "tools700/common/Error.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tools700 {

namespace {
// The file a save really replaces: a symbolic link is followed so the link stays a link.
std::string TargetPath(const std::string &fileName)
{
    struct stat st {};
    if (lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(fileName.c_str(), resolved))
            return resolved;
    }
    return fileName;
}

std::atomic<unsigned> g_tempCounter{0};

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string &data)
{
    const char *p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}
} // namespace

bool ReplaceFile(const std::string &fileName, const std::string &contents, FileWriteFailure &failure)
{
    failure = {};
    const std::string target = TargetPath(fileName);
    // A new file of our own beside the target. Created with 0666, so the kernel applies the
    // process's umask itself: reading the umask means setting it, which would change it for
    // every other thread meanwhile.
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = target + ".tmp" + std::to_string(getpid()) + "." + std::to_string(g_tempCounter.fetch_add(1));
        fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        failure.error = errno;
        return false;
    }
    failure.created = true;

    // Keep the permissions of the file being replaced.
    struct stat st {};
    bool ok = true;
    if (stat(target.c_str(), &st) == 0)
        ok = fchmod(fd, st.st_mode & 07777) == 0 || errno == EPERM;
    ok = ok && WriteAll(fd, contents) && fsync(fd) == 0;
    if (!ok)
        failure.error = errno;
    if (close(fd) != 0 && ok) {
        failure.error = errno;
        ok = false;
    }
    if (ok && rename(tmp.c_str(), target.c_str()) == 0) {
        // The rename lives in the folder: sync it too, or a crash may bring the old file back.
        const std::string dir = FolderOf(target);
        const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            fsync(dfd);
            close(dfd);
        }
        return true;
    }
    if (ok)
        failure.error = errno;  // the rename failed
    unlink(tmp.c_str());
    return false;
}

void WriteFileAtomically(const std::string &fileName, const std::string &contents)
{
    FileWriteFailure failure;
    if (ReplaceFile(fileName, contents, failure))
        return;
    throw Error((failure.created ? "Error writing file " : "Can't open file ") + fileName);
}

} // namespace tools700
