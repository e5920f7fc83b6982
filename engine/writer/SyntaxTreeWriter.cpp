// Syntax trees as compact prefix text, for inspection.

#include <cstdio>
#include <string>
#include <type_traits>
#include <variant>

#include "writer/ASTWriter.h"

namespace engine {

std::string ASTWriter::writeExpression(const Expression& expression)
{
    return std::visit(
        [](const auto& pointer) -> std::string {
            using Node = std::remove_const_t<typename std::decay_t<decltype(pointer)>::element_type>;
            const Node& node = *pointer;
            if constexpr (std::is_same_v<Node, ExpressionKind::Binary>) {
                return "(" + std::string(description(node.operation)) + " " + writeExpression(node.left) + " "
                    + writeExpression(node.right) + ")";
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Unary>) {
                return (node.operation == UnaryOperation::negate ? "-" : "!") + writeExpression(node.operand);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Value>) {
                return writeValue(node.value, NumberFormat::rational, false);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Reference>) {
                return node.name;
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Grouping>) {
                return writeExpression(node.inner);
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Assignment>) {
                return "(" + node.name + " = " + writeExpression(node.value) + ")";
            } else if constexpr (std::is_same_v<Node, ExpressionKind::Invocation>) {
                return "&" + writeExpression(node.callee) + "/" + std::to_string(node.arguments.size());
            } else {
                static_assert(std::is_same_v<Node, ExpressionKind::List>);
                std::string text = "[";
                for (std::size_t i = 0; i < node.elements.size(); ++i) {
                    if (i > 0)
                        text += ";";
                    text += "(" + writeExpression(node.elements[i]) + ")";
                }
                return text + "]";
            }
        },
        expression.data.node());
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
