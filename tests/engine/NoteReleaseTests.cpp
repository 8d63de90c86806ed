#include "EngineDriver.h"

using namespace enginedriver;
using namespace miditimeline;

namespace
{
using NoteRelease = EngineScenario;

TEST_F (NoteRelease, StolenNoteMovesToItsNewSourceAndChannel)
{
    engine.SetOnOff (1);
    MidiTimeline timeline;
    timeline.noteOn (0, 60, 100, 2).noteOn (10, 97, 100, 5).noteOff (20, 60, 2).noteOff (30, 97, 5);
    EXPECT_EQ (runner.run (timeline, 40, {12}), "0: note-on 60 vel 100 ch 2\n10: note-off 60 ch 2\n"
                                                "10: note-on 60 vel 100 ch 5\n30: note-off 60 ch 5\n");
    EXPECT_TRUE (nothingSounds());

    // Struck again by its own source, a note stands once in that source's list.
    const juce::ScopedLock sl (engine.getLock());
    engine.PlayNote (70, 99, 100, 0, 1);
    engine.PlayNote (70, 99, 100, 0, 1);
    EXPECT_EQ (engine.outputsBySource[99], (std::vector<int>{70}));
}

TEST_F (NoteRelease, SourceThroughOffQueuesTheChordKeysReleasesForTheNextSample)
{
    engine.SetOnOff (1);
    EXPECT_EQ (runner.run (MidiTimeline().noteOn (0, 48).noteOn (3, 52, 90, 2), 16),
               "0: note-on 48 vel 100 ch 1\n3: note-on 52 vel 90 ch 2\n");
    messagesSoFar();

    engine.SetOnOff (0);
    EXPECT_EQ (messagesSoFar(), display + "," + display + ",onOffChange");
    EXPECT_EQ (runner.block (16), "16: note-off 48 ch 1\n16: note-off 52 ch 2\n");
    EXPECT_TRUE (nothingSounds());

    engine.SetOnOff (0);
    EXPECT_EQ (messagesSoFar(), "");
    engine.SetOnOff (1);
    EXPECT_EQ (messagesSoFar(), "onOffChange");
    EXPECT_EQ (runner.block (16), "");
}

TEST_F (NoteRelease, ExpandMovesTheSplitTrimsTheLatchedChordAndReleasesAtTheNextBlock)
{
    set (engine.mSourceMode, 3);
    // 60 and 76 are latched at the first sample and stay held.
    EXPECT_EQ (runner.run (MidiTimeline().press (0, {60, 76, 96}), 16), "0: note-on 48 vel 100 ch 1\n");
    messagesSoFar();

    engine.SetExpand (1);
    EXPECT_EQ (messagesSoFar(), display + ",expandChange");
    EXPECT_EQ (engine.keyboardSplit, 72);
    EXPECT_EQ (engine.keyboardControl->getSnapshot().keyboardSplit, 72);
    EXPECT_EQ (engine.storedChord, std::vector<int>{60});
    EXPECT_EQ (runner.block (16), "16: note-off 48 ch 1\n");

    // 76, now above the split, does not come back at the next tick.
    EXPECT_EQ (runner.run (MidiTimeline().noteOff (2800, 96).noteOn (2801, 96), 2816, {512}),
               "2801: note-on 48 vel 100 ch 1\n");
    EXPECT_EQ (engine.storedChord, std::vector<int>{60});

    engine.SetExpand (2);
    EXPECT_EQ (messagesSoFar().fromLastOccurrenceOf (display, true, false), display + ",expandChange");
    EXPECT_EQ (runner.block (16), "2816: note-off 48 ch 1\n");
    EXPECT_EQ (engine.keyboardSplit, 72);

    engine.SetExpand (2);
    EXPECT_EQ (messagesSoFar(), "");
}

TEST_F (NoteRelease, KeyReleasesWhatItSoundsWhateverItsRoleBecame)
{
    // A melody key at 72 sounds while the keyboard is expanded; shrinking the keyboard makes it a chord
    // key, and with "Source through" off a chord key's release used to release nothing.
    set (engine.mSourceMode, 3);
    engine.SetExpand (1);
    EXPECT_EQ (runner.run (MidiTimeline().noteOn (0, 72), 16), "0: note-on 24 vel 100 ch 1\n");
    engine.SetExpand (0);
    EXPECT_EQ (runner.block (16), "16: note-off 24 ch 1\n");
    EXPECT_EQ (runner.run (MidiTimeline().noteOff (40, 72), 48), "");
    EXPECT_TRUE (nothingSounds());

    // "Source through" leaving 1 for another value than 0 releases nothing at once, so the key's own
    // release must.
    engine.SetOnOff (1);
    EXPECT_EQ (runner.run (MidiTimeline().noteOn (50, 60), 64), "50: note-on 60 vel 100 ch 1\n");
    engine.SetOnOff (2);
    EXPECT_EQ (runner.run (MidiTimeline().noteOff (70, 60), 80), "70: note-off 60 ch 1\n");
    EXPECT_TRUE (nothingSounds());
}

TEST_F (NoteRelease, TransportStopReleasesEverythingAfterItsStartAndPausesNoteInput)
{
    runner.playing = true;
    set (engine.mSourceMode, 3);
    engine.SetOnOff (1);
    EXPECT_EQ (runner.run (MidiTimeline().noteOn (0, 60, 100, 2).noteOn (0, 96), 64),
               "0: note-on 60 vel 100 ch 2\n0: note-on 48 vel 100 ch 1\n");
    messagesSoFar();

    // A chord key struck in the very block that sees the stop: its release follows its start. With 106
    // up, the stop's release of 106 is the one that silences the chord keys.
    runner.playing = false;
    EXPECT_EQ (
        runner.run (MidiTimeline().noteOn (94, 62).controller (104, 1, 5), 128),
        "64: note-off 60 ch 2\n64: note-off 48 ch 1\n94: note-on 62 vel 100 ch 1\n94: note-off 62 ch 1\n"
        "104: cc 1 val 5 ch 1\n");
    EXPECT_TRUE (nothingSounds());
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ (engine.midiReceiver.noteState[k], -1);
    EXPECT_TRUE (engine.inputSuspended.load());
    EXPECT_TRUE (messagesSoFar().contains (display));

    // During the pause notes are dropped and the rest passes; the keys held across the stop are
    // forgotten, so their releases do nothing.
    EXPECT_EQ (runner.run (MidiTimeline().noteOn (130, 98).controller (131, 7, 1).noteOff (132, 96), 192),
               "131: cc 7 val 1 ch 1\n");
    EXPECT_EQ (engine.midiReceiver.noteState[98], -1);

    // The timer ends the pause once and stops.
    pumpMessages (250);
    EXPECT_FALSE (engine.inputSuspended.load());
    EXPECT_FALSE (engine.isTimerRunning());
    EXPECT_EQ (runner.run (MidiTimeline().noteOff (200, 98).noteOn (201, 96), 256),
               "201: note-on 48 vel 100 ch 1\n");

    // A stop seen in a block of no samples is handled all the same.
    runner.playing = true;
    runner.block (16);
    runner.playing = false;
    EXPECT_EQ (runner.block (0), "272: note-off 48 ch 1\n");
    EXPECT_TRUE (engine.inputSuspended.load());
}
} // namespace
