#include "editor/RasterSliderLookAndFeel.h"
#include "tests/editor/Rendering.h"

#include <gtest/gtest.h>

namespace
{
constexpr juce::uint32 amber = 0xffffcb3d, grid = 0xff646464, backdrop = 0xff102030;

// The editor's target-octave slider: 176 by 9, -5 to 5 in steps of 1, an amber filled cell.
class TargetOctaveRaster : public ::testing::Test
{
protected:
    TargetOctaveRaster()
    {
        slider.setLookAndFeel (&lookAndFeel);
        slider.setSliderStyle (juce::Slider::LinearBar);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        slider.setRange (-5.0, 5.0, 1.0);
        slider.setColour (juce::Slider::trackColourId, juce::Colour (amber));
        slider.setBounds (0, 0, 176, 9);
    }
    ~TargetOctaveRaster() override { slider.setLookAndFeel (nullptr); }

    juce::Image renderAt (double value)
    {
        slider.setValue (value, juce::dontSendNotification);
        return renderComponent (slider);
    }

    // The columns whose pixels in `row` are `argb`.
    static std::vector<int> columns (const juce::Image& image, int row, juce::uint32 argb)
    {
        std::vector<int> found;
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, row) == juce::Colour (argb))
                found.push_back (x);
        return found;
    }

    juce::ScopedJuceInitialiser_GUI gui;
    RasterSliderLookAndFeel lookAndFeel;
    juce::Slider slider;
};

TEST_F (TargetOctaveRaster, GridSeparatesElevenCellsAndTheFrameworksOuterFrameDoesNotShow)
{
    const auto image = renderAt (0.0);
    EXPECT_EQ (columns (image, 4, grid),
               (std::vector<int>{1, 16, 32, 48, 64, 80, 95, 111, 127, 143, 159, 175}));
    EXPECT_EQ (columns (image, 2, grid), columns (image, 6, grid));
    EXPECT_EQ (pixelsOtherThan (image, {1, 7, 174, 1}, grid), 0);
    EXPECT_EQ (pixelsOtherThan (image, {0, 0, 176, 1}, backdrop) +
                   pixelsOtherThan (image, {0, 8, 176, 1}, backdrop) +
                   pixelsOtherThan (image, {0, 0, 1, 9}, backdrop),
               0);
}

TEST_F (TargetOctaveRaster, ValueFillsItsOwnCellCountedFromTheMinimumAndTruncatedTowardZero)
{
    struct Case
    {
        double minimum, maximum, step;
        int width;
        double value;
        int first, last;
    };
    const Case cases[] = {{-5, 5, 1, 176, -5, 2, 15},
                          {-5, 5, 1, 176, 0, 81, 94},
                          {-5, 5, 1, 176, 5, 160, 174},
                          {-5, 5, 0, 176, -0.5, 81, 94},
                          {-5, 5, 0, 176, 0.9, 81, 94},
                          // Four cells of 11 pixels: x = 1, 12, 23, 34.
                          {0, 3, 1, 46, 2, 24, 33},
                          {1, 4, 1, 46, 3, 24, 33},
                          {-1, 2, 1, 46, -1, 2, 11}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.value << " in " << c.minimum << " to " << c.maximum);
        slider.setSize (c.width, 9);
        slider.setRange (c.minimum, c.maximum, c.step);
        const auto image = renderAt (c.value);
        std::vector<int> cell;
        for (int x = c.first; x <= c.last; ++x)
            cell.push_back (x);
        EXPECT_EQ (columns (image, 4, amber), cell);
        EXPECT_EQ (columns (image, 2, amber), cell);
        EXPECT_EQ (columns (image, 6, amber), cell);

        // The cell's top edge, and nothing beside it.
        EXPECT_EQ (pixelsOtherThan (image, {c.first - 1, 1, c.last - c.first + 3, 1}, grid), 0);
        EXPECT_EQ (mismatches (image, backdrop, {c.first - 2, 1}), "");
        if (c.last + 2 < c.width)
        {
            EXPECT_EQ (mismatches (image, backdrop, {c.last + 2, 1}), "");
        }
    }

    slider.setRange (-5.0, 5.0, 0.0);
    EXPECT_EQ (columns (renderAt (-1.5), 4, amber), columns (renderAt (-1.0), 4, amber));
}

} // namespace
