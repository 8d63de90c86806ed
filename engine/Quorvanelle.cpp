#include "engine/Quorvanelle.h"

#include "scales/ScaleCatalogue.h"

//==============================================================================
// Lifecycle

Quorvanelle::Quorvanelle()
{
    midiReceiver.reset();
    melodyMap.assign (200, -1);
    PopulateScaleList (&scaleNames, &scaleIntervals);
    keyboardControl = new KeyboardControl();
    for (int k = 0; k < 128; ++k)
    {
        channelBySource[k] = 0;
        sourceByOutput[k] = -1;
    }
}

Quorvanelle::~Quorvanelle()
{
    delete keyboardControl;
    keyboardControl = nullptr;
}

void Quorvanelle::timerCallback()
{
}

void Quorvanelle::actionListenerCallback (const juce::String&)
{
}

//==============================================================================
// Current notes and the display model

void Quorvanelle::RecalcTheCurNotesIfNeeded()
{
}

void Quorvanelle::CalculateKeyboardControlNotes (bool)
{
}

//==============================================================================
// Block processing

juce::MidiBuffer Quorvanelle::processBlock (int, juce::MidiBuffer& midi, juce::AudioBuffer<float>&)
{
    midi.clear();
    return {};
}

//==============================================================================
// Note output and release

void Quorvanelle::PlayNote (int, int, int, int, int)
{
}

void Quorvanelle::NoteOffAction (int, int, int, bool)
{
}

//==============================================================================
// Switch settings

void Quorvanelle::SetOnOff (int)
{
}

void Quorvanelle::SetExpand (int)
{
}
