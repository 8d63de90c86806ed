#pragma once

#include "engine/Quorvanelle.h"

#include <juce_events/juce_events.h>

#include <initializer_list>
#include <vector>

// Drives the engine's note calculation and display model directly, the way block processing does,
// without going through processBlock.
namespace enginedriver
{
// Keys down and already handled by the engine's per-key pass (velocity 100).
inline void holdKeys (Quorvanelle& engine, std::initializer_list<int> keys)
{
    for (const int key : keys)
        engine.midiReceiver.noteState[key] = 1100;
}

// A chord-key press or release: the current notes are computed again, under the engine's lock.
inline std::vector<int> recalc (Quorvanelle& engine)
{
    const juce::ScopedLock sl (engine.getLock());
    engine.needRecalc = true;
    engine.RecalcTheCurNotesIfNeeded();
    return engine.curNotes;
}

inline void refreshDisplay (Quorvanelle& engine, bool recalcFirst)
{
    const juce::ScopedLock sl (engine.getLock());
    engine.CalculateKeyboardControlNotes (recalcFirst);
}

// Collects the messages of a broadcaster as the message thread delivers them.
struct MessageLog final : public juce::ActionListener
{
    void actionListenerCallback (const juce::String& message) override { messages.add (message); }

    juce::StringArray messages;
};

inline void pumpMessages (int milliseconds = 30)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
} // namespace enginedriver
