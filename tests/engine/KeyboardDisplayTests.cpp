#include "EngineDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

using namespace enginedriver;

namespace
{
class KeyboardDisplay : public ::testing::Test
{
protected:
    void SetUp() override { engine.keyboardControl->addActionListener (&log); }
    void TearDown() override { engine.keyboardControl->removeActionListener (&log); }

    // The entries that are not 0, as the view would read them.
    std::map<int, int> shownKeys() const
    {
        std::map<int, int> shown;
        const auto snapshot = engine.keyboardControl->getSnapshot();
        for (int k = 0; k < 128; ++k)
            if (snapshot.keyDisplayState[(size_t)k] != 0)
                shown[k] = snapshot.keyDisplayState[(size_t)k];
        return shown;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    MessageLog log;
};

TEST_F (KeyboardDisplay, HeldChordKeysHideTheLatchedChord)
{
    engine.storedChord = {60, 64, 67};
    holdKeys (engine, {48, 52, 55});
    refreshDisplay (engine, true);

    EXPECT_EQ (shownKeys(), (std::map<int, int>{{48, 11}, {52, 11}, {55, 11}}));

    // One held chord key is enough to hide the whole latched chord.
    engine.midiReceiver.reset();
    engine.storedChord = {48, 52, 55};
    holdKeys (engine, {50});
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (std::map<int, int>{{50, 11}}));
}

TEST_F (KeyboardDisplay, LatchedChordShowsOnceTheLeftHandLetsGo)
{
    engine.storedChord = {48, 52, 55};
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (std::map<int, int>{{48, 11}, {52, 11}, {55, 11}}));

    // A held melody key does not hide it; the current-note bit marks the scale around it.
    engine.mSourceMode = 2;
    holdKeys (engine, {96});
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (std::map<int, int>{
                                {48, 11}, {50, 1}, {52, 11}, {53, 1}, {55, 11}, {57, 1}, {59, 1}, {96, 10}}));
}

TEST_F (KeyboardDisplay, SplitDecidesWhichHeldKeysCountAsChord)
{
    engine.storedChord = {48};
    engine.keyboardSplit = 72;
    holdKeys (engine, {76}); // a chord key only while the split is 84
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (std::map<int, int>{{48, 11}, {76, 10}}));
}

TEST_F (KeyboardDisplay, EveryRefreshRewritesBothTablesWhole)
{
    holdKeys (engine, {48, 96});
    engine.outputsBySource[48] = {48};
    engine.outputsBySource[85] = {36, 40, 43};
    refreshDisplay (engine, true);

    auto flags = engine.keyboardControl->getSnapshot().outputNoteFlags;
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ (flags[(size_t)k], (k == 36 || k == 40 || k == 43 || k == 48) ? 1 : 0) << "note " << k;

    engine.midiReceiver.reset();
    engine.outputsBySource[48].clear();
    engine.outputsBySource[85].clear();
    engine.curNotes.clear();
    refreshDisplay (engine, false);

    const auto snapshot = engine.keyboardControl->getSnapshot();
    for (int k = 0; k < 128; ++k)
    {
        EXPECT_EQ (snapshot.keyDisplayState[(size_t)k], 0) << "key " << k;
        EXPECT_EQ (snapshot.outputNoteFlags[(size_t)k], 0) << "note " << k;
    }
}

TEST_F (KeyboardDisplay, RefreshRecalculatesOnlyWhenAsked)
{
    holdKeys (engine, {48, 52, 55});
    recalc (engine);

    // Settings written since then enter only with a recalculation.
    engine.mSourceMode = 3;
    refreshDisplay (engine, false);
    EXPECT_EQ (engine.curNotes, (std::vector<int>{48, 52, 55}));

    ASSERT_FALSE (engine.needRecalc);
    refreshDisplay (engine, true);
    EXPECT_EQ (engine.curNotes, (std::vector<int>{48, 50, 52, 53, 55, 57, 59}));
    EXPECT_EQ (shownKeys().at (50), 1);
    EXPECT_FALSE (engine.needRecalc);
}

TEST_F (KeyboardDisplay, EveryRefreshReachesTheListenerOnTheMessageThread)
{
    refreshDisplay (engine, false);
    refreshDisplay (engine, false); // nothing changed: still announced
    EXPECT_TRUE (log.messages.isEmpty()) << "delivered synchronously";

    pumpMessages();
    EXPECT_EQ (log.messages,
               juce::StringArray ({"keyboardDisplayChangedMessage", "keyboardDisplayChangedMessage"}));

    // Nothing was left unpublished, so there is nothing to announce again.
    log.messages.clear();
    engine.keyboardControl->publishPending();
    pumpMessages();
    EXPECT_TRUE (log.messages.isEmpty());
}

TEST_F (KeyboardDisplay, PaintsNeverSeeHalfATableAndLateCopiesArriveAtTheNextBlock)
{
    auto& display = *engine.keyboardControl;
    std::atomic<bool> stop{false};
    std::atomic<int> tornReads{0};
    std::atomic<int> reads{0};

    // The view: every snapshot must be one whole publication, all of its entries alike.
    std::thread painter (
        [&]
        {
            while (!stop.load())
            {
                const auto snapshot = display.getSnapshot();
                for (int k = 0; k < 128; ++k)
                    if (snapshot.keyDisplayState[(size_t)k] != snapshot.keyDisplayState[0] ||
                        snapshot.outputNoteFlags[(size_t)k] != snapshot.keyDisplayState[0] ||
                        snapshot.keyboardSplit != 84 - snapshot.keyDisplayState[0])
                        ++tornReads;
                ++reads;
            }
        });

    // The render thread: rewrites the tables in steps and publishes without waiting.
    for (int round = 0; round < 20000 || reads.load() < 100; ++round)
    {
        const juce::ScopedLock sl (engine.getLock());
        const int value = round % 2;
        display.keyboardSplit = 84 - value;
        std::fill (std::begin (display.keyDisplayState), std::end (display.keyDisplayState), value);
        std::fill (std::begin (display.outputNoteFlags), std::end (display.outputNoteFlags), value);
        display.publish();
    }

    stop = true;
    painter.join();
    EXPECT_EQ (tornReads.load(), 0);

    {
        const juce::ScopedLock sl (engine.getLock());
        std::fill (std::begin (display.keyDisplayState), std::end (display.keyDisplayState), 7);
        display.publishPending(); // copies only what a publish had to leave
        display.publish();
        display.publishPending();
    }
    EXPECT_EQ (display.getSnapshot().keyDisplayState[5], 7);
}
} // namespace
