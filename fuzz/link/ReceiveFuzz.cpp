// Fuzzes what the receive thread does with bytes from the line: frame reassembly, CRC check,
// R-cal values, delivery to held mailboxes of every reply size, and the reply decoding the
// waiting exchange then runs. Nothing may read or write outside its buffers.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "MailboxSet.h"
#include "RCalSlot.h"
#include "tools700/wire/Crc16.h"
#include "tools700/wire/Frame.h"
#include "tools700/wire/Messages.h"
#include "tools700/wire/Receiver.h"

using namespace tools700;

namespace {

struct Sink : wire::ReceiverSink {
    link::MailboxSet* boxes;
    link::RCalSlot* rcal;
    int frames = 0;
    void OnFrame(const uint16_t* frame) override
    {
        ++frames;
        boxes->Deliver(frame);
    }
    void OnRCalValue(uint16_t v) override { rcal->Post(v); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One set, slot and receiver for the whole run, put back to their start each time: building
    // them (sixteen boxes with their conditions) cost more than the input itself.
    static link::MailboxSet boxes;
    static link::RCalSlot rcal;
    static Sink sink;
    static wire::Receiver rx(sink);
    sink.boxes = &boxes;
    sink.rcal = &rcal;
    sink.frames = 0;
    boxes.SetCounter(1);
    rx.Reset();

    // One held box per reply kind, with the sequence numbers 2..10 the frames may name.
    wire::GetVarReply getInt(wire::CMD_GET_INT);
    wire::GetVarReply getFloat(wire::CMD_GET_FLOAT);
    wire::PutVarReply put(wire::CMD_PUT_INT);
    wire::GetVarsReply getVars;
    wire::PutVarsReply putVars;
    wire::ExeCmdReply exe;
    wire::ScopeReply scope;
    wire::UpcrReply upcr;
    wire::LoadSegmentReply seg;
    wire::Message* replies[] = {&getInt, &getFloat, &put, &getVars, &putVars, &exe, &scope, &upcr, &seg};
    uint16_t status[9] = {};
    link::Mailbox* held[9];
    for (int i = 0; i < 9; ++i)
        held[i] = boxes.Allocate(&status[i], replies[i]->words(), replies[i]->count(), 0);

    // An odd first byte turns the input into one well-formed frame (words from the input,
    // sequence number of a held box, right CRC) followed by the raw rest, so the fuzzer reaches
    // delivery and decoding without having to guess CRCs.
    if (size >= 3 && (data[0] & 1)) {
        std::vector<uint16_t> words(1, 0);
        const std::size_t n = std::min<std::size_t>((size - 1) / 2, wire::kMaxFrameWords);
        for (std::size_t i = 0; i < n; ++i)
            words.push_back(static_cast<uint16_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));
        words[0] = static_cast<uint16_t>(n);
        if (n >= 1)
            words[1] = static_cast<uint16_t>(2 + words[1] % 9);
        std::vector<uint8_t> framed = wire::EncodeFrame(words);
        rx.Feed(framed.data(), framed.size());
        const std::size_t used = 1 + 2 * n;
        rx.Feed(data + used, size - used);
    } else {
        rx.Feed(data, size);
    }

    double ch1[wire::kScopeSamples], ch2[wire::kScopeSamples];
    volatile double sinkValue = 0;
    for (int i = 0; i < 9; ++i) {
        if (held[i] == nullptr)
            continue;
        if (boxes.AwaitAndRelease(held[i], 0) && status[i] == 0) {
            sinkValue = sinkValue + replies[i]->ReplyStatus();
        }
    }
    sinkValue = sinkValue + getInt.Value() + getFloat.Value() + getVars.Value(5) + putVars.Result();
    const uint16_t n = scope.Decode(ch1, ch2);
    for (uint16_t i = 0; i < n; ++i)
        sinkValue = sinkValue + ch1[i] + ch2[i];
    int value = 0;
    char overrun = 0;
    rcal.Fetch(&value, &overrun, 0);
    (void)sinkValue;
    return 0;
}
