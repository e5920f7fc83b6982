// Runs arbitrary documents through the whole engine: whatever they ask for,
// the run ends in outputs or in errors of the interpreter's own kind, and a
// second run of the same statements gives the same texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The rendered outputs, or the error messages.
std::vector<std::string> run(const std::vector<engine::Statement>& statements)
{
    std::vector<std::string> texts;
    try {
        const auto outputs = engine::Interpreter::interpret(statements, 0);
        check(outputs.size() == statements.size(), "one output per statement");
        for (const auto& output : outputs)
            texts.push_back(engine::ASTWriter::writeValue(output.value, engine::NumberFormat::mixed, false));
    } catch (const engine::MultiError<engine::InterpretError>& failure) {
        check(!failure.errors.empty(), "a failed run has errors");
        texts.push_back("failed");
        for (const auto& error : failure.errors) {
            check(error.message != "unhandled interpret error", "only interpret errors");
            texts.push_back(error.message);
        }
    }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    std::vector<engine::Statement> statements;
    try {
        statements = engine::Parser::parse(engine::Lexer::lex(source));
    } catch (const engine::MultiError<engine::LexError>&) {
        return 0;
    } catch (const engine::MultiError<engine::ParseError>&) {
        return 0;
    }
    check(run(statements) == run(statements), "runs are repeatable");
    return 0;
}
