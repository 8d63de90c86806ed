#include "EngineDriver.h"

#include <gtest/gtest.h>

#include <limits>

using namespace enginedriver;

namespace
{
using Notes = std::vector<int>;

const Notes cMajorFrom48{48, 50, 52, 53, 55, 57, 59};

class CurrentNotes : public ::testing::Test
{
protected:
    Notes notesInMode (int mode)
    {
        engine.mSourceMode = mode;
        return recalc (engine);
    }

    void releaseAllKeys() { engine.midiReceiver.reset(); }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
};

TEST_F (CurrentNotes, EveryModeForTwoChordsInCMajor)
{
    struct Row
    {
        int mode;
        Notes withCEG;
        Notes withDFA;
    };

    const Row rows[] = {
        {1, {48, 52, 55}, {50, 53, 57}},
        {2, cMajorFrom48, {50, 52, 53, 55, 57, 59, 60}},
        {3, cMajorFrom48, cMajorFrom48},
        {4, cMajorFrom48, cMajorFrom48},
        {5, {48, 50, 52, 55, 57}, {50, 53, 55, 57, 60}},
        {6, {48, 50, 52, 55, 57}, {48, 50, 53, 55, 57}},
        {7, cMajorFrom48, {50, 52, 53, 55, 57, 59, 60}},
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE ("mode " + std::to_string (row.mode));

        releaseAllKeys();
        holdKeys (engine, {48, 52, 55});
        EXPECT_EQ (notesInMode (row.mode), row.withCEG);

        releaseAllKeys();
        holdKeys (engine, {50, 53, 57});
        EXPECT_EQ (notesInMode (row.mode), row.withDFA);
    }
}

TEST_F (CurrentNotes, MelodyMapRepeatsTheNotesAnOctaveApartAndStopsAtTheMidiRange)
{
    holdKeys (engine, {48, 52, 55});
    ASSERT_EQ (notesInMode (2), cMajorFrom48);

    const auto& map = engine.melodyMap;
    ASSERT_EQ (map.size(), 200u);

    EXPECT_EQ (Notes (map.begin() + 100, map.begin() + 107), cMajorFrom48);
    EXPECT_EQ (map[107], 60);
    EXPECT_EQ (map[146], 127);
    EXPECT_EQ (map[99], 47);
    EXPECT_EQ (map[93], 36);
    EXPECT_EQ (map[72], 0);

    for (int i = 147; i < 200; ++i)
        EXPECT_EQ (map[(size_t)i], -1) << "entry " << i;
    for (int i = 0; i < 72; ++i)
        EXPECT_EQ (map[(size_t)i], -1) << "entry " << i;
}

TEST_F (CurrentNotes, MelodyMapOfASingleNoteStepsByOctaves)
{
    holdKeys (engine, {60});
    ASSERT_EQ (notesInMode (1), Notes{60});

    for (int t = -100; t < 100; ++t)
    {
        const int expected = 60 + 12 * t;
        EXPECT_EQ (engine.melodyMap[(size_t)(100 + t)], expected >= 0 && expected <= 127 ? expected : -1)
            << "step " << t;
    }
}

TEST_F (CurrentNotes, MelodyMapOfNotesNearTheTopGoesDownwardInWholeRuns)
{
    engine.mTargetOctaveMod = 4;
    holdKeys (engine, {70, 74, 77});
    ASSERT_EQ (notesInMode (1), (Notes{118, 122, 125}));

    const auto& map = engine.melodyMap;
    EXPECT_EQ (Notes (map.begin() + 97, map.begin() + 103), (Notes{106, 110, 113, 118, 122, 125}));
    EXPECT_EQ (map[103], -1);
    EXPECT_EQ (map[94], 94);
    EXPECT_EQ (map[91], 82);
    EXPECT_EQ (map[71], 2);
    EXPECT_EQ (map[70], -1);
}

TEST_F (CurrentNotes, LatchedChordStandsInWhileNoChordKeyIsHeld)
{
    engine.storedChord = {60, 64, 48};

    // The first stored key is the base, not the lowest one.
    EXPECT_EQ (notesInMode (2), (Notes{60, 62, 64, 65, 67, 69, 71}));
    EXPECT_EQ (notesInMode (7), (Notes{60, 62, 64, 65, 67, 69, 71}));
    EXPECT_EQ (notesInMode (1), (Notes{48, 60, 64}));

    // Held chord keys win over the latched chord.
    holdKeys (engine, {50, 53, 57});
    EXPECT_EQ (notesInMode (1), (Notes{50, 53, 57}));
}

TEST_F (CurrentNotes, HeldKeysShiftedOutOfRangeGiveWayToTheLatchedChord)
{
    engine.storedChord = {60, 64, 67};
    engine.mTargetOctaveMod = -1;
    holdKeys (engine, {10});

    EXPECT_EQ (notesInMode (1), (Notes{48, 52, 55}));
    EXPECT_EQ (notesInMode (7), (Notes{48, 50, 52, 53, 55, 57, 59}));
}

TEST_F (CurrentNotes, OnlyKeysBelowTheSplitShapeTheChord)
{
    engine.storedChord = {48};
    holdKeys (engine, {84, 90});
    EXPECT_EQ (notesInMode (1), Notes{48});

    releaseAllKeys();
    engine.keyboardSplit = 72;
    holdKeys (engine, {71, 76});
    EXPECT_EQ (notesInMode (1), Notes{71});
}

TEST_F (CurrentNotes, WithoutAnyChordOnlyTheScaleModesSoundTheScale)
{
    for (const int mode : {1, 2, 5})
    {
        SCOPED_TRACE ("mode " + std::to_string (mode));
        EXPECT_TRUE (notesInMode (mode).empty());
        for (const int entry : engine.melodyMap)
            ASSERT_EQ (entry, -1);
    }

    for (const int mode : {3, 4, 7})
        EXPECT_EQ (notesInMode (mode), cMajorFrom48) << "mode " << mode;

    // The safe rule still keeps the scale's own semitone steps apart.
    EXPECT_EQ (notesInMode (6), (Notes{48, 50, 52, 55, 57}));
}

TEST_F (CurrentNotes, LowestOctaveWithRootDKeepsOnlyNotesAtOrAboveZero)
{
    engine.mTargetOctaveMod = -5;
    engine.mRootnote = 2;

    EXPECT_EQ (notesInMode (3), Notes{1});
    EXPECT_EQ (engine.melodyMap[100], 1);
    EXPECT_EQ (engine.melodyMap[101], 13);
    EXPECT_EQ (engine.melodyMap[99], -1);

    for (const int mode : {4, 6, 7})
        EXPECT_TRUE (notesInMode (mode).empty()) << "mode " << mode;
}

TEST_F (CurrentNotes, NothingIsComputedUntilARecalculationIsAskedFor)
{
    holdKeys (engine, {48, 52, 55});
    recalc (engine);
    const auto map = engine.melodyMap;

    holdKeys (engine, {62});
    engine.mSourceMode = 3;
    engine.RecalcTheCurNotesIfNeeded();

    EXPECT_EQ (engine.curNotes, (Notes{48, 52, 55}));
    EXPECT_EQ (engine.melodyMap, map);
}

TEST_F (CurrentNotes, RestoredSettingsOutOfRangeStayInsideTheTables)
{
    holdKeys (engine, {50, 53, 57});

    engine.mScaleIndex = 373;
    const auto lastScale = notesInMode (3);
    for (const int index : {374, 1000, std::numeric_limits<int>::max()})
    {
        engine.mScaleIndex = index;
        EXPECT_EQ (notesInMode (3), lastScale) << "scale " << index;
    }

    engine.mScaleIndex = -3;
    EXPECT_EQ (notesInMode (3), cMajorFrom48);
    engine.mScaleIndex = 0;

    engine.mRootnote = -5;
    EXPECT_EQ (notesInMode (3), cMajorFrom48);

    // A root above 11 is added as it is: 14 is D an octave up.
    engine.mRootnote = 14;
    EXPECT_EQ (notesInMode (3), (Notes{62, 64, 66, 67, 69, 71, 73}));

    // Far out of range, yet brought back by the octave: no overflow on the way.
    engine.mRootnote = 180;
    engine.mTargetOctaveMod = -10;
    EXPECT_EQ (notesInMode (3), (Notes{108, 110, 112, 113, 115, 117, 119}));

    engine.mRootnote = std::numeric_limits<int>::max();
    engine.mTargetOctaveMod = std::numeric_limits<int>::min();
    for (const int mode : {1, 2, 3, 4, 5, 6, 7})
        EXPECT_TRUE (notesInMode (mode).empty()) << "mode " << mode;
    engine.mTargetOctaveMod = std::numeric_limits<int>::max();
    EXPECT_TRUE (notesInMode (4).empty());
}

TEST_F (CurrentNotes, RestoredModesOutOfRangeActAsChordsOrScalePlusChords)
{
    holdKeys (engine, {50, 53, 57});
    const auto chords = notesInMode (1);
    const auto scalePlusChords = notesInMode (4);

    EXPECT_EQ (notesInMode (-1), chords);
    EXPECT_EQ (notesInMode (std::numeric_limits<int>::min()), chords);
    for (const int mode : {0, 8, 9, std::numeric_limits<int>::max()})
        EXPECT_EQ (notesInMode (mode), scalePlusChords) << "mode " << mode;

    // "Scale + chords" also needs no chord at all.
    releaseAllKeys();
    EXPECT_EQ (notesInMode (0), cMajorFrom48);
}

TEST_F (CurrentNotes, StorageIsReusedFromOneCalculationToTheNext)
{
    for (int key = 0; key < 84; ++key)
        holdKeys (engine, {key});
    ASSERT_EQ (notesInMode (1).size(), 84u);

    const auto* chordStorage = engine.chordNotes.data();
    const auto* curStorage = engine.curNotes.data();
    const auto* mapStorage = engine.melodyMap.data();

    for (int mode = -1; mode <= 8; ++mode)
    {
        notesInMode (mode);
        EXPECT_EQ (engine.chordNotes.data(), chordStorage);
        EXPECT_EQ (engine.curNotes.data(), curStorage);
        EXPECT_EQ (engine.melodyMap.data(), mapStorage);
    }
}
} // namespace
