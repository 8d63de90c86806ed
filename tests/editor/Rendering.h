#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <string>

// Paints a component, with its children, into an image that starts in a colour none of the look-and-feels
// use, so pixels that nothing drew stay recognisable.
inline juce::Image renderComponent (juce::Component& component,
                                    juce::Colour backdrop = juce::Colour (0xff102030))
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    g.fillAll (backdrop);
    component.paintEntireComponent (g, true);
    return image;
}

// A pixel as "AARRGGBB", so that a failing comparison reads like the colours it is about.
inline std::string argbAt (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).toDisplayString (true).toStdString();
}

// For lines stroked along pixel edges, which the rasteriser may leave a shade short of full coverage.
inline bool closeTo (const juce::Image& image, int x, int y, juce::uint32 argb, int tolerance = 3)
{
    const auto c = image.getPixelAt (x, y);
    const juce::Colour expected (argb);
    return std::abs (c.getRed() - expected.getRed()) <= tolerance &&
           std::abs (c.getGreen() - expected.getGreen()) <= tolerance &&
           std::abs (c.getBlue() - expected.getBlue()) <= tolerance &&
           std::abs (c.getAlpha() - expected.getAlpha()) <= tolerance;
}
