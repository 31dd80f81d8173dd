#include "tools700/config/StatusText.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <charconv>

namespace tools700 {

std::string StatusText(int code)
{
    switch (code) {
    case 1: return "NO SUCH SYMBOL";
    case 2: return "TYPE ERROR";
    case 3: return "NO PORT";
    case 4: return "NO RESPONSE";
    case 5: return "PORT MUTEX NOT AVAILABLE";
    case 6: return "COMM ERROR";
    case 7: return "INVALID AXIS";
    case 65: return "READONLY";
    case 66: return "BOUNDS_ERROR";
    case 67: return "NO SUCH COMMAND";
    case 68: return "NOT IMPLEMENTED";
    default: return "comm error code " + std::to_string(code);
    }
}

std::string VarStatusText(int code, const std::string &varName)
{
    if (code == 66)
        return "Bounds error : " + Dictionary().BoundsText(varName);
    return StatusText(code);
}

bool IsLineFailure(int code) { return code == 3 || code == 4 || code == 5 || code == 6; }

std::string ConnectionStatusText(int status, const double values[4], int validMask)
{
    if (status != 0)
        return "No connection";
    if ((validMask & 0xF) != 0xF)
        return "CommError?";
    // The axis in general number form: the shortest text, no decimals for an integral value.
    char axis[64];
    auto r = std::to_chars(axis, axis + sizeof axis, values[0]);
    std::string text = "Status: Axis " + std::string(axis, r.ptr) + "  " +
                       EnumText("DriveStatus", TruncToInt(values[1]));
    const int fault = TruncToInt(values[2]);
    if (fault != 0) {
        text += " (Cause: " + EnumText("FaultCode", fault);
        const int ext = TruncToInt(values[3]);
        if (ext != 0)
            text += " (" + EnumText("ExtFault", ext) + ")";
        text += ")";
    }
    return text;
}

} // namespace tools700
