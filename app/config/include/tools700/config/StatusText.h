// Texts of the link status codes, as the program shows them.
#pragma once

#include <string>

namespace tools700 {

// "NO SUCH SYMBOL", ..., "BOUNDS_ERROR" for 66, "comm error code %d" for codes without a text.
std::string StatusText(int code);
// As StatusText, except that 66 names the variable's bounds: "Bounds error : min = ..., max = ...".
std::string VarStatusText(int code, const std::string &varName);
// True for the statuses that say the line failed, not the drive (no port, no response, the port's
// lock not available, a communication error): asking again at once is unlikely to help.
bool IsLineFailure(int code);

// The connection monitor's line for one poll of AxisAddr, DriveStatus, FaultCode and ExtFault:
// "No connection" after a failed poll, "CommError?" when not every value arrived, otherwise
// "Status: Axis <a>  <drive state>[ (Cause: <fault>[ (<extended fault>)])]".
std::string ConnectionStatusText(int status, const double values[4], int validMask);

} // namespace tools700
