// Helpers to compare listings: pages split at form feeds, runs of blanks folded, empty lines
// dropped (pdftotext lays text out its own way).
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace testutil {

inline std::vector<std::vector<std::string>> NormalizedPages(const std::string &text)
{
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    auto flush = [&] {
        std::string norm;
        bool blank = false;
        for (char c : line) {
            if (c == ' ' || c == '\t' || c == '\r') {
                blank = true;
                continue;
            }
            if (blank && !norm.empty())
                norm += ' ';
            blank = false;
            norm += c;
        }
        if (!norm.empty())
            pages.back().push_back(norm);
        line.clear();
    };
    for (char c : text) {
        if (c == '\n') {
            flush();
        } else if (c == '\f') {
            flush();
            pages.emplace_back();
        } else {
            line += c;
        }
    }
    flush();
    while (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

inline std::string PdfToText(const std::string &pdf)
{
    std::string cmd = "pdftotext -layout '" + pdf + "' -";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return "";
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

inline bool HavePdfToText() { return std::system("pdftotext -v >/dev/null 2>&1") == 0; }

} // namespace testutil
