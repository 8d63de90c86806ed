#include "engine/Quorvanelle.h"

#include <benchmark/benchmark.h>

// One recalculation as a chord-key press triggers it on the render thread, per operation mode, with a
// four-note chord held; then the same with every chord key held (the largest "Chords" result).
static void recalculateCurrentNotes (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    engine.mSourceMode = (int)state.range (0);

    const int heldKeys = (int)state.range (1);
    for (int k = 0; k < heldKeys; ++k)
        engine.midiReceiver.noteState[heldKeys == 84 ? k : 48 + 3 * k] = 1100;

    for (auto _ : state)
    {
        engine.needRecalc = true;
        engine.RecalcTheCurNotesIfNeeded();
        benchmark::DoNotOptimize (engine.melodyMap.data());
    }
}
BENCHMARK (recalculateCurrentNotes)->ArgsProduct ({{1, 2, 3, 4, 5, 6, 7}, {4}})->Args ({1, 84});

static void refreshKeyboardDisplay (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    engine.mSourceMode = 2;
    engine.storedChord = {48, 52, 55};
    engine.midiReceiver.noteState[96] = 1100;
    engine.outputsBySource[96] = {60};

    for (auto _ : state)
        engine.CalculateKeyboardControlNotes (state.range (0) != 0);
}
BENCHMARK (refreshKeyboardDisplay)->Arg (0)->Arg (1);
