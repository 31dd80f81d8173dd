// The per-user namespace of the link library's system-wide objects (named locks, shared regions).
//
// Every named lock and shared region lives in POSIX shared memory under a name built from the
// namespace and the object's own name, so two users on one machine, or two test programs running
// side by side, never meet. The namespace is "comm700-<uid>" unless the environment variable
// COMM700_NAMESPACE names another one.
#pragma once

#include <string>
#include <string_view>

namespace tools700::platform {

// The namespace in force: COMM700_NAMESPACE when set and not empty, else "comm700-<uid>".
// Read from the environment on every call (cheap), so a test may change it before loading.
std::string Namespace();

// The POSIX shared-memory name ("/<namespace>.<object>") of a named object. Characters that a
// shared-memory name cannot hold ('/' and '%') are written as %2F and %25. Returns an empty
// string when the name is empty, holds a NUL, or the result would exceed NAME_MAX.
std::string ObjectPath(std::string_view objectName);

// Removes every shared-memory object of the given namespace (all names "/<ns>.*").
// For tests and for a clean uninstall; never called by the library itself. Returns the count.
int RemoveNamespaceObjects(std::string_view ns);

}  // namespace tools700::platform
