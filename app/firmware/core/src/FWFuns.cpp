#include "tools700/firmware/FWFuns.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Error.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tools700::firmware {

FWFuns::FWFuns() : words(kImageWords, 0) {}

std::uint32_t FWFuns::LoadImage(const std::string &name)
{
    // Read only: an image on a read-only medium or without write permission is still an image.
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!file)
        throw Error(kCantOpenFile + name);
    std::vector<std::uint16_t> image;
    image.reserve(kImageWords);
    std::uint32_t sum = 0;
    for (;;) {
        const int c = std::fgetc(file.get());
        if (c == EOF) {
            if (std::ferror(file.get()))
                throw Error(kErrorReadingFile + name);
            break;
        }
        image.push_back(static_cast<std::uint16_t>(c));
        sum += static_cast<std::uint32_t>(c);
        if (image.size() > static_cast<std::size_t>(kMaxFileBytes))
            throw Error(kFileTooLarge + name);
    }
    if (image.empty())
        throw Error(kFileEmpty + name);
    for (int i = 0; i < 4; ++i)
        image.push_back(static_cast<std::uint16_t>((sum >> (8 * i)) & 0xFF));

    std::copy(image.begin(), image.end(), words.begin());
    std::fill(words.begin() + static_cast<long>(image.size()), words.end(), 0);
    total = remaining = static_cast<int>(image.size());
    return sum;
}

SegmentReply FWFuns::SendSegment(std::uint16_t segment)
{
    SegmentReply r;
    r.count = std::min(remaining, kSegmentWords);
    const std::uint16_t *data = words.data() + (total - remaining);
    remaining -= r.count;
    r.control = remaining == 0 ? kLastSegmentControl : kSegmentControl;
    r.status = line::ExecLoadSegment(static_cast<std::uint16_t>(r.count), r.control, &r.segmentStatus, segment,
                               &r.word5, data);
    return r;
}

void FWFuns::Clear()
{
    total = remaining = 0;
}

} // namespace tools700::firmware
