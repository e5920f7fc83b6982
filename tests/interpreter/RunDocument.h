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

// Describes what the user would see of a run: the rendered outputs joined by
// " | ", or "ERR " and the error messages joined by " | " when it failed.
inline std::string describeRun(const std::vector<Statement>& statements, NumberFormat format = NumberFormat::mixed)
{
    std::string described;
    try {
        for (const auto& output : Interpreter::interpret(statements, 0))
            described +=
                (described.empty() ? "" : " | ") + ASTWriter::writeValue(output.value, format, false);
    } catch (const MultiError<InterpretError>& failure) {
        described = "ERR";
        for (std::size_t index = 0; index < failure.errors.size(); ++index)
            described += (index == 0 ? " " : " | ") + failure.errors[index].message;
    }
    return described;
}

// Runs a document as the app does; `rational` shows numbers exactly.
inline std::string runDocument(std::string_view source, NumberFormat format = NumberFormat::mixed)
{
    return describeRun(Parser::parse(Lexer::lex(source)), format);
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

// Checks every row, naming the failing source. Each row runs after
// `prelude`, whose outputs (`preludeOutputs`, ending in " | ") come before the
// row's own unless the run fails.
inline void expectDocuments(std::initializer_list<DocumentCase> rows, std::string_view prelude = {},
                            std::string_view preludeOutputs = {})
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        const bool failed = row.expected.rfind("ERR ", 0) == 0;
        EXPECT_EQ(runDocument(std::string(prelude) + std::string(row.source)),
                  std::string(failed ? "" : preludeOutputs) + std::string(row.expected));
    }
}

} // namespace engine::testing
