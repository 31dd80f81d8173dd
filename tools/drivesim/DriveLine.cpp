#include "DriveLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <limits>

#include "RequestHandler.h"
#include "SimClock.h"
#include "tools700/names/Names.h"

namespace drivesim {

namespace wire = tools700::wire;

DriveLine::DriveLine(const SimOptions& options, const WireNames& names, NvMemory& nv, TraceLog& trace)
    : options_(options), names_(names), nv_(nv), trace_(trace)
{
    for (int axis : options_.axes) {
        DriveSetup setup;
        setup.model = options_.model;
        setup.address = axis;
        setup.slot = axis;
        setup.serialControl = options_.serialControl;
        setup.mfgLockStuck = options_.mfgLockStuck;
        setup.configured = options_.configured;
        setup.faultCode = options_.faultCode;
        setup.extFault = options_.extFault;
        setup.eraseMs = options_.eraseMs;
        setup.nvUnreadable = !nv_.Usable();
        drives_.push_back(std::make_unique<SimDrive>(names_, setup, nv_));
    }
    for (auto& d : drives_) {
        SimDrive* self = d.get();
        d->SetAddressCheck([this, self](int address) {
            for (auto& other : drives_)
                if (other.get() != self && other->Address() == address) return false;
            return true;
        });
        std::string error = d->TakeError();
        if (!error.empty()) std::fprintf(stderr, "drivesim: %s\n", error.c_str());
    }
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

void DriveLine::HandleFrame(const std::uint16_t* frame, double nowMs)
{
    wire::Request rq;
    if (!wire::DecodeRequest(frame, &rq)) return;
    if (rq.words[2] & wire::kReplyFlag) return;  // a reply (another drive's echo), not a request
    std::string command = CommandName(rq.command);
    SimDrive* drive = DriveFor(rq.axis);
    if (!drive) {
        trace_.Request(rq.axis, command, "-", "-", "absent");
        return;
    }
    HandledRequest h(rq.seq, rq.command);
    if (int code = RefusalFor(rq)) {
        // Refused before the drive looks at it: nothing is read, written or run.
        std::string names;
        for (auto [kind, id] : NamedItems(rq))
            names += (names.empty() ? "" : ",") + drive->NameOf(kind, id);
        if (rq.command == wire::CMD_READ_SCOPE) names = ScopeRequestName(rq);
        if (!names.empty()) h.name = names;
        Refuse(h, rq, static_cast<std::uint8_t>(code));
    } else {
        h = HandleRequest(*drive, rq, nowMs);
    }
    AfterRequest(*drive);
    const bool unanswered = Unanswered(command);
    ++handled_;
    char result[16];
    if (unanswered)
        std::snprintf(result, sizeof result, "unanswered");
    else if (h.refusal)
        std::snprintf(result, sizeof result, "0x%02X", h.refusal);
    else
        std::snprintf(result, sizeof result, "ok");
    trace_.Request(rq.axis, command, h.name, h.value, result);
    if (unanswered) return;
    std::vector<std::uint8_t> bytes = h.reply.Encode();
    char note[96];
    std::snprintf(note, sizeof note, "  reply seq %u, command byte 0x%02X, %u words, %zu bytes%s", rq.seq,
                  h.reply.words()[2] & 0xFF, h.reply.count(), bytes.size(), options_.delayMs ? " (delayed)" : "");
    trace_.Note(note);
    pending_.push_back({nowMs + options_.delayMs, std::move(bytes)});
}

void DriveLine::AfterRequest(SimDrive& drive)
{
    if (auto image = drive.Firmware().TakeAcceptedImage()) {
        trace_.Note("axis " + std::to_string(drive.Address()) + ": firmware image of " +
                    std::to_string(image->size()) + " bytes accepted");
        if (!options_.firmwareFile.empty()) {
            std::ofstream out(options_.firmwareFile, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(image->data()), static_cast<std::streamsize>(image->size()));
            if (!out) std::fprintf(stderr, "drivesim: can't write %s\n", options_.firmwareFile.c_str());
        }
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
