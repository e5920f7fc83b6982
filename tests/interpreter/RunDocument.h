#pragma once

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace engine::testing {

// Runs a document as the app does and describes what the user would see: the
// rendered outputs joined by " | ", or "ERR " and the error messages joined
// by " | " when the run failed.
inline std::string runDocument(std::string_view source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    std::string described;
    try {
        for (const auto& output : Interpreter::interpret(statements, 0)) {
            if (!described.empty())
                described += " | ";
            described += ASTWriter::writeValue(output.value, NumberFormat::mixed, false);
        }
    } catch (const MultiError<InterpretError>& failure) {
        described = "ERR";
        for (std::size_t index = 0; index < failure.errors.size(); ++index)
            described += (index == 0 ? " " : " | ") + failure.errors[index].message;
    }
    return described;
}

// One row of a document table.
struct DocumentCase {
    std::string_view source;
    std::string_view expected;
};

inline std::ostream& operator<<(std::ostream& stream, const DocumentCase& row)
{
    return stream << row.source;
}

// Checks every row of a table, naming the failing source.
inline void expectDocuments(std::initializer_list<DocumentCase> rows)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        EXPECT_EQ(runDocument(row.source), row.expected);
    }
}

} // namespace engine::testing
