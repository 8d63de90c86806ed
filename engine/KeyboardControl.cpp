#include "engine/KeyboardControl.h"

#include <algorithm>

const juce::String KeyboardControl::displayChangedMessage{"keyboardDisplayChangedMessage"};

void KeyboardControl::publish() noexcept
{
    const juce::SpinLock::ScopedTryLockType sl (snapshotLock);

    if (!sl.isLocked())
    {
        // A paint is copying the snapshot right now: leave the copy to the next publish.
        publishIsPending.store (true);
        return;
    }

    published.keyboardSplit = keyboardSplit;
    std::copy (std::begin (keyDisplayState), std::end (keyDisplayState), published.keyDisplayState.begin());
    std::copy (std::begin (outputNoteFlags), std::end (outputNoteFlags), published.outputNoteFlags.begin());
    publishIsPending.store (false);
}

void KeyboardControl::publishPending()
{
    if (!publishIsPending.load())
        return;

    publish();

    if (!publishIsPending.load())
        sendActionMessage (displayChangedMessage);
}

KeyboardControl::Snapshot KeyboardControl::getSnapshot() const noexcept
{
    const juce::SpinLock::ScopedLockType sl (snapshotLock);
    return published;
}
