#include "DriveLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

#include "RequestHandler.h"
#include "SimClock.h"
#include "tools700/common/AtomicFile.h"
#include "tools700/names/Names.h"

namespace drivesim {

namespace wire = tools700::wire;

namespace {

// The slot (the non-volatile memory's section) of the second drive that --conflict puts at an
// address: apart from every address, so each drive keeps a memory of its own.
constexpr int kConflictSlotBase = 256;

// The frame the host receives when two drives answer one request at once: their words
// superimposed (a line drawn low by either transmitter reads low) and a CRC that cannot match,
// as the overlapping bytes of a real line never add up to a frame the host accepts.
std::vector<std::uint8_t> CollidedReply(const std::vector<const wire::ReplyBuilder*>& replies)
{
    std::uint16_t words[wire::kFrameBufferWords] = {};
    const std::uint16_t n = replies.front()->count();
    for (std::size_t i = 0; i <= n; ++i) {
        words[i] = 0xFFFF;
        for (const wire::ReplyBuilder* r : replies)
            if (i <= r->count()) words[i] &= r->words()[i];
    }
    words[0] = n;
    const std::uint16_t badCrc = static_cast<std::uint16_t>(wire::FrameCrc(words) ^ 0xA5A5);
    std::vector<std::uint8_t> bytes{wire::kSOH};
    auto put = [&bytes](std::uint8_t b) { bytes.push_back(b); };
    for (std::size_t i = 0; i <= n; ++i) {
        wire::PutEscaped(static_cast<std::uint8_t>(words[i] & 0xFF), put);
        wire::PutEscaped(static_cast<std::uint8_t>(words[i] >> 8), put);
    }
    wire::PutEscaped(static_cast<std::uint8_t>(badCrc & 0xFF), put);
    wire::PutEscaped(static_cast<std::uint8_t>(badCrc >> 8), put);
    return bytes;
}

}  // namespace

DriveLine::DriveLine(const SimOptions& options, const WireNames& names, NvMemory& nv, TraceLog& trace)
    : options_(options), names_(names), nv_(nv), trace_(trace)
{
    for (int axis : options_.axes) AddDrive(axis, ModelOfAxis(options_, axis), axis);
    for (int axis : options_.conflicts) {
        if (std::find(options_.axes.begin(), options_.axes.end(), axis) == options_.axes.end())
            AddDrive(axis, ModelOfAxis(options_, axis), axis);
        AddDrive(axis, ModelOfAxis(options_, axis), kConflictSlotBase + axis);
    }
    for (auto& d : drives_) {
        SimDrive* self = d.get();
        d->SetAddressCheck([this, self](int address) {
            for (auto& other : drives_) {
                if (other.get() == self || other->Address() != address) continue;
                // Drives sharing the request move together; only a drive apart holds the address.
                if (std::find(addressed_.begin(), addressed_.end(), other.get()) == addressed_.end())
                    return false;
            }
            return true;
        });
        std::string error = d->TakeError();
        if (!error.empty()) std::fprintf(stderr, "drivesim: %s\n", error.c_str());
    }
}

void DriveLine::AddDrive(int address, int model, int slot)
{
    DriveSetup setup;
    setup.model = model;
    setup.address = address;
    setup.slot = slot;
    setup.serialControl = options_.serialControl;
    setup.mfgLockStuck = options_.mfgLockStuck;
    setup.configured = options_.configured;
    setup.faultCode = options_.faultCode;
    setup.extFault = options_.extFault;
    setup.eraseMs = options_.eraseMs;
    setup.nvUnreadable = !nv_.Usable();
    setup.step = options_.step;
    drives_.push_back(std::make_unique<SimDrive>(names_, setup, nv_));
}

SimDrive* DriveLine::DriveFor(int axis)
{
    for (auto& d : drives_)
        if (d->Address() == axis) return d.get();
    if (axis == 255 && !drives_.empty()) return drives_.front().get();
    return nullptr;
}

bool DriveLine::Unanswered(const std::string& command) const
{
    if (quiet_ >= 0) return quiet_ == 1;
    if (options_.silent) return true;
    if (options_.silentAfter >= 0 && handled_ >= options_.silentAfter) return true;
    return std::find(options_.silentOn.begin(), options_.silentOn.end(), command) != options_.silentOn.end();
}

std::vector<SimDrive*> DriveLine::DrivesFor(int axis)
{
    std::vector<SimDrive*> found;
    for (auto& d : drives_)
        if (d->Address() == axis) found.push_back(d.get());
    if (found.empty() && axis == 255 && !drives_.empty()) found.push_back(drives_.front().get());
    return found;
}

int DriveLine::RefusalFor(const wire::Request& rq) const
{
    if (options_.refusals.empty()) return 0;
    if (rq.command == wire::CMD_READ_SCOPE) {
        // Scope requests name no variable: they are refused by their trace names.
        auto it = options_.refusals.find(ScopeRequestName(rq));
        return it != options_.refusals.end() ? it->second : 0;
    }
    for (auto [kind, id] : NamedItems(rq))
        for (const WireName* n : names_.NamesOf(kind, id)) {
            auto it = options_.refusals.find(tools700::names::Lower(n->name));
            if (it != options_.refusals.end()) return it->second;
        }
    return 0;
}

void DriveLine::OnFrame(const std::uint16_t* frame) { HandleFrame(frame, NowMs()); }

HandledRequest DriveLine::Handle(SimDrive& drive, const wire::Request& rq, double nowMs)
{
    HandledRequest h(rq.seq, rq.command);
    if (int code = RefusalFor(rq)) {
        // Refused before the drive looks at it: nothing is read, written or run.
        std::string names;
        for (auto [kind, id] : NamedItems(rq))
            names += (names.empty() ? "" : ",") + drive.NameOf(kind, id);
        if (rq.command == wire::CMD_READ_SCOPE) names = ScopeRequestName(rq);
        if (!names.empty()) h.name = names;
        Refuse(h, rq, static_cast<std::uint8_t>(code));
    } else {
        h = HandleRequest(drive, rq, nowMs);
    }
    AfterRequest(drive);
    return h;
}

void DriveLine::HandleFrame(const std::uint16_t* frame, double nowMs)
{
    wire::Request rq;
    if (!wire::DecodeRequest(frame, &rq)) return;
    if (rq.words[2] & wire::kReplyFlag) return;  // a reply (another drive's echo), not a request
    std::string command = CommandName(rq.command);
    addressed_ = DrivesFor(rq.axis);
    if (addressed_.empty()) {
        trace_.Request(rq.axis, command, "-", "-", "absent");
        return;
    }
    std::vector<HandledRequest> handled;
    for (SimDrive* drive : addressed_) handled.push_back(Handle(*drive, rq, nowMs));
    addressed_.clear();
    const HandledRequest& h = handled.front();
    const bool collided = handled.size() > 1;
    const bool unanswered = Unanswered(command);
    ++handled_;
    char result[16];
    if (unanswered)
        std::snprintf(result, sizeof result, "unanswered");
    else if (collided)
        std::snprintf(result, sizeof result, "collided");
    else if (h.refusal)
        std::snprintf(result, sizeof result, "0x%02X", h.refusal);
    else
        std::snprintf(result, sizeof result, "ok");
    trace_.Request(rq.axis, command, h.name, h.value, result);
    if (unanswered) return;
    std::vector<std::uint8_t> bytes;
    if (collided) {
        std::vector<const wire::ReplyBuilder*> replies;
        for (const HandledRequest& each : handled) replies.push_back(&each.reply);
        bytes = CollidedReply(replies);
    } else {
        bytes = h.reply.Encode();
    }
    char note[128];
    std::snprintf(note, sizeof note, "  reply seq %u, command byte 0x%02X, %u words, %zu bytes%s%s", rq.seq,
                  h.reply.words()[2] & 0xFF, h.reply.count(), bytes.size(),
                  collided ? " (collided with another drive's, bad CRC)" : "",
                  options_.delayMs ? " (delayed)" : "");
    trace_.Note(note);
    pending_.push_back({nowMs + options_.delayMs, std::move(bytes)});
}

void DriveLine::AfterRequest(SimDrive& drive)
{
    if (auto image = drive.Firmware().TakeAcceptedImage()) {
        trace_.Note("axis " + std::to_string(drive.Address()) + ": firmware image of " +
                    std::to_string(image->size()) + " bytes accepted");
        tools700::FileWriteFailure failure;
        if (!options_.firmwareFile.empty() &&
            !tools700::ReplaceFile(options_.firmwareFile, std::string(image->begin(), image->end()), failure))
            std::fprintf(stderr, "drivesim: can't write %s\n", options_.firmwareFile.c_str());
    }
    std::string driveError = drive.TakeError();
    if (!driveError.empty()) std::fprintf(stderr, "drivesim: %s\n", driveError.c_str());
    if (drive.Firmware().TakeNvEraseRequest()) {
        std::string error;
        if (!nv_.Erase(drive.Slot(), error)) std::fprintf(stderr, "drivesim: %s\n", error.c_str());
    }
}

bool DriveLine::PopDue(double nowMs, std::vector<std::uint8_t>& bytes)
{
    if (pending_.empty() || pending_.front().dueMs > nowMs) return false;
    bytes = std::move(pending_.front().bytes);
    pending_.pop_front();
    return true;
}

double DriveLine::NextDueMs() const
{
    return pending_.empty() ? std::numeric_limits<double>::max() : pending_.front().dueMs;
}

}  // namespace drivesim
