#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

// A MIDI stream as a host plays it, written as text, so that one stream can be played through the
// processor called directly, through the loaded plug-in binaries and through an independent host, and
// what comes out compared line by line. One step a line:
//
//   stream NAME                a new stream, on a new instance
//   prepare RATE MAXBLOCK      the host prepares (again: a sample-rate change, keys may still be held)
//   transport PLAYING BPM      the transport for the blocks that follow
//   parameter INDEX VALUE      a host parameter change, by host index, normalised 0..1
//   bypass ON                  the blocks that follow are bypassed (1) or processed (0)
//   idle MS                    the host's message thread runs for MS milliseconds between blocks
//   block SAMPLES              a block, followed by its events:
//   event POSITION BYTES       one MIDI message (hexadecimal bytes) at a sample position
class MidiScript
{
public:
    enum class Kind
    {
        prepare,
        transport,
        parameter,
        bypass,
        idle,
        block
    };

    struct Step
    {
        Kind kind = Kind::block;
        double value = 0.0; // the rate, the tempo, the normalised value, the milliseconds
        int number = 0;     // the block size, the parameter's index, the playing or bypass flag
        juce::MidiBuffer events;
    };

    struct Stream
    {
        juce::String name;
        std::vector<Step> steps;
    };

    // Lines that are empty or start with '#' are skipped; a line that does not parse is an error, named
    // in `error`.
    static std::vector<Stream> parse (const juce::String& text, juce::String& error);
    static juce::String format (const Stream& stream);
};
