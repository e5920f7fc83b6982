#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "frontend/Token.h"
#include "values/MultiError.h"
#include "values/ValueUnion.h"
#include "writer/ASTWriter.h"

namespace engine::test {

// Every statement of the source written as tree text, joined by " | ".
inline std::string treeOf(std::string_view source)
{
    std::string text;
    for (const Statement& statement : Parser::parse(Lexer::lex(source))) {
        if (!text.empty())
            text += " | ";
        text += ASTWriter::write(statement);
    }
    return text;
}

struct FoundError {
    std::string message;
    std::int64_t tokenPosition;
    bool operator==(const FoundError&) const = default;
};

inline void PrintTo(const FoundError& error, std::ostream* out)
{
    *out << "{\"" << error.message << "\", " << error.tokenPosition << "}";
}

// The errors parsing the tokens throws; empty when it succeeds.
inline std::vector<FoundError> errorsOf(const std::vector<Token>& tokens)
{
    try {
        Parser::parse(tokens);
    } catch (const MultiError<ParseError>& failure) {
        std::vector<FoundError> found;
        for (const ParseError& error : failure.errors)
            found.push_back({error.message, error.tokenPosition});
        return found;
    }
    return {};
}

inline std::vector<FoundError> errorsOf(std::string_view source) { return errorsOf(Lexer::lex(source)); }

} // namespace engine::test
