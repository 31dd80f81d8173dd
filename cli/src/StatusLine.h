// The connection status line of one poll of AxisAddr, DriveStatus, FaultCode and ExtFault.
#pragma once

#include <string>

namespace tools700::cli {

// "No connection" after a failed poll, "CommError?" when not every value arrived, otherwise
// "Status: Axis <a>  <drive state>[ (Cause: <fault>[ (<extended fault>)])]".
std::string StatusLineText(int status, const double values[4], int validMask);

} // namespace tools700::cli
