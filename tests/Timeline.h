#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <sstream>

// MIDI as short text, the same for what goes in and what comes out, so that a whole session reads on
// one line and a failing test shows the story:
//
//   "@0 +48 +52v90 @100 -48c2 cc7=90 xe00040 | stop ?notes @200"
//
// "@T" moves to absolute sample T. "+K" is a note-on for key K (velocity 100, channel 1), "-K" a
// note-off; "v" gives the velocity, "c" the channel and "p" moves the event that many samples past
// where its block would put it. "ccN=V" is a controller, "x..." any other bytes in hex. Any other word
// is an action at T, at a block boundary, before T's events: "|" only cuts the block there, "name" or
// "name=V" is a target's command and "?what" appends what the target reports. Output is described in
// the same words, with "@T" before each new time.
namespace juce
{
// The Linux message loop's single step, as the plug-in client's own message thread uses it.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace timeline
{

// What a script is played on: the engine, the processor or a loaded plug-in.
struct Target
{
    virtual ~Target() = default;
    virtual juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) = 0;
    // Settings and transport: "mode", "onoff", "expand", "big", "oct", "root", "scale", "play", "bpm"...
    virtual void command (const std::string& name, double value) = 0;
    virtual std::string probe (const std::string&) { return "?"; }
};

// Delivers the messages posted so far, then goes on delivering for the given time (timers need it).
inline void pumpMessages (int milliseconds = 0)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)milliseconds;
    while (juce::dispatchNextMessageOnSystemQueue (true) ||
           (juce::Time::getMillisecondCounter() < end && (juce::Thread::sleep (1), true)))
        ;
}

inline std::string describe (const juce::MidiBuffer& buffer, juce::int64 offset = 0)
{
    std::string text;
    juce::int64 last = -1;
    for (const auto event : buffer)
    {
        const auto time = offset + event.samplePosition;
        text += time != last ? "@" + std::to_string (last = time) + " " : "";
        const auto* d = event.data;
        const int type = event.numBytes == 3 ? d[0] & 0xf0 : 0;
        const auto channel = (d[0] & 15) != 0 ? "c" + std::to_string ((d[0] & 15) + 1) : "";
        const auto velocity = d[2] != (type == 0x90 ? 100 : 0) ? "v" + std::to_string (d[2]) : "";
        text += type == 0x90 || type == 0x80
                    ? (type == 0x90 ? "+" : "-") + std::to_string (d[1]) + velocity + channel
                : type == 0xb0 ? "cc" + std::to_string (d[1]) + "=" + std::to_string (d[2]) + channel
                               : "x" + juce::String::toHexString (d, event.numBytes, 0).toStdString();
        text += " ";
    }
    return text;
}

// Plays the script to its last "@T" in blocks of blockSize, cut at every action; "empty" plays a block
// of no samples holding T's events and "wait=ms" runs the message loop. Returns the output and the
// probes' reports.
inline std::string play (Target& target, const std::string& script, int blockSize = 64)
{
    // Events and actions at their times; an event's bytes, with its shift, or an action's word.
    struct Item
    {
        juce::int64 time;
        std::vector<juce::uint8> bytes;
        std::string action;
        int shift = 0;
    };
    std::vector<Item> items;
    std::istringstream words (script + " end");
    juce::int64 time = 0;
    for (std::string word; words >> word;)
    {
        Item item{time, {}, word};
        const bool controller = word.rfind ("cc", 0) == 0;
        if (word[0] == '@')
            time = std::stoll (word.substr (1));
        else if (word[0] == '+' || word[0] == '-' || controller)
        {
            // "+60v90c2p-3": key or controller, then velocity (or value), channel and shift, if given.
            std::istringstream in (word.substr (controller ? 2 : 1));
            int number = -1, value = word[0] == '+' ? 100 : 0, channel = 1;
            in >> number;
            for (char c; in >> c;)
                in >> (c == 'c' ? channel : c == 'p' ? item.shift : value);
            const int status = controller ? 0xb0 : word[0] == '+' ? 0x90 : 0x80;
            item.bytes = {(juce::uint8) (status | ((channel - 1) & 15)), (juce::uint8)number,
                          (juce::uint8)value};
        }
        else if (word[0] == 'x')
            for (size_t i = 1; i + 1 < word.size(); i += 2)
                item.bytes.push_back ((juce::uint8)std::stoi (word.substr (i, 2), nullptr, 16));
        if (!item.bytes.empty())
            item.action.clear(); // an event, not an action
        if (word[0] != '@')
            items.push_back (item);
    }

    std::string text;
    juce::int64 now = 0;
    const auto block = [&] (juce::int64 end)
    {
        juce::MidiBuffer input;
        for (auto& item : items)
            if (!item.bytes.empty() && item.time >= now && item.time < std::max (end, now + 1))
            {
                input.addEvent (item.bytes.data(), (int)item.bytes.size(),
                                (int)(item.time - now) + item.shift);
                item.bytes.clear(); // taken
            }
        text += describe (target.render ((int)(end - now), input), now);
        now = end;
    };
    for (auto& item : items)
    {
        if (item.action.empty())
            continue;
        while (now < item.time)
            block (std::min (item.time, now + blockSize));
        const auto equals = item.action.find ('=');
        const auto name = item.action.substr (0, equals);
        const double value = equals == std::string::npos ? 1 : std::stod (item.action.substr (equals + 1));
        if (name == "empty")
            block (now);
        else if (name == "wait")
            pumpMessages ((int)value);
        else if (name[0] == '?')
            text += name.substr (1) + "=" + target.probe (name.substr (1)) + " ";
        else if (name != "|" && name != "end")
            target.command (name, value);
    }
    return text.empty() ? text : text.substr (0, text.size() - 1);
}
} // namespace timeline
