#include "PeopleReport.h"

#include <algorithm>

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

// A result that spans lines would break the column; show its line feeds.
std::string oneLine(std::string_view result)
{
    std::string text;
    for (char c : result) {
        if (c == '\n')
            text += "\u21B5";
        else if (c != '\r')
            text += c;
    }
    return text;
}

} // namespace

std::size_t displayWidth(std::string_view text)
{
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

    std::string report;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool isLastEmptyLine = i + 1 == lines.size() && lines[i].empty() && i > 0;
        if (isLastEmptyLine && (i >= results.size() || results[i].empty()))
            break; // the empty line after a final line feed
        report += lines[i];
        if (i < results.size() && !results[i].empty()) {
            report.append(column > widths[i] ? column - widths[i] : 0, ' ');
            report += resultMarker;
            report += oneLine(results[i]);
        }
        report += '\n';
    }
    return report;
}

} // namespace tarvine::cli
