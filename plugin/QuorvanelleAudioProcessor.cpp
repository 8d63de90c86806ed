#include "plugin/QuorvanelleAudioProcessor.h"

#include "editor/QuorvanelleAudioProcessorEditor.h"

QuorvanelleAudioProcessor::QuorvanelleAudioProcessor() : juce::AudioProcessor (BusesProperties()) {}

QuorvanelleAudioProcessor::~QuorvanelleAudioProcessor() = default;

void QuorvanelleAudioProcessor::prepareToPlay (double sampleRate, int)
{
    const juce::ScopedLock sl (engine.getLock());
    engine.sampleRate = sampleRate;
    engine.samplePosition = 0;
}

void QuorvanelleAudioProcessor::processBlock (juce::AudioBuffer<float>& audio, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    auto out = engine.processBlock (audio.getNumSamples(), midi, audio);
    midi.swapWith (out);
}

juce::AudioProcessorEditor* QuorvanelleAudioProcessor::createEditor()
{
    return new QuorvanelleAudioProcessorEditor (*this);
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorvanelleAudioProcessor();
}
