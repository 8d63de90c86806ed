#include "editor/PluginLookAndFeel.h"

namespace
{
constexpr juce::uint32 comboBoxFill = 0xffe3e4e5;
constexpr juce::uint32 comboBoxFillDisabled = 0xffc7c7c7;
constexpr juce::uint32 arrowSquareFill = 0xffffcb3d;
} // namespace

PluginLookAndFeel::PluginLookAndFeel()
{
    const juce::uint32 background = 0xff3a3a3a, dark = 0xff303030, raised = 0xff4e4e4e, teal = 0xff20828a,
                       outline = 0xff646464;

    const std::pair<int, juce::uint32> schemeColours[] = {
        {juce::ResizableWindow::backgroundColourId, background},
        {juce::AlertWindow::backgroundColourId, background},
        {juce::TooltipWindow::backgroundColourId, background},
        {juce::BubbleComponent::backgroundColourId, background},
        {juce::PropertyComponent::backgroundColourId, background},
        {juce::ProgressBar::backgroundColourId, dark},
        {juce::ProgressBar::foregroundColourId, teal},
        {juce::Slider::thumbColourId, teal},
        {juce::Slider::backgroundColourId, raised},
        {juce::Slider::trackColourId, teal},
        {juce::Slider::textBoxBackgroundColourId, raised},
        {juce::ScrollBar::thumbColourId, teal},
        {juce::PopupMenu::backgroundColourId, background},
        {juce::PopupMenu::highlightedBackgroundColourId, raised},
        {juce::TextButton::buttonColourId, raised},
        {juce::TextButton::buttonOnColourId, teal},
        {juce::ComboBox::backgroundColourId, raised},
        {juce::ComboBox::textColourId, dark},
        {juce::ComboBox::arrowColourId, 0xff555555},
        {juce::ListBox::backgroundColourId, dark},
        {juce::TextEditor::backgroundColourId, dark},
        {juce::FileBrowserComponent::currentPathBoxBackgroundColourId, dark},
        {juce::FileBrowserComponent::filenameBoxBackgroundColourId, dark},
        {juce::ComboBox::outlineColourId, outline},
        {juce::Slider::textBoxOutlineColourId, outline},
        {juce::ListBox::outlineColourId, outline},
        {juce::TextEditor::outlineColourId, outline},
        {juce::TextEditor::focusedOutlineColourId, outline},
        {juce::Slider::rotarySliderOutlineColourId, 0xff1c1c1c},
        {juce::TooltipWindow::outlineColourId, 0xffffffff},
    };

    for (const auto& [id, argb] : schemeColours)
        setColour (id, juce::Colour (argb));
}

PluginLookAndFeel::~PluginLookAndFeel() = default;

void PluginLookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar& scrollbar, int x, int y, int width,
                                       int height, bool isScrollbarVertical, int thumbStartPosition,
                                       int thumbSize, bool isMouseOver, bool)
{
    juce::Rectangle<int> thumbBounds;

    if (isScrollbarVertical)
        thumbBounds = {x, thumbStartPosition, width, thumbSize};
    else
        thumbBounds = {thumbStartPosition, y, thumbSize, height};

    auto c = scrollbar.findColour (juce::ScrollBar::ColourIds::thumbColourId);
    g.setColour (isMouseOver ? c.brighter (0.25f) : c);
    g.fillRoundedRectangle (thumbBounds.reduced (1).toFloat(), 0.0f);
}

void PluginLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                              const juce::Colour& backgroundColour,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto cornerSize = 3.5f;
    auto bounds = button.getLocalBounds().toFloat().reduced (0.5f, 0.5f);

    auto baseColour = backgroundColour.withMultipliedSaturation (button.hasKeyboardFocus (true) ? 1.3f : 0.9f)
                          .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f);

    if (shouldDrawButtonAsDown || shouldDrawButtonAsHighlighted)
        baseColour = baseColour.contrasting (shouldDrawButtonAsDown ? 0.2f : 0.05f);

    g.setColour (baseColour);

    auto flatOnLeft = button.isConnectedOnLeft();
    auto flatOnRight = button.isConnectedOnRight();
    auto flatOnTop = button.isConnectedOnTop();
    auto flatOnBottom = button.isConnectedOnBottom();

    if (flatOnLeft || flatOnRight || flatOnTop || flatOnBottom)
    {
        juce::Path path;
        path.addRoundedRectangle (bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(),
                                  cornerSize, cornerSize, !(flatOnLeft || flatOnTop),
                                  !(flatOnRight || flatOnTop), !(flatOnLeft || flatOnBottom),
                                  !(flatOnRight || flatOnBottom));

        g.fillPath (path);

        g.setColour (button.findColour (juce::ComboBox::outlineColourId));
        g.strokePath (path, juce::PathStrokeType (0.98f));
    }
    else
    {
        g.fillRoundedRectangle (bounds, cornerSize);

        g.setColour (button.findColour (juce::ComboBox::outlineColourId));
        g.drawRoundedRectangle (bounds, cornerSize, 1.4f);
    }
}

void PluginLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    // A small button joined to its neighbours is a segment of a strip: larger, black, unindented text.
    const bool smallSegment =
        button.getHeight() <= 19 && (button.isConnectedOnLeft() || button.isConnectedOnRight());
    const double factor = smallSegment ? 1.45 : 1.0;

    juce::Font font (getTextButtonFont (button, (int)(button.getHeight() * factor)));
    g.setFont (font);

    auto colour = button
                      .findColour (button.getToggleState() ? juce::TextButton::textColourOnId
                                                           : juce::TextButton::textColourOffId)
                      .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f);
    int yIndent = juce::jmin (4, button.proportionOfHeight (0.3f));

    if (smallSegment)
    {
        yIndent = 0;
        colour = button.getToggleState() ? juce::Colour (0xff000000) : juce::Colour (0xe6000000);
    }

    g.setColour (colour);

    const int cornerSize = juce::jmin (button.getHeight(), button.getWidth()) / 2;
    const int fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    const int leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const int rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    const int textWidth = button.getWidth() - leftIndent - rightIndent;

    if (textWidth > 0)
        g.drawFittedText (button.getButtonText(), leftIndent, yIndent, textWidth,
                          button.getHeight() - yIndent * 2, juce::Justification::centred, 2);
}

void PluginLookAndFeel::layoutFileBrowserComponent (
    juce::FileBrowserComponent& browserComp, juce::DirectoryContentsDisplayComponent* fileListComponent,
    juce::FilePreviewComponent* previewComp, juce::ComboBox* currentPathBox, juce::TextEditor* filenameBox,
    juce::Button* goUpButton)
{
    auto sectionHeight = 22;
    auto buttonWidth = 50;

    auto b = browserComp.getLocalBounds().reduced (20, 5);

    auto topSlice = b.removeFromTop (sectionHeight);
    auto bottomSlice = b.removeFromBottom (sectionHeight);

    currentPathBox->setBounds (topSlice.removeFromLeft (topSlice.getWidth() - buttonWidth));

    topSlice.removeFromLeft (6);
    goUpButton->setBounds (topSlice);

    bottomSlice.removeFromLeft (31);
    filenameBox->setBounds (bottomSlice);

    if (previewComp != nullptr)
        previewComp->setBounds (b.removeFromRight (b.getWidth() / 3));

    if (auto* listAsComp = dynamic_cast<juce::Component*> (fileListComponent))
        listAsComp->setBounds (b.reduced (0, 10));
}

void PluginLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                      juce::ComboBox& box)
{
    const bool enabled = box.isEnabled();

    g.setColour (juce::Colour (enabled ? comboBoxFill : comboBoxFillDisabled));
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, (float)width, (float)height));

    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (juce::Rectangle<float> (0.5f, 0.5f, (float)juce::jmax (0, width - 1),
                                                    (float)juce::jmax (0, height - 1)),
                            0.0f, 1.0f);

    // The arrow square: amber only while the box can be used, so a disabled box reads as such at a glance.
    const int ax = width - 10;
    const int ay = (height - 5) / 2;

    if (enabled)
    {
        g.setColour (juce::Colour (arrowSquareFill));
        g.fillRect (ax, ay, 5, 5);
    }

    g.setColour (box.findColour (juce::ComboBox::arrowColourId));
    g.drawRect (juce::Rectangle<float> ((float)ax, (float)ay, 5.0f, 5.0f), 1.0f);
}

void PluginLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const auto background = label.findColour (juce::Label::backgroundColourId);

    if (!background.isTransparent())
    {
        g.setColour (background);
        g.fillRect (label.getLocalBounds());
    }

    if (!label.isBeingEdited())
    {
        auto alpha = label.isEnabled() ? 1.0f : 0.5f;
        const juce::Font font (getLabelFont (label));

        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);

        auto textArea = getLabelBorderSize (label).subtractedFrom (label.getLocalBounds());

        g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                          juce::jmax (1, (int)((float)textArea.getHeight() / font.getHeight())),
                          label.getMinimumHorizontalScale());

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }

    g.drawRect (label.getLocalBounds());
}

void PluginLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPos, float minSliderPos, float maxSliderPos,
                                          juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (slider.isBar())
        drawBarSlider (g, x, y, width, height, sliderPos, minSliderPos, slider);
    else
        juce::LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos,
                                                style, slider);
}

void PluginLookAndFeel::drawBarSlider (juce::Graphics& g, int x, int y, int width, int height,
                                       float sliderPos, float minSliderPos, juce::Slider& slider)
{
    const auto fx = (float)x, fy = (float)y, fw = (float)width, fh = (float)height;
    const bool horizontal = slider.isHorizontal();

    g.setColour (slider.findColour (juce::Slider::textBoxBackgroundColourId));
    g.fillRect (juce::Rectangle<float> (0.5f, 0.5f, fw + 1.0f, fh + 1.0f));

    const auto track = slider.findColour (juce::Slider::trackColourId);
    g.setColour (track);

    // A vertical bar over a range symmetric about zero grows from the centre towards its value.
    const bool symmetric = slider.getMinimum() < 0.0 && slider.getMinimum() == -slider.getMaximum();

    if (horizontal)
        g.fillRect (juce::Rectangle<float> (fx, fy + 0.5f, sliderPos - fx, fh - 1.0f));
    else if (!symmetric)
        g.fillRect (juce::Rectangle<float> (fx + 0.5f, sliderPos, fw - 1.0f, fy + fh - sliderPos));
    else
    {
        const auto centre = (float)(y + height * 0.5);

        if (slider.getValue() < 0.0)
            g.fillRect (juce::Rectangle<float> (fx + 0.5f, centre, fw - 1.0f, sliderPos - centre));
        else
            g.fillRect (juce::Rectangle<float> (fx + 0.5f, sliderPos, fw - 1.0f, centre - sliderPos));
    }

    g.setColour (track.withMultipliedBrightness (1.25f));
    const float d = minSliderPos < sliderPos + 2.0f ? 2.0f : 0.0f;

    if (horizontal)
        g.fillRect (juce::Rectangle<float> (juce::jmax (sliderPos - d, fx), fy + 0.5f, 2.0f, fh - 1.0f));
    else
        g.fillRect (juce::Rectangle<float> (fx + 0.5f, sliderPos - d, fw - 1.0f, 2.0f));

    g.setColour (slider.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (
        juce::Rectangle<float> (0.75f, 0.75f, juce::jmax (0.0f, fw + 0.5f), juce::jmax (0.0f, fh + 0.5f)),
        0.0f, 0.5f);
}

juce::Rectangle<int> PluginLookAndFeel::getTooltipBounds (const juce::String& tipText,
                                                          juce::Point<int> screenPos,
                                                          juce::Rectangle<int> parentArea)
{
    const auto tl = layoutTooltipText (tipText, juce::Colours::black);

    const auto w = juce::jmin ((int)(tl.getWidth() + 14.0f), parentArea.getWidth());
    const auto h = juce::jmin ((int)(tl.getHeight() + 6.0f) + 5, parentArea.getHeight());

    auto x = screenPos.x > parentArea.getCentreX() ? screenPos.x - 12 - w : screenPos.x + 24;
    auto y = screenPos.y > parentArea.getCentreY() ? screenPos.y - 6 - h : screenPos.y + 6;

    // Shrunk to the parent first, so a tip larger than the screen still lands on it.
    x = juce::jmax (parentArea.getX(), juce::jmin (x, parentArea.getRight() - w));
    y = juce::jmax (parentArea.getY(), juce::jmin (y, parentArea.getBottom() - h));

    return {x, y, w, h};
}

void PluginLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    const auto fw = (float)width, fh = (float)height;

    g.setColour (findColour (juce::TooltipWindow::backgroundColourId));
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, fw, fh));

    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    g.drawRoundedRectangle (
        juce::Rectangle<float> (0.5f, 0.5f, juce::jmax (0.0f, fw - 1.0f), juce::jmax (0.0f, fh - 1.0f)), 0.0f,
        1.0f);

    layoutTooltipText (text, findColour (juce::TooltipWindow::textColourId))
        .draw (g, {5.0f, 5.0f, fw - 10.0f, fh - 5.0f});
}

juce::Rectangle<int>
PluginLookAndFeel::getPropertyComponentContentPosition (juce::PropertyComponent& component)
{
    auto textW = juce::jmin (22, component.getWidth() / 2);
    return {textW, 0, component.getWidth() - textW, component.getHeight() - 1};
}

juce::TextLayout PluginLookAndFeel::layoutTooltipText (const juce::String& text, juce::Colour colour) const
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::left);
    s.append (text, juce::Font (13.0f, juce::Font::bold), colour);

    juce::TextLayout tl;
    tl.createLayoutWithBalancedLineLengths (s, 390.0f);
    return tl;
}
