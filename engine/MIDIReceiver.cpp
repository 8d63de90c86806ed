#include "engine/MIDIReceiver.h"

void MIDIReceiver::processNewMessage (juce::MidiMessage* message, int)
{
    if (message == nullptr || message->getRawDataSize() < 3)
        return;

    const auto* bytes = message->getRawData();
    const int status = bytes[0];
    const int key = bytes[1];
    const int velocity = bytes[2];

    // A data byte of 128 or more is no key: it would index past the tables.
    if (key >= 128)
        return;

    const int kind = status >> 4;
    const bool isNoteOn = kind == 0x9 && velocity != 0;
    const bool isNoteOff = kind == 0x8 || (kind == 0x9 && velocity == 0);

    if (!isNoteOn && !isNoteOff)
        return;

    const int channel = (status & 15) + 1;
    int& state = noteState[key];

    if (isNoteOn)
    {
        if (state == -1)
            state = velocity;
        else if (state == 0)
            state = velocity + 2000;
        else
            return;
    }
    else
    {
        if (state == 0)
            state = 2000;
        else if (state > 0)
            // Held, or pressed and let go again before the engine saw the press: either way only a
            // release is left to handle. Keeping the unhandled press behind a release would leave
            // the key held after the player has let go.
            state = 0;
        else
            return;
    }

    noteChannel[key] = channel;
}

void MIDIReceiver::reset()
{
    for (int k = 0; k < 128; ++k)
    {
        noteState[k] = -1;
        noteChannel[k] = 0;
    }
}
