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

TEST_F (PluginLookAndFeelTest, ScrollBarThumbIsSquareOnePixelInsideAndBrighterUnderTheMouse)
{
    juce::ScrollBar bar (true);
    bar.setLookAndFeel (&lookAndFeel);
    auto drawThumb = [&] (bool mouseOver, bool mouseDown)
    {
        juce::Image image (juce::Image::ARGB, 12, 100, true);
        juce::Graphics g (image);
        lookAndFeel.drawScrollbar (g, bar, 0, 0, 12, 100, true, 20, 40, mouseOver, mouseDown);
        return image;
    };

    EXPECT_EQ (mismatches (drawThumb (false, false), teal, {6, 40}), "");
    EXPECT_EQ (mismatches (drawThumb (true, true), brightTeal, {6, 40}), "");
    const auto hovered = drawThumb (true, false);
    EXPECT_EQ (mismatches (hovered, brightTeal, {6, 40, 1, 21, 10, 58}) +
                   mismatches (hovered, 0, {0, 40, 11, 40, 6, 20, 6, 59}),
               "");
    bar.setLookAndFeel (nullptr);
}

TEST_F (PluginLookAndFeelTest, BarSliderFillsFromItsStartOrTheCentreUpToABrighterStripAtTheValue)
{
    juce::Slider slider;
    slider.setLookAndFeel (&lookAndFeel);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);

    // Bar areas 100 pixels long, from 1 to 101. A vertical bar over a range symmetric about zero grows from
    // the centre (y = 51), over another range from the bottom; a horizontal bar from its left end.
    struct Case
    {
        bool vertical;
        double minimum, value;
        std::vector<int> filled, empty;
    };
    const Case cases[] = {
        {true, -5, 2.5, {10, 40, 10, 50}, {10, 60, 10, 90, 10, 20}},
        {true, -5, -2.5, {10, 55, 10, 70}, {10, 40, 10, 90}},
        {true, 0, 7.5, {10, 40, 10, 90}, {10, 20}},
        {false, -5, -2.5, {5, 10, 20, 10}, {40, 10}},
        {false, -5, 2.5, {5, 10, 60, 10}, {90, 10}},
    };
    for (const auto& c : cases)
    {
        slider.setSliderStyle (c.vertical ? juce::Slider::LinearBarVertical : juce::Slider::LinearBar);
        slider.setBounds (0, 0, c.vertical ? 20 : 102, c.vertical ? 102 : 20);
        slider.setRange (c.minimum, c.minimum + 10.0);
        slider.setValue (c.value);
        const auto image = renderComponent (slider);
        EXPECT_EQ (mismatches (image, teal, c.filled) + mismatches (image, barBackground, c.empty), "")
            << c.minimum << ", " << c.value;
    }

    // The last: the two-pixel strip ends at the value, x = 74 to 76.
    const auto image = renderComponent (slider);
    const auto strip = image.getPixelAt (75, 10), bar = image.getPixelAt (60, 10);
    EXPECT_GT (strip.getBrightness(), bar.getBrightness() + 0.1f);
    EXPECT_NEAR (strip.getHue(), bar.getHue(), 0.01f);
    slider.setLookAndFeel (nullptr);
}

TEST_F (PluginLookAndFeelTest, SmallJoinedButtonAsksForALargerFontAndWritesInBlack)
{
    struct FontRecorder final : public PluginLookAndFeel
    {
        juce::Font getTextButtonFont (juce::TextButton& b, int buttonHeight) override
        {
            requested = buttonHeight;
            return PluginLookAndFeel::getTextButtonFont (b, buttonHeight);
        }
        int requested = 0;
    } recorder;

    juce::TextButton button ("MMMM");
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    // The most opaque of the bright, or of the dark, pixels of the button's text.
    auto drawText = [&] (int height, int connected, bool bright)
    {
        button.setConnectedEdges (connected);
        button.setSize (80, height);
        juce::Image image (juce::Image::ARGB, 80, height, true);
        juce::Graphics g (image);
        recorder.drawButtonText (g, button, false, false);
        juce::uint8 most = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 80; ++x)
                if (const auto c = image.getPixelAt (x, y); (c.getBrightness() > 0.5f) == bright)
                    most = juce::jmax (most, c.getAlpha());
        return most;
    };

    EXPECT_EQ (drawText (19, juce::Button::ConnectedOnLeft, true), 0);
    EXPECT_EQ (recorder.requested, 27);
    const auto black = drawText (19, juce::Button::ConnectedOnRight, false);
    EXPECT_TRUE (black >= 0xe0 && black <= 0xe6) << (int)black; // not toggled: black at 90 %
    EXPECT_GT (drawText (20, juce::Button::ConnectedOnLeft, true), 0xf0);
    EXPECT_EQ (recorder.requested, 20);
    drawText (19, 0, true);
    EXPECT_EQ (recorder.requested, 19);
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

TEST_F (PluginLookAndFeelTest, LongTooltipWrapsIntoBalancedLeftAlignedLinesInASquareWhiteRimmedBox)
{
    const auto layout = lookAndFeel.layoutTooltipText (
        "Chords below the split, melody on the white keys above it; the black keys above the split play the "
        "chord at other octaves or move the melody.",
        juce::Colours::black);
    ASSERT_GE (layout.getNumLines(), 2);
    EXPECT_LE (layout.getWidth(), 390.0f);
    for (int i = 0; i < layout.getNumLines(); ++i)
        EXPECT_FLOAT_EQ (layout.getLine (i).lineOrigin.x, 0.0f) << "line " << i;
    EXPECT_GT (layout.getLine (layout.getNumLines() - 1).getLineBoundsX().getLength(),
               layout.getLine (0).getLineBoundsX().getLength() * 0.5f);

    juce::Image image (juce::Image::ARGB, 200, 40, true);
    juce::Graphics g (image);
    lookAndFeel.drawTooltip (g, {}, 200, 40);
    EXPECT_EQ (mismatches (image, 0xffffffff, {0, 0, 199, 0, 0, 39, 199, 39, 100, 0, 0, 20}, 3) +
                   mismatches (image, 0xff3a3a3a, {1, 1, 100, 20}),
               "");
}

TEST_F (PluginLookAndFeelTest, PropertyContentLeavesANarrowLabelColumn)
{
    struct Property final : public juce::PropertyComponent
    {
        Property() : juce::PropertyComponent ("property", 25) {}
        void refresh() override {}
    } property;

    for (const auto& [width, label] : {std::pair{30, 15}, {44, 22}, {400, 22}})
    {
        property.setSize (width, 25);
        EXPECT_EQ (lookAndFeel.getPropertyComponentContentPosition (property),
                   juce::Rectangle<int> (label, 0, width - label, 24));
    }
}
} // namespace
