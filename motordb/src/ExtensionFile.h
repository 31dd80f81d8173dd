// The extension file format: one user motor per file, named by the file's base name.
//
// A file is text. Empty lines, lines of white space only and lines whose first non-blank
// character is '#' are ignored; every other line defines the motor with 20 numbers in C
// notation separated by white space (anything after the twentieth is ignored).
//
// Bad input is refused, never guessed at:
// - a number that does not parse completely ("1.5x", "1,5"), NaN, infinity or a value outside
//   the range of a double makes the line invalid;
// - a line is read whole, up to kMaxLineLength bytes; a longer line is invalid unless it is a
//   comment or blank (a line of any 20 finite numbers printed with "%lf" fits);
// - NUL bytes and other binary data are ordinary characters that no number accepts;
// - a file is read in fixed-size blocks, so a huge file costs time, never memory;
// - the motor name must have 1 to 8 printable ASCII characters other than blank, slash and
//   backslash (it is packed into two 32-bit drive variables and shown in lists).
#pragma once

#include "MotorRecord.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace mdb700 {

inline constexpr std::size_t kMaxNameLength = 8;
inline constexpr std::size_t kMaxLineLength = 8192;
inline constexpr int kFieldCount = 20;

// Reads the lines of an open file in blocks, keeping at most kMaxLineLength bytes of a line.
class LineReader {
public:
    struct Line {
        std::string text;     // without the line end; at most kMaxLineLength bytes
        bool overlong = false; // the line was longer; the rest was skipped
        bool restBlank = true; // the skipped rest held only white space
    };

    explicit LineReader(std::FILE *file);

    // The next line; false at the end of the file or on a read error.
    bool Next(Line &line);
    bool failed() const { return failed_; }

private:
    bool Fill();

    std::FILE *file_;
    std::vector<char> block_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool failed_ = false;
};

enum class LineKind { Ignored, Definition, Invalid };

// Classifies one line and, for a definition, reads its 20 numbers.
LineKind ParseLine(const LineReader::Line &line, double (&fields)[kFieldCount]);

// One number in C notation (optional sign, decimal or hexadecimal, optional exponent) that
// fills the whole token and is finite.
bool ParseNumber(std::string_view token, double &value);

// The file name without folder and without its last extension, as the path spells it.
std::string BaseName(std::string_view path);

// Whether a base name can name an extension motor.
bool IsValidMotorName(std::string_view name);

// The figures of an extension motor: the 20 fields of its line, the ideal harmonic profile.
MotorFigures ExtensionFigures(const double (&fields)[kFieldCount]);

} // namespace mdb700
