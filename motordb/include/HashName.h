// The name hash shared by the motor database and the program's value sets.
// Characters are lower-cased before they enter the hash, so lookups ignore case.
#pragma once

#include <cstdint>

namespace tools700 {

inline uint32_t HashName(const char *text)
{
    uint32_t h = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); p && *p; ++p) {
        unsigned char c = *p;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        h = (h << 4) + c;
        uint32_t g = h & 0xF0000000u;
        if (g != 0) {
            h ^= g >> 24;
            h ^= g;
        }
    }
    return h;
}

// Whether two names are equal ignoring the case of the letters A to Z, as the hash does.
inline bool NamesEqual(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

// Bucket in a 97-bucket table.
inline int HashBucket(const char *text) { return static_cast<int>(HashName(text) % 97u); }

} // namespace tools700
