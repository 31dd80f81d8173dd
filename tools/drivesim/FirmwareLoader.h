// The control board's firmware loader: the UPCR handshake word and segment programming.
//
// UPCR bits: 0x80 ready (a 740-family drive that is not enabled), 0x40 upgrade mode entered,
// 0x08 erasing program memory, 0x04 erasing non-volatile memory, 0x20/0x10 a segment is
// being programmed. The host enters with 0x40, erases with 0x08 (and 0x04), waits until both
// erase bits read clear, then sends segments of up to 64 bytes (one per data word); the last
// segment (control word 0xF0) ends with the four checksum bytes, the sum of all image bytes,
// least significant first, which the loader verifies before it accepts the image.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace drivesim {

enum UpcrBits : std::uint16_t {
    kUpcrReady = 0x80,
    kUpcrEnter = 0x40,
    kUpcrProgramBusy = 0x30,
    kUpcrErase = 0x08,
    kUpcrEraseNv = 0x04,
};

enum SegmentControl : std::uint16_t { kSegBase = 0xC0, kSegProgram = 0x20, kSegLast = 0x10 };

constexpr int kMaxSegmentWords = 64;

struct SegmentResult {
    std::uint16_t status = 0;    // bit 0: programming fault
    std::uint16_t received = 0;  // image bytes received so far (low 16 bits)
};

class FirmwareLoader {
public:
    explicit FirmwareLoader(int eraseMs) : eraseMs_(eraseMs) {}

    // CMD_UPCR. `ready`: the drive can be upgraded now. Returns the reply's status word
    // (0 = done) and sets `upcr` to the UPCR word after the operation.
    std::uint16_t Upcr(int operation, std::uint16_t value, bool ready, double nowMs,
                       std::uint16_t& upcr);
    // CMD_LOAD_SEGMENT.
    SegmentResult LoadSegment(std::uint16_t control, std::uint16_t segment, int count,
                              const std::uint16_t* data, double nowMs);

    // The image of the last accepted upgrade (without its checksum), taken once.
    std::optional<std::vector<std::uint8_t>> TakeAcceptedImage();
    // True once after an erase that included the non-volatile memory.
    bool TakeNvEraseRequest();
    bool InUpgrade() const { return phase_ != Phase::Idle; }

private:
    enum class Phase { Idle, Entered, Erasing, Erased, Failed };

    void Advance(double nowMs);
    std::uint16_t Word(bool ready) const;

    int eraseMs_;
    Phase phase_ = Phase::Idle;
    bool eraseNv_ = false;
    bool nvEraseRequest_ = false;
    double eraseDoneMs_ = 0.0;
    double programDoneMs_ = 0.0;
    std::vector<std::uint8_t> image_;
    std::optional<std::vector<std::uint8_t>> accepted_;
};

}  // namespace drivesim
