#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// The plug-in's saved state: the seven settings as the attributes of one "general" element inside a
// "Quorvanelle" root, in the framework's binary XML block (magic, text length, UTF-8 text, a zero).
// Hosts keep these blocks in their projects, so the layout, the names and the numbering never change.
class SavedState final
{
public:
    // The settings in the engine's own numbering (operation mode 1 to 7).
    struct Settings
    {
        int onOff = 0;
        int targetOctaveMod = 0;
        int bigChords = 0;
        int expand = 0;
        int rootnote = 0;
        int scaleIndex = 0;
        int sourceMode = 1;

        bool operator== (const Settings& other) const noexcept;
    };

    // Replaces the contents of destData with the block.
    static void write (const Settings& settings, juce::MemoryBlock& destData);

    // The settings of every "general" child, in document order; none when the block is not ours.
    // A missing attribute reads as its default; a value outside its range is clamped into it, the
    // scale index into 0 to numScales - 1.
    static std::vector<Settings> read (const void* data, int sizeInBytes, int numScales);

    // Reads a decimal integer as the C library's atoi does (leading white space, a sign, the digits
    // up to the first other character; 0 without digits), but saturates where atoi would overflow.
    static int parseInteger (juce::StringRef text) noexcept;
};
