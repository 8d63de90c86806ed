// Throws arbitrary bytes at the reader of the saved state. Whatever it is given it must not crash,
// every setting it returns must lie within its range, and what it returns must survive being written
// and read again unchanged. Half of the inputs are wrapped as a well-formed block around the bytes as
// text, so that the fuzzer spends its time in the XML rather than on the magic number.

#include "plugin/SavedState.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
constexpr int numScales = 374;

void failIf (bool fault, const char* what)
{
    if (!fault)
        return;
    std::fprintf (stderr, "FAULT: %s\n", what);
    std::abort();
}

void check (const std::vector<SavedState::Settings>& read)
{
    for (const auto& s : read)
    {
        failIf (s.onOff < 0 || s.onOff > 1, "onOff out of range");
        failIf (s.targetOctaveMod < -5 || s.targetOctaveMod > 5, "targetOctaveMod out of range");
        failIf (s.bigChords < 0 || s.bigChords > 1, "bigChords out of range");
        failIf (s.expand < 0 || s.expand > 1, "expand out of range");
        failIf (s.rootnote < 0 || s.rootnote > 11, "rootnote out of range");
        failIf (s.scaleIndex < 0 || s.scaleIndex >= numScales, "scaleIndex out of range");
        failIf (s.sourceMode < 1 || s.sourceMode > 7, "sourceMode out of range");

        juce::MemoryBlock written;
        SavedState::write (s, written);
        const auto again = SavedState::read (written.getData(), (int)written.getSize(), numScales);
        failIf (again.size() != 1 || !(again[0] == s), "a written state does not read back the same");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    check (SavedState::read (data, (int)size, numScales));

    if (size > 0 && (data[0] & 1) != 0)
    {
        // Magic, the text's length, the text, a zero: the framework's block around the bytes.
        std::vector<uint8_t> block{0x56, 0x43, 0x32, 0x21};
        const auto length = (uint32_t)(size - 1);
        for (int i = 0; i < 4; ++i)
            block.push_back ((uint8_t)(length >> (8 * i)));
        block.insert (block.end(), data + 1, data + size);
        block.push_back (0);
        check (SavedState::read (block.data(), (int)block.size(), numScales));
    }
    return 0;
}
