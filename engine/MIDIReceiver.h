#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// Remembers, for every input key, whether it is held, whether a press or release still waits for
// the engine, and the channel of the message that last changed it. Keys are merged across channels.
//
// noteState: -1 idle, 1..127 pressed (velocity, not handled yet), 1000 + v held, 0 released (not
// handled yet), 2000 + x a release to handle first, after which the entry is x.
//
// Render thread only (and callers holding the engine's lock).
struct MIDIReceiver
{
    int noteState[128];
    int noteChannel[128];

    // Records one incoming note-on or note-off; every other message, and any message too short to
    // name a key or naming a key of 128 or more, changes nothing. The integer is not read.
    void processNewMessage (juce::MidiMessage* message, int samplePosition);

    // Every key idle, every channel 0.
    void reset();
};
