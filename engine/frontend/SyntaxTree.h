#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "frontend/NodeArena.h"
#include "frontend/Token.h"
#include "values/Hasher.h"
#include "values/ValueUnion.h"

namespace engine {

enum class BinaryOperation : std::uint8_t {
    add,
    subtract,
    multiply,
    divide,
    modulo,
    greater,
    greaterEqual,
    lesser,
    lesserEqual,
    equality,
    inequality,
};

// The operator's text in written syntax trees: "+", "-", "×", "÷", "%", ">",
// ">=", "<", "<=", "==", "!=".
std::string_view description(BinaryOperation operation);

// `not` is a C++ keyword, hence the trailing underscore.
enum class UnaryOperation : std::uint8_t { negate, not_ };

// In an argument list, outerName is the label callers write and innerName the
// name bound in the body; in a return list, innerName names a body variable and
// outerName the key it is returned under.
struct ArgumentMapping {
    std::string outerName;
    std::string innerName;

    bool operator==(const ArgumentMapping&) const = default;
    void hash(Hasher& hasher) const;
};

class ReturnMapping {
public:
    enum class Kind : std::uint8_t { all, singleValue, list };

    static ReturnMapping all() { return ReturnMapping(Kind::all, {}); }
    static ReturnMapping singleValue() { return ReturnMapping(Kind::singleValue, {}); }
    static ReturnMapping list(std::vector<ArgumentMapping> mappings) { return ReturnMapping(Kind::list, std::move(mappings)); }

    Kind kind() const { return kind_; }
    // Empty unless kind() is list.
    const std::vector<ArgumentMapping>& mappings() const { return mappings_; }

    bool operator==(const ReturnMapping&) const = default;
    // Case index; for list, then the mapping list.
    void hash(Hasher& hasher) const;

private:
    ReturnMapping(Kind kind, std::vector<ArgumentMapping> mappings) : kind_(kind), mappings_(std::move(mappings)) {}

    Kind kind_;
    std::vector<ArgumentMapping> mappings_;
};

struct Expression;

// What an expression is. Every case lives out of line in an immutable shared
// node, so copying a tree costs a pointer. The parser bounds how deep a tree
// can grow, which keeps every recursive walk over it safe.
class ExpressionKind {
public:
    struct Binary;
    struct Unary;
    struct Value;
    struct Reference;
    struct Grouping;
    struct Assignment;
    struct Invocation;
    struct List;

    // Alternatives in case-index order.
    using Variant = std::variant<std::shared_ptr<const Binary>, std::shared_ptr<const Unary>,
                                 std::shared_ptr<const Value>, std::shared_ptr<const Reference>,
                                 std::shared_ptr<const Grouping>, std::shared_ptr<const Assignment>,
                                 std::shared_ptr<const Invocation>, std::shared_ptr<const List>>;

    static ExpressionKind binary(BinaryOperation operation, Expression left, Expression right);
    static ExpressionKind unary(UnaryOperation operation, Expression operand);
    static ExpressionKind value(ValueUnion value);
    static ExpressionKind reference(std::string name);
    static ExpressionKind grouping(Expression inner);
    static ExpressionKind assignment(std::string name, Expression value);
    static ExpressionKind invocation(Expression callee, std::vector<Expression> arguments);
    static ExpressionKind list(std::vector<Expression> elements);
    // A node of any case, its fields forwarded straight into it, so that each
    // subexpression is moved only once; placed in the arena when one is given
    // (the parser builds a whole document's tree in one).
    template <typename Case, typename... Fields>
    static ExpressionKind make(NodeArena* arena, Fields&&... fields);

    std::size_t index() const { return node_.index(); }
    const Variant& node() const { return node_; }
    // The node when the expression is of that case, else null.
    template <typename Case>
    const Case* as() const
    {
        auto* node = std::get_if<std::shared_ptr<const Case>>(&node_);
        return node ? node->get() : nullptr;
    }

    bool operator==(const ExpressionKind& other) const;
    void hash(Hasher& hasher) const;

private:
    template <typename Case>
    explicit ExpressionKind(std::shared_ptr<const Case> node)
        : node_(std::in_place_type<std::shared_ptr<const Case>>, std::move(node))
    {
    }

    Variant node_;
};

struct Expression {
    ExpressionKind data;
    // The token the parser associates with the node; it maps the node back to
    // its source line. Never null. A tree refers to its tokens instead of
    // copying one into every node, so something must keep them alive as long
    // as the tree: for a parsed tree, the arena that holds its nodes keeps
    // the token list the parser read; a tree built by hand needs tokens that
    // outlive it.
    const Token* token = nullptr;

    // Token contents first, then data.
    bool operator==(const Expression& other) const;
    // Data, then token contents.
    void hash(Hasher& hasher) const;
    // The same, except that a token lying in `tokens` is fed as its index
    // there rather than its contents: for a key that also feeds all of
    // `tokens`, that says as much for a fraction of the work.
    void hash(Hasher& hasher, std::span<const Token> tokens) const;
};

struct ExpressionKind::Binary {
    BinaryOperation operation;
    Expression left;
    Expression right;
};
struct ExpressionKind::Unary {
    UnaryOperation operation;
    Expression operand;
};
// A literal: a number or a string from a literal token, or the anonymous
// function of a table literal.
struct ExpressionKind::Value {
    ValueUnion value;
};
struct ExpressionKind::Reference {
    std::string name;
};
struct ExpressionKind::Grouping {
    Expression inner;
};
struct ExpressionKind::Assignment {
    std::string name;
    Expression value;
};
// Every argument is an assignment whose name is the argument's label.
struct ExpressionKind::Invocation {
    Expression callee;
    std::vector<Expression> arguments;
};
struct ExpressionKind::List {
    std::vector<Expression> elements;
};

namespace detail {

// A node initialised field by field from the arguments where it is stored,
// without a temporary node that would be moved in.
template <typename Node>
struct InPlaceNode : Node {
    template <typename... Fields>
    explicit InPlaceNode(Fields&&... fields) : Node{std::forward<Fields>(fields)...}
    {
    }
};

} // namespace detail

template <typename Case, typename... Fields>
ExpressionKind ExpressionKind::make(NodeArena* arena, Fields&&... fields)
{
    using Built = detail::InPlaceNode<Case>;
    if (arena)
        return ExpressionKind(std::shared_ptr<const Case>(
            std::allocate_shared<const Built>(NodeAllocator<Built>(*arena), std::forward<Fields>(fields)...)));
    return ExpressionKind(std::shared_ptr<const Case>(std::make_shared<const Built>(std::forward<Fields>(fields)...)));
}

// What a user-defined function is made of; shared by the function statement
// and every callable value built from it.
struct UserFunction {
    std::vector<ArgumentMapping> argumentMappings;
    ReturnMapping returnMapping;
    std::vector<Expression> body;

    bool operator==(const UserFunction& other) const;
    // Mapping count and each mapping, the return mapping, then the body.
    void hash(Hasher& hasher) const;
    // The same, with the body's tokens as in Expression::hash(hasher, tokens).
    void hash(Hasher& hasher, std::span<const Token> tokens) const;
};

// `function name = (mappings) -> (returns) { body }`.
struct FunctionDefinition {
    // An identifier token.
    Token name;
    std::shared_ptr<const UserFunction> function;
};

class Statement {
public:
    enum class Kind : std::uint8_t { expression, function };

    static Statement expression(Expression expression);
    static Statement function(Token name, std::vector<ArgumentMapping> argumentMappings, ReturnMapping returnMapping,
                              std::vector<Expression> body);

    Kind kind() const { return static_cast<Kind>(node_.index()); }
    // Null unless the statement is of that case.
    const Expression* asExpression() const { return std::get_if<Expression>(&node_); }
    const FunctionDefinition* asFunction() const
    {
        const auto* function = std::get_if<std::shared_ptr<const FunctionDefinition>>(&node_);
        return function ? function->get() : nullptr;
    }

    // The token that places the statement in the source: the expression's own
    // token, or the function's name token.
    const Token& token() const;

    bool operator==(const Statement& other) const;
    // Case index, then the payload.
    void hash(Hasher& hasher) const;
    // The same, with tokens as in Expression::hash(hasher, tokens); a
    // function's name token is fed by its contents.
    void hash(Hasher& hasher, std::span<const Token> tokens) const;

private:
    // Function statements are few, and out of line they keep every statement
    // as small as an expression.
    using Variant = std::variant<Expression, std::shared_ptr<const FunctionDefinition>>;
    template <typename Case>
    explicit Statement(Case node) : node_(std::in_place_type<Case>, std::move(node))
    {
    }

    Variant node_;
};

} // namespace engine
