// A text as one field of a CSV line: quoted when it holds a separator, a quote or a line break,
// with its quotes doubled. The scope's and the sweep analysis's CSV files write their headings so.
#pragma once

#include <string>

namespace tools700 {

inline std::string CsvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace tools700
