#include "tests/hosted/ScriptPlayer.h"

ScriptPlayer::ScriptPlayer (juce::AudioProcessor& processorToDrive) : processor (processorToDrive)
{
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
            processor.setRateAndBufferSizeDetails (step.value, step.number);
            processor.prepareToPlay (step.value, step.number);
            break;

        case MidiScript::Kind::transport:
            position.setIsPlaying (step.number != 0);
            position.setBpm (step.value);
            break;

        case MidiScript::Kind::parameter:
            if (auto* parameter = processor.getParameters()[step.number])
                parameter->setValueNotifyingHost (static_cast<float> (step.value));
            break;

        case MidiScript::Kind::bypass:
            bypassed = step.number != 0;
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
