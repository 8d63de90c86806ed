#include "engine/Quorvanelle.h"

#include "scales/ScaleCatalogue.h"

#include <algorithm>
#include <cstdlib>

//==============================================================================
// Lifecycle

Quorvanelle::Quorvanelle()
{
    midiReceiver.reset();
    melodyMap.assign (200, -1);

    sourceModeNames.addArray ({"Chords", "Chords + scale", "Scale", "Scale + chords", "Chords + scale (safe)",
                               "Scale + chords (safe)", "Scale from chord bass"});
    noteNames.addArray ({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"});
    PopulateScaleList (&scaleNames, &scaleIntervals);

    keyboardControl = new KeyboardControl();
    keyboardControl->keyboardSplit = keyboardSplit;

    for (int k = 0; k < 128; ++k)
    {
        outputsBySource[k].clear();
        outputsBySource[k].reserve (4);
        channelBySource[k] = 0;
        sourceByOutput[k] = -1;
    }

    // Room for every key, so that the render thread never grows these lists.
    storedChord.reserve (128);
    heldChordKeys.reserve (128);
    deferredNoteOffs.reserve (128);
    deferredNoteOffChannels.reserve (128);
    chordNotes.reserve (128);
    curNotes.reserve (128);
    scaleNotes.reserve (12);
    pitchClasses.reserve (12);
}

Quorvanelle::~Quorvanelle()
{
    // Before any member goes: a callback must not run into a half-destroyed engine.
    stopTimer();

    delete keyboardControl;
    keyboardControl = nullptr;
}

void Quorvanelle::timerCallback()
{
    // Under the lock, so that a transport stop in a running block cannot slip in between: its new
    // pause would be cleared at once, or its timer stopped and the input left paused for good.
    const juce::ScopedLock sl (lock);
    stopTimer();
    inputSuspended.store (false);
}

void Quorvanelle::actionListenerCallback (const juce::String&) {}

//==============================================================================
// Current notes and the display model

namespace
{
// Truncating, like the pitch class of a negative note, which then matches no class but 0.
int pitchClassOf (juce::int64 note)
{
    return (int)(note % 12);
}

bool isNote (juce::int64 note)
{
    return note >= 0 && note <= 127;
}

void appendIfNote (std::vector<int>& notes, juce::int64 note)
{
    if (isNote (note))
        notes.push_back ((int)note);
}

bool contains (const std::vector<int>& list, int value)
{
    return std::find (list.begin(), list.end(), value) != list.end();
}

// A semitone (or a major seventh) away from a class already chosen clashes with it.
bool clashesWithAny (const std::vector<int>& pitchClasses, int p)
{
    return std::any_of (pitchClasses.begin(), pitchClasses.end(),
                        [p] (int q)
                        {
                            const int distance = std::abs (p - q);
                            return distance == 1 || distance == 11;
                        });
}

// Lays every class out once within base .. base + 11. A base whose class is not in the list (only a
// negative base) gives nothing.
void placePitchClasses (std::vector<int>& pitchClasses, juce::int64 base, std::vector<int>& notes)
{
    std::sort (pitchClasses.begin(), pitchClasses.end());
    const int baseClass = pitchClassOf (base);

    if (!contains (pitchClasses, baseClass))
        return;

    for (const int p : pitchClasses)
        appendIfNote (notes, base + (p - baseClass) + (p < baseClass ? 12 : 0));
}

// Out-of-range modes from a restored state: below 0 as "Chords", 0 and 8 up as "Scale + chords".
int effectiveMode (int mode)
{
    if (mode < 0)
        return 1;
    if (mode == 0 || mode >= 8)
        return 4;
    return mode;
}
} // namespace

void Quorvanelle::RecalcTheCurNotesIfNeeded()
{
    if (!needRecalc)
        return;

    melodyMap.assign (200, -1);
    needRecalc = false;
    chordNotes.clear();
    curNotes.clear();

    // 64 bits: a restored octave or root of any size only moves notes out of range, never overflows.
    const juce::int64 shift = 12 * (juce::int64)mTargetOctaveMod;

    const int split = juce::jlimit (0, 128, keyboardSplit);
    for (int n = 0; n < split; ++n)
        if (midiReceiver.noteState[n] > 0)
            appendIfNote (chordNotes, n + shift);

    if (chordNotes.empty())
        for (const int key : storedChord)
            appendIfNote (chordNotes, key + shift);

    scaleNotes.clear();
    if (!scaleIntervals.empty())
    {
        // A restored index past the catalogue selects its last entry.
        const auto index = (size_t)juce::jlimit (0, (int)scaleIntervals.size() - 1, mScaleIndex);
        const juce::int64 root = std::max (0, mRootnote);

        for (const int offset : scaleIntervals[index])
        {
            const juce::int64 note = root + offset;
            if (scaleNotes.empty() || pitchClassOf (note) != pitchClassOf (scaleNotes.front()))
                scaleNotes.push_back (note);
        }
    }

    const int mode = effectiveMode (mSourceMode);
    const bool haveChord = !chordNotes.empty();
    const bool haveScale = !scaleNotes.empty();
    const juce::int64 scaleBase = haveScale ? scaleNotes.front() + 48 + shift : -1;

    if (mode == 1)
    {
        curNotes.assign (chordNotes.begin(), chordNotes.end());
    }
    else if (mode == 3)
    {
        for (const auto note : scaleNotes)
            appendIfNote (curNotes, note + 48 + shift);
    }
    else
    {
        const bool chordBased = mode == 2 || mode == 5;
        const bool safe = mode == 5 || mode == 6;

        pitchClasses.clear();

        if (mode == 7)
        {
            if (haveChord)
                pitchClasses.push_back (pitchClassOf (chordNotes.front()));
        }
        else
        {
            for (const int note : chordNotes)
                if (!contains (pitchClasses, pitchClassOf (note)))
                    pitchClasses.push_back (pitchClassOf (note));
        }

        for (size_t i = 0; i < scaleNotes.size(); ++i)
        {
            const int p = pitchClassOf (scaleNotes[i]);
            if (contains (pitchClasses, p) || (safe && i > 0 && clashesWithAny (pitchClasses, p)))
                continue;
            pitchClasses.push_back (p);
        }

        if (chordBased || (mode == 7 && haveChord))
        {
            if (haveChord)
                placePitchClasses (pitchClasses, chordNotes.front(), curNotes);
        }
        else if (haveScale)
        {
            placePitchClasses (pitchClasses, scaleBase, curNotes);
        }
    }

    std::sort (curNotes.begin(), curNotes.end());
    curNotes.erase (std::unique (curNotes.begin(), curNotes.end()), curNotes.end());

    const int k = (int)curNotes.size();
    if (k == 0)
        return;

    for (int t = -100; t < 100; ++t)
    {
        // Floor division: below entry 100 the runs go down an octave each.
        const int octave = t >= 0 ? t / k : -((-t + k - 1) / k);
        const int note = curNotes[(size_t)(t - octave * k)] + 12 * octave;
        melodyMap[(size_t)(100 + t)] = isNote (note) ? note : -1;
    }
}

void Quorvanelle::CalculateKeyboardControlNotes (bool recalc)
{
    if (recalc)
    {
        needRecalc = true;
        RecalcTheCurNotesIfNeeded();
    }

    auto& display = *keyboardControl;
    std::fill (std::begin (display.outputNoteFlags), std::end (display.outputNoteFlags), 0);

    bool chordKeyHeld = false;
    for (int k = 0; k < 128; ++k)
    {
        const bool held = midiReceiver.noteState[k] > 0;
        display.keyDisplayState[k] = held ? 10 : 0;
        chordKeyHeld = chordKeyHeld || (held && k < keyboardSplit);

        for (const int note : outputsBySource[k])
            if (isNote (note))
                display.outputNoteFlags[note] = 1;
    }

    // The latched chord shows only while the left hand holds nothing.
    if (!chordKeyHeld)
        for (const int key : storedChord)
            if (isNote (key))
                display.keyDisplayState[key] = 10;

    for (const int note : curNotes)
        if (isNote (note))
            display.keyDisplayState[note] += 1;

    display.publish();
    display.sendActionMessage (KeyboardControl::displayChangedMessage);
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

void Quorvanelle::PlayNote (int, int, int, int, int) {}

void Quorvanelle::NoteOffAction (int, int, int, bool) {}

//==============================================================================
// Switch settings

void Quorvanelle::SetOnOff (int) {}

void Quorvanelle::SetExpand (int) {}
