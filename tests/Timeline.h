#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <string>
#include <vector>

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
namespace timeline
{
std::string describe (const juce::MidiBuffer& buffer, juce::int64 offset = 0);

// What a script is played on: the engine, the processor or a loaded plug-in.
class Target
{
public:
    virtual ~Target() = default;
    virtual juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) = 0;
    // Settings and transport: "mode", "onoff", "expand", "big", "oct", "root", "scale", "play", "bpm"...
    virtual void command (const std::string& name, double value) = 0;
    virtual std::string probe (const std::string&) { return "?"; }
};

// Plays the script to its last "@T" in blocks of blockSize, cut at every action; "empty" plays a block
// of no samples holding T's events and "wait=ms" runs the message loop. Returns the output and the
// probes' reports.
std::string play (Target& target, const std::string& script, int blockSize = 64);

// Delivers the messages posted so far, then goes on delivering for the given time (timers need it).
void pumpMessages (int milliseconds = 0);
} // namespace timeline
