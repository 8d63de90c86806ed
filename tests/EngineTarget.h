#pragma once

#include "engine/Quorvanelle.h"
#include "tests/Timeline.h"

namespace timeline
{
inline std::string listed (const std::vector<int>& values)
{
    std::string text;
    for (const int v : values)
        text += (text.empty() ? "" : ",") + std::to_string (v);
    return text;
}

// Reports, for "?what" in a script: the current "notes", the latched "chord", the melody map from a to b
// ("map99-107"), the keys the keyboard view marks ("shown", key and value) and the notes it shows
// "sounding", its "split", the tracker's "held" keys, the "settings" in host order, whether note input
// is "paused" (1, plus 2 while the timer that ends the pause runs), and the "msgs" both broadcasters sent
// since the last look.
struct EngineProbe final : public juce::ActionListener
{
    explicit EngineProbe (Quorvanelle& e) : engine (e)
    {
        engine.addActionListener (this);
        engine.keyboardControl->addActionListener (this);
    }

    ~EngineProbe() override
    {
        engine.removeActionListener (this);
        engine.keyboardControl->removeActionListener (this);
    }

    void actionListenerCallback (const juce::String& m) override
    {
        messages.add (m == KeyboardControl::displayChangedMessage ? "display" : m);
    }

    std::string report (const std::string& what)
    {
        if (what == "msgs")
        {
            pumpMessages();
            const auto text = messages.joinIntoString (",").toStdString();
            messages.clear();
            return text;
        }
        const auto view = engine.keyboardControl->getSnapshot();
        const juce::ScopedLock sl (engine.getLock());
        auto& e = engine;
        std::vector<int> values;
        int from = 0, to = 0;
        if (std::sscanf (what.c_str(), "map%d-%d", &from, &to) == 2)
            values.assign (e.melodyMap.begin() + from, e.melodyMap.begin() + to + 1);
        for (int k = 0; k < 128; ++k)
            if (what == "shown" && view.keyDisplayState[(size_t)k] != 0)
                values.insert (values.end(), {k, view.keyDisplayState[(size_t)k]});
            else if ((what == "sounding" && view.outputNoteFlags[(size_t)k] != 0) ||
                     (what == "held" && e.midiReceiver.noteState[k] != -1))
                values.push_back (k);
        return listed (what == "notes"    ? e.curNotes
                       : what == "chord"  ? e.storedChord
                       : what == "split"  ? std::vector<int>{view.keyboardSplit}
                       : what == "paused" ? std::vector<int>{e.inputSuspended + 2 * e.isTimerRunning()}
                       : what == "settings"
                           ? std::vector<int>{e.mTargetOctaveMod, e.mSourceMode, e.mOnOff, e.mBigChords,
                                              e.mExpand, e.mRootnote, e.mScaleIndex}
                           : values);
    }

    Quorvanelle& engine;
    juce::StringArray messages;
};

// Writes a setting and announces it, as a host or the editor does; the switches go through the engine's
// own operations. "resume" ends a stop's pause without waiting for the timer; "skip=0" walks every sample.
inline void writeSetting (Quorvanelle& engine, const std::string& name, double number)
{
    const int value = std::isfinite (number) ? (int)juce::jlimit (-2.0e9, 2.0e9, number) : 0;
    const char* const names[] = {"big", "oct", "root", "scale", "mode"};
    const char* const messages[] = {"bigChordsChange", "targetOctaveModChange", "rootnoteChange",
                                    "scaleIndexChange", "sourceModeChange"};
    int Quorvanelle::*const fields[] = {&Quorvanelle::mBigChords, &Quorvanelle::mTargetOctaveMod,
                                        &Quorvanelle::mRootnote, &Quorvanelle::mScaleIndex,
                                        &Quorvanelle::mSourceMode};
    name == "onoff" ? engine.SetOnOff (value) : name == "expand" ? engine.SetExpand (value) : (void)0;
    const juce::ScopedLock sl (engine.getLock());
    for (int i = 0; i < 5; ++i)
        if (name == names[i])
        {
            engine.*fields[i] = value;
            engine.sendActionMessage (messages[i]);
        }
    name == "resume" ? engine.timerCallback() : (void)0;
    engine.skipIdleSamples = name == "skip" ? value != 0 : engine.skipIdleSamples;
}

// The engine fed as the processor feeds it; bypassed, only its note-offs pass, as the processor does.
struct EngineTarget final : public Target
{
    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        juce::AudioBuffer<float> audio;
        juce::MidiBuffer offs;
        const juce::ScopedLock sl (engine.getLock());
        engine.hostPosition.isPlaying = playing;
        engine.hostPosition.bpm = bpm;
        const auto output = engine.processBlock (numSamples, midi, audio);
        for (const auto e : output)
            if (e.getMessage().isNoteOff())
                offs.addEvent (e.data, e.numBytes, e.samplePosition);
        return bypassed ? offs : output;
    }

    void command (const std::string& name, double value) override
    {
        writeSetting (engine, name, value);
        const juce::ScopedLock sl (engine.getLock());
        playing = name == "play" ? value != 0 : name != "stop" && playing;
        bpm = name == "bpm" ? value : bpm;
        bypassed = name == "bypass" ? value != 0 : bypassed;
        engine.sampleRate = name == "rate" ? value : engine.sampleRate;
    }

    std::string probe (const std::string& what) override { return probes.report (what); }

    Quorvanelle engine;
    EngineProbe probes{engine};
    bool playing = false, bypassed = false;
    double bpm = 120.0;
};
} // namespace timeline
