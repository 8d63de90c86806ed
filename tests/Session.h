#pragma once

#include "engine/Quorvanelle.h"
#include "tests/Timeline.h"

#include <functional>
#include <set>

namespace timeline
{
// A random host session as a script: blocks of 0 to 512 samples, presses and releases of every kind of
// key on every channel (velocity-0 note-ons among the releases, some sharing a sample), controllers,
// settings, tempo, bypass, transport starts and stops, ends of the pause that follows a stop; then
// every key let go ("silent" follows) and a stop with keys held. `pick (n)` chooses in 0..n-1.
inline std::string randomSession (const std::function<int (int)>& pick, int numBlocks)
{
    const int sizes[] = {0, 1, 2, 17, 64, 128, 256, 512};
    const int controlKeys[] = {85, 87, 92, 94, 97, 99, 102, 104, 106};
    const char* const actions[] = {
        "oct=-5",   "oct=5",   "oct=2",    "big=1",    "big=0",      "root=11",      "root=3", "scale=373",
        "scale=40", "mode=1",  "mode=2",   "mode=3",   "mode=4",     "mode=5",       "mode=6", "mode=7",
        "onoff=1",  "onoff=0", "expand=1", "expand=0", "bypass=1",   "bypass=0",     "play",   "stop",
        "resume",   "bpm=90",  "bpm=0",    "bpm=nan",  "rate=96000", "?chord ?notes"};
    std::string s;
    std::set<int> touched{48, 52, 96, 99, 106};
    juce::int64 t = 0;
    for (int b = 0; b < numBlocks; ++b)
    {
        const int n = sizes[pick (8)];
        s += " @" + std::to_string (t);
        for (int a = pick (6) - 3; a > 0; --a)
            s += std::string (" ") + actions[pick (30)];
        s += n == 0 ? " empty" : " |";
        for (int e = pick (3) == 0 ? 0 : pick (10); e > 0; --e)
        {
            s += " @" + std::to_string (t + (n > 0 ? pick (std::min (n, 40) + 1) : 0)) + " ";
            const auto channel = "c" + std::to_string (1 + pick (16));
            // Chord keys and those the split moves over, control keys, the upper keys, any key.
            const int kind = pick (22), keyKind = pick (6);
            const int key = keyKind < 2    ? 48 + pick (36)
                            : keyKind == 2 ? controlKeys[pick (9)]
                            : keyKind < 5  ? 72 + pick (56)
                                           : pick (128);
            if (kind < 2) // a pitch bend, a controller, or one sent outside its block
                s += pick (3) == 0 ? "xe00040"
                                   : "cc" + std::to_string (pick (2) == 0 ? 123 : 7) + "=0" + channel + "p" +
                                         std::to_string (kind * (pick (5) - 2));
            else
                s += (kind < 12 ? "+" : "-") + std::to_string (*touched.insert (key).first) + "v" +
                     std::to_string (kind == 2   ? 0
                                     : kind < 12 ? 1 + pick (127)
                                                 : pick (128)) +
                     channel;
        }
        t += n;
    }
    // Keys held across a stop, then every key let go once the pause is over.
    s += " @" + std::to_string (t) + " resume play | +48 +52 +96 +99 +106 @" + std::to_string (t + 64) +
         " stop |";
    s += " @" + std::to_string (t + 128) + " resume |";
    for (const int k : touched)
        s += " -" + std::to_string (k);
    return s + " @" + std::to_string (t + 200) + " silent @" + std::to_string (t + 264);
}

// Plays a script on `inner` as an instrument would hear it, and records every breach of what the
// output must keep to: every note message well formed and inside its block, no note-on for a note that
// sounds nor note-off for one that does not, the input's other messages passed on unchanged, the
// engine's books in step with what sounds, and nothing sounding after a stop or
// at "silent".
struct CheckedTarget final : public Target
{
    CheckedTarget (Target& target, Quorvanelle& itsEngine) : inner (target), engine (itsEngine) {}

    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        const bool stopped = std::exchange (lastPlaying, playing) && !playing;
        const auto others = [] (const juce::MidiBuffer& b)
        {
            juce::MidiBuffer kept;
            for (const auto e : b)
                if ((e.data[0] & 0xe0) != 0x80)
                    kept.addEvent (e.data, e.numBytes, e.samplePosition);
            return describe (kept);
        };
        const auto passedIn = others (midi);
        auto output = inner.render (numSamples, midi);
        if (others (output) != (bypassed ? "" : passedIn))
            fault ("passed on " + others (output) + " for " + passedIn);
        for (const auto e : output)
        {
            const auto* d = e.data;
            const bool on = (d[0] & 0xf0) == 0x90 && d[2] != 0;
            const int note = d[1] & 127, channel = (d[0] & 15) + 1;
            if ((d[0] & 0xe0) != 0x80)
                continue;
            const auto text = describe (juce::MidiBuffer (e.getMessage()));
            if (e.numBytes != 3 || d[1] > 127 || d[2] > 127 || e.samplePosition < 0 || (!on && d[2] != 0) ||
                e.samplePosition >= std::max (numSamples, 1) || (on && bypassed))
                fault ("out of place: " + text);
            else if (on ? channelByNote[note] != 0
                        : channelByNote[note] != channel &&
                              !(channelByNote[note] == 0 && (excused[note] || bypassed)))
                fault ((on ? "started twice: " : "released unstarted: ") + text);
            else
                channelByNote[note] = on ? channel : 0;
            excused[note] = false;
        }

        // The books: each sounding note stands once, in its source's list; a queued release keeps its note
        // sounding on its channel; every key's press or release has been handled.
        const juce::ScopedLock sl (engine.getLock());
        int expected[128]{}, listings[128]{};
        for (int source = 0; source < 128; ++source)
            for (const int note : engine.outputsBySource[source])
                listings[note & 127] += engine.sourceByOutput[note & 127] == source ? 1 : 100;
        for (size_t i = 0; i < engine.deferredNoteOffs.size(); ++i)
            expected[engine.deferredNoteOffs[i] & 127] =
                std::clamp (engine.deferredNoteOffChannels[i], 1, 16);
        for (int k = 0; k < 128; ++k)
        {
            const int source = engine.sourceByOutput[k], state = engine.midiReceiver.noteState[k];
            expected[k] =
                source >= 0 ? std::clamp (engine.channelBySource[source & 127], 1, 16) : expected[k];
            if (listings[k] != (source >= 0 ? 1 : 0) || (state != -1 && (state < 1001 || state > 1999)))
                fault ("note " + std::to_string (k) + " misbooked, or its key left waiting");
            excused[k] = excused[k] || (bypassed && channelByNote[k] == 0 && expected[k] != 0);
            if (channelByNote[k] != expected[k] && !(excused[k] && channelByNote[k] == 0))
                fault ("note " + std::to_string (k) + " sounds on " + std::to_string (channelByNote[k]) +
                       ", booked on " + std::to_string (expected[k]));
        }
        if (stopped)
            expectSilence ("after a stop");
        time += numSamples;
        return output;
    }
    void command (const std::string& name, double value) override
    {
        if (name == "silent")
            return expectSilence ("with every key up");
        bypassed = name == "bypass" ? value != 0 : bypassed;
        playing = name == "play" || name == "stop" ? name == "play" : playing;
        inner.command (name, value);
    }
    std::string probe (const std::string& what) override { return inner.probe (what); }

    std::vector<std::string> faults;

    void fault (const std::string& what) { faults.push_back ("@" + std::to_string (time) + ": " + what); }
    void expectSilence (const char* when)
    {
        const juce::ScopedLock sl (engine.getLock());
        for (int k = 0; k < 128; ++k)
            if (channelByNote[k] != 0 || engine.sourceByOutput[k] != -1 || !engine.outputsBySource[k].empty())
                fault (std::to_string (k) + " still sounds " + when);
    }

    Target& inner;
    Quorvanelle& engine;
    int channelByNote[128]{};
    bool excused[128]{};
    bool bypassed = false, playing = false, lastPlaying = false;
    juce::int64 time = 0;
};
} // namespace timeline
