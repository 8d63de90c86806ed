#include "tests/Session.h"

#include <algorithm>
#include <set>

namespace timeline
{
std::string randomSession (const std::function<int (int)>& pick, int numBlocks)
{
    const int sizes[] = {0, 1, 2, 17, 64, 128, 256, 512};
    const int controlKeys[] = {85, 87, 92, 94, 97, 99, 102, 104, 106};
    const char* const settings[] = {"oct", "big", "root", "scale", "mode", "onoff", "expand", "bypass"};
    const int lowest[] = {-5, 0, 0, 0, 1, 0, 0, 0}, highest[] = {5, 1, 11, 373, 7, 1, 1, 1};
    const char* const tempi[] = {"120", "90", "0", "400", "1e9", "nan"};
    const char* const rates[] = {"44100", "48000", "96000", "22050", "8000"};
    // Chord keys and those the split moves over, control keys, the upper keys, any key.
    const auto key = [&] (int kind)
    {
        return kind < 2    ? 48 + pick (36)
               : kind == 2 ? controlKeys[pick (9)]
               : kind < 5  ? 72 + pick (56)
                           : pick (128);
    };

    std::string s;
    std::set<int> touched{48, 52, 96, 99, 106};
    juce::int64 t = 0;
    bool playing = false;
    for (int b = 0; b < numBlocks; ++b)
    {
        const int n = sizes[pick (8)];
        s += " @" + std::to_string (t);
        if (const int i = pick (32); i < 8)
            s += std::string (" ") + settings[i] + "=" +
                 std::to_string (lowest[i] + pick (highest[i] - lowest[i] + 1));
        if (pick (20) == 0)
            s += (playing = !playing) ? " play" : " stop";
        if (pick (25) == 0)
            s += pick (3) == 0 ? std::string (" rate=") + rates[pick (5)]
                               : std::string (" bpm=") + tempi[pick (6)];
        s += pick (3) == 0 ? " resume" : "";
        s += pick (8) == 0 ? " ?chord ?notes" : "";
        s += n == 0 ? " empty" : " |";
        for (int e = pick (3) == 0 ? 0 : pick (10); e > 0; --e)
        {
            s += " @" + std::to_string (t + pick (std::min (n, 40) + 1) * (n > 0 ? 1 : 0)) + " ";
            const auto channel = "c" + std::to_string (1 + pick (16));
            const int kind = pick (22);
            if (kind == 0)
                s += pick (3) == 0 ? "xe00040"
                                   : "cc" + std::to_string (pick (2) == 0 ? 123 : 7) + "=0" + channel;
            else if (kind == 1)
                s += "cc1=5" + channel + "p" + std::to_string (pick (5) - 2); // sent outside its block
            else
                s += (kind < 12 ? "+" : "-") + std::to_string (*touched.insert (key (pick (6))).first) + "v" +
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

void CheckedTarget::fault (const std::string& what)
{
    faults.push_back ("block " + std::to_string (blockIndex) + " @" + std::to_string (time) + ": " + what);
}

void CheckedTarget::expectSilence (const char* when)
{
    const juce::ScopedLock sl (engine.getLock());
    for (int k = 0; k < 128; ++k)
        if (channelByNote[k] != 0 || engine.sourceByOutput[k] != -1 || !engine.outputsBySource[k].empty())
            fault (std::to_string (k) + " still sounds " + when);
}

void CheckedTarget::command (const std::string& name, double value)
{
    if (name == "silent")
        return expectSilence ("with every key up");
    bypassed = name == "bypass" ? value != 0 : bypassed;
    playing = name == "play" || name == "stop" ? name == "play" : playing;
    inner.command (name, value);
}

juce::MidiBuffer CheckedTarget::render (int numSamples, juce::MidiBuffer& midi)
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
    for (const auto e : output)
    {
        const auto* d = e.data;
        if ((d[0] & 0xe0) != 0x80)
            continue;
        const auto text = describe (juce::MidiBuffer (e.getMessage()));
        const bool on = (d[0] & 0xf0) == 0x90 && d[2] != 0;
        const int note = d[1] & 127, channel = (d[0] & 15) + 1;
        if (e.numBytes != 3 || d[1] > 127 || d[2] > 127 || e.samplePosition < 0 || (!on && d[2] != 0) ||
            e.samplePosition >= std::max (numSamples, 1) || (on && bypassed))
            fault ("out of place: " + text);
        else if (on && channelByNote[note] != 0)
            fault ("note-on for a sounding note: " + text);
        else if (!on && channelByNote[note] == 0 && (excused[note] || bypassed))
            excused[note] = false;
        else if (!on && channelByNote[note] != channel)
            fault ("note-off for a silent note: " + text);
        else
            channelByNote[note] = on ? channel : 0;
        excused[note] = excused[note] && !on;
    }
    if (others (output) != (bypassed ? "" : passedIn))
        fault ("passed on " + others (output) + " for " + passedIn);

    // The books: each sounding note stands once, in its source's list; a queued release keeps its note
    // sounding on its channel; every key's press or release has been handled.
    const juce::ScopedLock sl (engine.getLock());
    int expected[128]{}, listings[128]{};
    for (int source = 0; source < 128; ++source)
        for (const int note : engine.outputsBySource[source])
            listings[note & 127] += engine.sourceByOutput[note & 127] == source ? 1 : 100;
    for (int k = 0; k < 128; ++k)
    {
        const int source = engine.sourceByOutput[k];
        if (source >= 0)
            expected[k] = std::clamp (engine.channelBySource[source & 127], 1, 16);
        if (listings[k] != (source >= 0 ? 1 : 0))
            fault ("note " + std::to_string (k) + " misbooked");
    }
    for (size_t i = 0; i < engine.deferredNoteOffs.size(); ++i)
        expected[engine.deferredNoteOffs[i] & 127] = std::clamp (engine.deferredNoteOffChannels[i], 1, 16);
    for (int k = 0; k < 128; ++k)
    {
        if (const int state = engine.midiReceiver.noteState[k]; state != -1 && (state < 1001 || state > 1999))
            fault ("key " + std::to_string (k) + " left waiting");
        excused[k] = excused[k] || (bypassed && channelByNote[k] == 0 && expected[k] != 0);
        if (channelByNote[k] != expected[k] && !(excused[k] && channelByNote[k] == 0))
            fault ("note " + std::to_string (k) + " sounds on " + std::to_string (channelByNote[k]) +
                   ", booked on " + std::to_string (expected[k]));
    }
    if (stopped)
        expectSilence ("after a stop");
    ++blockIndex;
    time += numSamples;
    return output;
}
} // namespace timeline
