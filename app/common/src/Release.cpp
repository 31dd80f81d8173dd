#include "tools700/common/Release.h"

#ifndef TOOLS700_RELEASE
#error "TOOLS700_RELEASE is set by the build"
#endif

namespace tools700 {

const char *Release() { return TOOLS700_RELEASE; }

std::string ReleaseLine(const std::string &program) { return program + " (700Tools) " + Release() + "\n"; }

} // namespace tools700
