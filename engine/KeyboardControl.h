#pragma once

#include <juce_events/juce_events.h>

#include <array>
#include <atomic>

// What the on-screen keyboard shows. The engine rewrites the tables under its own lock, then
// publishes a copy; the view reads only the published copy, so a paint never sees half an update
// and never makes the render thread wait.
class KeyboardControl final : public juce::ActionBroadcaster
{
public:
    struct Snapshot
    {
        int keyboardSplit = 84;
        std::array<int, 128> keyDisplayState{};
        std::array<int, 128> outputNoteFlags{};
    };

    // The one message this broadcaster sends; the view repaints on it.
    static const juce::String displayChangedMessage;

    // Written under the engine's lock (render thread, or the caller of SetOnOff / SetExpand).
    int keyboardSplit = 84;
    // 10 while the key is shown held, plus 1 when it is a current note.
    int keyDisplayState[128]{};
    // 1 while the engine sounds that output note.
    int outputNoteFlags[128]{};

    // Copies the tables above into the published snapshot. Never waits: when a reader holds the
    // snapshot, the copy is left pending and made by the next call of publish() or publishPending().
    // Both are called under the engine's lock, which guards the tables.
    void publish() noexcept;
    // Makes a copy that publish() had to leave, and then sends the display message again so that the
    // view repaints from it. The engine calls it at the end of every block.
    void publishPending();

    // Any thread. Holds the snapshot's lock only for the copy.
    Snapshot getSnapshot() const noexcept;

private:
    mutable juce::SpinLock snapshotLock;
    Snapshot published;
    std::atomic<bool> publishIsPending{false};
};
