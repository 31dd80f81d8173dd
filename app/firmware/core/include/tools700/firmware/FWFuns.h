// FWFuns: the firmware image of the upgrade window, loaded from a file and sent to the drive's
// control board in segments of up to 64 image words. The image is the file's bytes, one byte
// value per word, followed by their sum as four bytes, least significant first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools700::firmware {

// The largest firmware file: its bytes and the four checksum bytes fill the image words.
inline constexpr int kMaxFileBytes = 262140;
inline constexpr int kImageWords = 262144;
inline constexpr int kSegmentWords = 64;

// Control word of a load-segment request: 0xC0 with SEG_PROGRAM for every segment, SEG_LAST as
// well on the segment that empties the image.
inline constexpr std::uint16_t kSegBase = 0xC0;
inline constexpr std::uint16_t kSegProgram = 0x20;
inline constexpr std::uint16_t kSegLast = 0x10;
inline constexpr std::uint16_t kSegmentControl = kSegBase | kSegProgram;       // 0xE0
inline constexpr std::uint16_t kLastSegmentControl = kSegmentControl | kSegLast; // 0xF0
// Bit 0 of the drive's segment status: the segment could not be programmed.
inline constexpr std::uint16_t kSegmentFault = 0x01;

inline constexpr const char *kCantOpenFile = "Can't open file ";
inline constexpr const char *kErrorReadingFile = "Error reading file ";
inline constexpr const char *kFileTooLarge = "The file is too large ";
// An empty file holds no program: sending it would erase the drive's firmware for nothing.
inline constexpr const char *kFileEmpty = "The file is empty ";

// What one SendSegment did.
struct SegmentReply {
    int status = 0;                 // link status of ExecLoadSegment
    std::uint16_t segmentStatus = 0; // the drive's segment status (bit 0: programming fault)
    std::uint16_t word5 = 0;         // the reply's word 5
    int count = 0;                   // image words the segment carried
    std::uint16_t control = 0;       // the control word sent
};

class FWFuns {
public:
    FWFuns();

    int total = 0;                     // image words: the file's bytes plus 4 checksum bytes
    std::vector<std::uint16_t> words;  // kImageWords words, one byte value each
    int remaining = 0;                 // image words not yet sent
    std::uint16_t segmentWord = 1;     // the segment word sent with each segment

    // Reads the file into the image and returns the checksum. Raises "Can't open file ",
    // "Error reading file ", "The file is too large " or "The file is empty " followed by the
    // name. The file is read whole before the image changes: a failed load leaves the image held
    // before as it was.
    std::uint32_t LoadImage(const std::string &name);

    // Sends the next segment (at most 64 words from the image position) with ExecLoadSegment.
    SegmentReply SendSegment(std::uint16_t segment);

    // Back to the first image word, so that a new procedure sends the whole image again.
    void Rewind() { remaining = total; }
    // Forgets the image: nothing can be sent until a file is loaded again.
    void Clear();
    bool Loaded() const { return total > 0; }
};

} // namespace tools700::firmware
