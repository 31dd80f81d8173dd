#include "RequestHandler.h"

#include <cstdio>

namespace drivesim {

namespace wire = tools700::wire;

namespace {

std::string Number(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string Hex(unsigned v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", v);
    return buf;
}

std::uint16_t ReplyCount(std::uint8_t command)
{
    switch (command) {
    case wire::CMD_GET_INT: case wire::CMD_GET_FLOAT: return wire::count::kGetVarReply;
    case wire::CMD_PUT_INT: case wire::CMD_PUT_FLOAT: return wire::count::kPutVarReply;
    case wire::CMD_EXEC: return wire::count::kExeCmdReply;
    case wire::CMD_READ_SCOPE: return wire::count::kScopeReply;
    case wire::CMD_SET_DRIVE_ADRS: return wire::count::kSetDriveAdrsReply;
    case wire::CMD_GET_VARS: return wire::count::kGetVarsReply;
    case wire::CMD_PUT_VARS: return wire::count::kPutVarsReply;
    case wire::CMD_UPCR: return wire::count::kUpcrReply;
    case wire::CMD_LOAD_SEGMENT: return wire::count::kLoadSegmentReply;
    default: return 2;
    }
}

// The shortest request of each kind the drive accepts.
std::uint16_t RequestCount(std::uint8_t command)
{
    switch (command) {
    case wire::CMD_GET_INT: case wire::CMD_GET_FLOAT: return wire::count::kGetVarRequest;
    case wire::CMD_PUT_INT: case wire::CMD_PUT_FLOAT: return wire::count::kPutVarRequest;
    case wire::CMD_EXEC: return wire::count::kExeCmdRequest;
    case wire::CMD_READ_SCOPE: return wire::count::kScopeRequest;
    case wire::CMD_SET_DRIVE_ADRS: return wire::count::kSetDriveAdrsRequest;
    case wire::CMD_GET_VARS: return wire::count::kGetVarsRequest;
    case wire::CMD_PUT_VARS: return wire::count::kPutVarsRequest;
    case wire::CMD_UPCR: return 4;  // operation and value; the zero words after them are not read
    case wire::CMD_LOAD_SEGMENT: return 5;  // data words are checked against the count
    default: return 0;
    }
}

int KindOfCommand(std::uint8_t command)
{
    return (command == wire::CMD_GET_FLOAT || command == wire::CMD_PUT_FLOAT) ? kFloatVar : kIntVar;
}

std::string ValueText(int kind, std::uint32_t bits)
{
    return kind == kFloatVar ? Number(wire::BitsFloat(bits))
                             : Number(static_cast<std::int32_t>(bits));
}

void GetVar(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    int kind = KindOfCommand(rq.command);
    int id = rq.word(3);
    h.name = d.Exists(kind, id) ? d.NameOf(kind, id) : "id" + std::to_string(id);
    std::uint32_t bits = 0;
    if (std::uint8_t r = d.Read(kind, id, bits)) return Refuse(h, rq, r);
    h.value = ValueText(kind, bits);
    h.reply.Put32(3, bits);
}

void PutVar(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    int kind = KindOfCommand(rq.command);
    int id = rq.word(3);
    std::uint32_t bits = rq.u32(4);
    h.name = d.Exists(kind, id) ? d.NameOf(kind, id) : "id" + std::to_string(id);
    h.value = ValueText(kind, bits);
    if (std::uint8_t r = d.Write(kind, id, bits)) return Refuse(h, rq, r);
    h.reply.SetCount(wire::count::kPutVarReply);
}

void Execute(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    int id = rq.word(3);
    h.name = d.Exists(kCommandKind, id) ? d.NameOf(kCommandKind, id) : "id" + std::to_string(id);
    if (std::uint8_t r = d.Execute(id)) return Refuse(h, rq, r);
    h.reply.SetCount(wire::count::kExeCmdReply);
}

// The trace's names and values of a multi-variable request, comma-joined in slot order. An empty
// slot before a used one is written "-", so every name stands at its slot's position; the empty
// slots after the last used one are left out.
class SlotList {
public:
    void Empty() { ++gaps_; }
    void Add(const std::string& name, const std::string& value)
    {
        for (; gaps_ > 0; --gaps_) Append("-", "-");
        Append(name, value);
    }
    void Into(HandledRequest& h) const
    {
        if (used_) { h.name = names_; h.value = values_; }
    }

private:
    void Append(const std::string& name, const std::string& value)
    {
        if (used_) { names_ += ','; values_ += ','; }
        names_ += name;
        values_ += value;
        used_ = true;
    }
    std::string names_, values_;
    int gaps_ = 0;
    bool used_ = false;
};

void GetVars(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    std::uint32_t intMask = rq.u32(3);
    std::uint32_t valid = 0, replyIntMask = 0;
    SlotList slots;
    for (int i = 0; i < wire::kVarSlots; ++i) {
        std::uint16_t id = rq.word(5 + i);
        if (id == wire::kEmptySlot) { slots.Empty(); continue; }
        int kind = (intMask >> i) & 1 ? kIntVar : kFloatVar;
        std::uint32_t bits = 0;
        bool ok = d.Read(kind, id, bits) == kAccepted;
        slots.Add(ok ? d.NameOf(kind, id) : "id" + std::to_string(id), ok ? ValueText(kind, bits) : "?");
        if (!ok) continue;
        valid |= 1u << i;
        if (kind == kIntVar) replyIntMask |= 1u << i;
        h.reply.Put32(7 + 2 * i, bits);
    }
    h.reply.Put32(3, replyIntMask).Put32(5, valid).SetCount(wire::count::kGetVarsReply);
    slots.Into(h);
}

void PutVars(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    // The result tells the host which slots the drive took: bit i set when value i was written.
    std::uint32_t intMask = rq.u32(3);
    std::uint32_t written = 0;
    SlotList slots;
    for (int i = 0; i < wire::kVarSlots; ++i) {
        std::uint16_t id = rq.word(5 + i);
        if (id == wire::kEmptySlot) { slots.Empty(); continue; }
        int kind = (intMask >> i) & 1 ? kIntVar : kFloatVar;
        std::uint32_t bits = rq.u32(37 + 2 * i);
        bool known = d.Exists(kind, id);
        slots.Add(known ? d.NameOf(kind, id) : "id" + std::to_string(id), ValueText(kind, bits));
        if (known && d.Write(kind, id, bits) == kAccepted) written |= 1u << i;
    }
    h.reply.Put32(3, written).SetCount(wire::count::kPutVarsReply);
    slots.Into(h);
}

void ReadScope(SimDrive& d, const wire::Request& rq, double nowMs, HandledRequest& h)
{
    ScopeSettings s;
    s.operation = rq.word(3);
    s.timebaseMs = rq.word(5);
    s.triggerSource = rq.word(6);
    s.triggerLevel = rq.f32(7);
    s.ch1 = rq.word(9);
    s.ch2 = rq.word(10);
    h.name = ScopeRequestName(rq);
    ScopeFrame f;
    std::uint8_t r = d.Scope().Request(s, nowMs, f);
    h.value = "tb=" + std::to_string(s.timebaseMs) + ",trigger=" + std::to_string(s.triggerSource) +
              ",level=" + Number(s.triggerLevel) + ",ch1=" + std::to_string(s.ch1) +
              ",ch2=" + std::to_string(s.ch2) + ",count=" + std::to_string(f.count);
    if (r) return Refuse(h, rq, r);
    h.reply.Set(3, static_cast<std::uint16_t>(f.count)).PutFloat(4, f.scale1).PutFloat(6, f.scale2);
    for (int i = 0; i < f.count; ++i) {
        h.reply.Set(8 + 2 * i, static_cast<std::uint16_t>(f.ch1[i]));
        h.reply.Set(9 + 2 * i, static_cast<std::uint16_t>(f.ch2[i]));
    }
    h.reply.SetCount(wire::count::kScopeReply);
}

void SetDriveAdrs(SimDrive& d, const wire::Request& rq, HandledRequest& h)
{
    int address = rq.word(3);
    h.name = "AxisAddr";
    h.value = std::to_string(address);
    if (std::uint8_t r = d.ChangeAddress(address)) return Refuse(h, rq, r);
    h.reply.SetCount(wire::count::kSetDriveAdrsReply);
}

void Upcr(SimDrive& d, const wire::Request& rq, double nowMs, HandledRequest& h)
{
    int op = rq.word(3);
    std::uint16_t value = rq.word(4);
    std::uint16_t upcr = 0;
    bool ready = d.Is740() && !d.Enabled();
    std::uint16_t status = d.Firmware().Upcr(op, value, ready, nowMs, upcr);
    h.name = op == wire::kUpcrRead ? "read" : op == wire::kUpcrWrite ? "write" : "op" + std::to_string(op);
    h.value = (op == wire::kUpcrWrite ? "value=" + Hex(value) + "," : std::string()) +
              "upcr=" + Hex(upcr) + ",status=" + std::to_string(status);
    h.reply.Set(3, status).Set(4, upcr).SetCount(wire::count::kUpcrReply);
}

void LoadSegment(SimDrive& d, const wire::Request& rq, double nowMs, HandledRequest& h)
{
    std::uint16_t control = rq.word(3);
    std::uint16_t segment = rq.word(4);
    int count = rq.word(5);
    std::uint16_t data[kMaxSegmentWords] = {};
    int carried = rq.count >= 6 ? rq.count - 5 : 0;  // data words present in the frame
    bool complete = count <= kMaxSegmentWords && count <= carried;
    for (int i = 0; complete && i < count; ++i) data[i] = rq.word(6 + i);
    SegmentResult r = complete ? d.Firmware().LoadSegment(control, segment, count, data, nowMs)
                               : SegmentResult{1, 0};
    h.name = "segment";
    h.value = "control=" + Hex(control) + ",count=" + std::to_string(count) +
              ",status=" + std::to_string(r.status) + ",received=" + std::to_string(r.received);
    h.reply.Set(4, r.status).Set(5, r.received).SetCount(wire::count::kLoadSegmentReply);
}

}  // namespace

std::string CommandName(std::uint8_t command)
{
    switch (command) {
    case wire::CMD_GET_INT: return "GET_INT";
    case wire::CMD_PUT_INT: return "PUT_INT";
    case wire::CMD_GET_FLOAT: return "GET_FLOAT";
    case wire::CMD_PUT_FLOAT: return "PUT_FLOAT";
    case wire::CMD_EXEC: return "EXEC";
    case wire::CMD_READ_SCOPE: return "READ_SCOPE";
    case wire::CMD_SET_DRIVE_ADRS: return "SET_DRIVE_ADRS";
    case wire::CMD_GET_VARS: return "GET_VARS";
    case wire::CMD_PUT_VARS: return "PUT_VARS";
    case wire::CMD_UPCR: return "UPCR";
    case wire::CMD_LOAD_SEGMENT: return "LOAD_SEGMENT";
    default: return "CMD_" + std::to_string(command);
    }
}

bool IsRequestKind(const std::string& kind)
{
    for (int command = 0; command < 256; ++command)
        if (CommandName(static_cast<std::uint8_t>(command)) == kind && kind.rfind("CMD_", 0) != 0) return true;
    return false;
}

std::string ScopeRequestName(const wire::Request& rq)
{
    const int operation = rq.word(3);
    return operation == kScopeArm ? "arm" : operation == kScopeFetch ? "fetch" : "op" + std::to_string(operation);
}

std::vector<std::pair<int, int>> NamedItems(const wire::Request& rq)
{
    std::vector<std::pair<int, int>> items;
    switch (rq.command) {
    case wire::CMD_GET_INT: case wire::CMD_PUT_INT: case wire::CMD_GET_FLOAT: case wire::CMD_PUT_FLOAT:
        items.emplace_back(KindOfCommand(rq.command), rq.word(3));
        break;
    case wire::CMD_EXEC:
        items.emplace_back(kCommandKind, rq.word(3));
        break;
    case wire::CMD_GET_VARS: case wire::CMD_PUT_VARS: {
        std::uint32_t intMask = rq.u32(3);
        for (int i = 0; i < wire::kVarSlots; ++i)
            if (rq.word(5 + i) != wire::kEmptySlot)
                items.emplace_back((intMask >> i) & 1 ? kIntVar : kFloatVar, rq.word(5 + i));
        break;
    }
    case wire::CMD_SET_DRIVE_ADRS:
        items.emplace_back(kIntVar, 42);  // AxisAddr
        break;
    default:
        break;
    }
    return items;
}

void Refuse(HandledRequest& h, const wire::Request& rq, std::uint8_t code)
{
    h.refusal = code;
    h.reply = wire::ReplyBuilder::Refusal(rq.seq, code);
    h.reply.SetCount(ReplyCount(rq.command) < 2 ? 2 : ReplyCount(rq.command));
}

HandledRequest HandleRequest(SimDrive& d, const wire::Request& rq, double nowMs)
{
    HandledRequest h(rq.seq, rq.command);
    std::uint16_t need = RequestCount(rq.command);
    if (need == 0) {
        Refuse(h, rq, kNoSuchCommand);
        return h;
    }
    if (rq.count < need) {
        // A request cut short carries no usable parameters.
        Refuse(h, rq, kNotImplemented);
        return h;
    }
    switch (rq.command) {
    case wire::CMD_GET_INT: case wire::CMD_GET_FLOAT: GetVar(d, rq, h); break;
    case wire::CMD_PUT_INT: case wire::CMD_PUT_FLOAT: PutVar(d, rq, h); break;
    case wire::CMD_EXEC: Execute(d, rq, h); break;
    case wire::CMD_READ_SCOPE: ReadScope(d, rq, nowMs, h); break;
    case wire::CMD_SET_DRIVE_ADRS: SetDriveAdrs(d, rq, h); break;
    case wire::CMD_GET_VARS: GetVars(d, rq, h); break;
    case wire::CMD_PUT_VARS: PutVars(d, rq, h); break;
    case wire::CMD_UPCR: Upcr(d, rq, nowMs, h); break;
    case wire::CMD_LOAD_SEGMENT: LoadSegment(d, rq, nowMs, h); break;
    default: Refuse(h, rq, kNoSuchCommand); break;
    }
    return h;
}

}  // namespace drivesim
