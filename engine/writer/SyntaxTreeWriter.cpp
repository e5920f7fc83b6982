// Syntax trees as compact prefix text, for inspection.

#include <cstdio>
#include <string>

#include "writer/ASTWriter.h"

namespace engine {

// Texts are appended, not joined with operator+: GCC 12 warns falsely
// (-Wrestrict) about the joins once they are inlined into each other.
std::string ASTWriter::writeExpression(const Expression& expression)
{
    using Kind = ExpressionKind;
    const Kind& kind = expression.data;
    std::string text;
    switch (kind.index()) {
    case Kind::indexOf<Kind::Binary>: {
        const auto& node = *kind.as<Kind::Binary>();
        text.append("(").append(description(node.operation)).append(" ");
        text.append(writeExpression(node.left)).append(" ").append(writeExpression(node.right)).append(")");
        return text;
    }
    case Kind::indexOf<Kind::Unary>: {
        const auto& node = *kind.as<Kind::Unary>();
        text.append(node.operation == UnaryOperation::negate ? "-" : "!").append(writeExpression(node.operand));
        return text;
    }
    case Kind::indexOf<Kind::Value>:
        return writeValue(kind.as<Kind::Value>()->value(), NumberFormat::rational, false);
    case Kind::indexOf<Kind::Reference>:
        return std::string(kind.as<Kind::Reference>()->name);
    case Kind::indexOf<Kind::Grouping>:
        return writeExpression(kind.as<Kind::Grouping>()->inner);
    case Kind::indexOf<Kind::Assignment>: {
        const auto& node = *kind.as<Kind::Assignment>();
        text.append("(").append(node.name).append(" = ").append(writeExpression(node.value)).append(")");
        return text;
    }
    case Kind::indexOf<Kind::Invocation>: {
        const auto& node = *kind.as<Kind::Invocation>();
        text.append("&").append(writeExpression(node.callee)).append("/");
        text.append(std::to_string(node.arguments.size()));
        return text;
    }
    default: {
        const auto& node = *kind.as<Kind::List>();
        text = "[";
        for (std::size_t i = 0; i < node.elements.size(); ++i) {
            if (i > 0)
                text += ";";
            text.append("(").append(writeExpression(node.elements[i])).append(")");
        }
        return text + "]";
    }
    }
}

std::string ASTWriter::write(const Statement& statement)
{
    if (const auto* expression = statement.asExpression())
        return writeExpression(*expression);
    return "function '" + statement.asFunction()->name.description() + "' definition";
}

void ASTWriter::writeAll(const std::vector<Statement>& statements)
{
    if (statements.empty()) {
        std::fputs("no statements to print\n", stdout);
        return;
    }
    for (const Statement& statement : statements) {
        const std::string text = write(statement) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

std::string ASTWriter::writeLineOf(const Statement& statement) { return std::to_string(statement.token().sourceLine); }

} // namespace engine
