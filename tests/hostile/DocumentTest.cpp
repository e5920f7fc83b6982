// Each hostile document, run through the bridge as the app runs it, ends in
// its result or its clear errors, and the bridge goes on working.

#include <algorithm>

#include <gtest/gtest.h>

#include "hostile/HostileDocuments.h"
#include "values/List.h"

namespace hostile {
namespace {

class HostileDocument : public testing::TestWithParam<Document> {};

TEST_P(HostileDocument, EndsInItsResultOrItsErrors)
{
    tarvine::Bridge bridge;
    const auto source = GetParam().source();
    EXPECT_TRUE(sameText(outcomeOf(bridge, source), GetParam().expected()));
    EXPECT_EQ(outcomeOf(bridge, "1 + 1"), "2");
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileDocument, testing::ValuesIn(documents()),
                         [](const auto& info) { return info.param.name; });

// Values nest as deep as List::maxNestingDepth and no deeper: n wraps of a
// number make a list n deep.
TEST(HostileDocumentDepth, ListsNestToTheirLimit)
{
    const auto wrapped = [](std::size_t times) {
        return "function wrap = (accumulator, item) { [accumulator] }\nlist_reduce(over: [1] * " +
               std::to_string(times) + ", from: 0, using: wrap)";
    };
    tarvine::Bridge bridge;
    EXPECT_EQ(outcomeOf(bridge, wrapped(engine::List::maxNestingDepth)), "list with 1 entries");
    EXPECT_EQ(outcomeOf(bridge, wrapped(engine::List::maxNestingDepth + 1)), "ERR Value nested too deeply");
}

// The generators themselves: a document named for its size has that size.
TEST(HostileDocumentSizes, AreAsLargeAsTheirNamesSay)
{
    for (const auto& document : documents()) {
        SCOPED_TRACE(document.name);
        const auto source = document.source();
        if (document.name.starts_with("fiveMegabyte")) {
            EXPECT_GE(source.size(), 5'000'000u);
        }
        if (document.name.starts_with("hundredThousand") && document.name.find("Lines") != std::string::npos) {
            EXPECT_GE(std::count(source.begin(), source.end(), '\n'), 99'999);
        }
    }
}

} // namespace
} // namespace hostile
