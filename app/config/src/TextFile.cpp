#include "tools700/config/TextFile.h"

#include "tools700/common/Error.h"

#include <cstdio>

namespace tools700 {

LineReader::LineReader(const std::string &fileName)
    : file_(std::fopen(fileName.c_str(), "rb"))
{
    if (!file_)
        throw Error("Can't open file " + fileName);
}

LineReader::~LineReader() { std::fclose(static_cast<FILE *>(file_)); }

bool LineReader::Next(std::string &line)
{
    FILE *f = static_cast<FILE *>(file_);
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    if (!any)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool LineReader::Failed() const { return std::ferror(static_cast<FILE *>(file_)) != 0; }

bool IsBlankOrComment(const std::string &line)
{
    for (char ch : line) {
        if (ch == '#')
            return true;
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n' && ch != '\v' && ch != '\f')
            return false;
    }
    return true;
}

} // namespace tools700
