// The plug-in as a busy host drives it, every kind of thread at once. CI runs these under
// ThreadSanitizer, which must report nothing.

#include "editor/QuorvanelleAudioProcessorEditor.h"
#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <random>
#include <thread>

TEST (Threads, BlocksHostChangesRestoresAndTheEditorAtOnce)
{
    timeline::ProcessorTarget host;
    const int keys[] = {48, 52, 55, 60, 76, 85, 92, 96, 98, 99, 100, 106};
    std::atomic<int> messageRounds{0}; // of the message thread; -1 ends the render thread

    // The render thread: notes on chord, melody and control keys over two channels, the transport
    // starting and stopping, now and then a bypassed stretch, and automation from inside the blocks as
    // some hosts send it: of "Source through" and "Expand keyboard", which the host thread leaves alone.
    // A host renders in real time, so its blocks never bury the message thread in display messages: this
    // one waits for a round of the message thread every fourth round of its own.
    const auto render = [&]
    {
        std::mt19937 rng (1);
        const auto key = [&] { return std::to_string (keys[rng() % 12]) + (rng() % 2 == 0 ? "c1" : "c2"); };
        for (int round = 0; messageRounds >= 0; ++round)
        {
            for (const int seen = messageRounds; round % 4 == 0 && seen == messageRounds;)
                juce::Thread::sleep (1);
            timeline::play (host, std::string (round % 40 < 30 ? "play=1" : "stop") +
                                      " bypass=" + (round % 53 ? "0" : "1") + " @0 +" + key() + " @128 -" +
                                      key() + " @256");
            if (round % 10 == 0)
                host.parameter (rng() % 2 == 0 ? 2 : 4).setValueNotifyingHost ((float)(rng() % 2));
        }
    };

    // The host thread, for a second and a half: the other five parameters to any of their values, each
    // change followed by a save and restore. Its last value of each must stand at the end.
    const int hostParameters[] = {0, 1, 3, 5, 6};
    float last[7]{};
    const auto hostChanges = [&]
    {
        std::mt19937 rng (2);
        juce::MemoryBlock state;
        const auto end = juce::Time::getMillisecondCounter() + 1500;
        for (int change = 0; juce::Time::getMillisecondCounter() < end; ++change)
        {
            auto& p = host.parameter (hostParameters[rng() % 5]);
            p.setValueNotifyingHost (last[p.getParameterIndex()] =
                                         (float)(rng() % (unsigned)p.getNumSteps()) /
                                         (float)(p.getNumSteps() - 1));
            host.processor.getStateInformation (state);
            host.processor.setStateInformation (state.getData(), (int)state.getSize());
            juce::Thread::sleep (1); // automation at about a thousand changes a second
        }
    };
    auto renderThread = std::async (std::launch::async, render);
    auto hostThread = std::async (std::launch::async, hostChanges);

    // The message thread: the editor opened, its switches clicked, painted and closed, over and over.
    while (hostThread.wait_for (std::chrono::seconds (0)) != std::future_status::ready)
    {
        QuorvanelleAudioProcessorEditor editor (host.processor);
        auto& screen = dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));
        for (auto* button : {&screen.onOffButton, &screen.expandButton, &screen.onOffButton})
        {
            button->triggerClick();
            timeline::pumpMessages (5);
            ++messageRounds;
            editor.createComponentSnapshot (editor.getLocalBounds());
        }
    }
    messageRounds = -1;
    renderThread.get();

    // Nothing left sounding or held once every key is up and a capture tick has passed, nor after a stop.
    std::string release = "bypass=0 resume";
    for (const int key : keys)
        release += " -" + std::to_string (key) + "c1 -" + std::to_string (key) + "c2";
    const auto out = timeline::play (host, release + " @12000 ?sounding ?held stop @12064 ?sounding wait=50");
    EXPECT_EQ (out.substr (out.find ("sounding=")), "sounding= held= sounding=");
    for (const int i : hostParameters)
        EXPECT_EQ (host.parameter (i).getValue(), last[i]) << "the host's last value of parameter " << i;
}

// Linux hosts close an instance on a thread of their own while the message thread may be delivering
// its engine's messages to it.
TEST (Threads, AHostThreadMayCloseTheInstanceWhileItsMessagesAreDelivered)
{
    for (int round = 0; round < 20; ++round)
    {
        auto doomed = std::make_unique<QuorvanelleAudioProcessor>();
        for (auto* p : doomed->getParameters())
            p->setValueNotifyingHost (1.0f);
        auto closing = std::async (std::launch::async, [&] { doomed.reset(); });
        while (closing.wait_for (std::chrono::seconds (0)) != std::future_status::ready)
            timeline::pumpMessages (1);
    }
}

// A paint never sees half a rewrite and never holds the render thread up; what it made a publication
// leave behind arrives at a later block's end, announced once, and after that idle blocks announce
// nothing.
TEST (Threads, PaintsSeeWholeTablesAndWhatTheyHeldUpArrivesOnce)
{
    timeline::EngineTarget target;
    auto& view = *target.engine.keyboardControl;
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread painter (
        [&]
        {
            for (; !stop; ++reads)
            {
                const auto s = view.getSnapshot();
                const int v = s.keyboardSplit % 2;
                torn += std::count (s.keyDisplayState.begin(), s.keyDisplayState.end(), v) != 128 ||
                        std::count (s.outputNoteFlags.begin(), s.outputNoteFlags.end(), v) != 128;
            }
        });
    // Publications until a paint has made one stay behind.
    bool stale = false;
    for (int round = 0; (!stale || round < 100000 || reads < 100000) && round < 20000000; ++round)
    {
        const juce::ScopedLock sl (target.engine.getLock());
        view.keyboardSplit = round;
        std::fill (std::begin (view.keyDisplayState), std::end (view.keyDisplayState), round % 2);
        std::fill (std::begin (view.outputNoteFlags), std::end (view.outputNoteFlags), round % 2);
        view.publish();
        stale = view.getSnapshot().keyboardSplit != round;
    }
    stop = true;
    painter.join();
    EXPECT_EQ (torn.load(), 0);
    ASSERT_TRUE (stale) << "no paint ever held a publication up";
    EXPECT_EQ (timeline::play (target, "?msgs @1 ?split ?msgs @64 ?msgs"),
               "msgs= split=" + std::to_string (view.keyboardSplit) + " msgs=display msgs=");
}
