#include "EngineDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

using namespace enginedriver;

namespace
{
using Shown = std::map<int, int>;

class KeyboardDisplay : public ::testing::Test
{
protected:
    void SetUp() override { engine.keyboardControl->addActionListener (&log); }
    void TearDown() override { engine.keyboardControl->removeActionListener (&log); }

    // The keys the view would mark, read from the published snapshot as the view reads it.
    Shown shownKeys() const
    {
        Shown shown;
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

TEST_F (KeyboardDisplay, LatchedChordShowsOnlyWhileNoChordKeyIsHeld)
{
    engine.storedChord = {48, 52, 55};
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (Shown{{48, 11}, {52, 11}, {55, 11}}));

    // A held melody key does not hide it; the current-note bit marks the scale around it.
    engine.mSourceMode = 2;
    holdKeys (engine, {96});
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(),
               (Shown{{48, 11}, {50, 1}, {52, 11}, {53, 1}, {55, 11}, {57, 1}, {59, 1}, {96, 10}}));

    // One held chord key hides the whole latched chord.
    engine.mSourceMode = 1;
    holdKeys (engine, {50});
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (Shown{{50, 11}, {96, 10}}));

    // ...but only below the split.
    engine.midiReceiver.reset();
    holdKeys (engine, {76});
    engine.keyboardSplit = 72;
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys(), (Shown{{48, 11}, {52, 11}, {55, 11}, {76, 10}}));
}

TEST_F (KeyboardDisplay, EveryRefreshRewritesBothTablesWhole)
{
    holdKeys (engine, {48});
    engine.outputsBySource[48] = {48};
    engine.outputsBySource[85] = {36, 40, 43};
    refreshDisplay (engine, true);

    const auto flags = engine.keyboardControl->getSnapshot().outputNoteFlags;
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ (flags[(size_t)k], (k == 36 || k == 40 || k == 43 || k == 48) ? 1 : 0) << "note " << k;

    engine.midiReceiver.reset();
    engine.outputsBySource[48].clear();
    engine.outputsBySource[85].clear();
    engine.curNotes.clear();
    refreshDisplay (engine, false);

    const auto snapshot = engine.keyboardControl->getSnapshot();
    EXPECT_EQ (snapshot.keyDisplayState, decltype (snapshot.keyDisplayState){});
    EXPECT_EQ (snapshot.outputNoteFlags, decltype (snapshot.outputNoteFlags){});
}

TEST_F (KeyboardDisplay, RefreshRecalculatesOnlyWhenAsked)
{
    holdKeys (engine, {48, 52, 55});
    recalc (engine);
    engine.mSourceMode = 3;

    refreshDisplay (engine, false);
    EXPECT_EQ (shownKeys().count (50), 0u);

    ASSERT_FALSE (engine.needRecalc);
    refreshDisplay (engine, true);
    EXPECT_EQ (shownKeys().at (50), 1);
}

TEST_F (KeyboardDisplay, EveryRefreshReachesTheListenerOnTheMessageThread)
{
    refreshDisplay (engine, false);
    refreshDisplay (engine, false); // nothing changed: still announced
    EXPECT_TRUE (log.messages.isEmpty()) << "delivered synchronously";

    pumpMessages();
    EXPECT_EQ (log.messages,
               juce::StringArray ({"keyboardDisplayChangedMessage", "keyboardDisplayChangedMessage"}));

    // Nothing was left unpublished, so nothing is announced again.
    log.messages.clear();
    engine.keyboardControl->publishPending();
    pumpMessages();
    EXPECT_TRUE (log.messages.isEmpty());
}

TEST_F (KeyboardDisplay, PaintsNeverSeeHalfATableAndACopyLeftBehindArrivesLater)
{
    auto& display = *engine.keyboardControl;
    std::atomic<bool> stop{false};
    std::atomic<int> tornReads{0}, reads{0};

    // The view: every snapshot must be one whole publication, all of its entries alike.
    std::thread painter (
        [&]
        {
            while (!stop.load())
            {
                const auto snapshot = display.getSnapshot();
                const int value = snapshot.keyDisplayState[0];
                for (size_t k = 0; k < 128; ++k)
                    if (snapshot.keyDisplayState[k] != value || snapshot.outputNoteFlags[k] != value ||
                        snapshot.keyboardSplit != 84 - value)
                        ++tornReads;
                ++reads;
            }
        });

    // The render thread: rewrites the tables and publishes without waiting.
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

    // The block's end makes whatever copy the last publish had to leave.
    {
        const juce::ScopedLock sl (engine.getLock());
        display.publishPending();
    }
    EXPECT_EQ (display.getSnapshot().keyDisplayState[5], display.keyDisplayState[5]);
}
} // namespace
