#include "TestDrive.h"

#include <algorithm>

using namespace tools700;

namespace linktest {

void TestDrive::Feed(const uint8_t* data, std::size_t n) { rx_.Feed(data, n); }

void TestDrive::SetHook(Hook h)
{
    std::lock_guard<std::mutex> g(mutex_);
    hook_ = std::move(h);
}

std::vector<uint16_t> TestDrive::LastRequest()
{
    std::lock_guard<std::mutex> g(mutex_);
    return last_;
}

std::vector<uint16_t> TestDrive::RequestWithCommand(uint8_t command)
{
    std::lock_guard<std::mutex> g(mutex_);
    auto it = lastByCommand_.find(command);
    return it == lastByCommand_.end() ? std::vector<uint16_t> {} : it->second;
}

int32_t TestDrive::IntValue(uint16_t id)
{
    std::lock_guard<std::mutex> g(mutex_);
    auto it = ints_.find(id);
    return it == ints_.end() ? DefaultInt(id) : it->second;
}

float TestDrive::FloatValue(uint16_t id)
{
    std::lock_guard<std::mutex> g(mutex_);
    auto it = floats_.find(id);
    return it == floats_.end() ? DefaultFloat(id) : it->second;
}

void TestDrive::Flush()
{
    std::vector<std::vector<uint8_t>> held;
    {
        std::lock_guard<std::mutex> g(mutex_);
        held.swap(held_);
    }
    std::reverse(held.begin(), held.end());
    for (auto& r : held)
        send_(r);
}

void TestDrive::Tick(int maxHoldMs)
{
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (held_.empty() || std::chrono::steady_clock::now() - heldSince_ < std::chrono::milliseconds(maxHoldMs))
            return;
    }
    Flush();
}

void TestDrive::OnFrame(const uint16_t* frame)
{
    wire::Request rq;
    if (!wire::DecodeRequest(frame, &rq))
        return;
    ++requests;
    std::vector<uint8_t> bytes;
    {
        std::lock_guard<std::mutex> g(mutex_);
        last_.assign(frame, frame + frame[0] + 1);
        lastByCommand_[rq.command] = last_;
        std::optional<std::vector<uint8_t>> custom;
        if (hook_)
            custom = hook_(rq);
        bytes = custom ? *custom : Answer(rq);
        if (silent || bytes.empty())
            return;
        const int batch = reverseBatch.load();
        if (batch > 1) {
            if (held_.empty())
                heldSince_ = std::chrono::steady_clock::now();
            held_.push_back(bytes);
            if (static_cast<int>(held_.size()) < batch)
                return;
            bytes.clear();
        }
    }
    if (bytes.empty())
        Flush();
    else
        send_(bytes);
}

// Called under mutex_.
std::vector<uint8_t> TestDrive::Answer(const wire::Request& rq)
{
    using namespace wire;
    switch (rq.command) {
    case CMD_GET_INT: {
        auto it = ints_.find(rq.word(3));
        return ReplyBuilder(rq.seq, rq.command).PutInt(3, it == ints_.end() ? DefaultInt(rq.word(3)) : it->second).Encode();
    }
    case CMD_GET_FLOAT: {
        auto it = floats_.find(rq.word(3));
        return ReplyBuilder(rq.seq, rq.command).PutFloat(3, it == floats_.end() ? DefaultFloat(rq.word(3)) : it->second).Encode();
    }
    case CMD_PUT_INT:
    case CMD_PUT_FLOAT: {
        if (int code = refuseNextPut.exchange(0))
            return ReplyBuilder::Refusal(rq.seq, static_cast<uint8_t>(code)).SetCount(4).Encode();
        if (rq.command == CMD_PUT_INT)
            ints_[rq.word(3)] = rq.i32(4);
        else
            floats_[rq.word(3)] = rq.f32(4);
        return ReplyBuilder(rq.seq, rq.command).SetCount(4).Encode();
    }
    case CMD_EXEC:
        if (rq.word(3) > 5)
            return ReplyBuilder::Refusal(rq.seq, REFUSE_NO_SUCH_COMMAND).SetCount(3).Encode();
        return ReplyBuilder(rq.seq, rq.command).SetCount(3).Encode();
    case CMD_GET_VARS: {
        ReplyBuilder r(rq.seq, rq.command);
        const uint32_t mask = rq.u32(3);
        uint32_t valid = 0;
        for (int i = 0; i < kVarSlots; ++i) {
            const uint16_t id = rq.word(5 + static_cast<std::size_t>(i));
            if (id == kEmptySlot)
                continue;
            valid |= 1u << i;
            if (mask & (1u << i)) {
                auto it = ints_.find(id);
                r.PutInt(7 + 2 * static_cast<std::size_t>(i), it == ints_.end() ? DefaultInt(id) : it->second);
            } else {
                auto it = floats_.find(id);
                r.PutFloat(7 + 2 * static_cast<std::size_t>(i), it == floats_.end() ? DefaultFloat(id) : it->second);
            }
        }
        r.Put32(3, mask).Put32(5, valid).SetCount(70);
        return r.Encode();
    }
    case CMD_PUT_VARS: {
        const uint32_t mask = rq.u32(3);
        int stored = 0;
        for (int i = 0; i < kVarSlots; ++i) {
            const uint16_t id = rq.word(5 + static_cast<std::size_t>(i));
            if (id == kEmptySlot)
                continue;
            ++stored;
            if (mask & (1u << i))
                ints_[id] = rq.i32(37 + 2 * static_cast<std::size_t>(i));
            else
                floats_[id] = rq.f32(37 + 2 * static_cast<std::size_t>(i));
        }
        return ReplyBuilder(rq.seq, rq.command).Put32(3, static_cast<uint32_t>(stored)).Encode();
    }
    case CMD_READ_SCOPE: {
        // As many samples as the timebase says (up to 100): ch1 = i, ch2 = -i, scales 10 and 0.5.
        const uint16_t n = std::min<uint16_t>(rq.word(5), 100);
        ReplyBuilder r(rq.seq, rq.command);
        r.Set(3, n).PutFloat(4, 10.0f).PutFloat(6, 0.5f);
        for (uint16_t i = 0; i < n; ++i) {
            r.Set(8 + 2 * static_cast<std::size_t>(i), static_cast<uint16_t>(i * 10));
            r.Set(9 + 2 * static_cast<std::size_t>(i), static_cast<uint16_t>(-static_cast<int16_t>(i)));
        }
        return r.SetCount(207).Encode();
    }
    case CMD_SET_DRIVE_ADRS:
        lastAddress_ = rq.word(3);
        return ReplyBuilder(rq.seq, rq.command).SetCount(3).Encode();
    case CMD_UPCR:
        if (rq.word(3) == kUpcrWrite)
            upcr_ = rq.word(4);
        return ReplyBuilder(rq.seq, rq.command).Set(3, static_cast<uint16_t>(upcrStatusWord.load())).Set(4, upcr_).SetCount(8).Encode();
    case CMD_LOAD_SEGMENT: {
        uint16_t sum = 0;
        for (uint16_t i = 0; i < rq.word(5) && i < kMaxSegmentWords; ++i)
            sum = static_cast<uint16_t>(sum + rq.word(6 + i));
        return ReplyBuilder(rq.seq, rq.command).Set(4, sum).Set(5, rq.word(5)).SetCount(8).Encode();
    }
    default:
        return ReplyBuilder::Refusal(rq.seq, REFUSE_NOT_IMPLEMENTED).Encode();
    }
}

}  // namespace linktest
