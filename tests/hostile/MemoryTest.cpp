// Each hostile document through tarvine-cli, in a process of its own: its
// peak memory stays under the document's bound. Sanitizers multiply memory,
// so the bounds hold for the plain builds only.

#include <cstdio>

#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "hostile/HostileDocuments.h"

#if defined(__SANITIZE_ADDRESS__)
#define TARVINE_SANITIZED 1
#endif

namespace hostile {
namespace {

using namespace clirun;

class HostileMemory : public testing::TestWithParam<Document> {};

TEST_P(HostileMemory, StaysUnderItsBound)
{
#ifdef TARVINE_SANITIZED
    GTEST_SKIP() << "memory bounds hold without sanitizers";
#else
    const auto& document = GetParam();
    const bool fails = document.expected().starts_with("ERR ");
    // Only the exit status is of interest: the bridge tests check the results.
    const auto run = runCli({"--json"}, document.source(), Output::discard);
    EXPECT_EQ(run.status, fails ? 1 : 0);
    const auto bound = static_cast<double>(document.peakMegabytes);
    // The peak is the child's own unless this process held more at the fork.
    ASSERT_LT(run.startMegabytes, bound / 2);
    EXPECT_LT(run.peakMegabytes, bound);
    // For the record: what the document cost, beside the bound it must keep.
    std::printf("%s: %.0f MB peak (bound %zu MB, %.0f MB at the start), %.2f s CPU\n", document.name.c_str(),
                run.peakMegabytes, document.peakMegabytes, run.startMegabytes, run.cpuSeconds);
#endif
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileMemory, testing::ValuesIn(documents()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace hostile
