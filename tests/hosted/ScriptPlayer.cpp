#include "tests/hosted/ScriptPlayer.h"

ScriptPlayer::ScriptPlayer (juce::AudioProcessor& processorToDrive,
                            std::vector<juce::AudioProcessorParameter*> parametersByHostIndex)
    : processor (processorToDrive), parameters (std::move (parametersByHostIndex))
{
    if (parameters.empty())
        for (auto* parameter : processor.getParameters())
            parameters.push_back (parameter);

    position.setIsPlaying (false);
    position.setBpm (120.0);
    processor.setPlayHead (this);
}

ScriptPlayer::~ScriptPlayer()
{
    processor.setPlayHead (nullptr);
}

juce::Optional<juce::AudioPlayHead::PositionInfo> ScriptPlayer::getPosition() const
{
    return position;
}

void ScriptPlayer::run (const MidiScript::Step& step)
{
    switch (step.kind)
    {
        case MidiScript::Kind::prepare:
            // A plug-in client sets the rate before it prepares the processor; JUCE's hosting of a
            // loaded plug-in does that itself, and would take a rate set before as nothing new.
            if (dynamic_cast<juce::AudioPluginInstance*> (&processor) == nullptr)
                processor.setRateAndBufferSizeDetails (step.value, step.number);
            processor.prepareToPlay (step.value, step.number);
            break;

        case MidiScript::Kind::transport:
            position.setIsPlaying (step.number != 0);
            position.setBpm (step.value);
            break;

        case MidiScript::Kind::parameter:
            if (step.number >= 0 && step.number < (int)parameters.size())
                parameters[(size_t)step.number]->setValueNotifyingHost (static_cast<float> (step.value));
            break;

        case MidiScript::Kind::bypass:
            // A plug-in client bypasses through its bypass parameter, when the format has one.
            bypassed = step.number != 0;
            if (auto* bypass = processor.getBypassParameter())
                bypass->setValueNotifyingHost (bypassed ? 1.0f : 0.0f);
            break;

        case MidiScript::Kind::idle:
            break;

        case MidiScript::Kind::block:
        {
            const int channels =
                std::max (processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels());
            juce::AudioBuffer<float> audio (channels, step.number);
            audio.clear();
            juce::MidiBuffer midi (step.events);
            position.setTimeInSamples (samplesPlayed);

            {
                const juce::ScopedLock sl (processor.getCallbackLock());
                if (bypassed)
                    processor.processBlockBypassed (audio, midi);
                else
                    processor.processBlock (audio, midi);
            }

            output << "block " << blockIndex << " " << step.number << (bypassed ? " bypassed" : "") << "\n";
            for (const auto event : midi)
            {
                output << "  " << event.samplePosition;
                for (int i = 0; i < event.numBytes; ++i)
                    output << " " << juce::String::toHexString (event.data[i]).paddedLeft ('0', 2);
                output << "\n";
            }
            ++blockIndex;
            samplesPlayed += step.number;
            break;
        }
    }
}
