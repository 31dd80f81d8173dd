// Texts of the link status codes, as the program shows them.
#pragma once

#include <string>

namespace tools700 {

// "NO SUCH SYMBOL", ..., "BOUNDS_ERROR" for 66, "comm error code %d" for codes without a text.
std::string StatusText(int code);
// As StatusText, except that 66 names the variable's bounds: "Bounds error : min = ..., max = ...".
std::string VarStatusText(int code, const std::string &varName);

} // namespace tools700
