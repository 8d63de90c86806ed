#include "MidiTimeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

using miditimeline::describe;

namespace
{
// One block of a random session: what the host and the player do before and during it.
struct Step
{
    int numSamples = 16;
    juce::MidiBuffer input;
    bool playing = false, pauseEnds = true;
    double bpm = 120.0;
    int setting = -1, value = 0;
};

// Random note-ons and note-offs on every key (control keys included) and channel, many at shared
// samples and some outside the block; setting changes, tempo changes, transport starts and stops.
class RandomSession
{
public:
    explicit RandomSession (unsigned seed) : rng (seed) {}

    Step next (int maxBlock)
    {
        Step step;
        const int sizes[] = {0, 1, 2, 17, 64, 128, 256, 512};
        step.numSamples = juce::jmin (maxBlock, sizes[pick (8)]);
        playing = pick (20) == 0 ? !playing : playing;
        if (pick (25) == 0)
            bpm = std::vector<double>{120.0, 90.0, 0.0, 400.0, 1.0e9, std::nan ("")}[(size_t)pick (6)];
        step.playing = playing;
        step.bpm = bpm;
        step.pauseEnds = pick (3) == 0;

        if (pick (4) == 0)
        {
            // Target octave, big chords, root, scale, mode, "Source through", "Expand keyboard".
            const int ranges[][2] = {{-5, 5}, {0, 1}, {0, 11}, {0, 373}, {1, 7}, {0, 1}, {0, 1}};
            step.setting = pick (7);
            step.value =
                ranges[step.setting][0] + pick (ranges[step.setting][1] - ranges[step.setting][0] + 1);
        }

        for (int e = pick (3) == 0 ? 0 : pick (10); e > 0; --e)
        {
            const int pos = pick (juce::jmin (step.numSamples, 40) + 4) - 2;
            const auto channel = (juce::uint8)pick (16);
            if (pick (10) == 0)
            {
                const juce::uint8 cc[] = {(juce::uint8) (0xb0 | channel),
                                          (juce::uint8) (pick (2) == 0 ? 123 : 7), 0};
                step.input.addEvent (cc, 3, pos);
                continue;
            }
            const auto key = (juce::uint8)randomKey();
            const int kind = pick (20);
            const juce::uint8 velocity = kind == 0 ? 0 : (juce::uint8) (1 + pick (127));
            const juce::uint8 note[] = {(juce::uint8) ((kind < 10 ? 0x90 : 0x80) | channel), key,
                                        kind < 10 ? velocity : (juce::uint8)pick (128)};
            step.input.addEvent (note, 3, pos);
        }
        return step;
    }

private:
    int pick (int n) { return (int)(rng() % (unsigned)n); }

    // Chord keys and those the split moves over, control keys, the upper keys, any key.
    int randomKey()
    {
        const int controlKeys[] = {85, 87, 92, 94, 97, 99, 102, 104, 106};
        const int kind = pick (6);
        return kind < 2    ? 48 + pick (36)
               : kind == 2 ? controlKeys[pick (9)]
               : kind < 5  ? 72 + pick (56)
                           : pick (128);
    }

    std::mt19937 rng;
    bool playing = false;
    double bpm = 120.0;
};

juce::MidiBuffer play (Quorvanelle& engine, Step step)
{
    if (step.pauseEnds && engine.inputSuspended.load())
        engine.timerCallback();
    if (step.setting == 5)
        engine.SetOnOff (step.value);
    else if (step.setting == 6)
        engine.SetExpand (step.value);

    {
        const juce::ScopedLock sl (engine.getLock());
        int* settings[] = {&engine.mTargetOctaveMod, &engine.mBigChords, &engine.mRootnote,
                           &engine.mScaleIndex, &engine.mSourceMode};
        if (step.setting >= 0 && step.setting < 5)
            *settings[step.setting] = step.value;
        engine.hostPosition.isPlaying = step.playing;
        engine.hostPosition.bpm = step.bpm;
    }
    juce::AudioBuffer<float> audio;
    return engine.processBlock (step.numSamples, step.input, audio);
}

// Follows the output as an instrument does and checks it, and the engine's bookkeeping, after every
// block. Returns the first problem found, or nothing.
class Instrument
{
public:
    std::string hear (const juce::MidiBuffer& output)
    {
        for (const auto event : output)
        {
            const int type = event.data[0] & 0xf0;
            if (type != 0x80 && type != 0x90)
                continue;

            const int channel = event.data[0] & 0x0f, note = event.data[1], velocity = event.data[2];
            const auto what = describe (event.data, event.numBytes, event.samplePosition);
            if (event.numBytes != 3 || note > 127 || velocity > 127 || (type == 0x80 && velocity != 0))
                return "malformed: " + what;

            const bool on = type == 0x90 && velocity > 0;
            if (sounding[channel][note] == on)
                return (on ? "started twice: " : "released before it started, or never started: ") + what;
            sounding[channel][note] = on;
        }
        return {};
    }

    // What the engine believes sounds (booked or waiting for its release) must be what the
    // instrument plays, and every key's press or release must have been handled.
    std::string compareWith (const Quorvanelle& engine) const
    {
        bool believed[16][128]{};
        for (int s = 0; s < 128; ++s)
        {
            for (const int o : engine.outputsBySource[s])
            {
                if (engine.sourceByOutput[o] != s)
                    return "note " + std::to_string (o) + " listed for source " + std::to_string (s) +
                           " belongs to " + std::to_string (engine.sourceByOutput[o]);
                believed[juce::jlimit (0, 15, engine.channelBySource[s] - 1)][o] = true;
            }
        }
        for (int o = 0; o < 128; ++o)
            if (const int s = engine.sourceByOutput[o];
                s != -1 &&
                std::count (engine.outputsBySource[s].begin(), engine.outputsBySource[s].end(), o) != 1)
                return "note " + std::to_string (o) + " is not listed once for its source " +
                       std::to_string (s);

        for (size_t j = 0; j < engine.deferredNoteOffs.size(); ++j)
            believed[juce::jlimit (0, 15, engine.deferredNoteOffChannels[j] - 1)]
                    [engine.deferredNoteOffs[j]] = true;

        for (int c = 0; c < 16; ++c)
            for (int n = 0; n < 128; ++n)
                if (believed[c][n] != sounding[c][n])
                    return "note " + std::to_string (n) + " on channel " + std::to_string (c + 1) +
                           (sounding[c][n] ? " sounds unbooked" : " is booked but silent");

        for (int k = 0; k < 128; ++k)
            if (const int state = engine.midiReceiver.noteState[k];
                state != -1 && (state < 1001 || state > 1999))
                return "key " + std::to_string (k) + " left waiting in state " + std::to_string (state);
        return {};
    }

    bool silent() const
    {
        return std::all_of (std::begin (sounding), std::end (sounding),
                            [] (const auto& channel)
                            { return std::count (channel, channel + 128, true) == 0; });
    }

private:
    bool sounding[16][128]{};
};

class RandomStreams : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI juceRuntime;
};

TEST_F (RandomStreams, NothingSticksAndTheBookkeepingMatchesTheOutput)
{
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        Quorvanelle engine;
        RandomSession session (seed);
        Instrument instrument;
        bool playing = false;

        auto run = [&] (const Step& step, int block)
        {
            playing = step.playing;
            const auto output = play (engine, step);
            auto problem = instrument.hear (output);
            if (problem.empty())
                problem = instrument.compareWith (engine);
            if (!problem.empty())
                ADD_FAILURE() << "seed " << seed << ", block " << block << ": " << problem << "\ninput:\n"
                              << describe (step.input) << "output:\n"
                              << describe (output);
            return problem.empty();
        };

        bool ok = true;
        for (int block = 0; block < 200 && ok; ++block)
            ok = run (session.next (512), block);

        // Every key let go once the pause is over, then a block without events; then the transport stops.
        Step releaseAll, quiet, stopped;
        for (int key = 0; key < 128; ++key)
            releaseAll.input.addEvent (juce::MidiMessage::noteOff (1, key), 0);
        releaseAll.playing = quiet.playing = playing;
        ASSERT_TRUE (ok && run (releaseAll, 1000) && run (quiet, 1001));
        EXPECT_TRUE (instrument.silent()) << "seed " << seed << ": notes left sounding with every key up";

        ASSERT_TRUE (run (stopped, 1002) && run (stopped, 1003));
        EXPECT_TRUE (instrument.silent()) << "seed " << seed << ": notes left sounding after the stop";
    }
}

TEST_F (RandomStreams, SkippingIdleSamplesChangesNoByte)
{
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        Quorvanelle skipping, walking;
        walking.skipIdleSamples = false;
        RandomSession session (seed);

        for (int block = 0; block < 120; ++block)
        {
            const auto step = session.next (300);
            const auto skipped = describe (play (skipping, step));
            ASSERT_EQ (skipped, describe (play (walking, step)))
                << "seed " << seed << ", block " << block << "\ninput:\n"
                << describe (step.input);

            const auto state = [] (const Quorvanelle& e)
            {
                return std::tie (e.chordCaptureCounter, e.storedChord, e.heldChordKeys, e.chordThroughKeyHeld,
                                 e.curNotes);
            };
            ASSERT_TRUE (state (skipping) == state (walking)) << "seed " << seed << ", block " << block;
        }
    }
}
} // namespace
