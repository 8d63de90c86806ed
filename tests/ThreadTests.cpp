// The plug-in as a busy host drives it, every kind of thread at once. CI runs these under
// ThreadSanitizer, which must report nothing.

#include "editor/QuorvanelleAudioProcessorEditor.h"
#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

TEST (Threads, BlocksHostChangesRestoresAndTheEditorAtOnce)
{
    timeline::ProcessorTarget host;
    const int keys[] = {48, 52, 55, 60, 76, 85, 92, 96, 98, 99, 100, 106};

    // The render thread, at about the pace of real time: notes on chord, melody and control keys over two
    // channels, the transport starting and stopping, now and then a bypassed stretch, and automation from
    // inside the blocks as some hosts send it: of "Source through" and "Expand keyboard", which the host
    // thread leaves alone.
    const auto render = [&]
    {
        const char* const switches[] = {" onoff=0", " onoff=1", " expand=0", " expand=1"};
        juce::Random rng (1);
        auto key = [&] { return std::to_string (keys[rng.nextInt (12)]) + (rng.nextBool() ? "c1" : "c2"); };
        for (int round = 0; round < 1000; ++round, juce::Thread::sleep (1))
            timeline::play (host, "+" + key() + (round % 40 < 30 ? " play=1" : " stop") +
                                      (round % 53 ? " bypass=0" : " bypass=1") + " @128" +
                                      (round % 10 ? "" : switches[rng.nextInt (4)]) + " -" + key() + " @256");
    };
    auto renderThread = std::async (std::launch::async, render);

    // The host thread: a thousand changes, about a thousand a second, of the other five parameters in turn
    // through all their values, each change followed by a save and restore. Its last value of each must
    // stand at the end: step 199 of each, as many as it has: octave -4, mode 4, big chords on, root G,
    // scale 199.
    const int hostParameters[] = {0, 1, 3, 5, 6};
    const auto hostChanges = [&]
    {
        juce::MemoryBlock state;
        for (int change = 0; change < 1000; ++change, juce::Thread::sleep (1))
        {
            auto& p = host.parameter (hostParameters[change % 5]);
            p.setValueNotifyingHost ((float)(change / 5 % p.getNumSteps()) / (float)(p.getNumSteps() - 1));
            host.processor.getStateInformation (state);
            host.processor.setStateInformation (state.getData(), (int)state.getSize());
        }
    };
    auto hostThread = std::async (std::launch::async, hostChanges);

    // The message thread: the editor opened, a switch clicked, painted and closed, over and over.
    for (int round = 0; hostThread.wait_for (std::chrono::seconds (0)) != std::future_status::ready; ++round)
    {
        QuorvanelleAudioProcessorEditor editor (host.processor);
        auto& screen = dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));
        (round % 2 == 0 ? screen.onOffButton : screen.expandButton).triggerClick();
        timeline::pumpMessages (5);
        editor.createComponentSnapshot (editor.getLocalBounds());
    }
    renderThread.get();

    // Nothing left sounding or held once every key is up and a capture tick has passed, nor after a stop;
    // the host's values stand beside the switches, put back to off.
    std::string release = "bypass=0 resume";
    for (const int key : keys)
        release += " -" + std::to_string (key) + "c1 -" + std::to_string (key) + "c2";
    const auto out = timeline::play (
        host, release + " @12000 ?sounding ?held stop @12064 ?sounding onoff=0 expand=0 ?params wait=50");
    EXPECT_EQ (out.substr (out.find ("sounding=")), "sounding= held= sounding= params=-4,3,0,1,0,7,199");
}

// Every way into the engine from outside a block, taking turns with blocks that read what was written and
// automate the two switches: the editor's controls, every host parameter, a restored state, a prepare, and
// of the readers a save and the editor's refresh. The turns are counted on a relaxed atomic, which orders
// nothing, and the writer's thread runs no messages meanwhile, so a write or read without the engine's lock
// is a race that ThreadSanitizer reports in every run, whatever the timing.
TEST (Threads, EveryWriterFromOutsideABlockHoldsTheEngineLock)
{
    timeline::ProcessorTarget host;
    QuorvanelleAudioProcessorEditor editor (host.processor);
    auto& screen = dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));
    juce::MemoryBlock defaults, saved;
    host.processor.getStateInformation (defaults);
    int round = 0; // each writer changes its value in every round
    const auto sync = juce::sendNotificationSync;
    const std::function<void()> writers[] = {
        [&] { screen.sourceModeBox.setSelectedId (3 + round, sync); },
        [&] { screen.rootnoteBox.setSelectedId (2 + round, sync); },
        [&] { screen.scaleBox.setSelectedId (5 + round, sync); },
        [&] { screen.targetOctaveSlider.setValue (1 + round, sync); },
        [&] { screen.bigChordsButton.onClick(); },
        [&] { screen.onOffButton.onClick(); },
        [&] { screen.expandButton.onClick(); },
        [&] { host.processor.setStateInformation (defaults.getData(), (int)defaults.getSize()); },
        [&] { host.processor.prepareToPlay (44100.0 + round, 512); },
        [&] { host.processor.getStateInformation (saved); }, // and two readers
        [&] { screen.setDisplayFromModel(); },
    };
    // In each of two rounds the writers, then each parameter flipped to its other end.
    const int numWriters = (int)std::size (writers), perRound = numWriters + 7, writes = 2 * perRound;
    std::atomic<int> turn{0}; // even: a write's turn; odd: a block's
    // Sleeping, not spinning: ThreadSanitizer keeps a thread's last accesses only, and a race is reported
    // only while the earlier access is among them.
    const auto await = [&] (int t)
    {
        while (turn.load (std::memory_order_relaxed) != t)
            std::this_thread::sleep_for (std::chrono::microseconds (200));
    };
    std::thread render (
        [&]
        {
            for (int t = 1; t < 2 * writes; t += 2)
            {
                await (t);
                // A recalculation and a control chord read the settings; the automation comes last, as
                // the messages it sends would order the block after the write.
                const auto on = std::to_string (t / 2 % 2);
                timeline::play (host, "@0 +48 +85 @8 -85 -48 @16 onoff=" + on + " expand=" + on);
                turn.store (t + 1, std::memory_order_relaxed);
            }
        });
    for (int write = 0; write < writes; round = ++write / perRound)
    {
        await (2 * write);
        auto& p = host.parameter (write % perRound % 7);
        write % perRound < numWriters ? writers[write % perRound]()
                                      : p.setValueNotifyingHost (p.getValue() > 0.5f ? 0.0f : 1.0f);
        turn.store (2 * write + 1, std::memory_order_relaxed);
    }
    render.join();
    EXPECT_EQ (timeline::play (host, "wait=1 ?params ?sounding"), "params=5,6,1,1,1,11,373 sounding=");
}

// Linux hosts close an instance on a thread of their own while the message thread may be delivering its
// engine's messages to it.
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
// leave behind arrives at the next block's end, announced once, and after that idle blocks announce
// nothing. The publications go on until a paint has made one stay behind (else the first block announces
// nothing).
TEST (Threads, PaintsSeeWholeTablesAndWhatTheyHeldUpArrivesOnce)
{
    timeline::EngineTarget target;
    auto& view = *target.engine.keyboardControl;
    std::atomic<int> torn{0}, reads{0}, stop{0};
    const auto paint = [&]
    {
        for (auto s = view.getSnapshot(); !stop; s = view.getSnapshot(), ++reads)
            torn += s.keyDisplayState != s.outputNoteFlags || s.keyDisplayState[0] != s.keyboardSplit % 2;
    };
    auto painter = std::async (std::launch::async, paint);
    for (int round = 0; (reads < 100000 || view.getSnapshot().keyboardSplit == round) && round < 20000000;)
    {
        view.keyboardSplit = ++round;
        std::fill_n (view.keyDisplayState, 128, round % 2);
        std::fill_n (view.outputNoteFlags, 128, round % 2);
        view.publish();
    }
    stop = 1;
    painter.get();
    EXPECT_EQ (timeline::play (target, "?msgs @1 ?split ?msgs @64 ?msgs") + " torn=" + std::to_string (torn),
               "msgs= split=" + std::to_string (view.keyboardSplit) + " msgs=display msgs= torn=0");
}
