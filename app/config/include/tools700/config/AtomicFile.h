// Replaces a file only once its new contents are safely on disk: the text is written to a
// temporary file beside the target and renamed over it, so a full disk or a failed write
// leaves the previous file as it was.
#pragma once

#include <string>

namespace tools700 {

// Raises "Can't open file <name>" when the temporary file cannot be created, and
// "Error writing file <name>" when writing, syncing or renaming fails.
void WriteFileAtomically(const std::string &fileName, const std::string &contents);

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
