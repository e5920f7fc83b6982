#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tsl/ordered_map.h>

#include "frontend/Token.h"

namespace engine {
class Statement;
}

namespace tarvine {

// The one object through which the app and tarvine-cli use the engine. It
// evaluates a whole document, files each result under its source line, and
// publishes three fields. A small cache keyed by the document's text, tokens
// and statements lets a document that returns to an earlier state skip
// interpretation. Call it from one thread.
class Bridge {
public:
    // The published fields, for observers.
    enum class Field { cacheInfo, renderedOutputList, errorOutput };
    using Observer = std::function<void(Field)>;

    // One text per source line. Shared between the published field and the
    // cache, so that neither storing nor a cache hit copies ten thousand texts.
    using RenderedLines = std::shared_ptr<const std::vector<std::string>>;
    // A document's results: its renderedOutputList and errorOutput.
    using CacheEntry = std::pair<RenderedLines, std::string>;

    // The cache holds at most this many entries after each store: enough to
    // undo a burst of edits without interpreting, small enough to be free.
    static constexpr std::size_t maxCacheEntries = 100;
    // The error text of a failure that is none of the engine's errors.
    static constexpr std::string_view unexpectedErrorMessage = "Something unexpected happened";

    // Whether execute keys and caches its results. A caller that evaluates
    // once, like tarvine-cli, gains nothing from the key and turns it off:
    // computing it is a fifth of a run.
    enum class Caching { on, off };

    explicit Bridge(Caching caching = Caching::on);

    // Lex, parse, and (on a cache miss) interpret and render `source`; never
    // throws: every error becomes errorOutput.
    void execute(std::string_view source);

    // "Cache Size: N entries".
    const std::string& cacheInfo() const { return cacheInfo_; }
    // One text per source line (0-based): the line's results joined by ", ",
    // or "". Empty after an error.
    const std::vector<std::string>& renderedOutputList() const { return *renderedOutputList_; }
    // The same texts as a shared object: the very same object for as long as
    // they are unchanged, whatever evaluations come between.
    const RenderedLines& sharedRenderedOutputList() const { return renderedOutputList_; }
    // The messages of the last evaluation's errors, one per line; empty after
    // a success.
    const std::string& errorOutput() const { return errorOutput_; }

    void updateCacheInfo();
    // Reports the size, then drops the oldest entry once the cache holds more
    // than maxCacheEntries.
    void pruneCache();

    std::size_t cacheSize() const { return cache_.size(); }
    // How many times a document has been interpreted (cache misses that got
    // as far as the interpreter).
    std::size_t interpretationCount() const { return interpretationCount_; }

    // Observers are told after each change of a published field.
    void addObserver(Observer observer) { observers_.push_back(std::move(observer)); }

private:
    // The list to lex into: the last one, memory and all, unless a syntax
    // tree from an earlier evaluation still refers to it.
    std::vector<engine::Token>& tokenList();
    // Parses the tokens just lexed from `source` into `statements`, and
    // returns the document's cache key.
    std::int64_t parseAndKey(std::string_view source, std::vector<engine::Statement>& statements);
    void publishResults(RenderedLines renderedOutputList, std::string errorOutput);
    void notify(Field field) const;

    Caching caching_;
    std::string cacheInfo_;
    // Never null.
    RenderedLines renderedOutputList_;
    std::string errorOutput_;
    tsl::ordered_map<std::int64_t, CacheEntry> cache_;
    // The last evaluation's tokens, shared with the syntax tree that refers
    // to them. Empty between calls; its memory is kept, since a long
    // document's tokens would otherwise come from fresh pages on every
    // keystroke.
    std::shared_ptr<std::vector<engine::Token>> tokens_;
    std::size_t interpretationCount_ = 0;
    std::vector<Observer> observers_;
};

} // namespace tarvine
