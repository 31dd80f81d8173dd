// The release of 700Tools, as the about box and each program's --version show it.
#pragma once

#include <string>

namespace tools700 {

// "1.023"
const char *Release();

// The first line of a program's --version text: "<program> (700Tools) <release>\n".
std::string ReleaseLine(const std::string &program);

} // namespace tools700
