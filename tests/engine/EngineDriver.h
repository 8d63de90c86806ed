#pragma once

#include "MidiTimeline.h"
#include "engine/Quorvanelle.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

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

// An engine fed through a timeline, with a log of both of its broadcasters.
class EngineScenario : public ::testing::Test
{
protected:
    EngineScenario()
    {
        engine.addActionListener (&log);
        engine.keyboardControl->addActionListener (&log);
    }

    ~EngineScenario() override
    {
        engine.removeActionListener (&log);
        engine.keyboardControl->removeActionListener (&log);
    }

    // As the host or the editor writes a setting.
    void set (int& setting, int value)
    {
        const juce::ScopedLock sl (engine.getLock());
        setting = value;
    }

    // The messages delivered since the last call, comma-separated.
    juce::String messagesSoFar()
    {
        pumpMessages();
        const auto text = log.messages.joinIntoString (",");
        log.messages.clear();
        return text;
    }

    // No output note is booked or waits for its release.
    bool nothingSounds() const
    {
        for (int k = 0; k < 128; ++k)
            if (engine.sourceByOutput[k] != -1 || !engine.outputsBySource[k].empty())
                return false;
        return engine.deferredNoteOffs.empty();
    }

    const juce::String display{"keyboardDisplayChangedMessage"};
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    miditimeline::EngineRunner runner{engine};
    MessageLog log;
};
} // namespace enginedriver
