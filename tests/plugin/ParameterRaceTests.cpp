// Host automation against the processor's own copy of engine values into the parameters: a host that
// sets parameters on its own thread, while the message thread answers the engine's change messages,
// must never see one of its values taken back.

#include "ProcessorTestSupport.h"

#include <atomic>
#include <random>
#include <thread>

using namespace processortest;

namespace
{
TEST_F (ProcessorTest, HostValuesSurviveTheMessageThreadsCopyOfTheEngine)
{
    const int indices[] = {bigChordsIndex, rootnoteIndex, scaleIndexIndex, targetOctaveModIndex};
    const int steps[] = {2, 12, 374, 11};
    std::atomic<bool> done{false};
    int lastValue[4]{};

    std::thread host (
        [&]
        {
            std::mt19937 rng (3);
            for (int change = 0; change < 20000; ++change)
            {
                const int which = (int)(rng() % 4);
                const int value = (int)(rng() % (unsigned)steps[which]);
                auto& p = parameter (indices[which]);
                p.setValueNotifyingHost (
                    p.convertTo0to1 ((float)(value - (indices[which] == targetOctaveModIndex ? 5 : 0))));
                lastValue[which] = value - (indices[which] == targetOctaveModIndex ? 5 : 0);
            }
            done = true;
        });

    while (!done)
        pumpMessages();
    host.join();
    pumpMessages();

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (valueOf (indices[i]), lastValue[i])
            << "parameter " << indices[i] << " lost the host's last value";
    const auto settings = engineSettings();
    EXPECT_EQ (settings[2], lastValue[0]);
    EXPECT_EQ (settings[4], lastValue[1]);
    EXPECT_EQ (settings[5], lastValue[2]);
    EXPECT_EQ (settings[1], lastValue[3]);
}
} // namespace
