#include "editor/RasterSliderLookAndFeel.h"

RasterSliderLookAndFeel::RasterSliderLookAndFeel()
{
    // The slider frames a bar without text box in this colour; the grid below is the only frame we want.
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x004e4e4e));
}

RasterSliderLookAndFeel::~RasterSliderLookAndFeel() = default;

void RasterSliderLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                                float sliderPos, float minSliderPos, float maxSliderPos,
                                                juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (!slider.isBar())
    {
        PluginLookAndFeel::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos,
                                             style, slider);
        return;
    }

    const auto minimum = slider.getMinimum();
    const auto maximum = slider.getMaximum();
    const int n = (int)maximum - (int)minimum;
    const double cellW = (double)width / (double)(n + 1);

    // Cells are counted from the range's minimum at the left end, whatever the range; truncation puts
    // -0.5 in the cell of 0.
    const int v = juce::jlimit (0, n, (int)slider.getValue() - (int)minimum);

    const auto fillX = (float)(v * cellW + 1.0);
    g.setColour (slider.findColour (juce::Slider::trackColourId));
    g.fillRect (juce::Rectangle<float> (fillX, (float)y, (float)cellW, (float)(height - 1)));

    g.setColour (slider.findColour (juce::ComboBox::outlineColourId));
    g.fillRect ((int)fillX, y, (int)cellW + 1, 1);
    g.fillRect (1, height, width, 1);
    g.fillRect (1, 1, 1, height);
    g.fillRect (width + 1, 1, 1, height);

    for (int i = 1; i <= n; ++i)
        g.fillRect ((int)(float)(i * cellW + 1.0), 1, 1, height);
}
