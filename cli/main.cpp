// tarvine-cli: evaluates a Tarvine document exactly as the app does, through
// the same Bridge, for scripts, tests and terminal users.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "JsonWriter.h"
#include "PeopleReport.h"
#include "EngineVersion.h"
#include "core/Bridge.h"
#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/Graphemes.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace {

using namespace tarvine::cli;

enum ExitStatus { success = 0, documentHasErrors = 1, unusable = 2 };

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

int fail(const std::string& message)
{
    std::cerr << "tarvine-cli: " << message << '\n';
    return unusable;
}

std::string versionText()
{
    std::string version(reinterpret_cast<const char*>(EngineVersionString));
    if (version.rfind("@(#)", 0) == 0)
        version.erase(0, 4);
    while (!version.empty() && version.back() == '\n')
        version.pop_back();
    char number[16];
    std::snprintf(number, sizeof number, "%.1f", EngineVersionNumber);
    return "tarvine-cli " + std::string(number) + " (" + version + ")";
}

// "at line L, column C" of the byte at `offset`, counted from 1 as in the
// error positions; the text before it must be well-formed.
std::string placeOf(std::string_view source, std::size_t offset)
{
    const auto before = source.substr(0, offset);
    const auto lastLineFeed = before.rfind('\n');
    const auto lineStart = lastLineFeed == std::string_view::npos ? 0 : lastLineFeed + 1;
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const auto column = engine::Graphemes::count(before.substr(lineStart)) + 1;
    return "at line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool readInput(const std::optional<std::string>& file, std::string& text, std::string& error)
{
    std::ostringstream contents;
    if (!file) {
        contents << std::cin.rdbuf();
        if (std::cin.bad()) {
            error = "cannot read standard input";
            return false;
        }
    } else {
        std::ifstream stream(*file, std::ios::binary);
        if (!stream) {
            error = "cannot read '" + *file + "'";
            return false;
        }
        // A file of known size is read in one piece, without a stream
        // buffer's copy; anything else (a pipe, a device) streams.
        std::error_code sizeUnknown;
        const auto size = std::filesystem::is_regular_file(*file, sizeUnknown)
                              ? std::filesystem::file_size(*file, sizeUnknown)
                              : std::uintmax_t(0);
        if (!sizeUnknown && size > 0) {
            text.resize(static_cast<std::size_t>(size));
            stream.read(text.data(), static_cast<std::streamsize>(size));
            text.resize(static_cast<std::size_t>(stream.gcount()));
            // The file may have grown since its size was taken.
            if (!stream.bad() && stream.peek() != std::ifstream::traits_type::eof())
                contents << stream.rdbuf();
        } else {
            contents << stream.rdbuf();
        }
        if (stream.bad()) {
            error = "cannot read '" + *file + "'";
            return false;
        }
        text += std::move(contents).str();
        return true;
    }
    text = std::move(contents).str();
    return true;
}

// Plain ASCII is valid UTF-8, and most documents are plain ASCII: checked
// eight bytes at a time, they skip the byte-by-byte validation.
bool isAscii(std::string_view text)
{
    constexpr std::uint64_t highBits = 0x8080808080808080;
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        seen |= word;
    }
    for (; i < text.size(); ++i)
        seen |= static_cast<unsigned char>(text[i]);
    return (seen & highBits) == 0;
}

// Where each line of a text begins, so that each error finds its line at once
// rather than by reading the text from its start.
class LineStarts {
public:
    explicit LineStarts(std::string_view source) : source_(source)
    {
        for (auto lineFeed = source.find('\n'); lineFeed != std::string_view::npos;
             lineFeed = source.find('\n', lineFeed + 1))
            starts_.push_back(lineFeed + 1);
    }

    // The message with its source line and an arrow under the column, as the
    // engine shows it; the message alone for a line too long to echo.
    std::string show(const std::string& message, std::int64_t line, std::int64_t column) const
    {
        if (line < 0 || static_cast<std::size_t>(line) >= starts_.size())
            return message;
        const auto index = static_cast<std::size_t>(line);
        const auto start = starts_[index];
        const auto end = index + 1 < starts_.size() ? starts_[index + 1] - 1 : source_.size();
        if (end - start > maxEchoedLineBytes)
            return message;
        // From the line on, the line is the first: the rendering is the same.
        return engine::LexError(message, 0, column).displayMessage(source_.substr(start));
    }

private:
    // A line of a megabyte can hold a thousand errors: echoing it for each
    // would flood the terminal, and its position says where they are.
    static constexpr std::size_t maxEchoedLineBytes = 1000;

    std::string_view source_;
    std::vector<std::size_t> starts_{0};
};

// Lexing and parsing errors with their source line and an arrow; the
// interpreter's as their messages. Returns documentHasErrors.
int reportErrors(std::string_view source, const std::string& name, const std::string& errorOutput)
{
    engine::Lexer::debugStep = false;
    const LineStarts lines(source);
    std::vector<engine::Token> tokens;
    try {
        tokens = engine::Lexer::lex(source);
    } catch (const engine::MultiError<engine::LexError>& error) {
        for (const auto& each : error.errors)
            std::cerr << name << ':' << each.line + 1 << ':' << each.column << ": "
                      << lines.show(each.message, each.line, each.column) << '\n';
        return documentHasErrors;
    }
    try {
        engine::Parser::parse(tokens);
    } catch (const engine::MultiError<engine::ParseError>& error) {
        for (const auto& each : error.errors) {
            std::cerr << name;
            if (each.tokenPosition >= 0 && static_cast<std::size_t>(each.tokenPosition) < tokens.size()) {
                const auto& token = tokens[static_cast<std::size_t>(each.tokenPosition)];
                std::cerr << ':' << token.sourceLine + 1 << ':' << token.sourceColumn << ": "
                          << lines.show(each.message, token.sourceLine, token.sourceColumn) << '\n';
            } else {
                std::cerr << ": " << each.message << '\n';
            }
        }
        return documentHasErrors;
    }
    std::istringstream messages(errorOutput);
    for (std::string message; std::getline(messages, message);)
        std::cerr << name << ": " << message << '\n';
    return documentHasErrors;
}

int printSyntaxTrees(std::string_view source, const std::string& name)
{
    try {
        auto tokens = engine::Lexer::lex(source);
        engine::Lexer::debugStep = false;
        engine::ASTWriter::writeAll(engine::Parser::parse(std::move(tokens)));
        return success;
    } catch (const std::exception&) {
        return reportErrors(source, name, {});
    }
}

} // namespace

int main(int argc, char** argv)
{
    const auto parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.commandLine)
        return fail(parsed.error);
    const auto& commandLine = *parsed.commandLine;
    if (commandLine.help) {
        std::cout << usage;
        return success;
    }
    if (commandLine.version) {
        std::cout << versionText() << '\n';
        return success;
    }

    std::string source;
    std::string error;
    if (!readInput(commandLine.file, source, error))
        return fail(error);
    if (source.rfind(byteOrderMark, 0) == 0)
        source.erase(0, byteOrderMark.size());
    if (const auto valid = isAscii(source) ? source.size() : engine::Graphemes::validUtf8Length(source);
        valid < source.size())
        return fail("the input is not valid UTF-8 " + placeOf(source, valid));
    const std::string name = commandLine.file.value_or("<stdin>");

    engine::Lexer::debugStep = commandLine.traceLexer;
    if (commandLine.mode == OutputMode::ast)
        return printSyntaxTrees(source, name);

    tarvine::Bridge::RenderedLines results;
    std::string errors;
    {
        // Gone before errors are located, which lexes the text again: its
        // tokens' memory would otherwise be held twice.
        tarvine::Bridge bridge(tarvine::Bridge::Caching::off);
        bridge.execute(source);
        results = bridge.sharedRenderedOutputList();
        errors = bridge.errorOutput();
    }
    engine::Lexer::debugStep = false;

    if (commandLine.mode == OutputMode::json) {
        std::cout << resultsJson(*results, errors) << '\n';
        return errors.empty() ? success : documentHasErrors;
    }
    if (!errors.empty())
        return reportErrors(source, name, errors);
    writeForPeople(std::cout, source, *results);
    return success;
}
