#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's dark scheme over the framework's V4 drawing: flat square-cornered combo boxes with an
// amber arrow square, a symmetric bar slider, square scroll-bar thumbs and tooltips, left-aligned tips.
class PluginLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PluginLookAndFeel();
    ~PluginLookAndFeel() override;

    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;

    void layoutFileBrowserComponent (juce::FileBrowserComponent&, juce::DirectoryContentsDisplayComponent*,
                                     juce::FilePreviewComponent*, juce::ComboBox* currentPathBox,
                                     juce::TextEditor* filenameBox, juce::Button* goUpButton) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox&) override;

    void drawLabel (juce::Graphics&, juce::Label&) override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                           juce::Slider&) override;

    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;

    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

    juce::Rectangle<int> getPropertyComponentContentPosition (juce::PropertyComponent&) override;

    juce::TextLayout layoutTooltipText (const juce::String& text, juce::Colour colour) const;

private:
    void drawBarSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                        float minSliderPos, juce::Slider&);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginLookAndFeel)
};
