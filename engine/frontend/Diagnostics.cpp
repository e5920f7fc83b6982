// Every rendering of an error's source position lives here.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/LexError.h"
#include "frontend/ParseError.h"
#include "frontend/SyntaxTree.h"
#include "frontend/Token.h"
#include "values/Graphemes.h"
#include "values/InterpretError.h"

namespace engine {

namespace {

constexpr std::string_view marker = "\u2191"; // ↑

// The line with 0-based index `index`, without its line end. Lines end at
// line feeds; a carriage return right before one belongs to the line end, as
// it does for the lexer, so tokens and lines agree on CR LF text too.
std::optional<std::string_view> lineAt(std::string_view source, std::int64_t index)
{
    if (index < 0)
        return std::nullopt;
    std::size_t start = 0;
    for (std::int64_t line = 0; line < index; ++line) {
        const std::size_t lineFeed = source.find('\n', start);
        if (lineFeed == std::string_view::npos)
            return std::nullopt;
        start = lineFeed + 1;
    }
    std::size_t end = std::min(source.find('\n', start), source.size());
    if (end > start && end < source.size() && source[end - 1] == '\r')
        --end;
    return source.substr(start, end - start);
}

// The message, the source line and a marker under the column-th character of
// that line (counted from 1). A column outside the line gives a marker of
// blanks only, as wide as the line. The bare message when there is no such
// line or it is empty.
std::string render(const std::string& message, std::string_view source, std::int64_t lineIndex,
                   std::int64_t column)
{
    const auto line = lineAt(source, lineIndex);
    if (!line || line->empty())
        return message;
    const auto length = static_cast<std::int64_t>(Graphemes::count(*line));

    std::string text = message;
    text += '\n';
    text += *line;
    text += '\n';
    if (column >= 1 && column <= length) {
        text.append(static_cast<std::size_t>(column - 1), ' ');
        text += marker;
    } else {
        text.append(static_cast<std::size_t>(length), ' ');
    }
    return text;
}

} // namespace

std::string LexError::displayMessage(std::string_view source) const { return render(message, source, line, column); }

std::string ParseError::displayMessage(std::string_view source, const std::vector<Token>& tokens) const
{
    if (tokenPosition < 0 || static_cast<std::uint64_t>(tokenPosition) >= tokens.size())
        return message;
    const Token& token = tokens[static_cast<std::size_t>(tokenPosition)];
    return render(message, source, token.sourceLine, token.sourceColumn);
}

std::string InterpretError::displayMessage(std::string_view, const std::vector<Token>&,
                                           const std::vector<Statement>&) const
{
    return message;
}

} // namespace engine
