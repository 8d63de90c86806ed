#include "EngineDriver.h"

#include <atomic>
#include <random>
#include <thread>

using namespace enginedriver;

namespace
{
// Run under ThreadSanitizer by CI: any unguarded access between these threads is reported there.
using EngineThreads = EngineScenario;

TEST_F (EngineThreads, BlocksRunWhileEveryOtherThreadWritesSettingsAndReadsTheDisplay)
{
    std::atomic<bool> done{false};
    std::atomic<int> badSnapshots{0};
    int pausesEnded = 0;

    // The host's render thread: transport, then the block, as the processor hands them over, until a
    // stop has seen its pause end on the message thread.
    std::thread render (
        [&]
        {
            std::mt19937 rng (7);
            bool wasSuspended = false;
            const auto start = juce::Time::getMillisecondCounter();
            for (int block = 0;; ++block)
            {
                auto timeline = miditimeline::MidiTimeline();
                for (int e = 0; e < 6; ++e)
                {
                    const auto time = runner.now + (juce::int64) (rng() % 256);
                    timeline.add (time, {(juce::uint8) (rng() % 2 == 0 ? 0x90 : 0x80),
                                         (juce::uint8) (48 + rng() % 64), 100});
                }
                runner.playing = (juce::Time::getMillisecondCounter() - start) % 350 < 200;
                runner.bpm = 60.0 + block % 200;
                runner.run (timeline, runner.now + 256, {256});

                const bool suspended = engine.inputSuspended.load();
                pausesEnded += wasSuspended && !suspended ? 1 : 0;
                wasSuspended = suspended;
                const auto elapsed = juce::Time::getMillisecondCounter() - start;
                if (elapsed > 5000 || (elapsed > 700 && pausesEnded > 0))
                    break;
            }
            done = true;
        });

    // The keyboard view: reads only the published display model, whose split is always one of the two.
    std::thread view (
        [&]
        {
            while (!done)
            {
                const int split = engine.keyboardControl->getSnapshot().keyboardSplit;
                badSnapshots += split == 72 || split == 84 ? 0 : 1;
            }
        });

    // The message thread: the editor's buttons, message delivery and the pause's timer; and the host, which
    // may set parameters, prepare and restore on this thread or any other but the render thread.
    for (std::mt19937 rng (11); !done;)
    {
        {
            const juce::ScopedLock sl (engine.getLock());
            engine.mTargetOctaveMod = (int)(rng() % 11) - 5;
            engine.mBigChords = (int)(rng() % 2);
            engine.mRootnote = (int)(rng() % 12);
            engine.mScaleIndex = (int)(rng() % 374);
            engine.mSourceMode = 1 + (int)(rng() % 7);
            if (rng() % 50 == 0)
            {
                engine.sampleRate = rng() % 2 == 0 ? 44100.0 : 96000.0;
                engine.samplePosition = 0;
            }
        }
        engine.SetOnOff ((int)(rng() % 2));
        engine.SetExpand ((int)(rng() % 2));
        pumpMessages (1);
    }

    render.join();
    view.join();
    EXPECT_EQ (badSnapshots.load(), 0);
    EXPECT_GE (pausesEnded, 1);
    EXPECT_TRUE (log.messages.contains ("keyboardDisplayChangedMessage"));
    EXPECT_TRUE (log.messages.contains ("expandChange"));
}
} // namespace
