// Renders error positions in arbitrary source: the real errors of lexing and
// parsing the input, and made-up lex and parse errors whose messages, lines,
// columns and token positions come from the input. Every display is the bare
// message, or the message, the addressed line of the source and a marker row
// of blanks with at most one arrow, no wider than the line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/Graphemes.h"
#include "values/MultiError.h"

namespace {

using engine::Token;

constexpr std::string_view arrow = "\u2191";

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The lines of the source without their line ends (a CR before LF is part of
// the line end).
std::vector<std::string_view> linesOf(std::string_view source)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const auto lineFeed = source.find('\n', start);
        auto end = lineFeed == std::string_view::npos ? source.size() : lineFeed;
        if (lineFeed != std::string_view::npos && end > start && source[end - 1] == '\r')
            --end;
        lines.push_back(source.substr(start, end - start));
        if (lineFeed == std::string_view::npos)
            return lines;
        start = lineFeed + 1;
    }
}

// Checks a display of `message` for 0-based line `line`; returns whether it
// shows that line.
bool checkDisplay(const std::string& display, const std::string& message, std::string_view source,
                  std::int64_t line)
{
    check(display.compare(0, message.size(), message) == 0, "display starts with the message");
    if (display.size() == message.size())
        return false;
    const auto lines = linesOf(source);
    check(line >= 0 && static_cast<std::uint64_t>(line) < lines.size(), "only an existing line is shown");
    const auto shown = lines[static_cast<std::size_t>(line)];
    const std::string_view rest = std::string_view(display).substr(message.size());
    check(rest.size() >= shown.size() + 2 && rest[0] == '\n' && rest.substr(1, shown.size()) == shown
              && rest[shown.size() + 1] == '\n',
          "the addressed line follows the message");
    std::string_view marker = rest.substr(shown.size() + 2);
    if (marker.size() >= arrow.size() && marker.substr(marker.size() - arrow.size()) == arrow)
        marker.remove_suffix(arrow.size());
    check(marker.find_first_not_of(' ') == std::string_view::npos, "the marker row is blanks and an arrow");
    check(marker.size() <= engine::Graphemes::count(shown), "the marker is no wider than the line");
    return true;
}

void displayRealErrors(std::string_view source)
{
    std::vector<Token> tokens;
    try {
        tokens = engine::Lexer::lex(source);
    } catch (const engine::MultiError<engine::LexError>& failure) {
        for (const auto& error : failure.errors)
            checkDisplay(error.displayMessage(source), error.message, source, error.line);
        return;
    }
    try {
        engine::Parser::parse(tokens);
    } catch (const engine::MultiError<engine::ParseError>& failure) {
        for (const auto& error : failure.errors) {
            const auto display = error.displayMessage(source, tokens);
            const auto at = static_cast<std::size_t>(error.tokenPosition);
            // A real error always points at one of the tokens, whose line is in the source.
            check(error.tokenPosition >= 0 && at < tokens.size(), "a real error points at a token");
            checkDisplay(display, error.message, source, tokens[at].sourceLine);
        }
    }
}

// Mostly small positions, sometimes any 64-bit value.
std::int64_t position(FuzzedDataProvider& provider)
{
    if (provider.ConsumeBool())
        return provider.ConsumeIntegral<std::int64_t>();
    return provider.ConsumeIntegralInRange<std::int64_t>(-2, 40);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    displayRealErrors(std::string_view(reinterpret_cast<const char*>(data), size));

    // The positions come from the input's end, a short message from its
    // start, and the rest is the source.
    FuzzedDataProvider provider(data, size);
    const std::string message = provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 16));
    const auto line = position(provider);
    const auto column = position(provider);
    const auto tokenPosition = position(provider);
    std::vector<Token> tokens(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (auto& token : tokens) {
        token.sourceLine = position(provider);
        token.sourceColumn = position(provider);
    }
    const std::string source = provider.ConsumeRemainingBytesAsString();

    checkDisplay(engine::LexError(message, line, column).displayMessage(source), message, source, line);
    const engine::ParseError parseError(message, tokenPosition);
    const auto display = parseError.displayMessage(source, tokens);
    if (tokenPosition >= 0 && static_cast<std::uint64_t>(tokenPosition) < tokens.size())
        checkDisplay(display, message, source, tokens[static_cast<std::size_t>(tokenPosition)].sourceLine);
    else
        check(display == message, "a position outside the tokens shows the message alone");
    return 0;
}
