// Each hostile document, run through the bridge as the app runs it, ends in
// its result or its clear errors, and the bridge goes on working.

#include <gtest/gtest.h>

#include "hostile/HostileDocuments.h"

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

} // namespace
} // namespace hostile
