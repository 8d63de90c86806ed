#pragma once

#include <juce_events/juce_events.h>

#include <array>

// What the on-screen keyboard shows. The engine rewrites the tables under its own lock, then
// publishes a copy; the view reads only the published copy, so a paint never sees half an update
// and never makes the render thread wait.
class KeyboardControl : public juce::ActionBroadcaster
{
public:
    struct Snapshot
    {
        int keyboardSplit = 84;
        std::array<int, 128> keyDisplayState {};
        std::array<int, 128> outputNoteFlags {};
    };

    // Written under the engine's lock (render thread, or the caller of SetOnOff / SetExpand).
    int keyboardSplit = 84;
    // 10 while the key is shown held, plus 1 when it is a current note.
    int keyDisplayState[128] {};
    // 1 while the engine sounds that output note.
    int outputNoteFlags[128] {};

    // Copies the tables above into the published snapshot. Never waits: when a reader holds the
    // snapshot, the copy is left pending and made by the next call of publish() or publishPending().
    void publish() noexcept;
    void publishPending() noexcept;

    // Any thread. Holds the snapshot's lock only for the copy.
    Snapshot getSnapshot() const noexcept;

private:
    mutable juce::SpinLock snapshotLock;
    Snapshot published;
    std::atomic<bool> publishIsPending { false };
};
