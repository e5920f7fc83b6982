#include "PeopleReport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <utf8proc.h>

#include "values/Graphemes.h"

namespace tarvine::cli {

namespace {

// Results start no further right than this, however long the longest line.
constexpr std::size_t maxResultColumn = 48;
constexpr std::size_t tabWidth = 8;
constexpr std::string_view resultMarker = "  # ";

std::vector<std::string_view> splitLines(std::string_view source)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const auto end = source.find('\n', start);
        auto line = source.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1); // a CRLF line end is a line end
        lines.push_back(line);
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// Whether a result fits on one line as it is: no line feed, no carriage return.
bool isOneLine(std::string_view result)
{
    return !std::memchr(result.data(), '\n', result.size()) && !std::memchr(result.data(), '\r', result.size());
}

// The bytes a result takes on one line: each line feed shows as the three
// bytes of U+21B5, and carriage returns are dropped.
std::size_t oneLineSize(std::string_view result)
{
    std::size_t size = result.size();
    for (const char c : result) {
        if (c == '\n')
            size += 2;
        else if (c == '\r')
            size -= 1;
    }
    return size;
}

// Writes a result that spans lines on one line, since it would break the
// column: line feeds show as U+21B5. Returns the end of what it wrote.
char* putOnOneLine(char* out, std::string_view result)
{
    constexpr std::string_view lineFeedMark = "\u21B5";
    for (const char c : result) {
        if (c == '\n')
            out = std::copy(lineFeedMark.begin(), lineFeedMark.end(), out);
        else if (c != '\r')
            *out++ = c;
    }
    return out;
}

// Whether every byte is ASCII other than a tab, so that the width is the
// length. Eight bytes at a time: the common line is plain ASCII.
bool isPlainAscii(std::string_view text)
{
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t highBits = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        // A tab byte becomes zero, and a zero byte is one that borrows.
        const auto tabsZeroed = word ^ (ones * static_cast<unsigned char>('\t'));
        if ((word & highBits) != 0 || ((tabsZeroed - ones) & ~tabsZeroed & highBits) != 0)
            return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\t'; });
}

} // namespace

std::size_t displayWidth(std::string_view text)
{
    if (isPlainAscii(text))
        return text.size();
    std::size_t width = 0;
    // Most lines are ASCII: each byte is a character a column wide, and only
    // tabs need more thought (a line holds no line feed, so no CR LF pair).
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        for (const char c : text)
            width += c == '\t' ? tabWidth - width % tabWidth : 1;
        return width;
    }
    for (auto character : engine::Graphemes::split(text)) {
        if (character == "\t") {
            width += tabWidth - width % tabWidth;
            continue;
        }
        utf8proc_int32_t codepoint = 0;
        const auto length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(character.data()),
                                             static_cast<utf8proc_ssize_t>(character.size()), &codepoint);
        width += length > 0 ? static_cast<std::size_t>(std::max(utf8proc_charwidth(codepoint), 1)) : 1;
    }
    return width;
}

std::string formatForPeople(std::string_view source, const std::vector<std::string>& results)
{
    const auto lines = splitLines(source);
    std::vector<std::size_t> widths;
    widths.reserve(lines.size());
    std::size_t column = 0;
    for (auto line : lines) {
        widths.push_back(displayWidth(line));
        column = std::max(column, std::min(widths.back(), maxResultColumn));
    }
    const auto hasResult = [&](std::size_t i) { return i < results.size() && !results[i].empty(); };
    const auto padding = [&](std::size_t i) { return column > widths[i] ? column - widths[i] : 0; };

    // The report's size is known before it is written, so it is written
    // into place rather than appended piece by piece.
    std::size_t size = 0;
    // Whether each result must be rewritten to stay on one line; most are not.
    std::vector<bool> rewritten(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        size += lines[i].size() + 1;
        if (hasResult(i)) {
            rewritten[i] = !isOneLine(results[i]);
            size += padding(i) + resultMarker.size() + (rewritten[i] ? oneLineSize(results[i]) : results[i].size());
        }
    }
    std::string report(size, '\0');
    char* out = report.data();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool isLastEmptyLine = i + 1 == lines.size() && lines[i].empty() && i > 0;
        if (isLastEmptyLine && !hasResult(i))
            break; // the empty line after a final line feed
        out = std::copy(lines[i].begin(), lines[i].end(), out);
        if (hasResult(i)) {
            out = std::fill_n(out, padding(i), ' ');
            out = std::copy(resultMarker.begin(), resultMarker.end(), out);
            out = rewritten[i] ? putOnOneLine(out, results[i])
                               : std::copy(results[i].begin(), results[i].end(), out);
        }
        *out++ = '\n';
    }
    report.resize(static_cast<std::size_t>(out - report.data()));
    return report;
}

} // namespace tarvine::cli
