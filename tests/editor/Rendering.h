#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <string>
#include <vector>

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

// The points, given as x, y, x, y..., at which the image is not `argb`, one "x, y: AARRGGBB" a line;
// empty when it is that colour at them all.
inline std::string mismatches (const juce::Image& image, juce::uint32 argb, const std::vector<int>& points,
                               int tolerance = 0)
{
    std::string text;
    for (size_t i = 0; i + 1 < points.size(); i += 2)
        if (!closeTo (image, points[i], points[i + 1], argb, tolerance))
            text += std::to_string (points[i]) + ", " + std::to_string (points[i + 1]) + ": " +
                    argbAt (image, points[i], points[i + 1]) + "\n";
    return text;
}

// How many pixels of `area` are not `argb`.
inline int pixelsOtherThan (const juce::Image& image, juce::Rectangle<int> area, juce::uint32 argb)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += image.getPixelAt (x, y) != juce::Colour (argb) ? 1 : 0;
    return count;
}
