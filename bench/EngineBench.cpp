#include "engine/Quorvanelle.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <cstdlib>
#include <new>

//==============================================================================
// Every heap allocation of the process is counted: JUCE's containers take theirs from malloc and
// realloc, the standard library's through operator new, which on glibc ends in malloc as well.
namespace
{
std::atomic<long long> allocations{0};
}

#if defined(__GLIBC__)
extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);

    void* malloc (size_t size) noexcept
    {
        allocations.fetch_add (1, std::memory_order_relaxed);
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size) noexcept
    {
        allocations.fetch_add (1, std::memory_order_relaxed);
        return __libc_calloc (count, size);
    }

    void* realloc (void* block, size_t size) noexcept
    {
        allocations.fetch_add (1, std::memory_order_relaxed);
        return __libc_realloc (block, size);
    }
}
#else
void* operator new (std::size_t size)
{
    allocations.fetch_add (1, std::memory_order_relaxed);
    if (auto* block = std::malloc (size))
        return block;
    throw std::bad_alloc();
}

void operator delete (void* block) noexcept
{
    std::free (block);
}
#endif

namespace
{
constexpr int blockSize = 512;

juce::MidiBuffer& addNote (juce::MidiBuffer& buffer, int pos, int key, bool on)
{
    const juce::uint8 bytes[] = {(juce::uint8) (on ? 0x90 : 0x80), (juce::uint8)key,
                                 (juce::uint8) (on ? 100 : 0)};
    buffer.addEvent (bytes, 3, pos);
    return buffer;
}

// A chord change from `from` to `to`, a dozen melody notes and a control-key chord: 32 note events.
juce::MidiBuffer denseBlock (const int (&from)[3], const int (&to)[3])
{
    juce::MidiBuffer buffer;
    for (int n = 0; n < 3; ++n)
    {
        addNote (buffer, 0, from[n], false);
        addNote (buffer, 0, to[n], true);
    }
    const int melody[] = {84, 86, 88, 89, 91, 93, 95, 96, 98, 100, 101, 103};
    for (int n = 0; n < 12; ++n)
    {
        addNote (buffer, 10 + 40 * n, melody[n], true);
        addNote (buffer, 40 + 40 * n, melody[n], false);
    }
    addNote (buffer, 200, 99, true);
    addNote (buffer, 480, 99, false);
    return buffer;
}

// An engine in the middle of playing: a chord held and latched, "Chords + scale", a melody key down.
struct PlayingEngine
{
    explicit PlayingEngine (bool skipIdleSamples)
    {
        engine.skipIdleSamples = skipIdleSamples;
        engine.mSourceMode = 2;
        engine.hostPosition.isPlaying = true;
        engine.hostPosition.bpm = 120.0;
        juce::MidiBuffer start;
        for (const int key : {48, 52, 55})
            addNote (start, 0, key, true);
        addNote (start, 5, 108, true);
        run (start);
        for (int block = 0; block < 20; ++block)
            run (input);
    }

    juce::MidiBuffer run (juce::MidiBuffer& midi) { return engine.processBlock (blockSize, midi, audio); }

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    juce::AudioBuffer<float> audio;
    juce::MidiBuffer input;
};

void reportAllocations (benchmark::State& state, long long before)
{
    state.counters["allocs/block"] =
        benchmark::Counter ((double)(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void idleBlock (benchmark::State& state)
{
    PlayingEngine playing (state.range (0) != 0);
    const auto before = allocations.load();

    for (auto _ : state)
    {
        auto output = playing.run (playing.input);
        benchmark::DoNotOptimize (output);
    }

    reportAllocations (state, before);
}

void denseBlock (benchmark::State& state)
{
    PlayingEngine playing (state.range (0) != 0);
    const juce::MidiBuffer blocks[] = {denseBlock ({48, 52, 55}, {50, 53, 57}),
                                       denseBlock ({50, 53, 57}, {48, 52, 55})};
    playing.input.ensureSize (4096);
    const auto before = allocations.load();
    size_t which = 0;

    for (auto _ : state)
    {
        // Refilled into storage it already owns: a copy of about 300 bytes, no allocation.
        playing.input.data.addArray (blocks[which].data);
        which ^= 1;
        auto output = playing.run (playing.input);
        benchmark::DoNotOptimize (output);
    }

    reportAllocations (state, before);
}

// The floor: what it costs just to copy the dense block's events into a new buffer.
void copyDenseEvents (benchmark::State& state)
{
    const auto events = denseBlock ({48, 52, 55}, {50, 53, 57});
    const auto before = allocations.load();

    for (auto _ : state)
    {
        juce::MidiBuffer copy;
        for (const auto event : events)
            copy.addEvent (event.data, event.numBytes, event.samplePosition);
        benchmark::DoNotOptimize (copy);
    }

    reportAllocations (state, before);
}
} // namespace

BENCHMARK (idleBlock)->ArgName ("skip")->Arg (1)->Arg (0);
BENCHMARK (denseBlock)->ArgName ("skip")->Arg (1)->Arg (0);
BENCHMARK (copyDenseEvents);
