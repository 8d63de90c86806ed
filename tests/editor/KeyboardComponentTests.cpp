#include "editor/KeyboardComponent.h"

#include "EditorTestSupport.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

using editor_test::argb;
using editor_test::render;
using editor_test::sameRegion;

namespace
{
constexpr juce::uint32 chordHeld = 0xffe7ca0a;
constexpr juce::uint32 melodyHeld = 0xff07b5c8;
constexpr juce::uint32 chordIdle = 0xffcae5f9;
constexpr juce::uint32 melodyIdle = 0xfffff9d2;
constexpr juce::uint32 sounding = 0xff07b5c8;
constexpr juce::uint32 current = 0xfffafafa;
constexpr juce::uint32 grey = 0xff646464;

constexpr int whiteOffsets[] = {0, 2, 4, 5, 7, 9, 11};

int whiteKeyNote (int i)
{
    return 12 * (i / 7) + whiteOffsets[i % 7];
}

// Left edge of a black key at 525 by 60, from the worked layout: 4, 11, 25, 32, 39, then 49 further
// right per octave; -1 for a white key.
int blackKeyX (int note)
{
    const int firstX[] = {-1, 4, -1, 11, -1, -1, 25, -1, 32, -1, 39, -1};
    return firstX[note % 12] < 0 ? -1 : firstX[note % 12] + 49 * (note / 12);
}

class KeyboardViewTest : public ::testing::Test
{
protected:
    KeyboardViewTest() { view.setSize (525, 60); }

    void show (int split, std::initializer_list<std::pair<int, int>> states,
               std::initializer_list<int> outputs = {})
    {
        model.keyboardSplit = split;
        std::fill (std::begin (model.keyDisplayState), std::end (model.keyDisplayState), 0);
        std::fill (std::begin (model.outputNoteFlags), std::end (model.outputNoteFlags), 0);
        for (auto [key, state] : states)
            model.keyDisplayState[key] = state;
        for (auto key : outputs)
            model.outputNoteFlags[key] = 1;
        model.publish();
    }

    juce::ScopedJuceInitialiser_GUI gui;
    KeyboardControl model;
    KeyboardComponent view{&model};
};
} // namespace

TEST_F (KeyboardViewTest, IdleKeyboardFollowsTheWorkedLayout)
{
    show (84, {});
    const auto image = render (view);

    for (int i = 0; i < 75; ++i)
    {
        const int x = 7 * i;
        SCOPED_TRACE ("white key " + std::to_string (i));
        EXPECT_EQ (argb (image, x + 3, 45), whiteKeyNote (i) < 84 ? chordIdle : melodyIdle);
        EXPECT_EQ (argb (image, x, 45), grey);
        EXPECT_EQ (argb (image, x + 3, 0), grey);
        EXPECT_EQ (argb (image, x + 3, 59), grey);
    }
    // The last white key is one pixel narrower and closes the keyboard at 524.
    EXPECT_EQ (argb (image, 524, 45), grey);
    EXPECT_EQ (argb (image, 523, 45), melodyIdle);

    for (int note = 0; note < 128; ++note)
    {
        if (blackKeyX (note) < 0)
            continue;
        SCOPED_TRACE ("black key " + std::to_string (note));
        const int x = blackKeyX (note);
        for (int y : {0, 17, 35})
            for (int dx = 0; dx < 6; ++dx)
                EXPECT_EQ (argb (image, x + dx, y), grey);
        EXPECT_NE (argb (image, x + 2, 36), grey);
        EXPECT_NE (argb (image, x + 6, 17), grey);
    }

    // Key 96 carries the three-row marker; its neighbour does not.
    for (int x = 392; x < 399; ++x)
        for (int y = 57; y < 60; ++y)
            EXPECT_EQ (argb (image, x, y), grey) << x << "," << y;
    EXPECT_EQ (argb (image, 395, 56), melodyIdle);
    EXPECT_EQ (argb (image, 402, 57), melodyIdle);
}

TEST_F (KeyboardViewTest, HeldKeysTakeTheColourOfTheirSideOfTheSplit)
{
    // 71 and 72 are white, 70 and 73 black; 84 is the first melody key at the usual split.
    show (84, {{70, 10}, {71, 10}, {72, 10}, {73, 10}, {84, 10}});
    auto image = render (view);
    EXPECT_EQ (argb (image, 7 * 41 + 3, 45), chordHeld);
    EXPECT_EQ (argb (image, 7 * 42 + 3, 45), chordHeld);
    EXPECT_EQ (argb (image, blackKeyX (70) + 2, 17), chordHeld);
    EXPECT_EQ (argb (image, blackKeyX (73) + 2, 17), chordHeld);
    EXPECT_EQ (argb (image, 7 * 49 + 3, 45), melodyHeld);
    // The outline stays grey around a held key.
    EXPECT_EQ (argb (image, 7 * 42, 45), grey);
    EXPECT_EQ (argb (image, blackKeyX (73), 17), grey);

    show (72, {{70, 10}, {71, 10}, {72, 10}, {73, 10}, {84, 10}});
    image = render (view);
    EXPECT_EQ (argb (image, 7 * 41 + 3, 45), chordHeld);
    EXPECT_EQ (argb (image, blackKeyX (70) + 2, 17), chordHeld);
    EXPECT_EQ (argb (image, 7 * 42 + 3, 45), melodyHeld);
    EXPECT_EQ (argb (image, blackKeyX (73) + 2, 17), melodyHeld);
    // Idle keys change side too.
    EXPECT_EQ (argb (image, 7 * 43 + 3, 45), melodyIdle);
    EXPECT_EQ (argb (image, 7 * 40 + 3, 45), chordIdle);
}

TEST_F (KeyboardViewTest, SoundingAndCurrentBandsStackWithTheCurrentOneLowest)
{
    // White 98 and black 97 both sound and are current notes; 100 is held and current, 48 only current.
    show (84, {{97, 1}, {98, 1}, {100, 11}, {48, 1}}, {97, 98});
    const auto image = render (view);

    const int whiteX = 7 * 57 + 3;
    EXPECT_EQ (argb (image, whiteX, 50), melodyIdle);
    EXPECT_EQ (argb (image, whiteX, 51), grey);
    for (int y = 52; y <= 55; ++y)
        EXPECT_EQ (argb (image, whiteX, y), sounding) << y;
    EXPECT_EQ (argb (image, whiteX, 56), grey);
    EXPECT_EQ (argb (image, whiteX, 57), current);
    EXPECT_EQ (argb (image, whiteX, 58), current);
    EXPECT_EQ (argb (image, whiteX, 59), grey);

    // A black key's bands end one pixel above its bottom edge.
    const int blackX = blackKeyX (97) + 2;
    EXPECT_EQ (argb (image, blackX, 25), grey);
    EXPECT_EQ (argb (image, blackX, 26), grey);
    for (int y = 27; y <= 30; ++y)
        EXPECT_EQ (argb (image, blackX, y), sounding) << y;
    EXPECT_EQ (argb (image, blackX, 31), grey);
    for (int y = 32; y <= 34; ++y)
        EXPECT_EQ (argb (image, blackX, y), current) << y;
    EXPECT_EQ (argb (image, blackX, 35), grey);

    const int heldX = 7 * 58 + 3;
    EXPECT_EQ (argb (image, heldX, 50), melodyHeld);
    EXPECT_EQ (argb (image, heldX, 55), melodyHeld);
    EXPECT_EQ (argb (image, heldX, 56), grey);
    EXPECT_EQ (argb (image, heldX, 57), current);

    const int chordX = 7 * 28 + 3;
    EXPECT_EQ (argb (image, chordX, 55), chordIdle);
    EXPECT_EQ (argb (image, chordX, 56), grey);
    EXPECT_EQ (argb (image, chordX, 58), current);
}

TEST_F (KeyboardViewTest, WidthsThatAreNoMultipleOf75LeaveOnlyTheBackgroundAtTheRight)
{
    show (84, {});

    view.setSize (560, 60);
    const auto image = render (view);

    juce::Image backgroundOnly (juce::Image::ARGB, 560, 60, true);
    {
        juce::Graphics g (backgroundOnly);
        g.drawImage (juce::ImageCache::getFromMemory (BinaryData::temp_binary_data_8,
                                                      BinaryData::temp_binary_data_8Size),
                     {0.0f, 0.0f, 560.0f, 60.0f}, juce::RectanglePlacement::centred);
    }
    EXPECT_EQ (argb (image, 524, 30), grey);
    EXPECT_TRUE (sameRegion (image, backgroundOnly, {525, 0, 35, 60}));

    // 600 gives keys 8 pixels apart that end exactly at the right edge.
    view.setSize (600, 60);
    const auto wide = render (view);
    EXPECT_EQ (argb (wide, 8 * 74, 45), grey);
    EXPECT_EQ (argb (wide, 8 * 74 + 4, 45), melodyIdle);
    EXPECT_EQ (argb (wide, 599, 45), grey);
    EXPECT_EQ (argb (wide, 8 * 56 + 4, 58), grey);
}

TEST_F (KeyboardViewTest, PaintsOnlyWhatTheModelHasPublished)
{
    show (84, {{60, 10}});

    // A rewrite in progress is not visible until it is published.
    model.keyDisplayState[60] = 0;
    model.keyDisplayState[62] = 10;
    auto image = render (view);
    EXPECT_EQ (argb (image, 7 * 35 + 3, 45), chordHeld);
    EXPECT_EQ (argb (image, 7 * 36 + 3, 45), chordIdle);

    model.publish();
    image = render (view);
    EXPECT_EQ (argb (image, 7 * 35 + 3, 45), chordIdle);
    EXPECT_EQ (argb (image, 7 * 36 + 3, 45), chordHeld);
}
