#include "engine/MIDIReceiver.h"

void MIDIReceiver::processNewMessage (juce::MidiMessage*, int) {}

void MIDIReceiver::reset()
{
    for (int k = 0; k < 128; ++k)
    {
        noteState[k] = -1;
        noteChannel[k] = 0;
    }
}
