#pragma once

#include "plugin/QuorvanelleAudioProcessor.h"

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include <initializer_list>
#include <ostream>
#include <utility>

namespace juce
{
// The Linux message loop's single step, as the plug-in client's own message thread uses it.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);

// Lets a failing expectation show the texts.
inline void PrintTo (const StringArray& texts, std::ostream* os)
{
    if (texts.isEmpty())
        *os << "{}";
    else
        *os << "{ \"" << texts.joinIntoString ("\", \"") << "\" }";
}
} // namespace juce

namespace processortest
{
// Collects the messages of a broadcaster as the message thread delivers them.
struct MessageLog final : public juce::ActionListener
{
    void actionListenerCallback (const juce::String& message) override { messages.add (message); }

    juce::StringArray messages;
};

// Delivers every message posted so far.
inline void pumpMessages()
{
    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }
}

// One event of a block: its sample position and its bytes.
struct Event
{
    int position;
    juce::MidiMessage message;
};

inline Event noteOn (int position, int key, int velocity = 100, int channel = 1)
{
    return {position, juce::MidiMessage::noteOn (channel, key, (juce::uint8)velocity)};
}

inline Event noteOff (int position, int key, int channel = 1)
{
    return {position, juce::MidiMessage::noteOff (channel, key, (juce::uint8)0)};
}

inline juce::MidiBuffer makeBuffer (std::initializer_list<Event> events)
{
    juce::MidiBuffer buffer;
    for (const auto& event : events)
        buffer.addEvent (event.message, event.position);
    return buffer;
}

// "100: note-on 48 vel 100 ch 1", one line per event, so that a failing test shows the whole block.
inline juce::StringArray describe (const juce::MidiBuffer& buffer)
{
    juce::StringArray lines;

    for (const auto event : buffer)
    {
        const auto message = event.getMessage();
        juce::String line;
        line << event.samplePosition << ": ";

        if (message.isNoteOn())
            line << "note-on " << message.getNoteNumber() << " vel " << message.getVelocity();
        else if (message.isNoteOff())
            line << "note-off " << message.getNoteNumber();
        else if (message.isController())
            line << "cc " << message.getControllerNumber() << " = " << message.getControllerValue();
        else
            line << message.getDescription();

        line << " ch " << message.getChannel();
        lines.add (line);
    }

    return lines;
}

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

// Host index order.
enum ParameterIndex
{
    targetOctaveModIndex,
    sourceModeIndex,
    onOffIndex,
    bigChordsIndex,
    expandIndex,
    rootnoteIndex,
    scaleIndexIndex
};
} // namespace processortest
