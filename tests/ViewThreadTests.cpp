#include "tests/EngineTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// A paint never sees half a rewrite and never holds the render thread up; what it made a publication
// leave behind arrives at a later block's end, announced once, and after that idle blocks announce
// nothing.
TEST (Threads, PaintsSeeWholeTablesAndWhatTheyHeldUpArrivesOnce)
{
    timeline::EngineTarget target;
    auto& view = *target.engine.keyboardControl;
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread painter (
        [&]
        {
            for (; !stop; ++reads)
            {
                const auto s = view.getSnapshot();
                const int v = s.keyboardSplit % 2;
                torn += std::count (s.keyDisplayState.begin(), s.keyDisplayState.end(), v) != 128 ||
                        std::count (s.outputNoteFlags.begin(), s.outputNoteFlags.end(), v) != 128;
            }
        });
    // Publications until a paint has made one stay behind.
    bool stale = false;
    for (int round = 0; (!stale || round < 100000 || reads < 100000) && round < 20000000; ++round)
    {
        const juce::ScopedLock sl (target.engine.getLock());
        view.keyboardSplit = round;
        std::fill (std::begin (view.keyDisplayState), std::end (view.keyDisplayState), round % 2);
        std::fill (std::begin (view.outputNoteFlags), std::end (view.outputNoteFlags), round % 2);
        view.publish();
        stale = view.getSnapshot().keyboardSplit != round;
    }
    stop = true;
    painter.join();
    EXPECT_EQ (torn.load(), 0);
    ASSERT_TRUE (stale) << "no paint ever held a publication up";
    EXPECT_EQ (timeline::play (target, "?msgs @1 ?split ?msgs @64 ?msgs"),
               "msgs= split=" + std::to_string (view.keyboardSplit) + " msgs=display msgs=");
}
