// The upgrade procedure as a state machine: one exchange with the drive per Step(), so that the
// window (or the command-line tool) drives it from its own loop, keeps repainting between steps
// and can stop it at any step. The next exchange follows as soon as the previous one has been
// answered: the procedure goes as fast as the line and the drive allow.
//
// Erase phase: read UPCR (it must show UPCR_READY), write it back with UPCR_ENTER, then with
// UPCR_ERASE (and UPCR_ERASE_NV when asked), then read it until both erase bits are clear.
// Programming phase: one segment, then UPCR read until the segment's two busy bits are clear,
// until the image is sent. Every failure ends the procedure with its message; nothing is retried.
#pragma once

#include "tools700/firmware/FWFuns.h"

#include <cstdint>
#include <string>

namespace tools700::firmware {

// UPCR status word bits.
inline constexpr std::uint16_t UPCR_READY = 0x80;
inline constexpr std::uint16_t UPCR_ENTER = 0x40;
inline constexpr std::uint16_t UPCR_ERASE = 0x08;
inline constexpr std::uint16_t UPCR_ERASE_NV = 0x04;
// Both clear once the drive has programmed the last segment.
inline constexpr std::uint16_t UPCR_PROGRAMMING = 0x30;

// The questions before a procedure starts: the board's switches (Yes or No), then the warning
// to keep the drive powered.
inline constexpr const char *kSwitchesQuestion =
    "Have you set both of SW5 and SW6 to 'F'?\nIf not, please choose 'No' to stop this procedure,  then switch "
    "off the drive and set SW5 and SW6 properly.";
inline constexpr const char *kKeepPowerOn =
    "The procedure will last about 5 minutes.\nPlease keep power on the drive \nwhen the seven-segment dispaly "
    "on the drive is flashing E or P letters.";

inline constexpr const char *kCommunicationError = "Communication Error";
inline constexpr const char *kNotReady = "The OC is not ready to Upgrade FW";
inline constexpr const char *kEnterRefused = "The Control Board is not ready to upgrade FW";
inline constexpr const char *kEraseRefused = "The control board is not ready to upgrade FW";
inline constexpr const char *kProgrammingFault = "Programming Fault";

inline constexpr const char *kErasing = "ARM is erasing memory.";
inline constexpr const char *kEraseFinished = "The erasing is finished.";
inline constexpr const char *kRemainder = "The remainder is";
inline constexpr const char *kFinished = "The processing is finished";

enum class Phase { Idle, Erasing, Programming, Finished, Failed };

// What the window shows of the procedure.
struct UpgradeView {
    std::string phaseText;  // lblMsg2
    std::string numberText; // lblMsg3
    int progressMax = 100;
    int progressPos = 0;
};

class FWUpgrade {
public:
    explicit FWUpgrade(FWFuns &image) : image_(image) {}

    // Starts from the first image word (a procedure always erases first, so a second Download
    // after a failed one sends the whole image again). Needs a loaded image.
    void Start(bool eraseNv);
    // One exchange with the drive; returns the phase after it. Idle, Finished and Failed do
    // nothing.
    Phase Step();
    // Abandons the procedure: no further exchange is made.
    void Stop() { phase_ = Phase::Idle; }

    Phase GetPhase() const { return phase_; }
    bool Running() const { return phase_ == Phase::Erasing || phase_ == Phase::Programming; }
    // The failure's message once Failed.
    const std::string &Failure() const { return failure_; }
    const UpgradeView &View() const { return view_; }
    // Exchanges made since Start (each a request and its reply on the line).
    long Exchanges() const { return exchanges_; }
    long Segments() const { return segments_; }

private:
    enum class Next { ReadReady, Enter, Erase, WaitErased, Send, WaitProgrammed };

    Phase Fail(const char *message);
    void StepErase();
    void StepProgram();

    FWFuns &image_;
    Phase phase_ = Phase::Idle;
    Next next_ = Next::ReadReady;
    bool eraseNv_ = false;
    std::uint16_t upcr_ = 0;
    std::string failure_;
    UpgradeView view_;
    long exchanges_ = 0;
    long segments_ = 0;
};

} // namespace tools700::firmware
