#pragma once

#include "tests/hosted/MidiScript.h"

#include <juce_audio_processors/juce_audio_processors.h>

// Drives an audio processor through a script's stream the way a host does (prepare, transport,
// parameter changes through the parameter interface, bypass, blocks) and writes what comes out as
// text, one block a line group:
//
//   block 3 512
//     10 90 3c 64
//
// The same player drives the processor called directly and the instances that JUCE's hosting loads
// from the built plug-in binaries, so equal behaviour gives equal text.
class ScriptPlayer final : private juce::AudioPlayHead
{
public:
    // `parametersByHostIndex` lists the processor's parameters in our host index order (a loaded LV2
    // instance lists them in an order of its own); empty means the processor's own order.
    explicit ScriptPlayer (juce::AudioProcessor& processorToDrive,
                           std::vector<juce::AudioProcessorParameter*> parametersByHostIndex = {});
    ~ScriptPlayer() override;

    // Runs one step. An idle step does nothing here: whoever owns the message thread runs it, once for
    // all the players that go in step.
    void run (const MidiScript::Step& step);

    const juce::String& getOutput() const noexcept { return output; }

private:
    juce::Optional<juce::AudioPlayHead::PositionInfo> getPosition() const override;

    juce::AudioProcessor& processor;
    std::vector<juce::AudioProcessorParameter*> parameters;
    juce::AudioPlayHead::PositionInfo position;
    bool bypassed = false;
    int blockIndex = 0;
    juce::int64 samplesPlayed = 0;
    juce::String output;

    JUCE_DECLARE_NON_COPYABLE (ScriptPlayer)
};
