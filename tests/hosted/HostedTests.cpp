// The built VST3 and LV2 bundles loaded as a host loads them, through JUCE's hosting, in a process that
// holds no plug-in code of its own: what a user of each format sees, hears and gets back from a project.

#include "tests/Timeline.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>
// After gtest, whose names its macros would clash with.
#include <X11/Xlib.h>

// Each parameter in host index order as a host shows it, written out here rather than taken from the
// product: name, default text, then the text of every step; of the scale, the count and steps 0, 9, 10, 11,
// 18, 200 and 373 (projects store the index; the two "----" rows are scales too). Their current texts
// follow.
const std::string shown =
    "Target octave mod: 0: -5,-4,-3,-2,-1,0,1,2,3,4,5\n"
    "Operation mode of 7: C: C,C+S,S,S+C,C+S s,S+C s,S bass\n"
    "Source through of 2: Off: Off,On\n"
    "Use big chords of 2: Off: Off,On\n"
    "Expand keyboard of 2: Off: Off,On\n"
    "Root note of 12: C: C,C#,D,D#,E,F,F#,G,G#,A,A#,B\n"
    "Scale of 374: Major: Major,Chromatic,----,Ionian,----,Minor Bebop (all b's),Zirafkend (Arabia)\n";
// How scripts name them and count their steps: the octave from -5, the mode from 1.
const char* const words[] = {"oct", "mode", "onoff", "big", "expand", "root", "scale"};
const int numSteps[] = {11, 7, 2, 2, 2, 12, 374}, lowest[] = {-5, 1, 0, 0, 0, 0, 0};
// Where JUCE lists each in LV2: by URI, that is by parameter ID (after the wrapper's own bypass). Hosts keep
// automation by the ID, so none may change; VST3 keeps the host index order.
const int lv2[] = {7, 6, 3, 1, 2, 4, 5};

// The format's instance, loaded afresh by load(), as a script's target; its probe tells what a host shows
// of its parameters.
struct Hosted : public ::testing::TestWithParam<bool>, public timeline::Target
{
    auto& parameter (int i) const { return *instance->getParameters()[GetParam() ? i : lv2[i]]; }

    juce::MidiBuffer render (int numSamples, juce::MidiBuffer& midi) override
    {
        juce::AudioBuffer<float> audio (0, numSamples); // a MIDI effect: no buses, no channels
        instance->processBlock (audio, midi);
        return midi;
    }

    // "mode=3" as a host sets it: the normalised value of the step.
    void command (const std::string& name, double value) override
    {
        if (const auto i = std::find (words, words + 7, name) - words; i < 7)
            parameter ((int)i).setValueNotifyingHost ((float)(value - lowest[i]) / (float)(numSteps[i] - 1));
    }

    // JUCE gives an integer parameter no steps in either format: the choices' counts only.
    std::string probe (const std::string&) override
    {
        juce::String text, current;
        for (int i = 0; i < 7; ++i)
        {
            auto& q = parameter (i);
            text += "\n" + q.getName (100) + (i > 0 ? " of " + juce::String (q.getNumSteps()) : "") + ": " +
                    q.getText (q.getDefaultValue(), 100) + ":";
            for (int step = 0; step < numSteps[i]; ++step)
                if (i < 6 || juce::Array<int> ({0, 9, 10, 11, 18, 200, 373}).contains (step))
                    text << (step > 0 ? "," : " ") << q.getText ((float)step / (float)(numSteps[i] - 1), 100);
            current << (i == 0 ? "\n" : ",") << q.getCurrentValueAsText();
        }
        return (text + current).substring (1).toStdString();
    }

    void load()
    {
        juce::String error;
        instance = manager.createPluginInstance (*found[0], 44100.0, 512, error);
        ASSERT_NE (instance, nullptr) << error;
        instance->prepareToPlay (44100.0, 512);
    }

    juce::AudioPluginFormatManager manager;
    juce::OwnedArray<juce::PluginDescription> found;
    std::unique_ptr<juce::AudioPluginInstance> instance;
};

TEST_P (Hosted, ShowsPlaysRestoresAndOpensItsEditor)
{
    manager.addDefaultFormats(); // the two this runtime hosts: VST3, then LV2
    auto* format = manager.getFormat (GetParam() ? 0 : 1);
    // LV2 looks in the built bundle's folder only (VST3 finds nothing there): the home folder is a fresh
    // one (see main).
    format->searchPathsForPlugins (juce::FileSearchPath (QUORVANELLE_LV2_BUNDLE "/.."), true, false);
    format->findAllTypesForFile (found, GetParam() ? QUORVANELLE_VST3_BUNDLE : QUORVANELLE_LV2_URI);
    ASSERT_EQ (found.size(), 1);
    ASSERT_NO_FATAL_FAILURE (load());

    // A MIDI effect without buses, and its parameters.
    EXPECT_EQ (found[0]->name + (found[0]->isInstrument ? " instrument" : ""), "Quorvanelle");
    EXPECT_TRUE (instance->getBusCount (true) + instance->getBusCount (false) == 0 &&
                 instance->acceptsMidi() && instance->producesMidi());
    EXPECT_EQ (probe ({}), shown + "0,C,Off,Off,Off,C,Major");

    // Chord C E G held, melody keys 96 and 98, control key 99 (the chord an octave up), releases; then
    // the host sets "Source through" and mode "S": the chord key sounds itself, 98 the scale's second note.
    // Last, the settings whose state goes into a fresh instance; "Source through" off lets key 60 go.
    EXPECT_EQ (timeline::play (*this, "@0 +48 +52 +55 @100 +96 @200 +98 @300 +99v90 @400 -96 @450 -48 "
                                      "-52 -55 -98 -99 @480 onoff=1 mode=3 @500 +60 @510 +98 @520 -98 @576 "
                                      "onoff=0 oct=2 mode=5 big=1 root=11 scale=200 @640"),
               "@100 +48 @200 +52 @300 +60v90 +64v90 +67v90 @400 -48 @450 -52 -60 -64 -67 @500 +60 @510 +50 "
               "@520 -50 @576 -60");

    // The state comes back, its values through blocks and the message thread to JUCE's side of the format,
    // and saves alike.
    juce::MemoryBlock saved, again;
    instance->getStateInformation (saved);
    ASSERT_NO_FATAL_FAILURE (load());
    instance->setStateInformation (saved.getData(), (int)saved.getSize());
    const auto texts = shown + "2,C+S s,Off,On,Off,B,Minor Bebop (all b's)";
    for (int attempt = 0; attempt < 100 && probe ({}) != texts; ++attempt)
        timeline::play (*this, "wait=10 @64");
    EXPECT_EQ (probe ({}), texts);
    instance->getStateInformation (again);
    EXPECT_EQ (again, saved);

    ASSERT_NE (std::getenv ("DISPLAY"), nullptr) << "no X display (ctest runs this under xvfb-run)";
    for (int round = 0; round < 3; ++round) // opened and closed, with blocks between
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (0);
        editor->setVisible (true);
        timeline::play (*this, "wait=20 @0 +48 @10 +96 wait=20 @32 -48 -96 @64");
        EXPECT_EQ (editor->getLocalBounds(), juce::Rectangle<int> (800, 300));
        instance->editorBeingDeleted (editor.get()); // then deleted
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, Hosted, ::testing::Values (true, false),
                          [] (auto& f) { return f.param ? "VST3" : "LV2"; });

int main (int argc, char** argv)
{
    // A home of our own, empty: hosts also look in ~/.lv2 and ~/.vst3, where an installed copy may stand in.
    const juce::TemporaryFile home;
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);
    // As hosts do: an X error from a plug-in's window must not end the process.
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
