#include "core/Bridge.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <span>

#include "core/Layout.h"
#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/GenericError.h"
#include "values/Hasher.h"
#include "values/InterpretError.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace tarvine {

namespace {


template <typename E>
engine::GenericError joinMessages(const engine::MultiError<E>& error)
{
    std::string message;
    for (const auto& each : error.errors) {
        if (!message.empty())
            message += '\n';
        message += each.message;
    }
    return engine::GenericError(std::move(message));
}

// One text per line: the line's results in interpreter order, joined by ", ".
// Outputs are bucketed by line once, so the cost is linear in lines plus
// outputs; outputs beyond the last line are dropped.
Bridge::RenderedLines fileUnderLines(const std::vector<engine::Output>& outputs, std::size_t lines)
{
    auto rendered = std::make_shared<std::vector<std::string>>(lines);
    for (const auto& output : outputs) {
        const auto line = output.sourceStatement.token().sourceLine;
        if (line < 0 || static_cast<std::size_t>(line) >= lines)
            continue;
        // Written straight into the line's text: most fit its own small
        // buffer, so most lines cost no allocation at all.
        auto& text = (*rendered)[static_cast<std::size_t>(line)];
        if (!text.empty())
            text += ", ";
        engine::ASTWriter::appendValue(text, output.value, engine::NumberFormat::mixed, false);
    }
    return rendered;
}

const Bridge::RenderedLines& noLines()
{
    static const Bridge::RenderedLines empty = std::make_shared<const std::vector<std::string>>();
    return empty;
}

} // namespace

Bridge::Bridge(Caching caching) : caching_(caching), renderedOutputList_(noLines()) { updateCacheInfo(); }

void Bridge::execute(std::string_view source)
{
    try {
        // Emptied once the statements that refer to its tokens are gone.
        const struct Clear {
            std::shared_ptr<std::vector<engine::Token>>& tokens;
            ~Clear()
            {
                if (tokens.use_count() == 1)
                    tokens->clear();
            }
        } clear{tokens_};
        engine::Lexer::lex(source, tokenList());
        std::vector<engine::Statement> statements;
        std::optional<std::int64_t> key;
        if (caching_ == Caching::on) {
            key = parseAndKey(source, statements);
            if (auto cached = cache_.find(*key); cached != cache_.end()) {
                publishResults(cached->second.first, cached->second.second);
                return;
            }
        } else {
            statements = engine::Parser::parse(tokens_);
        }

        ++interpretationCount_;
        const auto outputs = engine::Interpreter::interpret(statements, 0);
        publishResults(fileUnderLines(outputs, Layout::lineCount(source)), std::string());
        if (key) {
            cache_.insert_or_assign(*key, CacheEntry{renderedOutputList_, errorOutput_});
            pruneCache();
        }
    } catch (const engine::MultiError<engine::InterpretError>& error) {
        publishResults(noLines(), joinMessages(error).message);
    } catch (const engine::MultiError<engine::ParseError>& error) {
        publishResults(noLines(), joinMessages(error).message);
    } catch (const engine::MultiError<engine::LexError>& error) {
        publishResults(noLines(), joinMessages(error).message);
    } catch (...) {
        publishResults(noLines(), std::string(unexpectedErrorMessage));
    }
}

std::int64_t Bridge::parseAndKey(std::string_view source, std::vector<engine::Statement>& statements)
{
    // The key covers the text, its tokens and its statements. Tokens and
    // statements go to hashers of their own, each as the parser is done with
    // them, so every one is hashed while it is still in the cache instead of
    // in passes over the whole document.
    engine::Hasher tokenHasher;
    engine::Hasher statementHasher;
    tokenHasher.combine(source);
    const auto& tokens = *tokens_;
    tokenHasher.combine(static_cast<std::uint64_t>(tokens.size()));
    std::size_t tokensHashed = 0;
    const auto hashTokens = [&](std::size_t end) {
        if (end <= tokensHashed)
            return;
        engine::Token::hashForKey(tokenHasher, std::span(tokens).subspan(tokensHashed, end - tokensHashed));
        tokensHashed = end;
    };
    // Each node's token is fed as its index in the token list rather than its
    // contents: the list itself is fed in full to the same key, so the index
    // says the same for far less work, and the key still changes with the
    // text, any token or any statement.
    statements = engine::Parser::parse(tokens_, [&](const engine::Statement& statement, std::size_t tokensRead) {
        hashTokens(tokensRead);
        statement.hash(statementHasher, tokens);
    });
    hashTokens(tokens.size());

    engine::Hasher hasher;
    hasher.combine(tokenHasher.finalize());
    hasher.combine(static_cast<std::uint64_t>(statements.size()));
    hasher.combine(statementHasher.finalize());
    return static_cast<std::int64_t>(hasher.finalize());
}

std::vector<engine::Token>& Bridge::tokenList()
{
    if (tokens_.use_count() == 1) {
        // Whoever dropped the other holds is done reading the tokens.
        std::atomic_thread_fence(std::memory_order_acquire);
        return *tokens_;
    }
    tokens_ = std::make_shared<std::vector<engine::Token>>();
    return *tokens_;
}

void Bridge::updateCacheInfo()
{
    cacheInfo_ = "Cache Size: " + std::to_string(cache_.size()) + " entries";
    notify(Field::cacheInfo);
}

void Bridge::pruneCache()
{
    updateCacheInfo();
    if (cache_.size() > maxCacheEntries)
        cache_.erase(cache_.begin());
}

void Bridge::publishResults(RenderedLines renderedOutputList, std::string errorOutput)
{
    renderedOutputList_ = std::move(renderedOutputList);
    notify(Field::renderedOutputList);
    errorOutput_ = std::move(errorOutput);
    notify(Field::errorOutput);
}

void Bridge::notify(Field field) const
{
    for (const auto& observer : observers_)
        observer(field);
}

} // namespace tarvine
