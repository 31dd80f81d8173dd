#include "tools700/wire/Receiver.h"

#include "tools700/wire/Crc16.h"

namespace tools700::wire {

void Receiver::Reset()
{
    state_ = RxState::HUNT;
    asm_ = AsmState::DONE;
}

void Receiver::StartFrame()
{
    asm_ = AsmState::COUNT_LO;
    cursor_ = 0;
    remaining_ = 0;
    crc_ = kCrcStart;
}

void Receiver::CutShort()
{
    // The frame being assembled is lost (one that has ended was counted then).
    if (asm_ != AsmState::DONE)
        ++counts_.damagedFrames;
}

bool Receiver::Assemble(uint8_t b)
{
    crc_ = CrcUpdate(crc_, b);
    switch (asm_) {
    case AsmState::COUNT_LO:
        frame_[0] = b;
        asm_ = AsmState::COUNT_HI;
        return false;
    case AsmState::COUNT_HI: {
        frame_[0] = static_cast<uint16_t>(frame_[0] | (b << 8));
        const uint16_t n = frame_[0];
        cursor_ = 1;
        if (n >= kFrameBufferWords) {  // no room for it: abandon the frame
            asm_ = AsmState::DONE;
            ++counts_.damagedFrames;
            return true;
        }
        if (n == 0) {
            asm_ = AsmState::CRC_LO;
        } else {
            remaining_ = n;
            asm_ = AsmState::WORD_LO;
        }
        return false;
    }
    case AsmState::WORD_LO:
        frame_[cursor_] = b;
        asm_ = AsmState::WORD_HI;
        return false;
    case AsmState::WORD_HI:
        frame_[cursor_] = static_cast<uint16_t>(frame_[cursor_] | (b << 8));
        ++cursor_;
        --remaining_;
        asm_ = remaining_ == 0 ? AsmState::CRC_LO : AsmState::WORD_LO;
        return false;
    case AsmState::CRC_LO:
        asm_ = AsmState::CRC_HI;
        return false;
    case AsmState::CRC_HI:
        asm_ = AsmState::DONE;
        if (crc_ == 0) {
            ++counts_.frames;
            sink_.OnFrame(frame_);
        } else {
            ++counts_.damagedFrames;
        }
        return true;
    case AsmState::DONE:
        return false;
    }
    return false;
}

void Receiver::Feed(uint8_t b)
{
    ++counts_.bytes;
    switch (state_) {
    case RxState::HUNT:
        if (b == kSOH) {
            StartFrame();
            state_ = RxState::IN_FRAME;
        } else if (b == kSTX) {
            state_ = RxState::HEX1;
        } else {
            ++counts_.discardedBytes;
        }
        break;
    case RxState::IN_FRAME:
        if (b == kSOH) {
            CutShort();
            StartFrame();
        } else if (b == kDLE) {
            state_ = RxState::ESCAPED;
        } else if (Assemble(b)) {
            state_ = RxState::HUNT;
        }
        break;
    case RxState::ESCAPED:
        if (b == kSOH) {
            CutShort();
            StartFrame();
            state_ = RxState::IN_FRAME;
        } else {
            state_ = Assemble(static_cast<uint8_t>(b ^ 0x10)) ? RxState::HUNT : RxState::IN_FRAME;
        }
        break;
    case RxState::HEX1:
        rcal_ = HexDigit(b);
        state_ = RxState::HEX2;
        break;
    case RxState::HEX2:
        rcal_ = static_cast<uint16_t>(rcal_ | (HexDigit(b) << 4));
        state_ = RxState::HEX3;
        break;
    case RxState::HEX3:
        rcal_ = static_cast<uint16_t>(rcal_ | (HexDigit(b) << 8));
        state_ = RxState::HEX4;
        break;
    case RxState::HEX4:
        rcal_ = static_cast<uint16_t>(rcal_ | (HexDigit(b) << 12));
        state_ = RxState::HUNT;
        ++counts_.rcalValues;
        sink_.OnRCalValue(rcal_);
        break;
    }
}

}  // namespace tools700::wire
