#pragma once

#include "engine/Quorvanelle.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <memory>

// What the host sees: a MIDI effect without audio buses that hands every block to the engine and
// keeps the seven host parameters and the engine's settings in step both ways.
//
// Threads: every read or write of the engine holds engine.getLock(), and nothing calls into the host
// or sets a parameter while holding it (the host may hold its own locks when it calls us).
class QuorvanelleAudioProcessor final : public juce::AudioProcessor,
                                        public juce::AudioProcessorParameter::Listener,
                                        public juce::ActionListener
{
public:
    QuorvanelleAudioProcessor();
    ~QuorvanelleAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void parameterValueChanged (int parameterIndex, float newValue) override;
    void parameterGestureChanged (int parameterIndex, bool gestureIsStarting) override;

    void actionListenerCallback (const juce::String& message) override;

private:
    // Holds the message thread off while the processor and its engine go (see the destructor).
    // Declared before the engine, so it lets go only after the engine's destruction.
    struct MessageThreadPause
    {
        std::unique_ptr<juce::MessageManagerLock> lock;
    } messageThreadPause;

public:
    Quorvanelle engine;

private:
    // Hands one block to the engine with the host's transport; returns the engine's output.
    juce::MidiBuffer runEngine (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages);

    // Sets every parameter that differs from its engine setting, notifying the host. Takes the
    // engine lock only to read the settings.
    void copyEngineIntoParameters();

    // Caller holds the engine lock. Writes the setting when it differs and announces the change.
    void writeSetting (int Quorvanelle::*setting, int value);

    // The parameters belong to the AudioProcessor base.
    juce::AudioParameterChoice* onOffParameter = nullptr;
    juce::AudioParameterInt* targetOctaveModParameter = nullptr;
    juce::AudioParameterChoice* bigChordsParameter = nullptr;
    juce::AudioParameterChoice* expandParameter = nullptr;
    juce::AudioParameterChoice* rootnoteParameter = nullptr;
    juce::AudioParameterChoice* scaleIndexParameter = nullptr;
    juce::AudioParameterChoice* sourceModeParameter = nullptr;

    // Each parameter with its engine setting; engine value = parameter value + offset. The target
    // octave comes first: every notification re-applies it.
    struct Binding
    {
        juce::RangedAudioParameter* parameter;
        int Quorvanelle::*setting;
        int offset;
    };
    std::array<Binding, 7> bindings{};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvanelleAudioProcessor)
};
