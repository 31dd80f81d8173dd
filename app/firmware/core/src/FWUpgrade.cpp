#include "tools700/firmware/FWUpgrade.h"

#include "comm700.h"
#include "tools700/common/Line.h"

namespace tools700::firmware {

void FWUpgrade::Start(bool eraseNv)
{
    image_.Rewind();
    eraseNv_ = eraseNv;
    failure_.clear();
    exchanges_ = segments_ = 0;
    upcr_ = 0;
    view_.progressMax = 100;
    view_.progressPos = 0;
    next_ = Next::ReadReady;
    phase_ = image_.Loaded() ? Phase::Erasing : Phase::Idle;
}

Phase FWUpgrade::Fail(const char *message)
{
    failure_ = message;
    phase_ = Phase::Failed;
    return phase_;
}

Phase FWUpgrade::Step()
{
    if (phase_ == Phase::Erasing)
        StepErase();
    else if (phase_ == Phase::Programming)
        StepProgram();
    return phase_;
}

void FWUpgrade::StepErase()
{
    ++exchanges_;
    std::uint16_t reply = 0;
    switch (next_) {
    case Next::ReadReady:
        view_.progressPos = 0;
        if (line::GetUPCRstatus(&upcr_) != 0) {
            Fail(kCommunicationError);
            return;
        }
        if (!(upcr_ & UPCR_READY)) {
            Fail(kNotReady);
            return;
        }
        next_ = Next::Enter;
        return;
    case Next::Enter:
        upcr_ |= UPCR_ENTER;
        if (line::PutUPCRstatus(upcr_, &reply) != 0) {
            Fail(kEnterRefused);
            return;
        }
        next_ = Next::Erase;
        return;
    case Next::Erase:
        upcr_ |= UPCR_ERASE;
        if (eraseNv_)
            upcr_ |= UPCR_ERASE_NV;
        if (line::PutUPCRstatus(upcr_, &reply) != 0) {
            Fail(kEraseRefused);
            return;
        }
        view_.numberText.clear();
        view_.phaseText = kErasing;
        next_ = Next::WaitErased;
        return;
    case Next::WaitErased: {
        std::uint16_t s = 0;
        if (line::GetUPCRstatus(&s) != 0) {
            Fail(kCommunicationError);
            return;
        }
        if (s & (UPCR_ERASE | UPCR_ERASE_NV))
            return;
        view_.phaseText = kEraseFinished;
        view_.progressMax = image_.remaining;
        view_.progressPos = 0;
        next_ = Next::Send;
        phase_ = Phase::Programming;
        return;
    }
    default:
        return;
    }
}

void FWUpgrade::StepProgram()
{
    ++exchanges_;
    if (next_ == Next::Send) {
        image_.segmentWord = 1;
        const SegmentReply r = image_.SendSegment(image_.segmentWord);
        ++segments_;
        if (r.status != 0) {
            Fail(kCommunicationError);
            return;
        }
        if (r.segmentStatus & kSegmentFault) {
            Fail(kProgrammingFault);
            return;
        }
        next_ = Next::WaitProgrammed;
        return;
    }
    std::uint16_t s = 0;
    if (line::GetUPCRstatus(&s) != 0) {
        Fail(kCommunicationError);
        return;
    }
    if (s & UPCR_PROGRAMMING)
        return;
    view_.phaseText = kRemainder;
    view_.numberText = std::to_string(image_.remaining);
    if (image_.remaining > 0) {
        view_.progressPos = view_.progressMax - image_.remaining;
        next_ = Next::Send;
        return;
    }
    view_.phaseText = kFinished;
    view_.numberText.clear();
    view_.progressPos = view_.progressMax;
    phase_ = Phase::Finished;
}

} // namespace tools700::firmware
