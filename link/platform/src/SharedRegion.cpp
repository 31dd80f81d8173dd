#include "tools700/platform/SharedRegion.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "tools700/platform/Namespace.h"

namespace tools700::platform {

SharedRegion::~SharedRegion() { Close(); }

SharedRegion::SharedRegion(SharedRegion&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      created_(std::exchange(other.created_, false)),
      path_(std::move(other.path_))
{
}

SharedRegion& SharedRegion::operator=(SharedRegion&& other) noexcept
{
    if (this != &other) {
        Close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        created_ = std::exchange(other.created_, false);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool SharedRegion::Open(std::string_view name, std::size_t size)
{
    Close();
    std::string path = ObjectPath(name);
    if (path.empty() || size == 0)
        return false;

    bool created = true;
    int fd = shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = shm_open(path.c_str(), O_RDWR | O_CLOEXEC, 0600);
    }
    if (fd < 0)
        return false;
    if (created)
        (void)fchmod(fd, 0600);  // the umask may have taken bits, never added any

    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    // A creator sizes the region right after creating it; an opener that comes in between
    // (or finds a region of an older, smaller layout) grows it itself. Growing only ever adds
    // zero bytes, so two processes doing it at once agree.
    if (static_cast<std::size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return false;
    }
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p == MAP_FAILED)
        return false;
    data_ = p;
    size_ = size;
    created_ = created;
    path_ = std::move(path);
    return true;
}

void SharedRegion::Close()
{
    if (data_ != nullptr)
        munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
    created_ = false;
    path_.clear();
}

bool SharedRegion::Exists(std::string_view name)
{
    std::string path = ObjectPath(name);
    if (path.empty())
        return false;
    int fd = shm_open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return errno == EACCES;  // exists, but belongs to someone else
    close(fd);
    return true;
}

bool SharedRegion::Remove(std::string_view name)
{
    std::string path = ObjectPath(name);
    return !path.empty() && shm_unlink(path.c_str()) == 0;
}

}  // namespace tools700::platform
