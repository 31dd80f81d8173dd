#include "StatusLine.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

#include <charconv>

namespace tools700::cli {

namespace {
// General number form: the shortest text, without decimals for integral values.
std::string General(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}
} // namespace

std::string StatusLineText(int status, const double values[4], int validMask)
{
    if (status != 0)
        return "No connection";
    if ((validMask & 0xF) != 0xF)
        return "CommError?";
    std::string text = "Status: Axis " + General(values[0]) + "  " +
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

} // namespace tools700::cli
