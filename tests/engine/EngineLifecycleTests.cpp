#include "EngineDriver.h"

#include <gtest/gtest.h>

using namespace enginedriver;

namespace
{
class EngineLifecycle : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
};

TEST_F (EngineLifecycle, NewEngineHoldsItsVocabularyAndDefaults)
{
    EXPECT_EQ (engine.noteNames.joinIntoString (" "), "C C# D D# E F F# G G# A A# B");
    ASSERT_EQ (engine.sourceModeNames.size(), 7);
    EXPECT_EQ (engine.sourceModeNames[0], "Chords");
    EXPECT_EQ (engine.sourceModeNames[4], "Chords + scale (safe)");
    EXPECT_EQ (engine.sourceModeNames[6], "Scale from chord bass");
    EXPECT_EQ (engine.scaleNames.size(), 374u);
    EXPECT_EQ (engine.scaleIntervals.size(), 374u);
    EXPECT_EQ (engine.scaleIntervals[0], (std::vector<int>{0, 2, 4, 5, 7, 9, 11}));

    EXPECT_EQ (engine.mSourceMode, 1);
    EXPECT_EQ (engine.keyboardSplit, 84);
    EXPECT_TRUE (engine.needRecalc);
    EXPECT_TRUE (engine.curNotes.empty());
    EXPECT_FALSE (engine.isTimerRunning());

    ASSERT_NE (engine.keyboardControl, nullptr);
    const auto snapshot = engine.keyboardControl->getSnapshot();
    EXPECT_EQ (engine.keyboardControl->keyboardSplit, 84);
    EXPECT_EQ (snapshot.keyboardSplit, 84);
    for (int k = 0; k < 128; ++k)
    {
        EXPECT_EQ (engine.channelBySource[k], 0);
        EXPECT_TRUE (engine.outputsBySource[k].empty());
        EXPECT_EQ (engine.midiReceiver.noteChannel[k], 0);
        EXPECT_EQ (engine.keyboardControl->keyDisplayState[k], 0);
        EXPECT_EQ (engine.keyboardControl->outputNoteFlags[k], 0);
    }
    EXPECT_GE (engine.storedChord.capacity(), 20u);
}

TEST_F (EngineLifecycle, FirstCalculationOfANewEngineGivesTheScaleModesTheirNotes)
{
    // Nothing held, nothing latched: a first press of a melody key still finds the pending work.
    engine.mSourceMode = 3;
    engine.RecalcTheCurNotesIfNeeded();
    EXPECT_FALSE (engine.needRecalc);
    EXPECT_EQ (engine.curNotes, (std::vector<int>{48, 50, 52, 53, 55, 57, 59}));
}

TEST_F (EngineLifecycle, TimerEndsTheInputPauseOnceAndStops)
{
    engine.inputSuspended = true;
    engine.startTimer (140);

    pumpMessages (60);
    EXPECT_TRUE (engine.inputSuspended.load());

    pumpMessages (300);
    EXPECT_FALSE (engine.inputSuspended.load());
    EXPECT_FALSE (engine.isTimerRunning());

    // A stray callback while running leaves the engine running.
    engine.timerCallback();
    EXPECT_FALSE (engine.inputSuspended.load());
    EXPECT_FALSE (engine.isTimerRunning());
}

TEST_F (EngineLifecycle, EngineGoesAwayCleanlyWithItsTimerRunningAndMessagesQueued)
{
    MessageLog log;
    {
        Quorvanelle doomed;
        doomed.addActionListener (&log);
        doomed.keyboardControl->addActionListener (&log);
        doomed.inputSuspended = true;
        doomed.startTimer (10);
        doomed.sendActionMessage ("rootnoteChange");
        refreshDisplay (doomed, true);
    }
    pumpMessages (50);
    EXPECT_TRUE (log.messages.isEmpty());
}
} // namespace
