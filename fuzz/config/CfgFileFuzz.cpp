// Fuzzes the *.cfg reader: any bytes as a configuration file, read into a configuration of each
// family. A file that is not a configuration must end in the reader's own error, never outside
// the buffers or in another exception.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "tools700/common/Error.h"
#include "tools700/config/Cfg.h"

using namespace tools700;

namespace {

// The input goes into an in-memory file, opened by the reader through its /proc path.
struct MemoryFile {
    MemoryFile() : fd(memfd_create("cfg-fuzz", MFD_CLOEXEC)), path("/proc/self/fd/" + std::to_string(fd)) {}
    void Fill(const uint8_t *data, size_t size)
    {
        (void)!ftruncate(fd, 0);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
    }
    int fd;
    std::string path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Built once: a configuration holds several hundred bindings, and loading overwrites them.
    static MemoryFile file;
    static Cfg cfg730;
    static Cfg cfg740(740);
    file.Fill(data, size);
    for (Cfg *cfg : {&cfg730, &cfg740}) {
        try {
            (void)cfg->Load(file.path);
        } catch (const Error &) {
            // "Error reading file ...": the reader's answer to a bad line
        }
    }
    return 0;
}
