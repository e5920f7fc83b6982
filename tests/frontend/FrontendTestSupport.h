#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "Repeat.h"
#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace engine::test {

// One row of a table: a source text and what some stage makes of it.
struct Case {
    std::string source;
    std::string expected;
};

// Checks every row, naming the failing source.
template <typename Describe>
void expectEach(Describe describe, std::initializer_list<Case> rows)
{
    for (const Case& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.source));
        EXPECT_EQ(describe(row.source), row.expected);
    }
}

// Each token as `type "lexeme" line:column`, joined by ", "; or, when lexing
// fails, "ERR" and each error as `message @line:column`, joined by " |".
inline std::string lexed(std::string_view source)
{
    std::string text;
    try {
        for (const Token& token : Lexer::lex(source))
            text += (text.empty() ? "" : ", ") + std::string(toString(token.type)) + " \"" + token.lexeme + "\" "
                + std::to_string(token.sourceLine) + ":" + std::to_string(token.sourceColumn);
    } catch (const MultiError<LexError>& failure) {
        text = "ERR";
        for (const LexError& error : failure.errors)
            text += (text == "ERR" ? " " : " | ") + error.message + " @" + std::to_string(error.line) + ":"
                + std::to_string(error.column);
    }
    return text;
}

// Every statement of the source written as tree text, joined by " | ".
inline std::string treeOf(std::string_view source)
{
    std::string text;
    for (const Statement& statement : Parser::parse(Lexer::lex(source)))
        text += (text.empty() ? "" : " | ") + ASTWriter::write(statement);
    return text;
}

// The errors parsing the tokens throws, as `message @tokenIndex` joined by
// " | "; empty when it succeeds.
inline std::string errorsOf(const std::vector<Token>& tokens)
{
    std::string text;
    try {
        Parser::parse(tokens);
    } catch (const MultiError<ParseError>& failure) {
        for (const ParseError& error : failure.errors)
            text += (text.empty() ? "" : " | ") + error.message + " @" + std::to_string(error.tokenPosition);
    }
    return text;
}

inline std::string errorsOf(std::string_view source) { return errorsOf(Lexer::lex(source)); }

} // namespace engine::test
