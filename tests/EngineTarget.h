#pragma once

#include "engine/Quorvanelle.h"
#include "tests/Timeline.h"

#include <cmath>
#include <cstdio>

namespace timeline
{
inline std::string listed (const std::vector<int>& values)
{
    std::string text;
    for (const int v : values)
        text += (text.empty() ? "" : ",") + std::to_string (v);
    return text;
}

// Collects a broadcaster's messages as the message thread delivers them.
struct MessageLog final : public juce::ActionListener
{
    void actionListenerCallback (const juce::String& m) override
    {
        messages.add (m == KeyboardControl::displayChangedMessage ? "display" : m);
    }
    juce::StringArray messages;
};

// What the engine shows of itself, for "?what" in a script: the current notes, the latched chord, the
// melody map from a to b ("map99-107"), the keys the keyboard view marks and the notes it shows sounding,
// its split, the tracker's keys, its settings, the messages sent since the last look, whether note input is
// paused.
class EngineProbe
{
public:
    explicit EngineProbe (Quorvanelle& e) : engine (e)
    {
        engine.addActionListener (&log);
        engine.keyboardControl->addActionListener (&log);
    }

    ~EngineProbe()
    {
        engine.removeActionListener (&log);
        engine.keyboardControl->removeActionListener (&log);
    }

    std::string report (const std::string& what)
    {
        const auto view = engine.keyboardControl->getSnapshot();
        std::vector<int> values;
        int from = 0, to = 0;
        if (what == "msgs")
        {
            pumpMessages();
            const auto text = log.messages.joinIntoString (",").toStdString();
            log.messages.clear();
            return text;
        }
        const juce::ScopedLock sl (engine.getLock());
        if (what == "notes")
            return listed (engine.curNotes);
        if (what == "chord")
            return listed (engine.storedChord);
        if (what == "split")
            return std::to_string (view.keyboardSplit);
        if (what == "settings") // in host index order, the mode as the engine counts it
            return listed ({engine.mTargetOctaveMod, engine.mSourceMode, engine.mOnOff, engine.mBigChords,
                            engine.mExpand, engine.mRootnote, engine.mScaleIndex});
        if (what == "paused")
            return std::to_string ((int)engine.inputSuspended.load());
        if (std::sscanf (what.c_str(), "map%d-%d", &from, &to) == 2)
            return listed (
                std::vector<int> (engine.melodyMap.begin() + from, engine.melodyMap.begin() + to + 1));
        for (int k = 0; k < 128; ++k)
            if (what == "shown" && view.keyDisplayState[(size_t)k] != 0)
                values.insert (values.end(), {k, view.keyDisplayState[(size_t)k]});
            else if ((what == "sounding" && view.outputNoteFlags[(size_t)k] != 0) ||
                     (what == "held" && engine.midiReceiver.noteState[k] != -1))
                values.push_back (k);
        return listed (values);
    }

    Quorvanelle& engine;
    MessageLog log;
};

// Writes a setting as a host or the editor does; the switches go through the engine's own operations.
inline bool writeSetting (Quorvanelle& engine, const std::string& name, double number)
{
    const int value = std::isfinite (number) ? (int)juce::jlimit (-2.0e9, 2.0e9, number) : 0;
    if (name == "onoff" || name == "expand")
    {
        name == "onoff" ? engine.SetOnOff (value) : engine.SetExpand (value);
        return true;
    }
    const char* const names[] = {"big", "oct", "root", "scale", "mode"};
    const char* const messages[] = {"bigChordsChange", "targetOctaveModChange", "rootnoteChange",
                                    "scaleIndexChange", "sourceModeChange"};
    int Quorvanelle::*const fields[] = {&Quorvanelle::mBigChords, &Quorvanelle::mTargetOctaveMod,
                                        &Quorvanelle::mRootnote, &Quorvanelle::mScaleIndex,
                                        &Quorvanelle::mSourceMode};
    const juce::ScopedLock sl (engine.getLock());
    for (int i = 0; i < 5; ++i)
        if (name == names[i])
        {
            engine.*fields[i] = value;
            engine.sendActionMessage (messages[i]);
            return true;
        }
    if (name == "resume")
        engine.timerCallback(); // the end of a stop's pause, without waiting for the timer
    else if (name == "skip")
        engine.skipIdleSamples = value != 0;
    return name == "resume" || name == "skip";
}

// The engine fed as the processor feeds it.
class EngineTarget final : public Target
{
public:
    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        {
            const juce::ScopedLock sl (engine.getLock());
            engine.hostPosition.isPlaying = playing;
            engine.hostPosition.bpm = bpm;
        }
        juce::AudioBuffer<float> audio;
        auto output = engine.processBlock (numSamples, midi, audio);
        juce::MidiBuffer offs; // a bypassed processor passes on only these
        for (const auto e : output)
            if (e.getMessage().isNoteOff())
                offs.addEvent (e.data, e.numBytes, e.samplePosition);
        return bypassed ? offs : output;
    }

    void command (const std::string& name, double value) override
    {
        if (!writeSetting (engine, name, value))
        {
            const juce::ScopedLock sl (engine.getLock());
            playing = name == "play" ? value != 0 : name == "stop" ? false : playing;
            bpm = name == "bpm" ? value : bpm;
            bypassed = name == "bypass" ? value != 0 : bypassed;
            engine.sampleRate = name == "rate" ? value : engine.sampleRate;
        }
    }

    std::string probe (const std::string& what) override { return probes.report (what); }

    Quorvanelle engine;
    EngineProbe probes{engine};
    bool playing = false, bypassed = false;
    double bpm = 120.0;
};
} // namespace timeline
