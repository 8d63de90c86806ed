#pragma once

// Blocks of MIDI as text, so that a failing test shows the whole block; shared by the processor's
// tests and the hosted plug-in's.

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <initializer_list>
#include <ostream>

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

namespace blocktext
{
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
} // namespace blocktext
