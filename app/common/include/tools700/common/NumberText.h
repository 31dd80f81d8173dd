// Numbers as text, and the program's one rule for which texts follow the user's locale.
//
// - A number a window shows the user or reads from the user follows the user's decimal
//   separator ("0,116" under a German locale): edit boxes, value readouts, labels, the tuning
//   window's fields, the scope's boxes and cursor readout, slider scales, and the bounds
//   messages a window shows. The window passes the separator in as `point`
//   (tools700::UserDecimalPoint(), app/widgets); a Qt-free core takes it as a parameter whose
//   default is C notation. Reading accepts the user's separator and '.' alike.
// - Everything written for a file, a program or the line is C notation ('.', no group
//   separators), whatever the locale: *.cfg files and their printed listing, CSV exports,
//   Scope.log, the settings file, values on the wire, tools700-cli's output and arguments,
//   drivesim.
//
// Nothing here reads the C library's locale (LC_NUMERIC), which a Qt program takes from the
// user's environment: printf("%g") and strtod follow it, so they are not used for numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools700::numtext {

inline constexpr char kCPoint = '.';

// printf "%.<decimals>f" in C notation, with `point` as the decimal separator.
std::string Fixed(double x, int decimals, char point = kCPoint);
// printf "%.15g" (or "%.<significant>g"): the shortest general text with at most that many
// significant digits, no "-0".
std::string General(double x, char point = kCPoint, int significant = 15);
// The shortest text that reads back as the same double ("12.5", "733", "1e+20").
std::string Shortest(double x);
// Fixed-point with `decimals` decimals after rounding to 15 significant digits, so digits a
// double cannot carry show as zeros; when the integer part would need more than 15 digits (or
// the value is not finite), scientific notation with 15 significant digits ("1.00000000000000E+20").
std::string Fixed15(double x, int decimals, char point = kCPoint);
// `text` (C notation) with its '.' replaced by `point`.
std::string WithPoint(std::string text, char point);

// A number as the user typed it: optional sign, digits with one decimal separator ('.' or
// `point`), optional exponent, blanks around it ignored. Nothing for any other text: no
// hexadecimal, "inf" or "nan", no group separators.
std::optional<double> Parse(std::string_view text, char point = kCPoint);
// The error text of a text that is no number: "'x' is not a valid floating point value".
std::string NotANumberText(std::string_view text);

// strtod in C notation, for files: reads a number at p (leading white space skipped); returns
// false when there is none. `end`, when given, is set after the number.
bool ReadNumber(const char *p, double &out, const char **end);

// For its lifetime, this thread's printf, scanf and strtod use C notation whatever the C
// library's locale: for code that writes or reads a file with printf formats.
class CNotation {
public:
    CNotation();
    ~CNotation();
    CNotation(const CNotation &) = delete;
    CNotation &operator=(const CNotation &) = delete;

private:
    void *previous_; // the thread's locale_t before
};

} // namespace tools700::numtext
