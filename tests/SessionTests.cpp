// Random host sessions through the processor: whatever the player and the host do, nothing sticks, no
// release comes before its start, every note stays inside its block and the books match the output;
// and the engine walking every sample, instead of skipping the idle ones, gives the same bytes.

#include "tests/ProcessorTarget.h"
#include "tests/Session.h"

#include <gtest/gtest.h>

#include <random>

TEST (Sessions, LeaveNothingSoundingAndSkippingIdleSamplesChangesNoByte)
{
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        std::mt19937 rng (seed);
        const auto script = timeline::randomSession ([&] (int n) { return (int)(rng() % (unsigned)n); }, 150);
        timeline::ProcessorTarget processor;
        timeline::CheckedTarget checked (processor, processor.processor.engine);
        const auto output = timeline::play (checked, script, 1 << 30);
        ASSERT_TRUE (checked.faults.empty()) << "seed " << seed << ": " << checked.faults.front() << "\n"
                                             << script << "\n"
                                             << output;
        if (seed > 40)
            continue;
        timeline::EngineTarget walking;
        ASSERT_EQ (timeline::play (walking, "skip=0 " + script, 1 << 30), output) << "seed " << seed;
    }
}
