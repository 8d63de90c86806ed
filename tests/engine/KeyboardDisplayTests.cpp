#include "EngineDriver.h"

#include <algorithm>
#include <array>
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
    // Refreshes the display and returns the keys the view would mark, read from the published
    // snapshot as the view reads it.
    Shown refreshAndShow (bool recalcFirst = true)
    {
        refreshDisplay (engine, recalcFirst);
        Shown shown;
        const auto snapshot = engine.keyboardControl->getSnapshot();
        for (int k = 0; k < 128; ++k)
            if (snapshot.keyDisplayState[(size_t)k] != 0)
                shown[k] = snapshot.keyDisplayState[(size_t)k];
        return shown;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
};

TEST_F (KeyboardDisplay, LatchedChordShowsOnlyWhileNoChordKeyIsHeld)
{
    engine.storedChord = {48, 52, 55};
    EXPECT_EQ (refreshAndShow(), (Shown{{48, 11}, {52, 11}, {55, 11}}));

    // A held melody key does not hide it; the current-note bit marks the scale around it, but only once
    // the refresh is asked to recalculate.
    engine.mSourceMode = 2;
    holdKeys (engine, {96});
    EXPECT_EQ (refreshAndShow (false), (Shown{{48, 11}, {52, 11}, {55, 11}, {96, 10}}));
    EXPECT_EQ (refreshAndShow(),
               (Shown{{48, 11}, {50, 1}, {52, 11}, {53, 1}, {55, 11}, {57, 1}, {59, 1}, {96, 10}}));

    // One held chord key hides the whole latched chord...
    engine.mSourceMode = 1;
    holdKeys (engine, {50});
    EXPECT_EQ (refreshAndShow(), (Shown{{50, 11}, {96, 10}}));

    // ...but only below the split.
    engine.midiReceiver.reset();
    holdKeys (engine, {76});
    engine.keyboardSplit = 72;
    EXPECT_EQ (refreshAndShow(), (Shown{{48, 11}, {52, 11}, {55, 11}, {76, 10}}));
}

TEST_F (KeyboardDisplay, EveryRefreshRewritesBothTablesWholeAndIsAnnouncedOnce)
{
    MessageLog log;
    engine.keyboardControl->addActionListener (&log);
    holdKeys (engine, {48});
    engine.outputsBySource[48] = {48};
    engine.outputsBySource[85] = {36, 40, 43};
    refreshDisplay (engine, true);
    std::array<int, 128> sounding{};
    sounding[36] = sounding[40] = sounding[43] = sounding[48] = 1;
    EXPECT_EQ (engine.keyboardControl->getSnapshot().outputNoteFlags, sounding);

    engine.midiReceiver.reset();
    engine.outputsBySource[48].clear();
    engine.outputsBySource[85].clear();
    engine.curNotes.clear();
    refreshDisplay (engine, false);
    const auto snapshot = engine.keyboardControl->getSnapshot();
    EXPECT_EQ (snapshot.keyDisplayState, decltype (snapshot.keyDisplayState){});
    EXPECT_EQ (snapshot.outputNoteFlags, decltype (snapshot.outputNoteFlags){});

    // Nothing was left unpublished, so the block's end announces nothing more.
    engine.keyboardControl->publishPending();
    pumpMessages();
    EXPECT_EQ (log.messages.size(), 2);
    engine.keyboardControl->removeActionListener (&log);
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
            for (; !stop.load(); ++reads)
            {
                const auto s = display.getSnapshot();
                const int value = s.keyDisplayState[0];
                tornReads += s.keyboardSplit != 84 - value ||
                             std::count (s.keyDisplayState.begin(), s.keyDisplayState.end(), value) != 128 ||
                             std::count (s.outputNoteFlags.begin(), s.outputNoteFlags.end(), value) != 128;
            }
        });

    // The render thread: rewrites the tables and publishes without waiting. A copy that a paint made it
    // leave behind must be made at a block's end.
    int leftBehind = 0, lost = 0;
    const auto stale = [&] { return display.getSnapshot().keyboardSplit != display.keyboardSplit; };
    for (int round = 0; round < 100000 || reads.load() < 100000; ++round)
    {
        const juce::ScopedLock sl (engine.getLock());
        const int value = round % 2;
        display.keyboardSplit = 84 - value;
        std::fill (std::begin (display.keyDisplayState), std::end (display.keyDisplayState), value);
        std::fill (std::begin (display.outputNoteFlags), std::end (display.outputNoteFlags), value);
        display.publish();
        if (stale())
        {
            ++leftBehind;
            // A paint may still hold the snapshot: the next block's end tries again.
            for (int block = 0; block < 1000 && stale(); ++block)
                display.publishPending();
            lost += stale() ? 1 : 0;
        }
    }
    stop = true;
    painter.join();
    EXPECT_EQ (tornReads.load(), 0);
    EXPECT_EQ (lost, 0) << "of " << leftBehind << " copies left behind";
}
} // namespace
