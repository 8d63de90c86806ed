#include "engine/KeyboardControl.h"

void KeyboardControl::publish() noexcept {}
void KeyboardControl::publishPending() noexcept {}

KeyboardControl::Snapshot KeyboardControl::getSnapshot() const noexcept
{
    const juce::SpinLock::ScopedLockType sl (snapshotLock);
    return published;
}
