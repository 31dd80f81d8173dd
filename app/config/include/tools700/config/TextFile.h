// Reading the configuration model's text files line by line. (They are written through
// tools700/common/AtomicFile.h.)
#pragma once

#include <string>

namespace tools700 {

// Reads the file's lines one by one; line ends LF or CR LF, any length.
class LineReader {
public:
    explicit LineReader(const std::string &fileName); // raises "Can't open file <name>"
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;
    bool Next(std::string &line);
    // True when the read stopped on an I/O error rather than at the end of the file.
    bool Failed() const;

private:
    void *file_;
};

// A line that is empty, all white space, or white space up to a '#'.
bool IsBlankOrComment(const std::string &line);

} // namespace tools700
