#pragma once

#include "plugin/QuorvanelleAudioProcessor.h"
#include "tests/EngineTarget.h"

namespace timeline
{
// Host index order, as a host lists the parameters.
inline const char* const parameterWords[] = {"oct", "mode", "onoff", "big", "expand", "root", "scale"};

struct FixedPlayHead final : public juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override { return position; }
    PositionInfo position;
};

// The processor as a host holds it: prepared, its transport from a play head, its settings set through
// its parameters. "bypass=1" renders through the bypassed call.
struct ProcessorTarget final : public Target
{
    ProcessorTarget()
    {
        processor.prepareToPlay (44100.0, 512);
        playHead.position.setBpm (120.0);
        processor.setPlayHead (&playHead);
    }

    ~ProcessorTarget() override { processor.setPlayHead (nullptr); }

    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        juce::AudioBuffer<float> audio (0, numSamples);
        bypassed ? processor.processBlockBypassed (audio, midi) : processor.processBlock (audio, midi);
        return midi;
    }

    juce::RangedAudioParameter& parameter (int index)
    {
        return *static_cast<juce::RangedAudioParameter*> (processor.getParameters()[index]);
    }

    void command (const std::string& name, double value) override
    {
        for (int i = 0; i < 7; ++i)
            if (name == parameterWords[i])
            {
                auto& p = parameter (i);
                p.setValueNotifyingHost (p.convertTo0to1 ((float)value - (i == 1 ? 1.0f : 0.0f)));
                return;
            }
        // "engine-root=2": written into the engine and announced, as the editor does.
        writeSetting (processor.engine, name.rfind ("engine-", 0) == 0 ? name.substr (7) : name, value);
        playHead.position.setIsPlaying (name == "play" ? value != 0
                                                       : name != "stop" && playHead.position.getIsPlaying());
        playHead.position.setBpm (name == "bpm" ? value : *playHead.position.getBpm());
        bypassed = name == "bypass" ? value != 0 : bypassed;
        if (name == "rate")
            processor.prepareToPlay (value, 512);
    }

    // "params": the parameters' plain values in host index order, the mode as the host counts it.
    std::string probe (const std::string& what) override
    {
        std::vector<int> values;
        for (int i = 0; i < 7; ++i)
            values.push_back (juce::roundToInt (parameter (i).convertFrom0to1 (parameter (i).getValue())));
        return what == "params" ? listed (values) : probes.report (what);
    }

    QuorvanelleAudioProcessor processor;
    EngineProbe probes{processor.engine};
    FixedPlayHead playHead;
    bool bypassed = false;
};
} // namespace timeline
