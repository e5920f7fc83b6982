// Runs arbitrary documents through the bridge as the app does on a keystroke,
// twice on one bridge: the second run takes the cache (or, after an error,
// interprets again) and must publish exactly what the first did. No failure
// may escape as "Something unexpected happened".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Bridge.h"
#include "core/Layout.h"

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    tarvine::Bridge bridge;

    bridge.execute(source);
    const std::vector<std::string> lines = bridge.renderedOutputList();
    const std::string error = bridge.errorOutput();
    check(error != tarvine::Bridge::unexpectedErrorMessage, "only the engine's own errors");
    if (error.empty()) {
        check(lines.size() == tarvine::Layout::lineCount(source), "one text per line");
        check(bridge.cacheSize() == 1, "a success is cached");
    } else {
        check(lines.empty(), "no results beside an error");
    }

    bridge.execute(source);
    check(bridge.renderedOutputList() == lines, "the second run renders alike");
    check(bridge.errorOutput() == error, "the second run fails alike");
    if (error.empty())
        check(bridge.interpretationCount() == 1, "the second run is a cache hit");
    return 0;
}
