// The built VST3 and LV2 bundles loaded as a host loads them, through JUCE's hosting, in a process that
// holds no plug-in code of its own: what a user of each format sees, hears and gets back from a project.

#include "tests/Timeline.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>
// After gtest, whose names its macros would clash with.
#include <X11/Xlib.h>

namespace
{
// Each parameter in host index order as a host shows it, written out here rather than taken from the
// product: name, default and current text, then the text of every step; of the scale, the count and a
// few steps by index (projects store the index; the two "----" rows are scales too).
const char* const shown[] = {
    "Target octave mod: 0 0: -5,-4,-3,-2,-1,0,1,2,3,4,5",
    "Operation mode of 7: C C: C,C+S,S,S+C,C+S s,S+C s,S bass",
    "Source through of 2: Off Off: Off,On",
    "Use big chords of 2: Off Off: Off,On",
    "Expand keyboard of 2: Off Off: Off,On",
    "Root note of 12: C C: C,C#,D,D#,E,F,F#,G,G#,A,A#,B",
    "Scale of 374: Major Major: 0 Major,9 Chromatic,10 ----,11 Ionian,18 ----,200 Minor "
    "Bebop (all b's),373 Zirafkend (Arabia)"};
const int numSteps[] = {11, 7, 2, 2, 2, 12, 374};
// How scripts name them and count their steps: the octave from -5, the mode from 1.
const char* const words[] = {"oct", "mode", "onoff", "big", "expand", "root", "scale"};
const int lowest[] = {-5, 1, 0, 0, 0, 0, 0};

juce::String shownBy (const juce::AudioProcessorParameter& p, int index)
{
    // JUCE gives an integer parameter no steps in either format: the choices' counts only.
    auto text = p.getName (100) + (index > 0 ? " of " + juce::String (p.getNumSteps()) : "") + ": " +
                p.getText (p.getDefaultValue(), 100) + " " + p.getCurrentValueAsText() + ":";
    for (int step = 0; step < numSteps[index]; ++step)
        if (index < 6 || juce::Array<int> ({0, 9, 10, 11, 18, 200, 373}).contains (step))
            text << (step == 0 ? " " : ",") << (index < 6 ? "" : juce::String (step) + " ")
                 << p.getText ((float)step / (float)(numSteps[index] - 1), 100);
    return text;
}

// A loaded instance as a script's target; its parameters found by name.
struct Loaded final : public timeline::Target
{
    juce::AudioProcessorParameter& parameter (int index) const
    {
        for (auto* p : instance->getParameters())
            if (juce::String (shown[index]).startsWith (p->getName (100)))
                return *p;
        return *instance->getParameters()[index];
    }

    juce::String texts() const
    {
        juce::StringArray texts;
        for (int i = 0; i < 7; ++i)
            texts.add (parameter (i).getCurrentValueAsText());
        return texts.joinIntoString (",");
    }

    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        auto& p = *instance;
        juce::AudioBuffer<float> audio (
            juce::jmax (p.getTotalNumInputChannels(), p.getTotalNumOutputChannels()), numSamples);
        instance->processBlock (audio, midi);
        return midi;
    }

    // "mode=3" as a host sets it: the normalised value of the step.
    void command (const std::string& name, double value) override
    {
        for (int i = 0; i < 7; ++i)
            if (name == words[i])
                parameter (i).setValueNotifyingHost ((float)(value - lowest[i]) / (float)(numSteps[i] - 1));
    }

    std::unique_ptr<juce::AudioPluginInstance> instance;
};

class Hosted : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        manager.addDefaultFormats(); // the two this runtime hosts: VST3, then LV2
        auto* format = manager.getFormat (vst3 ? 0 : 1);
        // LV2 looks in the built bundle's folder only: the home folder is a fresh one (see main).
        if (!vst3)
            format->searchPathsForPlugins (
                juce::File (QUORVANELLE_LV2_BUNDLE).getParentDirectory().getFullPathName(), true, false);
        format->findAllTypesForFile (descriptions, vst3 ? QUORVANELLE_VST3_BUNDLE : QUORVANELLE_LV2_URI);
        ASSERT_EQ (descriptions.size(), 1);
        load (plugin);
    }

    void load (Loaded& loaded)
    {
        juce::String error;
        loaded.instance = manager.createPluginInstance (*descriptions[0], 44100.0, 512, error);
        ASSERT_NE (loaded.instance, nullptr) << error;
        loaded.instance->prepareToPlay (44100.0, 512);
    }

    const bool vst3 = juce::String (GetParam()) == "VST3";
    juce::AudioPluginFormatManager manager;
    juce::OwnedArray<juce::PluginDescription> descriptions;
    Loaded plugin;
};

TEST_P (Hosted, IsAMidiEffectShowingItsSevenParameters)
{
    const auto& d = *descriptions[0];
    auto& p = *plugin.instance;
    EXPECT_EQ (d.name, "Quorvanelle");
    EXPECT_FALSE (d.isInstrument || d.numInputChannels + d.numOutputChannels > 0);
    EXPECT_TRUE (p.getBusCount (true) + p.getBusCount (false) == 0 && p.acceptsMidi() && p.producesMidi());

    // VST3 keeps the host index order, which automation relies on; JUCE lists LV2 parameters by URI.
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (shownBy (vst3 ? *p.getParameters()[i] : plugin.parameter (i), i), shown[i]);
}

TEST_P (Hosted, PlaysKnownSessions)
{
    // Chord C E G held, melody keys 96 and 98, control key 99 (the chord an octave up), releases; then
    // the host sets "Source through" and mode "S": the chord key sounds itself, 98 the scale's second note.
    EXPECT_EQ (timeline::play (plugin,
                               "@0 +48 +52 +55 @100 +96 @200 +98 @300 +99v90 @400 -96 @450 -48 -52 -55 "
                               "-98 -99 @480 onoff=1 mode=3 @500 +60 @510 +98 @520 -98 @576"),
               "@100 +48 @200 +52 @300 +60v90 +64v90 +67v90 @400 -48 @450 -52 -60 -64 -67 @500 +60 @510 +50 "
               "@520 -50");
}

TEST_P (Hosted, StateComesBackInAFreshInstanceAndSavesAlike)
{
    timeline::play (plugin, "oct=2 mode=5 big=1 root=11 scale=200 @64");
    juce::MemoryBlock saved, again;
    plugin.instance->getStateInformation (saved);

    Loaded restored;
    ASSERT_NO_FATAL_FAILURE (load (restored));
    restored.instance->setStateInformation (saved.getData(), (int)saved.getSize());
    // The values reach JUCE's side of the format through blocks and the message thread.
    const juce::String texts = "2,C+S s,Off,On,Off,B,Minor Bebop (all b's)";
    for (int attempt = 0; attempt < 100 && restored.texts() != texts; ++attempt)
        timeline::play (restored, "wait=10 @64");
    EXPECT_EQ (restored.texts(), texts);
    restored.instance->getStateInformation (again);
    EXPECT_EQ (again, saved);
}

TEST_P (Hosted, EditorOpensAndClosesBetweenBlocks)
{
    if (std::getenv ("DISPLAY") == nullptr)
        GTEST_SKIP() << "the editors need an X display (ctest runs this under xvfb-run)";

    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.instance->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (0);
        editor->setVisible (true);
        timeline::play (plugin, "wait=20 @0 +48 @10 +96 wait=20 @64");
        EXPECT_EQ (editor->getLocalBounds(), juce::Rectangle<int> (800, 300));
        plugin.instance->editorBeingDeleted (editor.get());
        editor.reset();
        timeline::play (plugin, "@0 -48 -96 wait=20 @64");
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, Hosted, ::testing::Values ("VST3", "LV2"),
                          [] (const auto& format) { return std::string (format.param); });
} // namespace

int main (int argc, char** argv)
{
    // A home of our own, empty: hosts also look in ~/.lv2 and ~/.vst3, where an installed copy may stand in.
    const auto home = juce::File::createTempFile ("home");
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    // As hosts do: an X error from a plug-in's window must not end the process.
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    ::testing::InitGoogleTest (&argc, argv);
    const int result = RUN_ALL_TESTS();
    home.deleteRecursively();
    return result;
}
