#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

// What a receiving instrument would hear: follows the note messages of a stream of output blocks and
// reports every message that a sound stream never contains. A note-on for a note that already sounds
// (on any channel), a note-off for a note that is not sounding on that channel, a malformed message
// and a note written outside its block are faults; so is anything left sounding when the stream is
// expected to be silent.
//
// The engine books output notes by note number alone, so one note never sounds on two channels.
class SoundingNotes
{
public:
    // Follows one block's output; appends a description of each fault to `faults`. A bypassed block
    // withholds the note-ons of the engine's output but passes its note-offs, so there a note-off may
    // find its note silent.
    void addBlock (const juce::MidiBuffer& output, int numSamples, std::vector<std::string>& faults,
                   bool bypassed = false);

    // The note-off that ends a note whose note-on a bypass withheld finds the note silent; an excused
    // note accepts that one note-off.
    void excuse (int note, bool isExcused) noexcept { excused[note] = isExcused; }
    bool isExcused (int note) const noexcept { return excused[note]; }

    // 1..16 while the note sounds, 0 while it is silent.
    int channelOf (int note) const noexcept { return channelByNote[note]; }
    int countSounding() const noexcept;
    // "60 (ch 1), 64 (ch 2)"; empty when nothing sounds.
    std::string describeSounding() const;

    // Everything up to now, as text: one line per message, "block 3 @17: on 60 vel 100 ch 1".
    const std::string& history() const noexcept { return log; }

private:
    void fault (std::vector<std::string>& faults, const std::string& what) const;

    int channelByNote[128]{};
    bool excused[128]{};
    int blockIndex = 0;
    std::string log;
};

// True for the messages the engine generates itself: note-ons and note-offs (a note-on with velocity 0
// counts as a note-off). Every other message is the input's, passed through.
bool isNoteMessage (const juce::MidiMessageMetadata& event) noexcept;

// The input's non-note messages must leave unchanged, in order, each at its own position. Appends a
// fault when the output's non-note messages differ from the input's.
void checkPassThrough (const juce::MidiBuffer& input, const juce::MidiBuffer& output,
                       std::vector<std::string>& faults);
