#include "EngineDriver.h"

#include <cmath>
#include <limits>

using namespace enginedriver;
using namespace miditimeline;

namespace
{
using BlockProcessing = EngineScenario;

TEST_F (BlockProcessing, OtherEventsPassAtTheirPositionsAndNotesOutsideTheBlockLeaveNoTrace)
{
    // The note at 64 and the controller at 100 lie past the end of a block of 64 samples.
    MidiTimeline timeline;
    timeline.controller (10, 7, 90).add (20, {0xe0, 0, 64}).noteOn (64, 60).controller (100, 1, 5);
    auto input = timeline.slice (0, 128);
    EXPECT_EQ (runner.block (64, input), "10: cc 7 val 90 ch 1\n20: bytes 224 0 64\n100: cc 1 val 5 ch 1\n");
    EXPECT_TRUE (input.isEmpty());
    EXPECT_EQ (messagesSoFar(), "");

    // A block of no samples handles no note but still passes the rest; only All Notes Off among the
    // controllers refreshes the display.
    input.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8)100), 0);
    input.addEvent (juce::MidiMessage::controllerEvent (9, 123, 0), 0);
    EXPECT_EQ (runner.block (0, input), "64: cc 123 val 0 ch 9\n");
    EXPECT_EQ (messagesSoFar(), display);
    EXPECT_EQ (engine.midiReceiver.noteState[60], -1);
    EXPECT_EQ (engine.chordCaptureCounter, 64);
    EXPECT_EQ (engine.samplePosition, 64);
}

TEST_F (BlockProcessing, NoteOnAndOffOfOneKeyAtOneSampleCancelWhateverTheChannels)
{
    set (engine.mSourceMode, 3);
    // Pairs on one key at one sample, on any channels, in either order; a held key let go and struck again
    // at one sample simply stays held.
    MidiTimeline timeline;
    timeline.noteOn (5, 96, 100, 1).noteOff (5, 96, 2).noteOff (10, 96, 3).noteOn (10, 96, 100, 4);
    timeline.noteOn (20, 96).noteOff (20, 98).noteOff (30, 96).noteOn (30, 96);
    EXPECT_EQ (runner.run (timeline, 64, {7, 13}), "20: note-on 48 vel 100 ch 1\n");
    EXPECT_EQ (engine.midiReceiver.noteState[96], 1100);
}

TEST_F (BlockProcessing, MelodyKeysWalkTheMapFromWhiteKey96AndOctaveKeysShiftThem)
{
    set (engine.mSourceMode, 3); // C major from 48, so no chord is needed
    MidiTimeline timeline;
    timeline.tap (0, 96).tap (10, 98).tap (20, 95).tap (30, 84);
    // 92 beats 102, and 94 beats 104.
    timeline.press (40, {92, 102}).tap (50, 96).release (60, {92, 102}).press (60, {104, 94});
    timeline.tap (70, 96).release (80, {94, 104});

    EXPECT_EQ (
        runner.run (timeline, 100, {16, 1, 50}),
        "0: note-on 48 vel 100 ch 1\n5: note-off 48 ch 1\n10: note-on 50 vel 100 ch 1\n15: note-off 50 ch 1\n"
        "20: note-on 47 vel 100 ch 1\n25: note-off 47 ch 1\n30: note-on 36 vel 100 ch 1\n35: note-off 36 ch "
        "1\n"
        "50: note-on 24 vel 100 ch 1\n55: note-off 24 ch 1\n70: note-on 36 vel 100 ch 1\n75: note-off 36 ch "
        "1\n");

    engine.SetExpand (1);
    EXPECT_EQ (runner.run (MidiTimeline().tap (110, 72), 128),
               "110: note-on 24 vel 100 ch 1\n115: note-off 24 ch 1\n");
}

TEST_F (BlockProcessing, ChordControlKeysPlayTheHeldOrLatchedChordAtTheirOffsets)
{
    {
        // With nothing held or latched they are silent, even where the scale gives current notes.
        Quorvanelle scaleOnly;
        scaleOnly.mSourceMode = 3;
        EXPECT_EQ (EngineRunner (scaleOnly).run (MidiTimeline().tap (1, 99), 8), "");
    }

    EXPECT_EQ (runner.run (MidiTimeline().press (0, {60, 64, 67}).tap (10, 99, 3), 32),
               "10: note-on 72 vel 100 ch 3\n10: note-on 76 vel 100 ch 3\n10: note-on 79 vel 100 ch 3\n"
               "15: note-off 72 ch 3\n15: note-off 76 ch 3\n15: note-off 79 ch 3\n");

    // Big chords add the lowest note an octave down. Let go of the chord: the keys latched at the first
    // sample play on.
    set (engine.mBigChords, 1);
    MidiTimeline latched;
    latched.release (40, {60, 64, 67}).tap (50, 85).tap (60, 87).tap (70, 97);
    EXPECT_EQ (runner.run (latched, 80),
               "50: note-on 36 vel 100 ch 1\n50: note-on 40 vel 100 ch 1\n50: note-on 43 vel 100 ch 1\n"
               "50: note-on 24 vel 100 ch 1\n"
               "55: note-off 36 ch 1\n55: note-off 40 ch 1\n55: note-off 43 ch 1\n55: note-off 24 ch 1\n"
               "60: note-on 48 vel 100 ch 1\n60: note-on 52 vel 100 ch 1\n60: note-on 55 vel 100 ch 1\n"
               "60: note-on 36 vel 100 ch 1\n"
               "65: note-off 48 ch 1\n65: note-off 52 ch 1\n65: note-off 55 ch 1\n65: note-off 36 ch 1\n"
               "70: note-on 60 vel 100 ch 1\n70: note-on 64 vel 100 ch 1\n70: note-on 67 vel 100 ch 1\n"
               "70: note-on 48 vel 100 ch 1\n"
               "75: note-off 60 ch 1\n75: note-off 64 ch 1\n75: note-off 67 ch 1\n75: note-off 48 ch 1\n");
}

TEST_F (BlockProcessing, ChordKeysSoundThroughOrMovedWhileKey106IsHeld)
{
    EXPECT_EQ (runner.run (MidiTimeline().tap (0, 60), 16), "");

    engine.SetOnOff (1);
    set (engine.mTargetOctaveMod, 2);
    MidiTimeline through;
    through.tap (20, 60, 2).noteOn (30, 106).noteOn (35, 60, 90);
    // Letting go of 106 silences the chord keys although 60 is still down.
    through.noteOff (40, 106).noteOff (45, 60);
    EXPECT_EQ (runner.run (through, 64, {3, 64}), "20: note-on 60 vel 100 ch 2\n25: note-off 60 ch 2\n"
                                                  "35: note-on 84 vel 90 ch 1\n40: note-off 84 ch 1\n");
}

TEST_F (BlockProcessing, ChordIsLatchedOnEveryEighthBeatTick)
{
    // 44100 Hz at 120 bpm: a tick every 2756 samples, the first at the engine's first sample.
    MidiTimeline timeline;
    timeline.press (0, {48, 52, 55}).release (100, {48, 52, 55}).press (100, {50, 53, 57});
    timeline.release (6000, {50, 53, 57});

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
