#pragma once

#include <string>

#include "BlockText.h"
#include "HostParameters.h"
#include "plugin/QuorvanelleAudioProcessor.h"

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include <initializer_list>
#include <vector>

namespace processortest
{
using namespace blocktext;
using namespace hostparameters;

// The engine's settings as a fresh engine holds them, in the saved state's attribute order.
inline const std::vector<int> defaultSettings{0, 0, 0, 0, 0, 0, 1};

// Collects the messages of a broadcaster as the message thread delivers them.
struct MessageLog final : public juce::ActionListener
{
    void actionListenerCallback (const juce::String& message) override { messages.add (message); }

    juce::StringArray messages;
};

// A processor as a host holds it: prepared, with the messages of its engine logged.
class ProcessorTest : public ::testing::Test
{
protected:
    ProcessorTest()
    {
        processor.prepareToPlay (44100.0, 512);
        processor.engine.addActionListener (&engineMessages);
        processor.engine.keyboardControl->addActionListener (&displayMessages);
    }

    ~ProcessorTest() override
    {
        processor.engine.keyboardControl->removeActionListener (&displayMessages);
        processor.engine.removeActionListener (&engineMessages);
    }

    juce::MidiBuffer render (std::initializer_list<Event> events, int numSamples = 512, bool bypassed = false)
    {
        auto midi = makeBuffer (events);
        juce::AudioBuffer<float> audio (0, numSamples);

        if (bypassed)
            processor.processBlockBypassed (audio, midi);
        else
            processor.processBlock (audio, midi);

        return midi;
    }

    juce::RangedAudioParameter& parameter (int index)
    {
        return *dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[index]);
    }

    // Sets a parameter as the host does, by its plain value (a choice's index).
    void hostSets (int index, int value)
    {
        auto& p = parameter (index);
        p.setValueNotifyingHost (p.convertTo0to1 ((float)value));
    }

    int valueOf (int index)
    {
        auto& p = parameter (index);
        return juce::roundToInt (p.convertFrom0to1 (p.getValue()));
    }

    // The engine's settings in the saved state's attribute order.
    std::vector<int> engineSettings()
    {
        const juce::ScopedLock sl (processor.engine.getLock());
        const auto& e = processor.engine;
        return {e.mOnOff,    e.mTargetOctaveMod, e.mBigChords, e.mExpand,
                e.mRootnote, e.mScaleIndex,      e.mSourceMode};
    }

    // The parameters' values in the same order, the mode counted as the engine counts it.
    std::vector<int> parameterSettings()
    {
        return {valueOf (onOffIndex),         valueOf (targetOctaveModIndex), valueOf (bigChordsIndex),
                valueOf (expandIndex),        valueOf (rootnoteIndex),        valueOf (scaleIndexIndex),
                valueOf (sourceModeIndex) + 1};
    }

    juce::MemoryBlock savedState()
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    void restore (const juce::MemoryBlock& block)
    {
        processor.setStateInformation (block.getData(), (int)block.getSize());
    }

    // Messages sent so far, after delivery; the log starts afresh.
    juce::StringArray takeMessages()
    {
        pumpMessages();
        auto all = engineMessages.messages;
        all.addArray (displayMessages.messages);
        engineMessages.messages.clear();
        displayMessages.messages.clear();
        return all;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    QuorvanelleAudioProcessor processor;
    MessageLog engineMessages, displayMessages;
};

// A state block as the framework lays it out: magic, the given length (by default the text's), the text
// and the closing zero.
inline juce::MemoryBlock stateBlock (const std::string& text, juce::int64 length = -1)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int)(length < 0 ? (juce::int64)text.size() : length));
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

} // namespace processortest
