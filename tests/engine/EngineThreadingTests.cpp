#include "EngineDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

using namespace enginedriver;

namespace
{
// Run under ThreadSanitizer by CI: any unguarded access between these threads is reported there.
TEST (EngineThreads, BlocksRunWhileEveryOtherThreadWritesSettingsAndReadsTheDisplay)
{
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    MessageLog log;
    engine.addActionListener (&log);
    engine.keyboardControl->addActionListener (&log);

    std::atomic<bool> done{false};
    std::atomic<int> badSnapshots{0};
    int pausesEnded = 0;

    // The host's render thread: transport, then the block, as the processor hands them over.
    std::thread render (
        [&]
        {
            std::mt19937 rng (7);
            juce::AudioBuffer<float> audio;
            bool wasSuspended = false;
            // Long enough for stops in both windows to see their pause end on the message thread.
            const auto start = juce::Time::getMillisecondCounter();
            for (int block = 0; juce::Time::getMillisecondCounter() - start < 700; ++block)
            {
                juce::MidiBuffer midi;
                for (int e = 0; e < 6; ++e)
                {
                    const auto key = (juce::uint8) (48 + rng() % 64);
                    const juce::uint8 note[] = {(juce::uint8) (rng() % 2 == 0 ? 0x90 : 0x80), key, 100};
                    midi.addEvent (note, 3, (int)(rng() % 256));
                }
                {
                    const juce::ScopedLock sl (engine.getLock());
                    engine.hostPosition.isPlaying = (juce::Time::getMillisecondCounter() - start) % 350 < 200;
                    engine.hostPosition.bpm = 60.0 + block % 200;
                }
                auto output = engine.processBlock (256, midi, audio);

                const bool suspended = engine.inputSuspended.load();
                if (wasSuspended && !suspended)
                    ++pausesEnded;
                wasSuspended = suspended;
            }
            done = true;
        });

    // A host that sets parameters, prepares and restores on threads of its own.
    std::thread host (
        [&]
        {
            std::mt19937 rng (11);
            while (!done)
            {
                {
                    const juce::ScopedLock sl (engine.getLock());
                    engine.mTargetOctaveMod = (int)(rng() % 11) - 5;
                    engine.mBigChords = (int)(rng() % 2);
                    engine.mRootnote = (int)(rng() % 12);
                    engine.mScaleIndex = (int)(rng() % 374);
                    engine.mSourceMode = 1 + (int)(rng() % 7);
                    if (rng() % 50 == 0)
                    {
                        engine.sampleRate = rng() % 2 == 0 ? 44100.0 : 96000.0;
                        engine.samplePosition = 0;
                    }
                }
                engine.SetOnOff ((int)(rng() % 2));
                engine.SetExpand ((int)(rng() % 2));
            }
        });

    // The keyboard view: reads only the published display model.
    std::thread view (
        [&]
        {
            while (!done)
            {
                const auto snapshot = engine.keyboardControl->getSnapshot();
                bool consistent = snapshot.keyboardSplit == 72 || snapshot.keyboardSplit == 84;
                for (size_t k = 0; k < 128; ++k)
                {
                    const int shown = snapshot.keyDisplayState[k];
                    consistent = consistent && (shown == 0 || shown == 1 || shown == 10 || shown == 11) &&
                                 (snapshot.outputNoteFlags[k] == 0 || snapshot.outputNoteFlags[k] == 1);
                }
                if (!consistent)
                    ++badSnapshots;
            }
        });

    // The message thread: the editor's buttons, message delivery and the pause's timer.
    for (int click = 0; !done; ++click)
    {
        engine.SetOnOff (click % 2);
        engine.SetExpand ((click / 3) % 2);
        pumpMessages (2);
    }

    render.join();
    host.join();
    view.join();
    EXPECT_EQ (badSnapshots.load(), 0);
    EXPECT_GE (pausesEnded, 1);
    EXPECT_TRUE (log.messages.contains ("keyboardDisplayChangedMessage"));
    EXPECT_TRUE (log.messages.contains ("expandChange"));
}
} // namespace
