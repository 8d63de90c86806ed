#include "EngineDriver.h"

#include <limits>

using namespace enginedriver;

namespace
{
using Notes = std::vector<int>;

const Notes cMajorFrom48{48, 50, 52, 53, 55, 57, 59};
constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

class CurrentNotes : public ::testing::Test
{
protected:
    Notes notesInMode (int mode)
    {
        engine.mSourceMode = mode;
        return recalc (engine);
    }

    // With exactly these chord keys held.
    Notes notesFor (std::initializer_list<int> keys, int mode)
    {
        engine.midiReceiver.reset();
        holdKeys (engine, keys);
        return notesInMode (mode);
    }

    Notes mapEntries (int first, int last) const
    {
        return Notes (engine.melodyMap.begin() + first, engine.melodyMap.begin() + last + 1);
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
};

TEST_F (CurrentNotes, EveryModeForTwoChordsInCMajor)
{
    struct Row
    {
        int mode;
        Notes withCEG, withDFA;
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
        EXPECT_EQ (notesFor ({48, 52, 55}, row.mode), row.withCEG) << "mode " << row.mode;
        EXPECT_EQ (notesFor ({50, 53, 57}, row.mode), row.withDFA) << "mode " << row.mode;
    }

    // Chords outside the scale: the safe rule never drops the scale's first note, however it clashes;
    // "Scale from chord bass" takes the bass alone into the scale and lays the notes out from it.
    EXPECT_EQ (notesFor ({47, 50, 53}, 6), (Notes{48, 50, 53, 55, 57, 59}));
    EXPECT_EQ (notesFor ({49, 53, 56}, 7), (Notes{49, 50, 52, 53, 55, 57, 59, 60}));
}

TEST_F (CurrentNotes, MelodyMapRepeatsTheNotesByOctavesWithinTheMidiRange)
{
    ASSERT_EQ (notesFor ({48, 52, 55}, 2), cMajorFrom48);
    ASSERT_EQ (engine.melodyMap.size(), 200u);
    EXPECT_EQ (mapEntries (99, 107), (Notes{47, 48, 50, 52, 53, 55, 57, 59, 60}));
    EXPECT_EQ (engine.melodyMap[93], 36);
    EXPECT_EQ (engine.melodyMap[72], 0);
    EXPECT_EQ (engine.melodyMap[146], 127);
    EXPECT_EQ (mapEntries (0, 71), Notes (72, -1));
    EXPECT_EQ (mapEntries (147, 199), Notes (53, -1));

    // Near the top of the range the runs still go down in whole octaves.
    engine.mTargetOctaveMod = 4;
    ASSERT_EQ (notesFor ({70, 74, 77}, 1), (Notes{118, 122, 125}));
    EXPECT_EQ (mapEntries (97, 103), (Notes{106, 110, 113, 118, 122, 125, -1}));
    EXPECT_EQ (engine.melodyMap[94], 94);
    EXPECT_EQ (engine.melodyMap[91], 82);
    EXPECT_EQ (mapEntries (70, 71), (Notes{-1, 2}));

    // A single note: every step is an octave.
    engine.mTargetOctaveMod = 0;
    ASSERT_EQ (notesFor ({60}, 1), Notes{60});
    EXPECT_EQ (mapEntries (94, 106), (Notes{-1, 0, 12, 24, 36, 48, 60, 72, 84, 96, 108, 120, -1}));
}

TEST_F (CurrentNotes, LatchedChordStandsInForHeldKeysThatAreAbsentOrOutOfRange)
{
    engine.storedChord = {60, 64, 48};

    // The first stored key is the base, not the lowest one.
    EXPECT_EQ (notesInMode (2), (Notes{60, 62, 64, 65, 67, 69, 71}));
    EXPECT_EQ (notesInMode (7), (Notes{60, 62, 64, 65, 67, 69, 71}));
    EXPECT_EQ (notesInMode (1), (Notes{48, 60, 64}));
    EXPECT_EQ (notesFor ({50, 53, 57}, 1), (Notes{50, 53, 57}));

    // Key 10 an octave down is no note: the latched chord counts.
    engine.mTargetOctaveMod = -1;
    EXPECT_EQ (notesFor ({10}, 1), (Notes{36, 48, 52}));

    // Keys at or above the split are no chord keys.
    engine.mTargetOctaveMod = 0;
    EXPECT_EQ (notesFor ({76, 84}, 1), (Notes{76}));
    engine.keyboardSplit = 72;
    EXPECT_EQ (notesInMode (1), (Notes{48, 60, 64}));
}

TEST_F (CurrentNotes, WithoutAnyChordOnlyTheScaleModesSound)
{
    for (const int mode : {1, 2, 5})
    {
        EXPECT_TRUE (notesInMode (mode).empty()) << "mode " << mode;
        EXPECT_EQ (engine.melodyMap, Notes (200, -1));
    }
    for (const int mode : {3, 4, 7})
        EXPECT_EQ (notesInMode (mode), cMajorFrom48) << "mode " << mode;

    // The safe rule keeps the scale's own semitone steps apart too.
    EXPECT_EQ (notesInMode (6), (Notes{48, 50, 52, 55, 57}));

    // Five octaves down from D: only the root an octave above survives, and a negative base gives nothing.
    engine.mTargetOctaveMod = -5;
    engine.mRootnote = 2;
    EXPECT_EQ (notesInMode (3), Notes{1});
    EXPECT_EQ (mapEntries (99, 101), (Notes{-1, 1, 13}));
    for (const int mode : {4, 6, 7})
        EXPECT_TRUE (notesInMode (mode).empty()) << "mode " << mode;
}

TEST_F (CurrentNotes, RestoredSettingsOutOfRangeStayInsideTheTables)
{
    const auto chords = notesFor ({50, 53, 57}, 1);
    const auto scalePlusChords = notesInMode (4);
    for (const int mode : {-1, intMin})
        EXPECT_EQ (notesInMode (mode), chords) << "mode " << mode;
    for (const int mode : {0, 8, 9, intMax})
        EXPECT_EQ (notesInMode (mode), scalePlusChords) << "mode " << mode;

    // Scale index, root and octave as a state may hold them; the notes of "Scale".
    const auto scale = [this] (int index, int root, int octave)
    {
        engine.mScaleIndex = index;
        engine.mRootnote = root;
        engine.mTargetOctaveMod = octave;
        return notesInMode (3);
    };
    const auto lastScale = scale (373, 0, 0);
    EXPECT_EQ (scale (374, 0, 0), lastScale);
    EXPECT_EQ (scale (intMax, 0, 0), lastScale);
    EXPECT_EQ (scale (-3, 0, 0), cMajorFrom48);
    EXPECT_EQ (scale (0, -5, 0), cMajorFrom48);
    EXPECT_EQ (scale (0, 14, 0), (Notes{62, 64, 66, 67, 69, 71, 73})); // added as it is: D an octave up
    // Far out, then brought back by the octave: nothing overflows on the way.
    EXPECT_EQ (scale (0, 180, -10), (Notes{108, 110, 112, 113, 115, 117, 119}));

    engine.mRootnote = intMax;
    for (const int octave : {intMin, intMax})
    {
        engine.mTargetOctaveMod = octave;
        for (const int mode : {1, 2, 3, 4, 5, 6, 7})
            EXPECT_TRUE (notesInMode (mode).empty()) << "mode " << mode << " octave " << octave;
    }
}
} // namespace
