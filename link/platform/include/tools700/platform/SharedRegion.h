// A named block of memory shared by every process of the namespace (POSIX shared memory,
// owner-only permissions 0600).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tools700::platform {

class SharedRegion {
public:
    SharedRegion() = default;
    ~SharedRegion();
    SharedRegion(const SharedRegion&) = delete;
    SharedRegion& operator=(const SharedRegion&) = delete;
    SharedRegion(SharedRegion&& other) noexcept;
    SharedRegion& operator=(SharedRegion&& other) noexcept;

    // Creates the region "<namespace>.<name>" of at least `size` bytes, or opens it when it
    // exists. A new region is zero-filled; created() tells whether this call made it. A region
    // left smaller by an older build or a killed creator is grown to `size` (the new bytes are
    // zero). Returns false (and leaves the object closed) on any failure.
    bool Open(std::string_view name, std::size_t size);
    void Close();

    bool IsOpen() const { return data_ != nullptr; }
    bool created() const { return created_; }
    void* data() const { return data_; }
    std::size_t size() const { return size_; }
    const std::string& path() const { return path_; }

    // True when a region (or named lock) of that name exists in the namespace.
    static bool Exists(std::string_view name);
    // Removes the name from the namespace; processes that have it open keep their mapping.
    static bool Remove(std::string_view name);

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    bool created_ = false;
    std::string path_;
};

}  // namespace tools700::platform
