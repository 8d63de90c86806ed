// Random host sessions through the processor: whatever the player and the host do, nothing sticks, no
// release comes before its start, every note stays inside its block and the books match the output.

#include "tests/ProcessorTarget.h"
#include "tests/Session.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
std::string sessionFor (unsigned seed, int numBlocks)
{
    std::mt19937 rng (seed);
    return timeline::randomSession ([&] (int n) { return (int)(rng() % (unsigned)n); }, numBlocks);
}

TEST (Sessions, LeaveNothingSoundingAndKeepTheOutputInStep)
{
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        timeline::ProcessorTarget processor;
        timeline::CheckedTarget checked (processor, processor.processor.engine);
        const auto script = sessionFor (seed, 150);
        const auto output = timeline::play (checked, script, 1 << 30);
        ASSERT_TRUE (checked.faults.empty()) << "seed " << seed << ": " << checked.faults.front() << "\n"
                                             << script << "\n"
                                             << output;
    }
}

TEST (Sessions, SkippingIdleSamplesChangesNoByte)
{
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        timeline::EngineTarget skipping, walking;
        const auto script = sessionFor (seed, 120);
        ASSERT_EQ (timeline::play (skipping, script, 1 << 30),
                   timeline::play (walking, "skip=0 " + script, 1 << 30))
            << "seed " << seed << "\n"
            << script;
    }
}
} // namespace
