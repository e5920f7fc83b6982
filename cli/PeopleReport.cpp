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

// Appends a result that spans lines on one line, since it would break the
// column: line feeds show as U+21B5, carriage returns are dropped.
void appendOnOneLine(std::string& out, std::string_view result)
{
    constexpr std::string_view lineFeedMark = "\u21B5";
    for (const char c : result) {
        if (c == '\n')
            out += lineFeedMark;
        else if (c != '\r')
            out += c;
    }
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

void writeForPeople(std::ostream& out, std::string_view source, const std::vector<std::string>& results)
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

    // Written a chunk at a time: a long document's report would otherwise be
    // a second copy of it, and more, in memory.
    constexpr std::size_t chunkSize = 64 * 1024;
    std::string chunk;
    chunk.reserve(chunkSize);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool isLastEmptyLine = i + 1 == lines.size() && lines[i].empty() && i > 0;
        if (isLastEmptyLine && !hasResult(i))
            break; // the empty line after a final line feed
        chunk += lines[i];
        if (hasResult(i)) {
            chunk.append(column > widths[i] ? column - widths[i] : 0, ' ');
            chunk += resultMarker;
            if (isOneLine(results[i]))
                chunk += results[i];
            else
                appendOnOneLine(chunk, results[i]);
        }
        chunk += '\n';
        if (chunk.size() >= chunkSize) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}

} // namespace tarvine::cli
