#include "ExtensionFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mdb700 {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// White space as the C library's isspace sees it in the "C" locale.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The stored constants of the ideal profile given to every extension motor. They are the
// values the drive's commutation tables were tuned with, not computed ones.
constexpr double kExtensionCos1 = 0.5;
constexpr double kExtensionSin1 = 0.866025;
constexpr double kExtensionAve = 0.95493;

} // namespace

LineReader::LineReader(std::FILE *file) : file_(file), block_(kBlockSize) {}

bool LineReader::Fill()
{
    if (eof_)
        return false;
    len_ = std::fread(block_.data(), 1, block_.size(), file_);
    pos_ = 0;
    if (len_ == 0) {
        eof_ = true;
        failed_ = std::ferror(file_) != 0;
        return false;
    }
    return true;
}

bool LineReader::Next(Line &line)
{
    if (pos_ == len_ && !Fill())
        return false;
    line.text.clear();
    line.overlong = false;
    line.restBlank = true;
    for (;;) {
        if (pos_ == len_ && !Fill())
            return true; // the last line has no line end
        const char *start = block_.data() + pos_;
        std::size_t avail = len_ - pos_;
        const char *nl = static_cast<const char *>(std::memchr(start, '\n', avail));
        std::size_t n = nl ? static_cast<std::size_t>(nl - start) : avail;
        std::size_t room = kMaxLineLength - line.text.size();
        std::size_t keep = std::min(n, room);
        line.text.append(start, keep);
        if (keep < n) {
            line.overlong = true;
            if (line.restBlank)
                line.restBlank = std::all_of(start + keep, start + n, IsBlank);
        }
        pos_ += n;
        if (nl) {
            ++pos_;
            return true;
        }
    }
}

bool ParseNumber(std::string_view token, double &value)
{
    bool negative = false;
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    std::string_view body = token.substr(i);
    if (body.empty() || body[0] == '+' || body[0] == '-')
        return false;
    const char *end = body.data() + body.size();
    double v = 0;
    std::from_chars_result r;
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        if (body[2] == '+' || body[2] == '-')
            return false;
        r = std::from_chars(body.data() + 2, end, v, std::chars_format::hex);
    } else {
        r = std::from_chars(body.data(), end, v, std::chars_format::general);
    }
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

LineKind ParseLine(const LineReader::Line &line, double (&fields)[kFieldCount])
{
    const std::string &t = line.text;
    std::size_t p = 0;
    while (p < t.size() && IsBlank(t[p]))
        ++p;
    if (p == t.size()) {
        // Blank so far: ignored when nothing but white space was skipped either.
        return !line.overlong || line.restBlank ? LineKind::Ignored : LineKind::Invalid;
    }
    if (t[p] == '#')
        return LineKind::Ignored;
    if (line.overlong)
        return LineKind::Invalid;

    int count = 0;
    while (count < kFieldCount) {
        while (p < t.size() && IsBlank(t[p]))
            ++p;
        if (p == t.size())
            return LineKind::Invalid; // fewer than 20 numbers
        std::size_t e = p;
        while (e < t.size() && !IsBlank(t[e]))
            ++e;
        if (!ParseNumber(std::string_view(t).substr(p, e - p), fields[count]))
            return LineKind::Invalid;
        ++count;
        p = e;
    }
    return LineKind::Definition;
}

std::string BaseName(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = file.rfind('.');
    if (dot != std::string_view::npos)
        file = file.substr(0, dot);
    return std::string(file);
}

bool IsValidMotorName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '/' || c == '\\')
            return false;
    }
    return true;
}

MotorFigures ExtensionFigures(const double (&f)[kFieldCount])
{
    MotorFigures m{};
    m.type = f[0];
    m.countsPerX = f[1];
    m.ke = f[2];
    m.inertia = f[3];
    m.inductance = f[4];
    m.rHot = f[5];
    m.poleCount = f[6];
    m.ics = f[7];
    m.commOffset = f[8];
    m.commSrc = f[9];
    m.showMetric = f[10];
    m.poleSpacing = f[11];
    m.encoderResolution = f[12];
    m.hallOffset = f[13];
    m.thermalTimeConst = f[14];
    m.linearKe = f[15];
    m.rotaryKe = f[16];
    m.coilWeight = f[17];
    m.maxVBus = f[18];
    m.peakToCont = f[19];
    m.cosHarm[1] = kExtensionCos1;
    m.sinHarm[1] = kExtensionSin1;
    m.aveNormT6stp = kExtensionAve;
    return m;
}

} // namespace mdb700
