#include "editor/PluginLookAndFeel.h"
#include "tests/editor/Rendering.h"

#include <gtest/gtest.h>

namespace
{
const std::string boxFill = "FFE3E4E5", boxFillDisabled = "FFC7C7C7", amber = "FFFFCB3D",
                  outline = "FF646464", arrowOutline = "FF555555", teal = "FF20828A",
                  barBackground = "FF4E4E4E";

class PluginLookAndFeelTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI gui;
    PluginLookAndFeel lookAndFeel;
};

//==============================================================================
class ComboBoxDrawing : public PluginLookAndFeelTest
{
protected:
    ComboBoxDrawing()
    {
        box.setLookAndFeel (&lookAndFeel);
        box.setBounds (0, 0, 153, 24);
    }
    ~ComboBoxDrawing() override { box.setLookAndFeel (nullptr); }

    juce::ComboBox box;
};

TEST_F (ComboBoxDrawing, EnabledModeBoxIsFlatWithAnAmberArrowSquare)
{
    const auto image = renderComponent (box);

    EXPECT_EQ (argbAt (image, 60, 12), boxFill);
    for (auto [x, y] : {std::pair{0, 0}, {152, 0}, {0, 23}, {152, 23}, {76, 0}, {76, 23}, {0, 12}})
        EXPECT_TRUE (closeTo (image, x, y, 0xff646464)) << x << ", " << y << ": " << argbAt (image, x, y);

    // The 5 by 5 square at (143, 9): its one-pixel rim in the arrow colour, amber inside.
    for (auto [x, y] : {std::pair{143, 9}, {147, 9}, {143, 13}, {147, 13}, {145, 9}, {143, 11}})
        EXPECT_EQ (argbAt (image, x, y), arrowOutline) << x << ", " << y;
    for (int y = 10; y <= 12; ++y)
        for (int x = 144; x <= 146; ++x)
            EXPECT_EQ (argbAt (image, x, y), amber) << x << ", " << y;
    EXPECT_EQ (argbAt (image, 142, 11), boxFill);
    EXPECT_EQ (argbAt (image, 148, 11), boxFill);
    EXPECT_EQ (argbAt (image, 145, 8), boxFill);
    EXPECT_EQ (argbAt (image, 145, 14), boxFill);
}

TEST_F (ComboBoxDrawing, DrawsNoChevronBesideTheSquare)
{
    const auto image = renderComponent (box);

    for (int y = 1; y < 23; ++y)
        for (int x = 120; x < 143; ++x)
            ASSERT_EQ (argbAt (image, x, y), boxFill) << x << ", " << y;
}

TEST_F (ComboBoxDrawing, DisabledBoxIsGreyAndItsSquareOnlyOutlined)
{
    box.setEnabled (false);
    const auto image = renderComponent (box);

    EXPECT_EQ (argbAt (image, 60, 12), boxFillDisabled);
    EXPECT_EQ (argbAt (image, 0, 0), outline);
    EXPECT_EQ (argbAt (image, 143, 9), arrowOutline);
    EXPECT_EQ (argbAt (image, 147, 13), arrowOutline);
    EXPECT_EQ (argbAt (image, 145, 11), boxFillDisabled);
}

TEST_F (ComboBoxDrawing, BoxCountsAsDisabledWhenItsParentIs)
{
    juce::Component parent;
    parent.addAndMakeVisible (box);
    parent.setEnabled (false);

    const auto image = renderComponent (box);

    EXPECT_EQ (argbAt (image, 60, 12), boxFillDisabled);
    EXPECT_EQ (argbAt (image, 145, 11), boxFillDisabled);
}

TEST_F (ComboBoxDrawing, SquareKeepsTenPixelsFromTheRightAndCentresVertically)
{
    box.setSize (60, 24);
    EXPECT_EQ (argbAt (renderComponent (box), 51, 10), amber);

    box.setSize (205, 31);
    const auto tall = renderComponent (box);
    EXPECT_EQ (argbAt (tall, 195, 13), arrowOutline);
    EXPECT_EQ (argbAt (tall, 196, 14), amber);
}

//==============================================================================
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

    const auto idle = drawThumb (false, false);
    EXPECT_EQ (argbAt (idle, 6, 40), teal);

    const auto hovered = drawThumb (true, false);
    EXPECT_EQ (argbAt (hovered, 6, 40), "FF4C9BA1");
    EXPECT_EQ (argbAt (hovered, 1, 21), "FF4C9BA1");  // a square corner
    EXPECT_EQ (argbAt (hovered, 10, 58), "FF4C9BA1"); // the opposite one
    EXPECT_EQ (argbAt (hovered, 0, 40), "00000000");
    EXPECT_EQ (argbAt (hovered, 11, 40), "00000000");
    EXPECT_EQ (argbAt (hovered, 6, 20), "00000000");
    EXPECT_EQ (argbAt (hovered, 6, 59), "00000000");

    EXPECT_EQ (argbAt (drawThumb (true, true), 6, 40), "FF4C9BA1");

    bar.setLookAndFeel (nullptr);
}

//==============================================================================
class BarSliderDrawing : public PluginLookAndFeelTest
{
protected:
    // A bar over -5 to 5 whose bar area is 100 pixels long, from 1 to 101.
    void makeBar (juce::Slider::SliderStyle style)
    {
        slider.setLookAndFeel (&lookAndFeel);
        slider.setSliderStyle (style);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        slider.setRange (-5.0, 5.0);
        if (style == juce::Slider::LinearBarVertical)
            slider.setBounds (0, 0, 20, 102);
        else
            slider.setBounds (0, 0, 102, 20);
    }
    ~BarSliderDrawing() override { slider.setLookAndFeel (nullptr); }

    juce::Slider slider;
};

TEST_F (BarSliderDrawing, VerticalBarOverSymmetricRangeGrowsFromTheCentre)
{
    makeBar (juce::Slider::LinearBarVertical);

    slider.setValue (2.5); // at y = 26; the centre is y = 51
    auto image = renderComponent (slider);
    EXPECT_EQ (argbAt (image, 10, 40), teal);
    EXPECT_EQ (argbAt (image, 10, 50), teal);
    EXPECT_EQ (argbAt (image, 10, 60), barBackground);
    EXPECT_EQ (argbAt (image, 10, 90), barBackground);
    EXPECT_EQ (argbAt (image, 10, 20), barBackground);

    slider.setValue (-2.5); // at y = 76
    image = renderComponent (slider);
    EXPECT_EQ (argbAt (image, 10, 40), barBackground);
    EXPECT_EQ (argbAt (image, 10, 55), teal);
    EXPECT_EQ (argbAt (image, 10, 70), teal);
    EXPECT_EQ (argbAt (image, 10, 90), barBackground);
}

TEST_F (BarSliderDrawing, VerticalBarOverOtherRangesGrowsFromTheBottom)
{
    makeBar (juce::Slider::LinearBarVertical);
    slider.setRange (0.0, 10.0);
    slider.setValue (7.5); // at y = 26

    const auto image = renderComponent (slider);
    EXPECT_EQ (argbAt (image, 10, 40), teal);
    EXPECT_EQ (argbAt (image, 10, 90), teal);
    EXPECT_EQ (argbAt (image, 10, 20), barBackground);
}

TEST_F (BarSliderDrawing, HorizontalBarGrowsFromTheLeftEndWhateverTheRange)
{
    makeBar (juce::Slider::LinearBar);

    slider.setValue (-2.5); // at x = 26
    auto image = renderComponent (slider);
    EXPECT_EQ (argbAt (image, 5, 10), teal);
    EXPECT_EQ (argbAt (image, 20, 10), teal);
    EXPECT_EQ (argbAt (image, 40, 10), barBackground);

    slider.setValue (2.5); // at x = 76
    image = renderComponent (slider);
    EXPECT_EQ (argbAt (image, 5, 10), teal);
    EXPECT_EQ (argbAt (image, 60, 10), teal);
    EXPECT_EQ (argbAt (image, 90, 10), barBackground);
}

TEST_F (BarSliderDrawing, ValueStripIsBrighterThanTheBar)
{
    makeBar (juce::Slider::LinearBar);
    slider.setValue (2.5); // the two-pixel strip ends at the value, x = 74 to 76

    const auto image = renderComponent (slider);
    const auto strip = image.getPixelAt (75, 10);
    const auto bar = image.getPixelAt (60, 10);
    EXPECT_GT (strip.getBrightness(), bar.getBrightness() + 0.1f);
    EXPECT_NEAR (strip.getHue(), bar.getHue(), 0.01f);
}

//==============================================================================
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
    button.setConnectedEdges (juce::Button::ConnectedOnLeft);

    auto drawText = [&] (int height)
    {
        button.setSize (80, height);
        juce::Image image (juce::Image::ARGB, 80, height, true);
        juce::Graphics g (image);
        recorder.drawButtonText (g, button, false, false);
        return image;
    };
    auto brightestAlpha = [] (const juce::Image& image, bool white)
    {
        juce::uint8 most = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (const auto c = image.getPixelAt (x, y); (c.getBrightness() > 0.5f) == white)
                    most = juce::jmax (most, c.getAlpha());
        return most;
    };

    const auto small = drawText (19);
    EXPECT_EQ (recorder.requested, 27);
    EXPECT_EQ (brightestAlpha (small, true), 0);
    EXPECT_GE (brightestAlpha (small, false), 0xe0);
    EXPECT_LE (brightestAlpha (small, false), 0xe6); // not toggled: black at 90 %

    const auto normal = drawText (20);
    EXPECT_EQ (recorder.requested, 20);
    EXPECT_GT (brightestAlpha (normal, true), 0xf0);

    button.setConnectedEdges (0);
    drawText (19);
    EXPECT_EQ (recorder.requested, 19);
}

//==============================================================================
TEST_F (PluginLookAndFeelTest, TooltipOpensAwayFromTheMouseTowardsTheParentsCentre)
{
    const juce::Rectangle<int> screen (0, 0, 800, 600);
    const juce::String tip ("Target octave");

    const auto leftAbove = lookAndFeel.getTooltipBounds (tip, {100, 100}, screen);
    EXPECT_EQ (leftAbove.getPosition(), juce::Point<int> (124, 106));

    const auto rightBelow = lookAndFeel.getTooltipBounds (tip, {700, 500}, screen);
    EXPECT_EQ (rightBelow.getRight(), 688);
    EXPECT_EQ (rightBelow.getBottom(), 494);

    // The mouse exactly on the centre counts as left and above it.
    EXPECT_EQ (lookAndFeel.getTooltipBounds (tip, {400, 300}, screen).getPosition(),
               juce::Point<int> (424, 306));

    // The same box as the framework's for a one-line tip, five pixels taller.
    juce::LookAndFeel_V4 framework;
    const auto theirs = framework.getTooltipBounds (tip, {100, 100}, screen);
    EXPECT_EQ (leftAbove.getWidth(), theirs.getWidth());
    EXPECT_EQ (leftAbove.getHeight(), theirs.getHeight() + 5);
}

TEST_F (PluginLookAndFeelTest, TooltipIsPushedBackInsideTheParentArea)
{
    const juce::String tip ("Expand keyboard");
    const auto size = lookAndFeel.getTooltipBounds (tip, {0, 0}, {0, 0, 800, 600}).getWidth();

    // Below and left of a second screen's centre, too close to its left edge for the box to fit.
    const juce::Rectangle<int> secondScreen (1920, 100, size + 20, 400);
    const auto nearLeft = lookAndFeel.getTooltipBounds (tip, {1925, 110}, secondScreen);
    EXPECT_EQ (nearLeft.getRight(), secondScreen.getRight());
    EXPECT_EQ (nearLeft.getY(), 116);

    const auto nearTop = lookAndFeel.getTooltipBounds (tip, {1925 + size, 102}, secondScreen);
    EXPECT_EQ (nearTop.getX(), secondScreen.getX());

    // A tip larger than its parent shrinks to it and stays on it.
    const juce::Rectangle<int> tiny (50, 60, 40, 10);
    EXPECT_EQ (lookAndFeel.getTooltipBounds (tip, {85, 68}, tiny), tiny);
}

TEST_F (PluginLookAndFeelTest, LongTooltipWrapsIntoBalancedLeftAlignedLines)
{
    const juce::String tip (
        "Chords below the split, melody on the white keys above it; the black keys above the "
        "split play the chord at other octaves or move the melody.");
    const auto layout = lookAndFeel.layoutTooltipText (tip, juce::Colours::black);

    ASSERT_GE (layout.getNumLines(), 2);
    EXPECT_LE (layout.getWidth(), 390.0f);
    for (int i = 0; i < layout.getNumLines(); ++i)
        EXPECT_FLOAT_EQ (layout.getLine (i).lineOrigin.x, 0.0f) << "line " << i;

    const auto widest = layout.getLine (0).getLineBoundsX();
    const auto last = layout.getLine (layout.getNumLines() - 1).getLineBoundsX();
    EXPECT_GT (last.getLength(), widest.getLength() * 0.5f);
}

TEST_F (PluginLookAndFeelTest, TooltipBoxHasSquareCornersAndAWhiteRim)
{
    juce::Image image (juce::Image::ARGB, 200, 40, true);
    juce::Graphics g (image);
    lookAndFeel.drawTooltip (g, {}, 200, 40);

    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 39}, {199, 39}, {100, 0}, {0, 20}})
        EXPECT_TRUE (closeTo (image, x, y, 0xffffffff)) << x << ", " << y << ": " << argbAt (image, x, y);
    EXPECT_EQ (argbAt (image, 1, 1), "FF3A3A3A");
    EXPECT_EQ (argbAt (image, 100, 20), "FF3A3A3A");
}

//==============================================================================
TEST_F (PluginLookAndFeelTest, PropertyContentLeavesANarrowLabelColumn)
{
    struct Property final : public juce::PropertyComponent
    {
        Property() : juce::PropertyComponent ("property", 25) {}
        void refresh() override {}
    } property;

    property.setSize (30, 25);
    EXPECT_EQ (lookAndFeel.getPropertyComponentContentPosition (property),
               juce::Rectangle<int> (15, 0, 15, 24));

    property.setSize (44, 25);
    EXPECT_EQ (lookAndFeel.getPropertyComponentContentPosition (property),
               juce::Rectangle<int> (22, 0, 22, 24));

    property.setSize (400, 25);
    EXPECT_EQ (lookAndFeel.getPropertyComponentContentPosition (property),
               juce::Rectangle<int> (22, 0, 378, 24));
}
} // namespace
