// Any bytes, as a block and as the text of a block: whatever reads has every setting in its range and
// writes a block that reads back the same.

#include "plugin/SavedState.h"

#include <cstdio>
#include <cstdlib>

namespace
{
void check (const std::vector<SavedState::Settings>& read)
{
    for (const auto& s : read)
    {
        juce::MemoryBlock written;
        SavedState::write (s, written);
        const auto again = SavedState::read (written.getData(), (int)written.getSize(), 374);
        if (s.onOff < 0 || s.onOff > 1 || s.targetOctaveMod < -5 || s.targetOctaveMod > 5 ||
            s.bigChords < 0 || s.bigChords > 1 || s.expand < 0 || s.expand > 1 || s.rootnote < 0 ||
            s.rootnote > 11 || s.scaleIndex < 0 || s.scaleIndex > 373 || s.sourceMode < 1 ||
            s.sourceMode > 7 || again.size() != 1 || !(again[0] == s))
        {
            std::fprintf (stderr, "FAULT: a setting out of range, or not read back as written\n");
            std::abort();
        }
    }
}
} // namespace

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
