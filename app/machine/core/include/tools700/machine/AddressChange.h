// Gives a drive a new axis address: refuses an address another drive of the line answers at,
// moves the drive with SetDriveAdrs700, reads it back at its new address and offers to store
// the address in the drive's non-volatile memory there. A drive that does not answer at its
// new address is reported; nothing else is touched.
#pragma once

#include "tools700/common/Messages.h"
#include "tools700/machine/LineAccess.h"

#include <string>

namespace tools700::machine {

// Whether the new address is stored with NVSave: asked, always, never.
enum class NvSaveChoice { Ask, Always, Never };

enum class AddressOutcome {
    Changed,        // the drive answers at its new address
    BadAddress,     // the new address is out of range or the same as the old one
    Taken,          // another drive answers at the new address
    NoDrive,        // nothing answers at the old address
    Refused,        // the drive refused the new address
    LostAtNew,      // the drive was told its new address but does not answer there
    LineFailed,     // no line (no port, lost device)
};

struct AddressChangeResult {
    AddressOutcome outcome = AddressOutcome::BadAddress;
    std::string message;  // what happened, as the user reads it
    int model = 0;        // the drive's Model (when it answered)
    bool saved = false;   // NVSave ran and succeeded at the new address
    bool saveFailed = false;
};

// The addresses a drive can be given: 255 is the automatic axis, which reaches any drive.
constexpr int kFirstDriveAddress = 1;
constexpr int kLastDriveAddress = 254;

// The drive at `from` (1..255; 255 the automatic axis, for a drive found alone on the line)
// gets the address `to`. Questions (the NV save) go to `messages`.
AddressChangeResult ChangeDriveAddress(LineAccess &line, int from, int to, NvSaveChoice nvSave, Messages &messages);

// The question before the NV save at the new address.
std::string NvSaveAddressQuestion(int to);

} // namespace tools700::machine
