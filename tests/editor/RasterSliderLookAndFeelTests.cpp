#include "editor/RasterSliderLookAndFeel.h"
#include "tests/editor/Rendering.h"

#include <gtest/gtest.h>

namespace
{
const std::string amber = "FFFFCB3D", grid = "FF646464", backdrop = "FF102030";

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
        slider.setColour (juce::Slider::trackColourId, juce::Colour (0xffffcb3d));
        slider.setBounds (0, 0, 176, 9);
    }
    ~TargetOctaveRaster() override { slider.setLookAndFeel (nullptr); }

    juce::Image renderAt (double value)
    {
        slider.setValue (value, juce::dontSendNotification);
        return renderComponent (slider);
    }

    // The columns whose middle rows are amber.
    std::vector<int> filledColumns (const juce::Image& image)
    {
        std::vector<int> columns;
        for (int x = 0; x < image.getWidth(); ++x)
            if (argbAt (image, x, 4) == amber)
                columns.push_back (x);
        return columns;
    }

    static std::vector<int> columnsFrom (int first, int last)
    {
        std::vector<int> columns;
        for (int x = first; x <= last; ++x)
            columns.push_back (x);
        return columns;
    }

    juce::ScopedJuceInitialiser_GUI gui;
    RasterSliderLookAndFeel lookAndFeel;
    juce::Slider slider;
};

TEST_F (TargetOctaveRaster, GridSeparatesElevenCellsBetweenTheEdgeLines)
{
    const auto image = renderAt (0.0);

    std::vector<int> verticalLines;
    for (int x = 0; x < 176; ++x)
        if (argbAt (image, x, 4) == grid && argbAt (image, x, 2) == grid)
            verticalLines.push_back (x);
    EXPECT_EQ (verticalLines, (std::vector<int>{1, 16, 32, 48, 64, 80, 95, 111, 127, 143, 159, 175}));

    for (int y = 1; y <= 7; ++y)
    {
        EXPECT_EQ (argbAt (image, 1, y), grid) << y;
        EXPECT_EQ (argbAt (image, 48, y), grid) << y;
        EXPECT_EQ (argbAt (image, 175, y), grid) << y;
    }
    for (int x = 1; x <= 174; ++x)
        ASSERT_EQ (argbAt (image, x, 7), grid) << x;
}

TEST_F (TargetOctaveRaster, FrameworksOuterFrameDoesNotShow)
{
    const auto image = renderAt (0.0);

    for (int x = 0; x < 176; ++x)
    {
        ASSERT_EQ (argbAt (image, x, 0), backdrop) << x;
        ASSERT_EQ (argbAt (image, x, 8), backdrop) << x;
    }
    for (int y = 0; y < 9; ++y)
        ASSERT_EQ (argbAt (image, 0, y), backdrop) << y;
}

TEST_F (TargetOctaveRaster, ValueFillsItsOwnCellOnly)
{
    auto image = renderAt (-5.0);
    EXPECT_EQ (filledColumns (image), columnsFrom (2, 15));
    for (int x = 1; x <= 16; ++x)
        EXPECT_EQ (argbAt (image, x, 1), grid) << x; // the cell's top edge
    EXPECT_EQ (argbAt (image, 17, 1), backdrop);

    image = renderAt (0.0);
    EXPECT_EQ (filledColumns (image), columnsFrom (81, 94));
    for (int x = 80; x <= 95; ++x)
        EXPECT_EQ (argbAt (image, x, 1), grid) << x;
    EXPECT_EQ (argbAt (image, 79, 1), backdrop);
    EXPECT_EQ (argbAt (image, 96, 1), backdrop);
    for (int y = 2; y <= 6; ++y)
        EXPECT_EQ (argbAt (image, 88, y), amber) << y;

    image = renderAt (5.0);
    EXPECT_EQ (filledColumns (image), columnsFrom (160, 174));
    EXPECT_EQ (argbAt (image, 159, 1), grid);
    EXPECT_EQ (argbAt (image, 174, 1), grid);

    // Empty cells show what lies beneath.
    EXPECT_EQ (argbAt (image, 88, 4), backdrop);
}

TEST_F (TargetOctaveRaster, FractionalValuesAreTruncatedTowardZero)
{
    slider.setRange (-5.0, 5.0, 0.0);

    EXPECT_EQ (filledColumns (renderAt (-0.5)), columnsFrom (81, 94));
    EXPECT_EQ (filledColumns (renderAt (0.9)), columnsFrom (81, 94));
    EXPECT_EQ (filledColumns (renderAt (-1.5)), filledColumns (renderAt (-1.0)));
}

TEST_F (TargetOctaveRaster, CellsCountFromTheMinimumOfAnyRange)
{
    slider.setSize (46, 9); // four cells of 11 pixels: x = 1, 12, 23, 34

    slider.setRange (0.0, 3.0, 1.0);
    EXPECT_EQ (filledColumns (renderAt (2.0)), columnsFrom (24, 33));

    slider.setRange (1.0, 4.0, 1.0);
    EXPECT_EQ (filledColumns (renderAt (3.0)), columnsFrom (24, 33));

    slider.setRange (-1.0, 2.0, 1.0);
    EXPECT_EQ (filledColumns (renderAt (-1.0)), columnsFrom (2, 11));
}

TEST_F (TargetOctaveRaster, OtherStylesAreDrawnAsThePluginLookAndFeelDrawsThem)
{
    PluginLookAndFeel plain;
    slider.setSliderStyle (juce::Slider::LinearHorizontal);
    slider.setSize (176, 30);

    const auto raster = renderAt (2.0);
    slider.setLookAndFeel (&plain);
    const auto reference = renderComponent (slider);
    slider.setLookAndFeel (nullptr);

    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 176; ++x)
            ASSERT_EQ (argbAt (raster, x, y), argbAt (reference, x, y)) << x << ", " << y;
}
} // namespace
