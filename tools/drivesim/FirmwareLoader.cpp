#include "FirmwareLoader.h"

namespace drivesim {

namespace {
// Programming one segment keeps the busy bits set this long.
constexpr double kProgramMs = 2.0;
}  // namespace

void FirmwareLoader::Advance(double nowMs)
{
    if (phase_ == Phase::Erasing && nowMs >= eraseDoneMs_) {
        phase_ = Phase::Erased;
        if (eraseNv_) nvEraseRequest_ = true;
    }
}

std::uint16_t FirmwareLoader::Word(bool ready) const
{
    std::uint16_t w = ready || phase_ != Phase::Idle ? kUpcrReady : 0;
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::Entered:
    case Phase::Erased:
    case Phase::Failed:
        w |= kUpcrEnter;
        break;
    case Phase::Erasing:
        w |= kUpcrEnter | kUpcrErase | (eraseNv_ ? kUpcrEraseNv : 0);
        break;
    }
    return w;
}

std::uint16_t FirmwareLoader::Upcr(int operation, std::uint16_t value, bool ready, double nowMs,
                                   std::uint16_t& upcr)
{
    Advance(nowMs);
    std::uint16_t status = 0;
    if (operation == 1) {
        upcr = Word(ready);
        if (nowMs < programDoneMs_) upcr |= kUpcrProgramBusy;
        return 0;
    }
    if (operation != 2) {
        upcr = Word(ready);
        return 3;  // unknown operation
    }
    if (phase_ == Phase::Idle && !ready) {
        status = 1;  // not ready: a 730-family drive, or an enabled one
    } else if (value & (kUpcrErase | kUpcrEraseNv)) {
        bool entered = phase_ == Phase::Entered || phase_ == Phase::Erased || phase_ == Phase::Failed;
        if (!entered || !(value & kUpcrEnter)) {
            status = 2;  // erase without entering first, or while an erase runs
        } else {
            phase_ = Phase::Erasing;
            eraseNv_ = (value & kUpcrEraseNv) != 0;
            eraseDoneMs_ = nowMs + eraseMs_;
            image_.clear();
            Advance(nowMs);
        }
    } else if (!(value & kUpcrEnter)) {
        // Clearing the enter bit leaves upgrade mode; an unfinished image is discarded.
        phase_ = Phase::Idle;
        image_.clear();
    } else if (phase_ == Phase::Idle) {
        phase_ = Phase::Entered;
        image_.clear();
    }
    upcr = Word(ready);
    return status;
}

SegmentResult FirmwareLoader::LoadSegment(std::uint16_t control, std::uint16_t segment, int count,
                                          const std::uint16_t* data, double nowMs)
{
    Advance(nowMs);
    SegmentResult r;
    bool controlOk = (control & ~kSegLast) == (kSegBase | kSegProgram);
    bool ok = phase_ == Phase::Erased && controlOk && segment == 1 && count >= 0 &&
              count <= kMaxSegmentWords;
    for (int i = 0; ok && i < count; ++i)
        if (data[i] > 0xFF) ok = false;
    if (!ok) {
        // A segment out of turn or malformed spoils the image: erase again to start over.
        if (phase_ == Phase::Erased) phase_ = Phase::Failed;
        r.status = 1;
        r.received = static_cast<std::uint16_t>(image_.size());
        return r;
    }
    for (int i = 0; i < count; ++i) image_.push_back(static_cast<std::uint8_t>(data[i]));
    programDoneMs_ = nowMs + kProgramMs;
    r.received = static_cast<std::uint16_t>(image_.size());
    if (control & kSegLast) {
        bool good = image_.size() >= 4;
        if (good) {
            std::size_t n = image_.size() - 4;
            std::uint32_t sum = 0;
            for (std::size_t i = 0; i < n; ++i) sum += image_[i];
            std::uint32_t stored = image_[n] | (image_[n + 1] << 8) | (image_[n + 2] << 16) |
                                   (static_cast<std::uint32_t>(image_[n + 3]) << 24);
            good = sum == stored;
            if (good) accepted_.emplace(image_.begin(), image_.begin() + static_cast<long>(n));
        }
        image_.clear();
        phase_ = good ? Phase::Idle : Phase::Failed;
        if (!good) r.status = 1;
    }
    return r;
}

std::optional<std::vector<std::uint8_t>> FirmwareLoader::TakeAcceptedImage()
{
    auto out = std::move(accepted_);
    accepted_.reset();
    return out;
}

bool FirmwareLoader::TakeNvEraseRequest()
{
    bool r = nvEraseRequest_;
    nvEraseRequest_ = false;
    return r;
}

}  // namespace drivesim
