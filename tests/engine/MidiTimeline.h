#pragma once

#include "engine/Quorvanelle.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

// A timeline of MIDI at absolute sample times, cut into blocks and run through an engine; the output
// comes back as text, one event a line ("100: note-on 60 vel 100 ch 1"), so that a failing test shows
// the whole story.
namespace miditimeline
{
inline std::string describe (const juce::uint8* data, int numBytes, juce::int64 time)
{
    std::string text = std::to_string (time) + ": ";
    const int type = numBytes > 0 ? (data[0] & 0xf0) : 0;
    const std::string channel = " ch " + std::to_string ((numBytes > 0 ? (data[0] & 0x0f) : 0) + 1);

    if (numBytes == 3 && type == 0x90)
        return text + "note-on " + std::to_string (data[1]) + " vel " + std::to_string (data[2]) + channel;

    if (numBytes == 3 && type == 0x80)
        return text + "note-off " + std::to_string (data[1]) +
               (data[2] != 0 ? " vel " + std::to_string (data[2]) : "") + channel;

    if (numBytes == 3 && type == 0xb0)
        return text + "cc " + std::to_string (data[1]) + " val " + std::to_string (data[2]) + channel;

    text += "bytes";
    for (int i = 0; i < numBytes; ++i)
        text += " " + std::to_string (data[i]);
    return text;
}

// Every event of the buffer, its position moved by `offset`, one a line.
inline std::string describe (const juce::MidiBuffer& buffer, juce::int64 offset = 0)
{
    std::string text;
    for (const auto event : buffer)
        text += describe (event.data, event.numBytes, offset + event.samplePosition) + "\n";
    return text;
}

class MidiTimeline
{
public:
    MidiTimeline& noteOn (juce::int64 time, int key, int velocity = 100, int channel = 1)
    {
        return add (time, {(juce::uint8) (0x90 + channel - 1), (juce::uint8)key, (juce::uint8)velocity});
    }

    MidiTimeline& noteOff (juce::int64 time, int key, int channel = 1)
    {
        return add (time, {(juce::uint8) (0x80 + channel - 1), (juce::uint8)key, 0});
    }

    MidiTimeline& controller (juce::int64 time, int number, int value, int channel = 1)
    {
        return add (time, {(juce::uint8) (0xb0 + channel - 1), (juce::uint8)number, (juce::uint8)value});
    }

    // A key pressed at `time` and let go `length` samples later.
    MidiTimeline& tap (juce::int64 time, int key, int channel = 1, int length = 5)
    {
        return noteOn (time, key, 100, channel).noteOff (time + length, key, channel);
    }

    // Several keys pressed, or let go, at one time.
    MidiTimeline& press (juce::int64 time, std::initializer_list<int> keys, int channel = 1)
    {
        for (const int key : keys)
            noteOn (time, key, 100, channel);
        return *this;
    }

    MidiTimeline& release (juce::int64 time, std::initializer_list<int> keys, int channel = 1)
    {
        for (const int key : keys)
            noteOff (time, key, channel);
        return *this;
    }

    // Keeps the order of adding among events at one time, as a juce::MidiBuffer does.
    MidiTimeline& add (juce::int64 time, std::vector<juce::uint8> bytes)
    {
        const auto after = std::upper_bound (events.begin(), events.end(), time,
                                             [] (juce::int64 t, const Event& e) { return t < e.time; });
        events.insert (after, {time, std::move (bytes)});
        return *this;
    }

    // The events in [start, start + numSamples), at positions relative to start.
    juce::MidiBuffer slice (juce::int64 start, int numSamples) const
    {
        juce::MidiBuffer buffer;
        for (const auto& e : events)
            if (e.time >= start && e.time < start + numSamples)
                buffer.addEvent (e.bytes.data(), (int)e.bytes.size(), (int)(e.time - start));
        return buffer;
    }

private:
    struct Event
    {
        juce::int64 time;
        std::vector<juce::uint8> bytes;
    };

    std::vector<Event> events;
};

// Feeds an engine block by block, as the processor does: the transport first, then the block.
class EngineRunner
{
public:
    explicit EngineRunner (Quorvanelle& e) : engine (e) {}

    bool playing = false;
    double bpm = 120.0;
    // Absolute sample time of the next block's start.
    juce::int64 now = 0;

    // One block; `input` positions are relative to the block. Returns the output as text at absolute
    // times and keeps the buffer in `lastOutput`.
    std::string block (int numSamples, juce::MidiBuffer& input)
    {
        {
            const juce::ScopedLock sl (engine.getLock());
            engine.hostPosition.isPlaying = playing;
            engine.hostPosition.bpm = bpm;
        }
        lastOutput = engine.processBlock (numSamples, input, audio);
        const auto text = describe (lastOutput, now);
        now += std::max (0, numSamples);
        return text;
    }

    std::string block (int numSamples)
    {
        juce::MidiBuffer none;
        return block (numSamples, none);
    }

    // Runs the timeline from `now` up to `until`, in blocks whose sizes cycle through `blockSizes`.
    std::string run (const MidiTimeline& timeline, juce::int64 until, std::vector<int> blockSizes = {64})
    {
        std::string text;
        for (size_t b = 0; now < until; ++b)
        {
            const int size = (int)std::min<juce::int64> (blockSizes[b % blockSizes.size()], until - now);
            auto input = timeline.slice (now, size);
            text += block (size, input);
        }
        return text;
    }

    juce::MidiBuffer lastOutput;

private:
    Quorvanelle& engine;
    juce::AudioBuffer<float> audio;
};
} // namespace miditimeline
