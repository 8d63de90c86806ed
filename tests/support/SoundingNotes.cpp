#include "tests/support/SoundingNotes.h"

#include <sstream>

namespace
{
std::string bytesAsText (const juce::uint8* data, int size)
{
    std::ostringstream text;
    text << std::hex;
    for (int i = 0; i < size; ++i)
        text << (i > 0 ? " " : "") << static_cast<int> (data[i]);
    return text.str();
}

std::string describe (const juce::MidiMessageMetadata& event)
{
    return "@" + std::to_string (event.samplePosition) + " [" + bytesAsText (event.data, event.numBytes) +
           "]";
}
} // namespace

bool isNoteMessage (const juce::MidiMessageMetadata& event) noexcept
{
    if (event.numBytes < 1)
        return false;
    const int kind = event.data[0] & 0xF0;
    return kind == 0x80 || kind == 0x90;
}

void SoundingNotes::fault (std::vector<std::string>& faults, const std::string& what) const
{
    faults.push_back ("block " + std::to_string (blockIndex) + ": " + what);
}

void SoundingNotes::addBlock (const juce::MidiBuffer& output, int numSamples,
                              std::vector<std::string>& faults, bool bypassed)
{
    // A block of no samples may still carry the releases of a transport stop, at its position 0.
    const int end = std::max (numSamples, 1);

    for (const auto event : output)
    {
        if (!isNoteMessage (event))
            continue;

        const int status = event.data[0];
        const bool wellFormed = event.numBytes == 3 && event.data[1] < 0x80 && event.data[2] < 0x80;
        if (!wellFormed)
        {
            fault (faults, "malformed note message " + describe (event));
            continue;
        }

        const int note = event.data[1];
        const int velocity = event.data[2];
        const int channel = (status & 0x0F) + 1;
        const bool isOn = (status & 0xF0) == 0x90 && velocity > 0;

        log += "block " + std::to_string (blockIndex) + " @" + std::to_string (event.samplePosition) + ": " +
               (isOn ? "on " : "off ") + std::to_string (note) +
               (isOn ? " vel " + std::to_string (velocity) : "") + " ch " + std::to_string (channel) + "\n";

        if (event.samplePosition < 0 || event.samplePosition >= end)
            fault (faults, "note message outside its block of " + std::to_string (numSamples) + " samples " +
                               describe (event));

        if (isOn)
        {
            if (channelByNote[note] != 0)
                fault (faults, "note-on for note " + std::to_string (note) + " while it sounds on channel " +
                                   std::to_string (channelByNote[note]) + " " + describe (event));
            channelByNote[note] = channel;
            excused[note] = false;
        }
        else
        {
            if (channelByNote[note] == 0 && (excused[note] || bypassed))
                excused[note] = false;
            else if (channelByNote[note] != channel)
                fault (faults, "note-off for note " + std::to_string (note) + " on channel " +
                                   std::to_string (channel) + ", which does not sound there " +
                                   describe (event));
            else
                channelByNote[note] = 0;
        }
    }
    ++blockIndex;
}

int SoundingNotes::countSounding() const noexcept
{
    int count = 0;
    for (const int channel : channelByNote)
        count += channel != 0 ? 1 : 0;
    return count;
}

std::string SoundingNotes::describeSounding() const
{
    std::string text;
    for (int note = 0; note < 128; ++note)
        if (channelByNote[note] != 0)
            text += (text.empty() ? "" : ", ") + std::to_string (note) + " (ch " +
                    std::to_string (channelByNote[note]) + ")";
    return text;
}

void checkPassThrough (const juce::MidiBuffer& input, const juce::MidiBuffer& output,
                       std::vector<std::string>& faults)
{
    std::vector<std::string> expected, actual;
    for (const auto event : input)
        if (!isNoteMessage (event))
            expected.push_back (describe (event));
    for (const auto event : output)
        if (!isNoteMessage (event))
            actual.push_back (describe (event));

    if (expected == actual)
        return;

    std::string text = "passed-through messages differ: expected";
    for (const auto& e : expected)
        text += " " + e;
    text += "; got";
    for (const auto& a : actual)
        text += " " + a;
    faults.push_back (text);
}
