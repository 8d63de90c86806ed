#include "editor/QuorvanelleAudioProcessorEditor.h"

QuorvanelleAudioProcessorEditor::QuorvanelleAudioProcessorEditor (QuorvanelleAudioProcessor& p)
    : juce::AudioProcessorEditor (p), processor (p), fullScreenComponent (&processor.engine),
      tooltipWindow (nullptr, 700)
{
    fullScreenComponent.setLookAndFeel (nullptr);
    fullScreenComponent.setLookAndFeel (&pluginLookAndFeel);
    addAndMakeVisible (fullScreenComponent);

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (&pluginLookAndFeel);

    tooltipWindow.setMillisecondsBeforeTipAppears (10);
    setSize (800, 300);
}

QuorvanelleAudioProcessorEditor::~QuorvanelleAudioProcessorEditor()
{
    // Whichever editor installed the current default, nothing may refer to ours once it is gone.
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

void QuorvanelleAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
}

void QuorvanelleAudioProcessorEditor::resized()
{
    fullScreenComponent.setBounds (0, 0, getWidth(), getHeight());
}
