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
// Truncating: a negative note gets a class of 0 or below, so it matches no class but C.
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

namespace
{
constexpr int chordThroughKey = 106;

// Degree of a white key within its octave by pitch class, -1 for a black key.
constexpr int whiteKeyDegree[12] = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};

bool isChordControlKey (int key) noexcept
{
    return key == 85 || key == 87 || key == 97 || key == 99;
}

int chordControlOffset (int key) noexcept
{
    switch (key)
    {
        case 85:
            return -24;
        case 87:
            return -12;
        case 99:
            return 12;
        default:
            return 0;
    }
}

// Beyond eleven octaves every note leaves 0..127 anyway; clamping first keeps the product in range
// whatever a restored or hand-written setting holds.
int octaveSemitones (int octaves) noexcept
{
    return 12 * juce::jlimit (-11, 11, octaves);
}

enum class NoteKind
{
    other,
    noteOn,
    noteOff,
    ignored
};

// A note message needs three bytes and a key below 128; a shorter one, or one naming no key, is
// neither passed on nor fed: it is no valid note and cannot be handled as one.
NoteKind classify (const juce::MidiMessageMetadata& event) noexcept
{
    if (event.numBytes < 1)
        return NoteKind::other;

    const auto type = event.data[0] & 0xf0;

    if (type != 0x80 && type != 0x90)
        return NoteKind::other;

    if (event.numBytes < 3 || event.data[1] > 127)
        return NoteKind::ignored;

    return (type == 0x90 && event.data[2] != 0) ? NoteKind::noteOn : NoteKind::noteOff;
}

bool isNoteMessage (NoteKind kind) noexcept
{
    return kind == NoteKind::noteOn || kind == NoteKind::noteOff;
}

void setBit (juce::uint64 (&words)[2], int key) noexcept
{
    words[key >> 6] |= juce::uint64{1} << (key & 63);
}

bool hasBit (const juce::uint64 (&words)[2], int key) noexcept
{
    return (words[key >> 6] >> (key & 63)) & 1;
}

int lowestSetBit (juce::uint64 word) noexcept
{
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll (word);
#else
    int bit = 0;
    for (; (word & 1) == 0; word >>= 1)
        ++bit;
    return bit;
#endif
}

int channelNibble (int channel) noexcept
{
    return channel <= 0 ? 0 : (channel > 16 ? 15 : channel - 1);
}
} // namespace

juce::MidiBuffer Quorvanelle::processBlock (int numSamples, juce::MidiBuffer& midi, juce::AudioBuffer<float>&)
{
    const juce::ScopedLock sl (lock);

    juce::MidiBuffer output;
    outputBuffer = &output;
    ++blockSerial;
    bool displayChanged = false;

    // The output is about the size of the input: one allocation now rather than one per few notes.
    if (!midi.isEmpty())
        output.ensureSize (2 * (size_t)midi.data.size() + 256);

    if (allNotesOffPending)
    {
        // A moved split releases here: the keyboard view must stop showing these notes as sounding,
        // also those of keys above the split, whose release recalculates nothing.
        for (int n = 0; n < 128; ++n)
            if (!outputsBySource[n].empty())
            {
                NoteOffAction (n, 0, channelBySource[n], true);
                displayChanged = true;
            }

        allNotesOffPending = false;
    }

    for (const auto event : midi)
    {
        const auto kind = classify (event);

        if (kind == NoteKind::other)
        {
            output.addEvent (event.data, event.numBytes, event.samplePosition);

            if (event.numBytes >= 2 && (event.data[0] & 0xf0) == 0xb0 && event.data[1] == 123)
                displayChanged = true;
        }
    }

    const bool playing = hostPosition.isPlaying;

    if (playing && wasPlaying == 0)
        wasPlaying = 1;

    if (numSamples > 0)
    {
        walkSamples (numSamples, midi, displayChanged);
        samplePosition += numSamples;
    }

    if (displayChanged)
        CalculateKeyboardControlNotes (false);

    midi.clear();

    if (!playing && wasPlaying != 0)
    {
        releaseForTransportStop();
        wasPlaying = 0;
        allNotesOffPending = true;
        inputSuspended = true;
        startTimer (140);
    }

    outputBuffer = nullptr;
    keyboardControl->publishPending();
    return output;
}

void Quorvanelle::walkSamples (int numSamples, const juce::MidiBuffer& midi, bool& displayChanged)
{
    const int tick = captureTick();

    // The counter only paces the tick; wrapping it by whole ticks keeps the phase and keeps it in range.
    if (chordCaptureCounter < 0 || chordCaptureCounter > std::numeric_limits<int>::max() - numSamples)
        chordCaptureCounter = (chordCaptureCounter % tick + tick) % tick;

    samplesToCapture = (tick - chordCaptureCounter % tick) % tick;

    auto cursor = midi.cbegin();
    const auto end = midi.cend();
    auto advanceCounters = [&] (int samples)
    {
        chordCaptureCounter += samples;
        samplesToCapture = samples <= samplesToCapture ? samplesToCapture - samples
                                                       : (samplesToCapture - samples % tick + tick) % tick;
    };

    for (int i = 0; i < numSamples;)
    {
        // The pause after a transport stop: nothing is fed, written or counted at this sample.
        if (inputSuspended.load())
        {
            ++i;
            continue;
        }

        // Note events at samples already passed (during the pause) are dropped; other events were
        // passed on at the start.
        while (cursor != end && ((*cursor).samplePosition < i || !isNoteMessage (classify (*cursor))))
            ++cursor;

        const bool eventsHere = cursor != end && (*cursor).samplePosition == i;

        if (skipIdleSamples && !eventsHere && deferredNoteOffs.empty())
        {
            int next = cursor != end ? juce::jmin ((*cursor).samplePosition, numSamples) : numSamples;

            // Ticks are far apart: most runs end before the next one, and need no look at the keys.
            if (samplesToCapture < next - i && captureWouldChangeSomething())
                next = i + samplesToCapture;

            if (next > i)
            {
                // Only the render thread sets the pause, so it cannot begin within this run.
                chordThroughKeyHeld = midiReceiver.noteState[chordThroughKey] > 0;
                advanceCounters (next - i);
                i = next;
                continue;
            }
        }

        processSample (i, cursor, end, displayChanged);
        advanceCounters (1);
        ++i;
    }
}

void Quorvanelle::processSample (int pos, juce::MidiBufferIterator& cursor, juce::MidiBufferIterator end,
                                 bool& displayChanged)
{
    feedSample (pos, cursor, end);

    chordThroughKeyHeld = midiReceiver.noteState[chordThroughKey] > 0;

    writeDeferredNoteOffs (pos);

    if (samplesToCapture == 0)
        captureChord();

    juce::uint64 keys[2] = {pendingKeys[0], pendingKeys[1]};
    pendingKeys[0] = pendingKeys[1] = 0;

    if (!skipIdleSamples)
        keys[0] = keys[1] = ~juce::uint64{};

    for (int word = 0; word < 2; ++word)
    {
        for (auto bits = keys[word]; bits != 0; bits &= bits - 1)
            handleKey (word * 64 + lowestSetBit (bits), pos, displayChanged);
    }
}

void Quorvanelle::feedSample (int pos, juce::MidiBufferIterator& cursor, juce::MidiBufferIterator end)
{
    // A note-on and a note-off for the same key at one sample cancel out, whatever their channels.
    juce::uint64 onKeys[2]{}, offKeys[2]{};
    auto last = cursor;

    for (; last != end && (*last).samplePosition == pos; ++last)
    {
        const auto event = *last;
        const auto kind = classify (event);

        if (kind == NoteKind::noteOn)
            setBit (onKeys, event.data[1]);
        else if (kind == NoteKind::noteOff)
            setBit (offKeys, event.data[1]);
    }

    const juce::uint64 cancelled[2] = {onKeys[0] & offKeys[0], onKeys[1] & offKeys[1]};

    for (; cursor != last; ++cursor)
    {
        const auto event = *cursor;

        if (!isNoteMessage (classify (event)) || hasBit (cancelled, event.data[1]))
            continue;

        juce::MidiMessage message (event.data, event.numBytes, pos);
        midiReceiver.processNewMessage (&message, pos);
        setBit (pendingKeys, event.data[1]);
    }
}

void Quorvanelle::handleKey (int key, int pos, bool& displayChanged)
{
    auto& state = midiReceiver.noteState[key];
    const int channel = midiReceiver.noteChannel[key];
    int s = state;

    if (s >= 2000)
    {
        NoteOffAction (key, pos, channelBySource[key], false);
        s -= 2000;
        state = s;
        displayChanged = true;
    }

    if (s == 0)
    {
        NoteOffAction (key, pos, channelBySource[key], false);
        state = -1;
        displayChanged = true;
        return;
    }

    if (s < 1 || s > 999)
        return;

    handlePress (key, s, channel, pos);
    state = s + 1000;
    displayChanged = true;
}

void Quorvanelle::handlePress (int key, int velocity, int channel, int pos)
{
    const bool chordKey = key < keyboardSplit;

    if (chordKey)
        needRecalc = true;

    const bool chordThrough = chordThroughKeyHeld;
    const bool sourceThrough = mOnOff == 1;

    RecalcTheCurNotesIfNeeded();

    if (chordKey)
    {
        if (chordThrough)
        {
            const int note = key + octaveSemitones (mTargetOctaveMod);

            if (note >= 0 && note <= 127)
                PlayNote (note, key, velocity, pos, channel);
        }
        else if (sourceThrough)
        {
            PlayNote (key, key, velocity, pos, channel);
        }

        return;
    }

    if (!outputsBySource[key].empty())
        NoteOffAction (key, pos, channelBySource[key], false);

    if (curNotes.empty())
        return;

    if (isChordControlKey (key))
    {
        playControlChord (key, velocity, channel, pos);
        return;
    }

    const int degree = whiteKeyDegree[key % 12];

    if (degree < 0)
        return;

    const int index = 7 * (key / 12) + degree + 44;

    if (index >= (int)melodyMap.size() || melodyMap[(size_t)index] < 0)
        return;

    const int note = melodyMap[(size_t)index] + melodyOctaveShift();

    if (note >= 0 && note <= 127)
        PlayNote (note, key, velocity, pos, channel);
}

void Quorvanelle::playControlChord (int key, int velocity, int channel, int pos)
{
    const int shift = chordControlOffset (key) + octaveSemitones (mTargetOctaveMod);
    const int split = juce::jlimit (0, 128, keyboardSplit);
    int lowest = 128;

    auto play = [&] (int chordKey)
    {
        const int note = chordKey + shift;

        if (note >= 1 && note <= 127)
        {
            PlayNote (note, key, velocity, pos, channel);
            lowest = juce::jmin (lowest, note);
        }
    };

    bool anyHeld = false;

    for (int k = 0; k < split; ++k)
    {
        if (midiReceiver.noteState[k] > 0)
        {
            anyHeld = true;
            play (k);
        }
    }

    if (!anyHeld)
        for (size_t j = 0; j < storedChord.size(); ++j)
            play (storedChord[j]);

    if (mBigChords == 1 && lowest >= 12 && lowest <= 127)
        PlayNote (lowest - 12, key, velocity, pos, channel);
}

int Quorvanelle::melodyOctaveShift() const noexcept
{
    const auto& states = midiReceiver.noteState;

    if (states[92] > 0)
        return -24;
    if (states[94] > 0)
        return -12;
    if (states[102] > 0)
        return 12;
    if (states[104] > 0)
        return 24;
    return 0;
}

void Quorvanelle::captureChord()
{
    const int split = juce::jlimit (0, 128, keyboardSplit);
    const auto& states = midiReceiver.noteState;
    bool anyHeld = false;

    for (int k = 0; k < split && !anyHeld; ++k)
        anyHeld = states[k] >= 0;

    if (!anyHeld)
    {
        heldChordKeys.clear();
        return;
    }

    storedChord = heldChordKeys;
    heldChordKeys.clear();

    for (int k = 0; k < split; ++k)
        if (states[k] >= 0)
            heldChordKeys.push_back (k);

    for (const int k : heldChordKeys)
        if (std::find (storedChord.begin(), storedChord.end(), k) == storedChord.end())
            storedChord.push_back (k);
}

// A capture repeats the last one once the chord keys held are those it took twice running, or once
// no chord key is held and it has forgotten the last chord; the key states do not change between
// events, so such ticks can be skipped.
bool Quorvanelle::captureWouldChangeSomething() const
{
    const int split = juce::jlimit (0, 128, keyboardSplit);
    const auto& states = midiReceiver.noteState;
    size_t taken = 0;

    for (int k = 0; k < split; ++k)
    {
        if (states[k] >= 0)
        {
            if (taken >= heldChordKeys.size() || heldChordKeys[taken] != k)
                return true;

            ++taken;
        }
    }

    if (taken == 0)
        return !heldChordKeys.empty();

    return taken != heldChordKeys.size() || storedChord != heldChordKeys;
}

// An eighth of a beat in samples, at least 1. The host's tempo and rate may be anything: a tempo that
// is not a positive number counts as 120, a rate that is not one as the default 44100 Hz, and the
// samples per beat are held within 32 bits.
int Quorvanelle::captureTick() const noexcept
{
    constexpr double intMax = (double)std::numeric_limits<int>::max();
    const double rate = (sampleRate >= 1.0 && std::isfinite (sampleRate))
                            ? std::trunc (juce::jmin (sampleRate, intMax))
                            : 44100.0;
    const double bpm =
        (hostPosition.bpm > 0.0 && std::isfinite (hostPosition.bpm)) ? hostPosition.bpm : 120.0;
    const double samplesPerBeat = rate * 60.0 / bpm;
    const int wholeSamplesPerBeat =
        samplesPerBeat >= intMax ? std::numeric_limits<int>::max() : (int)samplesPerBeat;
    return juce::jmax (1, wholeSamplesPerBeat / 8);
}

void Quorvanelle::releaseForTransportStop()
{
    if (midiReceiver.noteState[chordThroughKey] > 0)
        chordThroughKeyHeld = true;

    // At sample 0, unless a note started later in this block: writeNoteOff keeps each release after
    // its note-on.
    for (int n = 127; n >= 0; --n)
        NoteOffAction (n, 0, channelBySource[n], false);

    // Releases queued for the next sample (a block of no samples has none) would otherwise wait out
    // the pause.
    writeDeferredNoteOffs (0);
    midiReceiver.reset();
    keyboardControl->sendActionMessage (KeyboardControl::displayChangedMessage);
}

bool Quorvanelle::reserveRenderLists()
{
    // A chord control key sounds a whole chord; a source never sounds one note twice.
    for (const int key : { 85, 87, 97, 99 })
        outputsBySource[key].reserve (128);

    return true;
}

//==============================================================================
// Note output and release

void Quorvanelle::writeNoteOn (int note, int velocity, int pos, int channel)
{
    note &= 0x7f;
    noteOnBlock[note] = blockSerial;
    noteOnPosition[note] = pos;

    if (outputBuffer == nullptr)
        return;

    const juce::uint8 bytes[3] = {(juce::uint8) (0x90 | channelNibble (channel)), (juce::uint8)note,
                                  (juce::uint8)juce::jlimit (1, 127, velocity)};
    outputBuffer->addEvent (bytes, 3, pos);
}

void Quorvanelle::writeDeferredNoteOffs (int pos)
{
    for (size_t j = 0; j < deferredNoteOffs.size(); ++j)
        writeNoteOff (deferredNoteOffs[j], pos,
                      j < deferredNoteOffChannels.size() ? deferredNoteOffChannels[j] : 0);

    deferredNoteOffs.clear();
    deferredNoteOffChannels.clear();
}

void Quorvanelle::writeNoteOff (int note, int pos, int channel)
{
    note &= 0x7f;

    if (outputBuffer == nullptr)
        return;

    // A release asked for at an earlier sample than the note's own start in this block (the transport
    // stop writes at sample 0) would reach the instrument first and leave the note hanging.
    if (noteOnBlock[note] == blockSerial)
        pos = juce::jmax (pos, noteOnPosition[note]);

    const juce::uint8 bytes[3] = {(juce::uint8) (0x80 | channelNibble (channel)), (juce::uint8)note, 0};
    outputBuffer->addEvent (bytes, 3, pos);
}

void Quorvanelle::PlayNote (int note, int source, int velocity, int samplePos, int channel)
{
    if (note < 0 || note > 127 || source < 0 || source > 127)
        return;

    const int old = sourceByOutput[note];

    if (old != -1)
    {
        auto& oldNotes = outputsBySource[old];
        oldNotes.erase (std::remove (oldNotes.begin(), oldNotes.end(), note), oldNotes.end());
        sourceByOutput[note] = -1;
        writeNoteOff (note, samplePos, channelBySource[old]);
    }

    sourceByOutput[note] = source;
    writeNoteOn (note, velocity, samplePos, channel);
    outputsBySource[source].push_back (note);
    channelBySource[source] = channel;
}

void Quorvanelle::NoteOffAction (int source, int pos, int channel, bool deferred)
{
    if (source < 0 || source > 127)
        return;

    if (source < keyboardSplit)
        needRecalc = true;

    if (source == chordThroughKey && !chordThroughKeyHeld)
    {
        const int split = juce::jlimit (0, 128, keyboardSplit);

        for (int k = 0; k < split; ++k)
        {
            for (const int note : outputsBySource[k])
            {
                writeNoteOff (note, pos, channelBySource[k]);
                sourceByOutput[note] = -1;
            }

            outputsBySource[k].clear();
        }

        return;
    }

    auto& notes = outputsBySource[source];

    // Whatever a key sounds is released with it, whatever its role is now: a melody key can become a
    // chord key when the split moves, and "Source through" can change while a chord key sounds.
    const bool queue = deferred && source < keyboardSplit;

    for (const int note : notes)
    {
        if (queue)
        {
            deferredNoteOffs.push_back (note);
            deferredNoteOffChannels.push_back (channel);
        }
        else
        {
            writeNoteOff (note, pos, channel);
        }

        sourceByOutput[note] = -1;
    }

    notes.clear();

    if (needRecalc)
        CalculateKeyboardControlNotes (true);
}

//==============================================================================
// Switch settings

void Quorvanelle::SetOnOff (int value)
{
    {
        const juce::ScopedLock sl (lock);

        if (value == mOnOff)
            return;

        if (value == 0)
        {
            const int split = juce::jlimit (0, 128, keyboardSplit);

            for (int s = 0; s < split; ++s)
                if (!outputsBySource[s].empty())
                    NoteOffAction (s, 0, channelBySource[s], true);
        }

        mOnOff = value;
    }

    static const juce::String message ("onOffChange");
    sendActionMessage (message);
}

void Quorvanelle::SetExpand (int value)
{
    {
        const juce::ScopedLock sl (lock);

        if (value == mExpand)
            return;

        mExpand = value;
        allNotesOffPending = true;
        keyboardSplit = value == 0 ? 84 : 72;
        keyboardControl->keyboardSplit = keyboardSplit;
        keyboardControl->publish();

        // Latched keys above the split are gone for good, so the next capture must not bring them
        // back from the keys it took last time.
        const auto aboveSplit = [this] (int key) { return key >= keyboardSplit; };
        storedChord.erase (std::remove_if (storedChord.begin(), storedChord.end(), aboveSplit),
                           storedChord.end());
        heldChordKeys.erase (std::remove_if (heldChordKeys.begin(), heldChordKeys.end(), aboveSplit),
                             heldChordKeys.end());
    }

    keyboardControl->sendActionMessage (KeyboardControl::displayChangedMessage);
    static const juce::String message ("expandChange");
    sendActionMessage (message);
}
