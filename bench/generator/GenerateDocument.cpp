// tarvine-generate-document: writes a generated document to standard output,
// for scripts/compare-peers.sh and for looking at what the benchmarks run.

#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "DocumentGenerator.h"

namespace {

using tarvine::DocumentGenerator;

const char* const usage = R"(Usage: tarvine-generate-document [--kind typical|peer] [--dialect tarvine|mathjs|qalc] --lines N

Writes a document of N lines to standard output. "typical" (the default) is
what the benchmarks evaluate, in Tarvine only; "peer" is the subset that
Tarvine, mathjs and qalc all evaluate, in the chosen dialect (default tarvine).
)";

int fail(const std::string& message)
{
    std::cerr << "tarvine-generate-document: " << message << '\n';
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    auto kind = DocumentGenerator::Kind::typical;
    auto dialect = DocumentGenerator::Dialect::tarvine;
    int lines = -1;
    for (int at = 1; at < argc; ++at) {
        const std::string_view option = argv[at];
        if (option == "--help" || option == "-h") {
            std::cout << usage;
            return 0;
        }
        if (option != "--kind" && option != "--dialect" && option != "--lines")
            return fail("unknown option '" + std::string(option) + "' (try --help)");
        if (at + 1 == argc)
            return fail(std::string(option) + " needs a value");
        const std::string_view value = argv[++at];
        if (option == "--kind") {
            const auto named = DocumentGenerator::kindNamed(value);
            if (!named)
                return fail("unknown kind '" + std::string(value) + "' (typical or peer)");
            kind = *named;
        } else if (option == "--dialect") {
            const auto named = DocumentGenerator::dialectNamed(value);
            if (!named)
                return fail("unknown dialect '" + std::string(value) + "' (tarvine, mathjs or qalc)");
            dialect = *named;
        } else {
            const auto end = value.data() + value.size();
            const auto [stop, error] = std::from_chars(value.data(), end, lines);
            if (error != std::errc() || stop != end || lines < 0)
                return fail("--lines needs a whole number from 0 to 2147483647, not '" + std::string(value) + "'");
        }
    }
    if (lines < 0)
        return fail("--lines is missing (try --help)");
    if (kind == DocumentGenerator::Kind::typical && dialect != DocumentGenerator::Dialect::tarvine)
        return fail("typical documents exist only in the tarvine dialect");
    std::cout << DocumentGenerator::document(kind, dialect, lines);
    return std::cout ? 0 : 2;
}
