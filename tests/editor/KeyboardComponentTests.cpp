#include "editor/KeyboardComponent.h"

#include "EditorTestSupport.h"

#include <algorithm>

using namespace editor_test;

namespace
{
// A held chord key, a held melody key or a sounding note (one colour), idle white keys left and right
// of the split, a current note, and the outlines and idle black keys.
const std::pair<juce::uint32, const char*> colourNames[] = {{0xffe7ca0a, "yellow"}, {0xff07b5c8, "teal"},
                                                            {0xffcae5f9, "blue"},   {0xfffff9d2, "cream"},
                                                            {0xfffafafa, "white"},  {0xff646464, "grey"}};

std::string colourAt (const juce::Image& image, int x, int y)
{
    for (auto [argb, name] : colourNames)
        if (editor_test::argb (image, x, y) == argb)
            return name;
    return image.getPixelAt (x, y).toDisplayString (true).toStdString();
}

// The colours from (x, y) to (toX, toY) along a row or down a column, both ends included.
std::string colours (const juce::Image& image, int x, int y, int toX, int toY)
{
    std::string names = colourAt (image, x, y);
    while (x < toX || y < toY)
    {
        x += x < toX ? 1 : 0;
        y += y < toY ? 1 : 0;
        names += " " + colourAt (image, x, y);
    }
    return names;
}

// The worked layout at 525 by 60: white keys 7 pixels apart; black keys with their left edges at 4, 11,
// 25, 32 and 39 in the lowest octave (-1 for a white key), 49 further right per octave.
constexpr int whiteOffsets[] = {0, 2, 4, 5, 7, 9, 11};
constexpr int blackX[] = {-1, 4, -1, 11, -1, -1, 25, -1, 32, -1, 39, -1};

bool isBlack (int note)
{
    return blackX[note % 12] >= 0;
}

int keyX (int note)
{
    if (isBlack (note))
        return blackX[note % 12] + 49 * (note / 12);
    const auto white = std::find (std::begin (whiteOffsets), std::end (whiteOffsets), note % 12);
    return 7 * (7 * (note / 12) + (int)(white - std::begin (whiteOffsets)));
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

    // The colour of each key's body as the view paints it now.
    std::string bodies (std::initializer_list<int> notes)
    {
        const auto image = render (view);
        std::string names;
        for (auto note : notes)
            names += (names.empty() ? "" : " ") +
                     colourAt (image, keyX (note) + (isBlack (note) ? 2 : 3), isBlack (note) ? 17 : 45);
        return names;
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

    for (int note = 0; note < 128; ++note)
    {
        SCOPED_TRACE ("key " + std::to_string (note));
        const int x = keyX (note);
        if (isBlack (note))
        {
            // Grey across its width down to row 35, and no further.
            for (int y : {0, 17, 35})
                EXPECT_EQ (colours (image, x, y, x + 5, y), "grey grey grey grey grey grey");
            EXPECT_NE (colourAt (image, x + 2, 36), "grey");
            EXPECT_NE (colourAt (image, x + 6, 17), "grey");
        }
        else
        {
            // Outlined left, top and bottom.
            EXPECT_EQ (colourAt (image, x + 3, 45), note < 84 ? "blue" : "cream");
            EXPECT_EQ (colourAt (image, x, 45) + colourAt (image, x + 3, 0) + colourAt (image, x + 3, 59),
                       "greygreygrey");
        }
    }

    // The last white key is one pixel narrower and closes the keyboard at 524.
    EXPECT_EQ (colours (image, 523, 45, 524, 45), "cream grey");

    // Key 96 carries the three-row marker; its neighbour does not.
    for (int y = 57; y < 60; ++y)
        EXPECT_EQ (colours (image, 392, y, 398, y), "grey grey grey grey grey grey grey");
    EXPECT_EQ (colourAt (image, 395, 56) + " " + colourAt (image, 402, 57), "cream cream");
}

TEST_F (KeyboardViewTest, HeldKeysTakeTheColourOfTheirSideOfTheSplit)
{
    // 70 and 73 are black; 84 is the first melody key at the usual split, 72 when expanded.
    show (84, {{70, 10}, {71, 10}, {72, 10}, {73, 10}, {84, 10}});
    EXPECT_EQ (bodies ({68, 69, 70, 71, 72, 73, 74, 84, 86}),
               "grey blue yellow yellow yellow yellow blue teal cream");

    show (72, {{70, 10}, {71, 10}, {72, 10}, {73, 10}, {84, 10}});
    EXPECT_EQ (bodies ({68, 69, 70, 71, 72, 73, 74, 84, 86}),
               "grey blue yellow yellow teal teal cream teal cream");

    // The outline stays grey around a held key.
    const auto image = render (view);
    EXPECT_EQ (colourAt (image, keyX (72), 45) + colourAt (image, keyX (73), 17), "greygrey");
}

TEST_F (KeyboardViewTest, SoundingAndCurrentBandsStackWithTheCurrentOneLowest)
{
    // White 98 and black 97 both sound and are current notes; 100 is held and current, 48 only current.
    show (84, {{97, 1}, {98, 1}, {100, 11}, {48, 1}}, {97, 98});
    const auto image = render (view);
    const auto column = [&image] (int x, int fromY, int toY) { return colours (image, x, fromY, x, toY); };

    EXPECT_EQ (column (keyX (98) + 3, 50, 59), "cream grey teal teal teal teal grey white white grey");
    EXPECT_EQ (column (keyX (100) + 3, 50, 59), "teal teal teal teal teal teal grey white white grey");
    EXPECT_EQ (column (keyX (48) + 3, 55, 59), "blue grey white white grey");
    // A black key's bands end one pixel above its bottom edge.
    EXPECT_EQ (column (keyX (97) + 2, 25, 36),
               "grey grey teal teal teal teal grey white white white grey cream");
}

TEST_F (KeyboardViewTest, PaintsOnlyWhatTheModelHasPublished)
{
    show (84, {{60, 10}});

    // A rewrite in progress is not visible until it is published.
    model.keyDisplayState[60] = 0;
    model.keyDisplayState[62] = 10;
    EXPECT_EQ (bodies ({60, 62}), "yellow blue");

    model.publish();
    EXPECT_EQ (bodies ({60, 62}), "blue yellow");
}
