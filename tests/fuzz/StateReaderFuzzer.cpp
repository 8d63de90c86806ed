// Any bytes, as a block and as the text of a block: whatever reads has every setting in its range and
// writes a block that reads back the same.

#include "plugin/SavedState.h"

#include <cstdlib>

static void check (const std::vector<SavedState::Settings>& read)
{
    for (const auto& s : read)
    {
        juce::MemoryBlock written;
        SavedState::write (s, written);
        const auto again = SavedState::read (written.getData(), (int)written.getSize(), 374);
        if (s.onOff != (s.onOff & 1) || s.bigChords != (s.bigChords & 1) || s.expand != (s.expand & 1) ||
            std::abs (s.targetOctaveMod) > 5 || s.rootnote != juce::jlimit (0, 11, s.rootnote) ||
            s.scaleIndex != juce::jlimit (0, 373, s.scaleIndex) ||
            s.sourceMode != juce::jlimit (1, 7, s.sourceMode) || again.size() != 1 || !(again[0] == s))
            std::abort(); // a setting out of its range, or not read back as written
    }
}

// libFuzzer's entry point, declared as its driver declares it.
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    check (SavedState::read (data, (int)size, 374));
    juce::MemoryOutputStream block;
    block.writeInt (0x21324356);
    block.writeInt ((int)size);
    block.write (data, size);
    block.writeByte (0);
    check (SavedState::read (block.getData(), (int)block.getDataSize(), 374));
    return 0;
}
