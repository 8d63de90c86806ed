#pragma once

#include "engine/Quorvanelle.h"
#include "tests/Timeline.h"

#include <functional>

namespace timeline
{
// A random host session as a script: blocks of 0 to 512 samples, presses and releases of every kind of
// key on every channel (velocity-0 note-ons among the releases, some sharing a sample), controllers,
// settings, tempo, bypass, transport starts and stops, ends of the pause that follows a stop; then
// every key let go ("silent" follows) and a stop with keys held. `pick (n)` chooses in 0..n-1.
std::string randomSession (const std::function<int (int)>& pick, int numBlocks);

// Plays a script on `inner` as an instrument would hear it, and records every breach of what the
// output must keep to: every note message well formed and inside its block, no note-on for a note that
// sounds nor note-off for one that does not, the input's other messages passed on unchanged, the
// engine's books in step with what sounds, and nothing sounding after a stop or
// at "silent".
class CheckedTarget final : public Target
{
public:
    CheckedTarget (Target& inner, Quorvanelle& engine) : inner (inner), engine (engine) {}

    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override;
    void command (const std::string& name, double value) override;
    std::string probe (const std::string& what) override { return inner.probe (what); }

    std::vector<std::string> faults;

private:
    void fault (const std::string& what);
    void expectSilence (const char* when);

    Target& inner;
    Quorvanelle& engine;
    int channelByNote[128]{};
    bool excused[128]{};
    bool bypassed = false, playing = false, lastPlaying = false;
    int blockIndex = 0;
    juce::int64 time = 0;
};
} // namespace timeline
