#include "gui/TextFlow.h"

#include <algorithm>
#include <dx/DxLib.h>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

int fWidth(const std::string& line, int font) {
    return dx_GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), font);
}

bool fIsAscii(char c) {
    return (static_cast<unsigned char>(c) & 0x80) == 0;
}

// The length of the UTF-8 character that starts at `i`.
std::size_t fCharLength(const std::string& text, std::size_t i) {
    std::size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xc0) == 0x80) {
        ++n;
    }
    return n;
}

// Japanese closing marks never begin a line: the character before them goes down with them.
bool fMayNotStartLine(const std::string& c) {
    static const std::string kClosing[] = {"！", "？", "、", "。", "」", "』", "）", "ー", "…",
                                           "・", "っ", "ゃ", "ゅ", "ょ", "ッ", "ャ", "ュ", "ョ"};
    return std::find(std::begin(kClosing), std::end(kClosing), c) != std::end(kClosing);
}

// Where the last UTF-8 character of `line` starts.
std::size_t fLastCharStart(const std::string& line) {
    std::size_t i = line.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(line[i]) & 0xc0) == 0x80) {
        --i;
    }
    return i;
}

} // namespace

std::string fFitLines(const std::string& text, int width, int font) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool fits = true;
    for (std::string line; std::getline(in, line);) {
        fits = fits && fWidth(line, font) <= width;
        lines.push_back(line);
    }
    if (fits) {
        return text;
    }
    // Words written in letters were parted by the line break; Japanese was not.
    std::string paragraph;
    for (const std::string& line : lines) {
        const bool spaced = !paragraph.empty() && fIsAscii(paragraph.back()) && paragraph.back() != ' ' &&
                            !line.empty() && fIsAscii(line.front());
        paragraph += (spaced ? " " : "") + line;
    }
    std::string flowed;
    std::string line;
    for (std::size_t i = 0; i < paragraph.size();) {
        const std::size_t n = fCharLength(paragraph, i);
        const std::string next = paragraph.substr(i, n);
        if (line.empty() || fWidth(line + next, font) <= width) {
            line += next;
            i += n;
            continue;
        }
        const std::size_t space = line.rfind(' ');
        if (next == " ") {
            ++i; // the break takes the space's place
        } else if (space != std::string::npos && space > 0) {
            // The word begun goes to the next line whole.
            const std::string carried = line.substr(space + 1);
            line.erase(space);
            flowed += line + "\n";
            line = carried;
            continue;
        }
        std::string carried;
        if (fMayNotStartLine(next) && fLastCharStart(line) > 0) {
            carried = line.substr(fLastCharStart(line));
            line.erase(fLastCharStart(line));
        }
        flowed += line + "\n";
        line = carried;
    }
    return flowed + line;
}
