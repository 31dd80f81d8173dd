// A number or numbers printed with a printf format into a string (the figures' texts, the sweep
// file's comment lines), in C notation whatever the user's locale.
#pragma once

#include "tools700/common/NumberText.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace tools700::analysis {

[[gnu::format(printf, 1, 2)]] inline std::string Printed(const char *format, ...)
{
    const numtext::CNotation cNotation;
    char buf[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

} // namespace tools700::analysis
