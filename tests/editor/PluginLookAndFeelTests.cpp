#include "editor/PluginLookAndFeel.h"
#include "tests/editor/Rendering.h"

#include <gtest/gtest.h>

namespace
{
constexpr juce::uint32 boxFill = 0xffe3e4e5, boxFillDisabled = 0xffc7c7c7, amber = 0xffffcb3d,
                       outline = 0xff646464, arrow = 0xff555555, teal = 0xff20828a, brightTeal = 0xff4c9ba1,
                       barBackground = 0xff4e4e4e;

class PluginLookAndFeelTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI gui;
    PluginLookAndFeel lookAndFeel;
};

TEST_F (PluginLookAndFeelTest, ComboBoxIsFlatWithAnArrowSquareThatIsAmberOnlyWhileTheBoxCanBeUsed)
{
    juce::Component parent;
    juce::ComboBox box;
    parent.addAndMakeVisible (box);
    box.setLookAndFeel (&lookAndFeel);
    box.setBounds (0, 0, 153, 24);

    // The 5 by 5 square at (143, 9): its one-pixel rim in the arrow colour, amber inside, and no chevron.
    const auto image = renderComponent (box);
    EXPECT_EQ (mismatches (image, arrow, {143, 9, 147, 9, 143, 13, 147, 13, 145, 9, 143, 11}) +
                   mismatches (image, amber, {144, 10, 145, 11, 146, 12}) +
                   mismatches (image, boxFill, {60, 12, 142, 11, 148, 11, 145, 8, 145, 14}) +
                   mismatches (image, outline, {0, 0, 152, 0, 0, 23, 152, 23, 76, 0, 76, 23, 0, 12}, 3),
               "");
    EXPECT_EQ (pixelsOtherThan (image, {120, 1, 23, 22}, boxFill), 0);

    // Disabled, also through its parent: grey, and the square only outlined.
    box.setEnabled (false);
    const auto disabled = renderComponent (box);
    EXPECT_EQ (mismatches (disabled, boxFillDisabled, {60, 12, 145, 11}) +
                   mismatches (disabled, outline, {0, 0}) + mismatches (disabled, arrow, {143, 9, 147, 13}),
               "");
    box.setEnabled (true);
    parent.setEnabled (false);
    EXPECT_EQ (mismatches (renderComponent (box), boxFillDisabled, {60, 12, 145, 11}), "");
    parent.setEnabled (true);

    // The square keeps ten pixels from the right and centres vertically.
    box.setSize (60, 24);
    EXPECT_EQ (mismatches (renderComponent (box), amber, {51, 10}), "");
    box.setSize (205, 31);
    const auto tall = renderComponent (box);
    EXPECT_EQ (mismatches (tall, arrow, {195, 13}) + mismatches (tall, amber, {196, 14}), "");
    box.setLookAndFeel (nullptr);
}

TEST_F (PluginLookAndFeelTest, TooltipOpensAwayFromTheMouseTowardsTheCentreAndStaysInsideTheParent)
{
    const juce::String tip ("Target octave");
    const juce::Rectangle<int> screen (0, 0, 800, 600);
    // The same box as the framework's for a one-line tip, five pixels taller.
    const auto theirs = juce::LookAndFeel_V4().getTooltipBounds (tip, {100, 100}, screen);
    const int w = theirs.getWidth(), h = theirs.getHeight() + 5;
    const juce::Rectangle<int> second (1920, 100, w + 20, 400), tiny (50, 60, 40, 10);

    // Mouse, parent area, expected bounds. Exactly on the centre counts as left and above it; near the
    // edges of a second screen the box is pushed back inside; larger than its parent, it is shrunk to it.
    const std::tuple<juce::Point<int>, juce::Rectangle<int>, juce::Rectangle<int>> cases[] = {
        {{100, 100}, screen, {124, 106, w, h}},         {{400, 300}, screen, {424, 306, w, h}},
        {{700, 500}, screen, {688 - w, 494 - h, w, h}}, {{1925, 110}, second, {1940, 116, w, h}},
        {{1925 + w, 102}, second, {1920, 108, w, h}},   {{85, 68}, tiny, tiny}};
    for (const auto& [mouse, parent, expected] : cases)
        EXPECT_EQ (lookAndFeel.getTooltipBounds (tip, mouse, parent), expected) << mouse.toString();
}

} // namespace
