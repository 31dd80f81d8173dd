#include "tools700/config/StatusText.h"

#include "tools700/dictionary/Symtab.h"

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

} // namespace tools700
