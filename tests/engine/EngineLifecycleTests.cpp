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
    EXPECT_EQ (engine.sourceModeNames.joinIntoString ("|"), "Chords|Chords + scale|Scale|Scale + chords|"
                                                            "Chords + scale (safe)|Scale + chords (safe)|"
                                                            "Scale from chord bass");
    EXPECT_EQ (engine.scaleNames.size(), 374u);
    EXPECT_EQ (engine.scaleIntervals.size(), 374u);
    EXPECT_EQ (engine.mSourceMode, 1);
    EXPECT_TRUE (engine.needRecalc);
    EXPECT_GE (engine.storedChord.capacity(), 20u);

    ASSERT_NE (engine.keyboardControl, nullptr);
    const auto snapshot = engine.keyboardControl->getSnapshot();
    EXPECT_EQ (snapshot.keyboardSplit, 84);
    EXPECT_EQ (snapshot.keyDisplayState, decltype (snapshot.keyDisplayState){});
    EXPECT_EQ (snapshot.outputNoteFlags, decltype (snapshot.outputNoteFlags){});
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
        doomed.startTimer (10);
        doomed.sendActionMessage ("rootnoteChange");
        refreshDisplay (doomed, true);
    }
    pumpMessages (50);
    EXPECT_TRUE (log.messages.isEmpty());
}
} // namespace
