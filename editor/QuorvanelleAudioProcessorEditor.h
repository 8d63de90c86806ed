#pragma once

#include "editor/FullScreenComponent.h"
#include "editor/PluginLookAndFeel.h"
#include "plugin/QuorvanelleAudioProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

// The 800 by 300 editor window. While it exists its look-and-feel is the process-wide default.
class QuorvanelleAudioProcessorEditor final : public juce::AudioProcessorEditor
{
public:
    explicit QuorvanelleAudioProcessorEditor (QuorvanelleAudioProcessor& processorToEdit);
    ~QuorvanelleAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    // The base's own `processor` refers to the same object, as the plain AudioProcessor.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wshadow-field")
    QuorvanelleAudioProcessor& processor;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    // Declared before everything that uses it, so that it is destroyed last.
    PluginLookAndFeel pluginLookAndFeel;
    FullScreenComponent fullScreenComponent;
    juce::TooltipWindow tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvanelleAudioProcessorEditor)
};
