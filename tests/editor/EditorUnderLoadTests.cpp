// The plug-in as a busy host drives it: blocks on the render thread, automation on a thread of its
// own and on the render thread, state saves and restores on a third, and the editor opened, painted
// and closed on the message thread, all at once. CI runs these under ThreadSanitizer (no race may be
// reported) and under AddressSanitizer (no finding, no leak).

#include "editor/QuorvanelleAudioProcessorEditor.h"

#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

using editor_test::render;

namespace
{
// Delivers some of the messages waiting, as a message loop does between paints.
void deliverSomeMessages()
{
    for (int n = 0; n < 50 && juce::dispatchNextMessageOnSystemQueue (true); ++n)
    {
    }
}

// Every message, once no other thread posts any more.
void deliverAllMessages()
{
    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }
}

struct CloseEditor
{
    void operator() (juce::AudioProcessorEditor* editor) const
    {
        editor->processor.editorBeingDeleted (editor);
        delete editor;
    }
};

using EditorPtr = std::unique_ptr<juce::AudioProcessorEditor, CloseEditor>;

class BusyHost : public ::testing::Test
{
protected:
    BusyHost() { processor.prepareToPlay (44100.0, 32); }

    // Any value a host may send, steps or not, to any of the seven.
    void automate (std::mt19937& rng)
    {
        auto* parameter = processor.getParameters()[(int)(rng() % 7)];
        parameter->setValueNotifyingHost ((float)(rng() % 1001) / 1000.0f);
    }

    // A 32-sample block with notes on chord, melody and control keys; every tenth block the host
    // first delivers automation on the render thread, as some hosts do.
    void renderBlock (int block, std::mt19937& rng, juce::AudioBuffer<float>& audio, juce::MidiBuffer& midi)
    {
        if (block % 10 == 0)
            automate (rng);

        midi.clear();
        const int keys[] = {48, 52, 55, 60, 96, 98, 100, 85, 99, 92, 106, 76};
        const auto key = keys[rng() % 12];
        midi.addEvent (
            juce::MidiMessage::noteOn (1 + (int)(rng() % 16), key, (juce::uint8) (1 + rng() % 127)),
            (int)(rng() % 32));
        if (rng() % 2 == 0)
            midi.addEvent (juce::MidiMessage::noteOff (1, keys[rng() % 12]), (int)(rng() % 32));

        if (block % 500 == 250)
            processor.processBlockBypassed (audio, midi);
        else
            processor.processBlock (audio, midi);
    }

    // The render thread posts display messages for the message thread; a host renders in real time,
    // so it never runs far ahead of it. Faster than real time, this one waits for the message
    // thread's next round every 64 blocks, and for no longer than a few milliseconds.
    void keepPaceWithTheMessageThread (int block)
    {
        if (block % 64 != 63)
            return;
        const int seen = messageRounds.load();
        for (int wait = 0; wait < 20 && messageRounds.load() == seen; ++wait)
            juce::Thread::sleep (1);
    }

    std::atomic<int> messageRounds{0};

    // Saved settings in the processor's parameters and in its engine agree once every message is in.
    void expectParametersInStepWithTheEngine()
    {
        deliverAllMessages();
        std::vector<int> shown;
        for (auto* p : processor.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
                shown.push_back (juce::roundToInt (ranged->convertFrom0to1 (ranged->getValue())));
        ASSERT_EQ (shown.size(), 7u);

        const juce::ScopedLock sl (processor.engine.getLock());
        const auto& e = processor.engine;
        EXPECT_EQ (shown, (std::vector<int>{e.mTargetOctaveMod, e.mSourceMode - 1, e.mOnOff, e.mBigChords,
                                            e.mExpand, e.mRootnote, e.mScaleIndex}));
    }

    juce::ScopedJuceInitialiser_GUI gui;
    QuorvanelleAudioProcessor processor;
};

TEST_F (BusyHost, ThreadsOfEveryKindRaceNothing)
{
    constexpr int numBlocks = 100000, numChanges = 100000, numRestores = 1000;
    std::atomic<int> threadsRunning{3};

    std::thread renderThread (
        [&]
        {
            std::mt19937 rng (1);
            juce::AudioBuffer<float> audio (0, 32);
            juce::MidiBuffer midi;
            for (int block = 0; block < numBlocks; ++block)
            {
                renderBlock (block, rng, audio, midi);
                keepPaceWithTheMessageThread (block);
            }
            --threadsRunning;
        });

    std::thread automationThread (
        [&]
        {
            std::mt19937 rng (2);
            // In bursts, as a host's automation comes, leaving the lock to the others in between.
            for (int change = 0; change < numChanges; ++change)
            {
                automate (rng);
                if (change % 50 == 49)
                    juce::Thread::sleep (1);
            }
            --threadsRunning;
        });

    std::thread stateThread (
        [&]
        {
            juce::MemoryBlock state;
            for (int i = 0; i < numRestores; ++i)
            {
                processor.getStateInformation (state);
                processor.setStateInformation (state.getData(), (int)state.getSize());
                juce::Thread::sleep (1);
            }
            --threadsRunning;
        });

    // The message thread: the editor opens, paints and closes while the others run.
    int editors = 0;
    while (threadsRunning > 0)
    {
        EditorPtr editor (processor.createEditorIfNeeded());
        for (int paint = 0; paint < 3; ++paint)
        {
            deliverSomeMessages();
            ++messageRounds;
            render (*editor);
        }
        editor.reset();
        deliverSomeMessages();
        ++editors;
        ++messageRounds;
    }

    renderThread.join();
    automationThread.join();
    stateThread.join();
    expectParametersInStepWithTheEngine();
    std::cout << "[ figures  ] " << numBlocks << " blocks of 32 samples, " << numChanges + numBlocks / 10
              << " parameter changes (" << numBlocks / 10 << " on the render thread), " << numRestores
              << " saves and restores, " << editors << " editors opened, painted and closed\n";
}

TEST_F (BusyHost, TwoHundredEditorsOpenAndCloseWhileTheInstanceRunsAndIsAutomated)
{
    std::atomic<bool> stop{false};
    std::thread renderThread (
        [&]
        {
            std::mt19937 rng (3);
            juce::AudioBuffer<float> audio (0, 32);
            juce::MidiBuffer midi;
            // In real time: 32 samples take about 0.7 ms.
            for (int block = 0; !stop; ++block)
            {
                renderBlock (block, rng, audio, midi);
                juce::Thread::sleep (1);
            }
        });
    std::thread automationThread (
        [&]
        {
            std::mt19937 rng (4);
            while (!stop)
            {
                automate (rng);
                juce::Thread::sleep (1);
            }
        });

    for (int cycle = 0; cycle < 200; ++cycle)
    {
        EditorPtr editor (processor.createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        deliverSomeMessages();
        render (*editor);
        editor.reset();
        ASSERT_EQ (processor.getActiveEditor(), nullptr);
    }

    stop = true;
    renderThread.join();
    automationThread.join();
    expectParametersInStepWithTheEngine();
}
} // namespace
