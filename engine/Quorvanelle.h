#pragma once

#include "engine/KeyboardControl.h"
#include "engine/MIDIReceiver.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

// The harmony engine: the left hand's chord (held, or latched on an eighth-beat tick) with the root,
// scale, target octave and operation mode gives the current notes; white melody keys above the split
// are remapped onto them, control keys play the chord or shift octaves.
//
// Threads: the render thread runs processBlock and holds `lock` for the whole block. Every other
// thread that reads or writes a field below, or calls SetOnOff / SetExpand, holds `lock` for its
// short access (it is recursive: hosts may set parameters from inside a block). The keyboard view
// reads only keyboardControl->getSnapshot(), which never needs `lock`.
class Quorvanelle : public juce::ActionBroadcaster, public juce::ActionListener, public juce::Timer
{
public:
    Quorvanelle();
    ~Quorvanelle() override;

    // Ends the input pause that follows a transport stop.
    void timerCallback() override;
    void actionListenerCallback (const juce::String& message) override;

    // Harmonises one block. Leaves `midi` empty, does not touch the audio.
    juce::MidiBuffer processBlock (int numSamples, juce::MidiBuffer& midi, juce::AudioBuffer<float>& audio);

    void PlayNote (int note, int source, int velocity, int samplePos, int channel);
    void NoteOffAction (int source, int pos, int channel, bool deferred);
    void RecalcTheCurNotesIfNeeded();
    void CalculateKeyboardControlNotes (bool recalc);
    void SetOnOff (int value);
    void SetExpand (int value);

    const juce::CriticalSection& getLock() const noexcept { return lock; }

    juce::StringArray sourceModeNames;
    juce::StringArray noteNames;
    std::vector<juce::String> scaleNames;
    std::vector<std::vector<int>> scaleIntervals;
    int keyboardSplit = 84;
    std::vector<int> outputsBySource[128];
    int chordCaptureCounter = 0;
    bool needRecalc = true;
    std::vector<int> melodyMap;
    std::vector<int> storedChord;
    std::vector<int> heldChordKeys;
    std::vector<int> deferredNoteOffs;
    std::vector<int> deferredNoteOffChannels;
    std::vector<int> chordNotes;
    std::vector<int> curNotes;
    int channelBySource[128];
    int sourceByOutput[128];
    MIDIReceiver midiReceiver;
    KeyboardControl* keyboardControl = nullptr;
    bool chordThroughKeyHeld = false;
    int mOnOff = 0;
    int mTargetOctaveMod = 0;
    int mBigChords = 0;
    int mExpand = 0;
    int mRootnote = 0;
    int mScaleIndex = 0;
    int mSourceMode = 1;
    juce::MidiBuffer* outputBuffer = nullptr;
    bool allNotesOffPending = false;
    juce::int64 samplePosition = 0;
    double sampleRate = 44100.0;
    juce::AudioPlayHead::CurrentPositionInfo hostPosition;
    int wasPlaying = 0;
    // Set by the render thread at a transport stop, cleared by the timer on the message thread.
    std::atomic<bool> inputSuspended{false};

private:
    // Block processing
public:
    // Skips the samples at which nothing can happen, and the keys that wait for nothing, doing only
    // the counting there. Off, every sample and every key is walked; the output is the same byte for
    // byte. Written under `lock`.
    bool skipIdleSamples = true;

private:
    void walkSamples (int numSamples, const juce::MidiBuffer& midi, bool& displayChanged);
    void processSample (int pos, juce::MidiBufferIterator& cursor, juce::MidiBufferIterator end,
                        bool& displayChanged);
    void feedSample (int pos, juce::MidiBufferIterator& cursor, juce::MidiBufferIterator end);
    void handleKey (int key, int pos, bool& displayChanged);
    void handlePress (int key, int velocity, int channel, int pos);
    void playControlChord (int key, int velocity, int channel, int pos);
    int melodyOctaveShift() const noexcept;
    void captureChord();
    bool captureWouldChangeSomething() const;
    int captureTick() const noexcept;
    void releaseForTransportStop();
    void writeNoteOn (int note, int velocity, int pos, int channel);
    void writeNoteOff (int note, int pos, int channel);
    // Writes the releases queued for the next processed sample at `pos`, and empties the queue.
    void writeDeferredNoteOffs (int pos);
    bool reserveRenderLists();

    // Render thread: keys fed at the sample being processed whose press or release waits (bit k of
    // word k / 64).
    juce::uint64 pendingKeys[2]{};
    // Render thread: samples from the next processed sample to the next capture tick (0: it captures).
    int samplesToCapture = 0;
    // Render thread: the block, and the sample in it, of each output note's latest note-on.
    juce::uint64 blockSerial = 0;
    juce::uint64 noteOnBlock[128]{};
    int noteOnPosition[128]{};
    // Room for the chords of the control keys, so that their lists never grow on the render thread.
    const bool renderListsReserved = reserveRenderLists();

    juce::CriticalSection lock;

    // Current-note calculation
    // The scale's notes (root + offsets) and the distinct pitch classes of the running calculation;
    // members so that their storage is reused.
    std::vector<juce::int64> scaleNotes;
    std::vector<int> pitchClasses;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Quorvanelle)
};
