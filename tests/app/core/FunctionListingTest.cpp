#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FunctionListing.h"

namespace tarvine {
namespace {

// The eleven built-ins as the user sees them, in ascending order.
TEST(FunctionListingTest, ListsEveryBuiltInSorted)
{
    const std::vector<std::string> expected = {
        "describe(_)",
        "list_flatmap(over:using)",
        "list_map(over:using)",
        "list_reduce(over:from:using)",
        "magnitude(of)",
        "map_values(over:using:returning)",
        "match(if:then:else)",
        "round(_:to)",
        "table_get(key:from)",
        "table_new()",
        "table_set(key:of:to)",
    };
    EXPECT_EQ(functionListing(), expected);
    // The same on every call.
    EXPECT_EQ(functionListing(), functionListing());
}

} // namespace
} // namespace tarvine
