#pragma once

#include "editor/KeyboardComponent.h"
#include "editor/RasterSliderLookAndFeel.h"
#include "engine/Quorvanelle.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's only content: the background, the switches, the boxes, the octave slider, the
// on-screen keyboard and the hot-spot that opens the manual. It writes the engine's settings when the
// user operates a control and shows the settings again whenever the engine announces a change,
// whoever made it.
class FullScreenComponent final : public juce::Component, public juce::ActionListener
{
public:
    // Not owned: the engine lives in the processor, which outlives every editor.
    explicit FullScreenComponent (Quorvanelle* engine);
    ~FullScreenComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void actionListenerCallback (const juce::String& message) override;

    // Shows the engine's settings in the controls without running any of their callbacks.
    void setDisplayFromModel();

    static constexpr const char* manualAddress = "https://quorvanelle.example.org/quorvanelle-manual/";

private:
    void onOnOffClicked();
    void onBigChordsClicked();
    void onExpandClicked();
    void onManualClicked();
    void onSourceModeChanged();
    void onRootnoteChanged();
    void onScaleChanged();
    void onTargetOctaveModChanged();

    // Reads one engine field under the engine's lock.
    int readSetting (int Quorvanelle::*setting) const;
    // Writes `value` into the engine field under the engine's lock when it differs, then announces
    // the change with `message`.
    void writeSetting (int Quorvanelle::*setting, int value, const char* message);

    Quorvanelle* engine;

public:
    // The children, message thread only. Public so that tests can operate them as the user does.
    KeyboardComponent keyboardComponent;
    juce::ImageButton onOffButton;
    juce::ImageButton bigChordsButton;
    juce::ImageButton expandButton;
    juce::ImageButton manualButton;
    juce::ComboBox sourceModeBox;
    juce::ComboBox rootnoteBox;
    juce::ComboBox scaleBox;
    // Declared before the slider, which refers to it, so that it outlives it.
    RasterSliderLookAndFeel rasterSliderLookAndFeel;
    juce::Slider targetOctaveSlider;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FullScreenComponent)
};
