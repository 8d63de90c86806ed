#pragma once

#include "editor/PluginLookAndFeel.h"

// Draws a bar slider as a row of cells, one per whole value of its range, with the value's cell filled;
// every other slider style is left to PluginLookAndFeel.
class RasterSliderLookAndFeel final : public PluginLookAndFeel
{
public:
    RasterSliderLookAndFeel();
    ~RasterSliderLookAndFeel() override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                           juce::Slider&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RasterSliderLookAndFeel)
};
