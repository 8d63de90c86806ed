// Plays the engine a stream decoded from the fuzzer's bytes: blocks of MIDI of every kind (notes on
// all channels, velocity-0 note-ons, note-offs for keys never pressed, control keys, controllers,
// pitch bends, system exclusives, events on and beyond the block's edges) with the transport's state,
// and between blocks setting changes, sample-rate changes and the end of the pause timer. After every
// block the output must be well formed and sound only what it started, the non-note events must pass
// unchanged, and the engine's bookkeeping must hold and agree with what was heard. At the end every
// key is let go and the transport stops: then nothing may sound.

#include "engine/Quorvanelle.h"
#include "tests/support/EngineInvariants.h"
#include "tests/support/SoundingNotes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
// Reads the fuzzer's bytes; past the end it reads zeros.
class ByteStream
{
public:
    ByteStream (const uint8_t* d, size_t n) : data (d), size (n) {}

    bool atEnd() const noexcept { return offset >= size; }
    int next() noexcept { return offset < size ? data[offset++] : 0; }
    int next16() noexcept { return (next() << 8) | next(); }

private:
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
};

class StreamRun
{
public:
    void play (ByteStream& bytes)
    {
        // Bounded, so that one input cannot run for long.
        for (int step = 0; step < 256 && !bytes.atEnd() && faults.empty(); ++step)
        {
            switch (bytes.next() % 8)
            {
                case 0:
                case 1:
                case 2:
                case 3:
                    playBlock (bytes);
                    break;
                case 4:
                case 5:
                    changeSetting (bytes.next(), bytes.next());
                    break;
                case 6:
                    // The 140 ms pause after a stop ends (the message thread's timer).
                    engine.timerCallback();
                    break;
                default:
                    changeSampleRate (bytes.next());
                    break;
            }
        }
    }

    // Every key let go, the transport started and stopped, the pause over: silence.
    void finish()
    {
        if (!faults.empty())
            return;

        juce::MidiBuffer releases;
        for (int key = 0; key < 128; ++key)
            releases.addEvent (juce::MidiMessage::noteOff (1 + key % 16, key), key % 64);
        engine.timerCallback();
        runBlock (64, releases, false, 120.0);
        juce::MidiBuffer none;
        runBlock (32, none, true, 120.0);
        runBlock (32, none, false, 120.0);
        engine.timerCallback();
        runBlock (32, none, false, 120.0);

        if (heard.countSounding() != 0)
            faults.push_back ("still sounding after every key was let go and the transport stopped: " +
                              heard.describeSounding());
        const juce::ScopedLock sl (engine.getLock());
        for (int note = 0; note < 128; ++note)
            if (engine.sourceByOutput[note] != -1)
                faults.push_back ("the engine still books note " + std::to_string (note) + " for source " +
                                  std::to_string (engine.sourceByOutput[note]));
        if (!engine.deferredNoteOffs.empty())
            faults.push_back ("deferred note-offs still queued at the end");
    }

    void reportAndAbortOnFault() const
    {
        if (faults.empty())
            return;
        std::fprintf (stderr, "Output so far:\n%s\n", heard.history().c_str());
        for (const auto& f : faults)
            std::fprintf (stderr, "FAULT: %s\n", f.c_str());
        std::abort();
    }

private:
    void playBlock (ByteStream& bytes)
    {
        const int flags = bytes.next();
        // Hosts give blocks of 0 to 2048 samples, and now and then one twice the prepared size.
        const int numSamples = (flags & 0x08) != 0 ? 4096 : bytes.next16() % 2049;
        const bool playing = (flags & 0x01) != 0;
        double bpm = 120.0;
        switch ((flags >> 1) & 0x03)
        {
            case 1:
                bpm = 0.0; // no tempo from the host
                break;
            case 2:
                bpm = 20.0 + bytes.next() * 2.0;
                break;
            case 3:
                bpm = 1.0e7; // a tick of less than one sample
                break;
            default:
                break;
        }

        juce::MidiBuffer input;
        const int numEvents = bytes.next() % 48;
        for (int i = 0; i < numEvents && !bytes.atEnd(); ++i)
            addEvent (bytes, input, numSamples);

        runBlock (numSamples, input, playing, bpm);
    }

    void addEvent (ByteStream& bytes, juce::MidiBuffer& input, int numSamples)
    {
        const int kind = bytes.next();
        const int key = bytes.next() & 0x7F;
        const int value = bytes.next() & 0x7F;
        const int channel = 1 + (kind >> 4);
        // Mostly inside the block; kind bit 3 puts the event on or beyond its end.
        const int position =
            (kind & 0x08) != 0 ? numSamples + bytes.next() % 4 : bytes.next16() % std::max (numSamples, 1);

        switch (kind & 0x07)
        {
            case 0:
            case 1:
            case 2:
                input.addEvent (
                    juce::MidiMessage::noteOn (channel, key, static_cast<juce::uint8> (std::max (value, 1))),
                    position);
                break;
            case 3:
                input.addEvent (juce::MidiMessage::noteOff (channel, key, static_cast<juce::uint8> (value)),
                                position);
                break;
            case 4:
                // A note-on of velocity 0, which is a note-off.
                input.addEvent (juce::MidiMessage (0x90 | (channel - 1), key, 0), position);
                break;
            case 5:
                input.addEvent (
                    juce::MidiMessage::controllerEvent (channel, (value & 1) != 0 ? 123 : key, value),
                    position);
                break;
            case 6:
                input.addEvent (juce::MidiMessage::pitchWheel (channel, (key << 7) | value), position);
                break;
            default:
            {
                const juce::uint8 sysex[] = {0x7D, static_cast<juce::uint8> (key),
                                             static_cast<juce::uint8> (value)};
                input.addEvent (juce::MidiMessage::createSysExMessage (sysex, 1 + value % 3), position);
                break;
            }
        }
    }

    void runBlock (int numSamples, juce::MidiBuffer& input, bool playing, double bpm)
    {
        const juce::MidiBuffer inputCopy (input);
        juce::AudioBuffer<float> audio (0, numSamples);
        juce::MidiBuffer output;
        {
            const juce::ScopedLock sl (engine.getLock());
            engine.hostPosition.isPlaying = playing;
            engine.hostPosition.bpm = bpm;
            output = engine.processBlock (numSamples, input, audio);

            if (!input.isEmpty())
                faults.push_back ("the engine left its input buffer filled");
            checkPassThrough (inputCopy, output, faults);
            heard.addBlock (output, numSamples, faults);
            checkBookkeeping (engine, faults);
            checkAgreement (engine, heard, faults);
        }
    }

    void changeSetting (int which, int value)
    {
        // The host's values are always within range; the processor keeps restored ones there too.
        const juce::ScopedLock sl (engine.getLock());
        switch (which % 7)
        {
            case 0:
                engine.SetOnOff (value & 1);
                break;
            case 1:
                engine.SetExpand (value & 1);
                break;
            case 2:
                engine.mTargetOctaveMod = value % 11 - 5;
                break;
            case 3:
                engine.mBigChords = value & 1;
                break;
            case 4:
                engine.mRootnote = value % 12;
                break;
            case 5:
                engine.mScaleIndex = value * 373 / 255;
                break;
            default:
                engine.mSourceMode = 1 + value % 7;
                break;
        }
        checkBookkeeping (engine, faults);
        checkAgreement (engine, heard, faults);
    }

    void changeSampleRate (int choice)
    {
        // The host prepares anew; keys may still be held.
        static constexpr double rates[] = {44100.0, 48000.0, 96000.0, 22050.0, 192000.0, 8000.0};
        const juce::ScopedLock sl (engine.getLock());
        engine.sampleRate = rates[choice % 6];
        engine.samplePosition = 0;
    }

    Quorvanelle engine;
    SoundingNotes heard;
    std::vector<std::string> faults;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    ByteStream bytes (data, size);
    StreamRun run;
    run.play (bytes);
    run.finish();
    run.reportAndAbortOnFault();
    return 0;
}
