#include "EngineDriver.h"
#include "MidiTimeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace enginedriver;
using namespace miditimeline;

namespace
{
class BlockProcessing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine.addActionListener (&log);
        engine.keyboardControl->addActionListener (&log);
    }

    void TearDown() override
    {
        engine.removeActionListener (&log);
        engine.keyboardControl->removeActionListener (&log);
    }

    // A key pressed at `time` and let go `length` samples later.
    static void tap (MidiTimeline& timeline, juce::int64 time, int key, int channel = 1, int length = 5)
    {
        timeline.noteOn (time, key, 100, channel).noteOff (time + length, key, channel);
    }

    void set (int& setting, int value)
    {
        const juce::ScopedLock sl (engine.getLock());
        setting = value;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    EngineRunner runner{engine};
    MessageLog log;
};

TEST_F (BlockProcessing, OtherEventsPassAtTheirPositionsAndNotesOutsideTheBlockLeaveNoTrace)
{
    juce::MidiBuffer input;
    const juce::uint8 bend[] = {0xe0, 0, 64};
    input.addEvent (juce::MidiMessage::controllerEvent (1, 7, 90), 10);
    input.addEvent (bend, 3, 20);
    input.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8)100), 64);
    input.addEvent (juce::MidiMessage::controllerEvent (1, 1, 5), 100);

    EXPECT_EQ (runner.block (64, input), "10: cc 7 val 90 ch 1\n20: bytes 224 0 64\n100: cc 1 val 5 ch 1\n");
    EXPECT_TRUE (input.isEmpty());
    EXPECT_EQ (engine.midiReceiver.noteState[60], -1);
    EXPECT_EQ (engine.chordCaptureCounter, 64);
    EXPECT_EQ (engine.samplePosition, 64);

    // A block of no samples handles no note but still passes the rest.
    input.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8)100), 0);
    input.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 0);
    EXPECT_EQ (runner.block (0, input), "64: cc 64 val 127 ch 1\n");
    EXPECT_EQ (engine.midiReceiver.noteState[60], -1);
    EXPECT_EQ (engine.chordCaptureCounter, 64);
    EXPECT_EQ (engine.samplePosition, 64);
}

TEST_F (BlockProcessing, OnlyAllNotesOffAmongControllersRefreshesTheDisplay)
{
    runner.run (MidiTimeline().controller (3, 7, 100), 64);
    pumpMessages();
    EXPECT_TRUE (log.messages.isEmpty());

    runner.run (MidiTimeline().controller (70, 123, 0, 9), 128);
    pumpMessages();
    EXPECT_EQ (log.messages.joinIntoString (","), "keyboardDisplayChangedMessage");
}

TEST_F (BlockProcessing, NoteOnAndOffOfOneKeyAtOneSampleCancelWhateverTheChannels)
{
    set (engine.mSourceMode, 3);
    MidiTimeline timeline;
    timeline.noteOn (5, 96, 100, 1).noteOff (5, 96, 2);
    timeline.noteOff (10, 96, 3).noteOn (10, 96, 100, 4);
    timeline.noteOn (20, 96).noteOff (20, 98);
    // A held key let go and struck again at one sample simply stays held.
    timeline.noteOff (30, 96).noteOn (30, 96);

    EXPECT_EQ (runner.run (timeline, 64, {7, 13}), "20: note-on 48 vel 100 ch 1\n");
    EXPECT_EQ (engine.midiReceiver.noteState[96], 1100);
}

TEST_F (BlockProcessing, MelodyKeysWalkTheMapFromWhiteKey96AndOctaveKeysShiftThem)
{
    set (engine.mSourceMode, 3); // C major from 48, so no chord is needed
    MidiTimeline timeline;
    tap (timeline, 0, 96);
    tap (timeline, 10, 98);
    tap (timeline, 20, 95);
    tap (timeline, 30, 84);
    // 92 beats 102, and 94 beats 104.
    timeline.noteOn (40, 92).noteOn (40, 102);
    tap (timeline, 50, 96);
    timeline.noteOff (60, 92).noteOff (60, 102).noteOn (60, 104).noteOn (60, 94);
    tap (timeline, 70, 96);
    timeline.noteOff (80, 94).noteOff (80, 104);

    EXPECT_EQ (runner.run (timeline, 100, {16, 1, 50}), "0: note-on 48 vel 100 ch 1\n"
                                                        "5: note-off 48 ch 1\n"
                                                        "10: note-on 50 vel 100 ch 1\n"
                                                        "15: note-off 50 ch 1\n"
                                                        "20: note-on 47 vel 100 ch 1\n"
                                                        "25: note-off 47 ch 1\n"
                                                        "30: note-on 36 vel 100 ch 1\n"
                                                        "35: note-off 36 ch 1\n"
                                                        "50: note-on 24 vel 100 ch 1\n"
                                                        "55: note-off 24 ch 1\n"
                                                        "70: note-on 36 vel 100 ch 1\n"
                                                        "75: note-off 36 ch 1\n");

    engine.SetExpand (1);
    MidiTimeline expanded;
    tap (expanded, 110, 72);
    EXPECT_EQ (runner.run (expanded, 128), "110: note-on 24 vel 100 ch 1\n115: note-off 24 ch 1\n");
}

TEST_F (BlockProcessing, ChordControlKeysPlayTheHeldOrLatchedChordAtTheirOffsets)
{
    {
        // With nothing held or latched they are silent, even where the scale gives current notes.
        Quorvanelle scaleOnly;
        scaleOnly.mSourceMode = 3;
        EXPECT_EQ (EngineRunner (scaleOnly).run (MidiTimeline().noteOn (1, 99).noteOff (2, 99), 8), "");
    }

    MidiTimeline timeline;
    timeline.noteOn (0, 60).noteOn (0, 64).noteOn (0, 67);
    tap (timeline, 10, 99, 3);
    EXPECT_EQ (runner.run (timeline, 32), "10: note-on 72 vel 100 ch 3\n"
                                          "10: note-on 76 vel 100 ch 3\n"
                                          "10: note-on 79 vel 100 ch 3\n"
                                          "15: note-off 72 ch 3\n"
                                          "15: note-off 76 ch 3\n"
                                          "15: note-off 79 ch 3\n");

    set (engine.mBigChords, 1);
    MidiTimeline big;
    tap (big, 40, 99);
    tap (big, 50, 85);
    // Let go of the chord: the keys latched at the first sample play on.
    big.noteOff (60, 60).noteOff (60, 64).noteOff (60, 67);
    tap (big, 70, 97);
    const auto text = runner.run (big, 96);
    EXPECT_EQ (text,
               "40: note-on 72 vel 100 ch 1\n40: note-on 76 vel 100 ch 1\n40: note-on 79 vel 100 ch 1\n"
               "40: note-on 60 vel 100 ch 1\n"
               "45: note-off 72 ch 1\n45: note-off 76 ch 1\n45: note-off 79 ch 1\n45: note-off 60 ch 1\n"
               "50: note-on 36 vel 100 ch 1\n50: note-on 40 vel 100 ch 1\n50: note-on 43 vel 100 ch 1\n"
               "50: note-on 24 vel 100 ch 1\n"
               "55: note-off 36 ch 1\n55: note-off 40 ch 1\n55: note-off 43 ch 1\n55: note-off 24 ch 1\n"
               "70: note-on 60 vel 100 ch 1\n70: note-on 64 vel 100 ch 1\n70: note-on 67 vel 100 ch 1\n"
               "70: note-on 48 vel 100 ch 1\n"
               "75: note-off 60 ch 1\n75: note-off 64 ch 1\n75: note-off 67 ch 1\n75: note-off 48 ch 1\n");
}

TEST_F (BlockProcessing, ChordKeysSoundThroughOrMovedWhileKey106IsHeld)
{
    MidiTimeline timeline;
    tap (timeline, 0, 60);
    EXPECT_EQ (runner.run (timeline, 16), "");

    engine.SetOnOff (1);
    MidiTimeline through;
    tap (through, 20, 60, 2);
    through.noteOn (30, 106);
    through.noteOn (35, 60, 90);
    // Letting go of 106 silences the chord keys although 60 is still down.
    through.noteOff (40, 106);
    through.noteOff (45, 60);
    set (engine.mTargetOctaveMod, 2);
    EXPECT_EQ (runner.run (through, 64, {3, 64}), "20: note-on 60 vel 100 ch 2\n"
                                                  "25: note-off 60 ch 2\n"
                                                  "35: note-on 84 vel 90 ch 1\n"
                                                  "40: note-off 84 ch 1\n");
}

TEST_F (BlockProcessing, ChordIsLatchedOnEveryEighthBeatTick)
{
    // 44100 Hz at 120 bpm: a tick every 2756 samples, the first at the engine's first sample.
    MidiTimeline timeline;
    timeline.noteOn (0, 48).noteOn (0, 52).noteOn (0, 55);
    timeline.noteOff (100, 48).noteOff (100, 52).noteOff (100, 55);
    timeline.noteOn (100, 50).noteOn (100, 53).noteOn (100, 57);
    timeline.noteOff (6000, 50).noteOff (6000, 53).noteOff (6000, 57);

    runner.run (timeline, 2756, {512});
    EXPECT_EQ (engine.storedChord, (std::vector<int>{48, 52, 55}));
    runner.run (timeline, 2757);
    EXPECT_EQ (engine.storedChord, (std::vector<int>{48, 52, 55, 50, 53, 57}));
    runner.run (timeline, 5513, {512});
    EXPECT_EQ (engine.storedChord, (std::vector<int>{50, 53, 57}));
    runner.run (timeline, 8269, {512});
    EXPECT_TRUE (engine.heldChordKeys.empty());
    EXPECT_EQ (engine.storedChord, (std::vector<int>{50, 53, 57}));
}

TEST_F (BlockProcessing, TickFollowsTempoAndSurvivesAnyTempoOrRateTheHostGives)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        double bpm, rate;
        int tick;
    };
    const Case cases[] = {{90, 44100, 3675},  {0, 44100, 2756},    {-3, 44100, 2756},   {nan, 44100, 2756},
                          {inf, 44100, 2756}, {-inf, 44100, 2756}, {120, nan, 2756},    {120, -1, 2756},
                          {1.0e12, 44100, 1}, {120, 1.0e300, 0},   {1.0e-300, 44100, 0}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.bpm << " bpm at " << c.rate << " Hz");
        Quorvanelle fresh;
        EngineRunner freshRunner (fresh);
        freshRunner.bpm = c.bpm;
        fresh.sampleRate = c.rate;
        // Pressed after the first tick; latched at the next one (0: none within reach).
        const auto timeline = MidiTimeline().noteOn (1, 60);
        const juce::int64 end = c.tick == 0 ? 20000 : c.tick;
        freshRunner.run (timeline, end, {512});
        EXPECT_TRUE (fresh.storedChord.empty());
        freshRunner.run (timeline, end + 1);
        EXPECT_EQ (fresh.storedChord.size(), c.tick == 0 ? 0u : 1u);
    }

    // The counter keeps its phase instead of overflowing.
    engine.chordCaptureCounter = std::numeric_limits<int>::max() - 100;
    const int phase = engine.chordCaptureCounter % 2756;
    runner.block (512);
    EXPECT_GE (engine.chordCaptureCounter, 0);
    EXPECT_EQ (engine.chordCaptureCounter % 2756, (phase + 512) % 2756);
}
} // namespace
