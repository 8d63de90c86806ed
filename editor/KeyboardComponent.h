#pragma once

#include "engine/KeyboardControl.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The on-screen keyboard: all 128 keys, coloured from the engine's display model. It takes no input
// and repaints whenever the model announces a change.
class KeyboardComponent final : public juce::Component, public juce::ActionListener
{
public:
    // The display model is owned by the engine, which outlives every editor.
    explicit KeyboardComponent (KeyboardControl* keyboardControl);
    ~KeyboardComponent() override;

    void paint (juce::Graphics& g) override;
    void actionListenerCallback (const juce::String& message) override;

private:
    KeyboardControl* keyboardControl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyboardComponent)
};
