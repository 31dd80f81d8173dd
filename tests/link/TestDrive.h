// A drive for the link library's tests, built on the wire library's drive-side API. It is fed
// the bytes of the line and writes its answers through a send function, so the same drive
// serves a pseudo-terminal (from a test thread) and the simulator channel (from a helper
// process).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "tools700/wire/Drive.h"
#include "tools700/wire/Receiver.h"

namespace linktest {

class TestDrive : private tools700::wire::ReceiverSink {
public:
    using Send = std::function<void(const std::vector<uint8_t>&)>;
    // A hook that may answer a request itself: return the bytes to send (possibly empty for
    // silence), or nullopt to let the drive answer normally.
    using Hook = std::function<std::optional<std::vector<uint8_t>>(const tools700::wire::Request&)>;

    explicit TestDrive(Send send) : send_(std::move(send)) {}

    void Feed(const uint8_t* data, std::size_t n);
    // Sends replies still held back for a reordered batch.
    void Flush();
    // Sends a held batch that has waited longer than maxHoldMs for its last member (a caller
    // that fell behind must not time out because of the reordering).
    void Tick(int maxHoldMs = 100);

    // Behaviour.
    std::atomic<bool> silent {false};
    std::atomic<int> reverseBatch {0};  // hold replies until this many, then send them reversed
    std::atomic<int> refuseNextPut {0};  // refusal code for the next put (0: none)
    std::atomic<int> upcrStatusWord {0};  // word 3 of UPCR replies
    void SetHook(Hook h);

    // What the drive saw.
    std::atomic<int> requests {0};
    std::atomic<int> rcalValues {0};
    std::vector<uint16_t> LastRequest();
    std::vector<uint16_t> RequestWithCommand(uint8_t command);  // the last one of that kind
    int32_t IntValue(uint16_t id);
    float FloatValue(uint16_t id);
    int lastDriveAddress() { return lastAddress_.load(); }

    // Values a GetVar of an untouched variable gives.
    static int32_t DefaultInt(uint16_t id) { return id == 41 ? 743 : 1000 + id; }
    static float DefaultFloat(uint16_t id) { return static_cast<float>(id) + 0.25f; }

private:
    void OnFrame(const uint16_t* frame) override;
    void OnRCalValue(uint16_t) override { ++rcalValues; }
    std::vector<uint8_t> Answer(const tools700::wire::Request& rq);

    Send send_;
    tools700::wire::Receiver rx_ {*this};
    std::mutex mutex_;
    Hook hook_;
    std::map<uint16_t, int32_t> ints_;
    std::map<uint16_t, float> floats_;
    std::map<uint8_t, std::vector<uint16_t>> lastByCommand_;
    std::vector<uint16_t> last_;
    std::vector<std::vector<uint8_t>> held_;
    std::chrono::steady_clock::time_point heldSince_;
    uint16_t upcr_ = 0x80;
    std::atomic<int> lastAddress_ {-1};
};

}  // namespace linktest
