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
    QuorvanelleAudioProcessor& processor;
    // Declared before everything that uses it, so that it is destroyed last.
    PluginLookAndFeel pluginLookAndFeel;
    FullScreenComponent fullScreenComponent;
    juce::TooltipWindow tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvanelleAudioProcessorEditor)
};
