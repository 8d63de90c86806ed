// The built VST3 and LV2 bundles, loaded the way a host loads them: through JUCE's own hosting, in a
// process that holds no plug-in code of its own.

#include "XErrorHandling.h"
#include "scales/ScaleCatalogue.h"
#include "tests/plugin/BlockText.h"
#include "tests/plugin/HostParameters.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>

namespace
{
using namespace blocktext;
using namespace hostparameters;

class HostedPlugin : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        auto* format = isVst3() ? (juce::AudioPluginFormat*)new juce::VST3PluginFormat()
                                : (juce::AudioPluginFormat*)new juce::LV2PluginFormat();
        manager.addFormat (format);

        // LV2 searches the built bundle's folder only; the home folder is a fresh one (see main), so no
        // installed copy stands in for it.
        if (!isVst3())
            format->searchPathsForPlugins (
                juce::File (QUORVANELLE_LV2_BUNDLE).getParentDirectory().getFullPathName(), true, false);
        format->findAllTypesForFile (descriptions, isVst3() ? QUORVANELLE_VST3_BUNDLE : QUORVANELLE_LV2_URI);
        ASSERT_EQ (descriptions.size(), 1);
        plugin = load();
        ASSERT_NE (plugin, nullptr);
    }

    void TearDown() override
    {
        plugin.reset();
        pumpMessages();
    }

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::String error;
        auto instance = manager.createPluginInstance (*descriptions[0], 44100.0, 512, error);
        EXPECT_TRUE (error.isEmpty()) << error;

        if (instance != nullptr)
            instance->prepareToPlay (44100.0, 512);

        return instance;
    }

    static juce::StringArray render (juce::AudioPluginInstance& instance, std::initializer_list<Event> events)
    {
        auto midi = makeBuffer (events);
        juce::AudioBuffer<float> audio (
            juce::jmax (instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels()), 512);
        instance.processBlock (audio, midi);
        return describe (midi);
    }

    // The plug-in reports changes of its parameters from its own message thread and through its
    // blocks; gives it blocks and time until the condition holds.
    static bool eventually (juce::AudioPluginInstance& instance, const std::function<bool()>& condition)
    {
        for (int attempt = 0; attempt < 200; ++attempt)
        {
            if (condition())
                return true;

            render (instance, {});
            pumpMessages();
            juce::Thread::sleep (10);
        }
        return condition();
    }

    bool isVst3() const { return juce::String (GetParam()) == "VST3"; }

    // One of our seven by our host index. VST3 keeps our order; LV2 parameters form an unordered set
    // that JUCE's host lists by URI, so there they are found by name.
    juce::AudioProcessorParameter& parameter (juce::AudioPluginInstance& instance, int index) const
    {
        const auto& all = instance.getParameters();

        if (!isVst3())
            for (auto* p : all)
                if (p->getName (100) == parameterNames[index])
                    return *p;

        return *all[index];
    }

    // What the host shows as the current value of each of our seven, in host index order.
    juce::StringArray shownTexts (juce::AudioPluginInstance& instance) const
    {
        juce::StringArray texts;
        for (int i = 0; i < 7; ++i)
            texts.add (parameter (instance, i).getCurrentValueAsText());
        return texts;
    }

    juce::AudioPluginFormatManager manager;
    juce::OwnedArray<juce::PluginDescription> descriptions;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
};

TEST_P (HostedPlugin, IsAMidiEffectWithoutAudioBuses)
{
    const auto& description = *descriptions[0];
    EXPECT_EQ (description.name, "Quorvanelle");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels + description.numOutputChannels, 0);
    EXPECT_EQ (plugin->getBusCount (true) + plugin->getBusCount (false), 0);
    EXPECT_TRUE (plugin->acceptsMidi() && plugin->producesMidi());
}

TEST_P (HostedPlugin, ShowsTheSevenParametersWithTheirChoicesAndDefaults)
{
    std::vector<juce::String> scaleNames;
    std::vector<std::vector<int>> scaleIntervals;
    PopulateScaleList (&scaleNames, &scaleIntervals);

    // Per parameter in host index order: its default and the text of every step.
    const std::pair<const char*, juce::StringArray> expected[] = {
        {"0", juce::StringArray::fromTokens ("-5 -4 -3 -2 -1 0 1 2 3 4 5", false)},
        {"C", juce::StringArray::fromTokens ("C|C+S|S|S+C|C+S s|S+C s|S bass", "|", "")},
        {"Off", {"Off", "On"}},
        {"Off", {"Off", "On"}},
        {"Off", {"Off", "On"}},
        {"C", juce::StringArray::fromTokens ("C C# D D# E F F# G G# A A# B", false)},
        {scaleNames[0].toRawUTF8(), juce::StringArray (scaleNames.data(), (int)scaleNames.size())}};

    for (int i = 0; i < 7; ++i)
    {
        SCOPED_TRACE (parameterNames[i]);
        auto& p = parameter (*plugin, i);
        const auto& [defaultText, steps] = expected[i];
        EXPECT_EQ (p.getName (100), parameterNames[i]);
        EXPECT_EQ (p.getText (p.getDefaultValue(), 100), defaultText);
        EXPECT_EQ (p.getCurrentValueAsText(), defaultText);
        juce::StringArray stepTexts;
        for (int step = 0; step < steps.size(); ++step)
            stepTexts.add (p.getText ((float)step / (float)(steps.size() - 1), 100));
        EXPECT_EQ (stepTexts, steps);
    }
}

TEST_P (HostedPlugin, HarmonisesHeldChordAndMelodyKeysAtTheirSamplePositions)
{
    // Chord C E G held, white melody keys, chord key 99 (the chord an octave up), a release.
    const auto output = render (*plugin, {noteOn (0, 48), noteOn (0, 52), noteOn (0, 55), noteOn (100, 96),
                                          noteOn (200, 98), noteOn (300, 99, 90), noteOff (400, 96)});

    EXPECT_EQ (output, juce::StringArray ({"100: note-on 48 vel 100 ch 1", "200: note-on 52 vel 100 ch 1",
                                           "300: note-on 60 vel 90 ch 1", "300: note-on 64 vel 90 ch 1",
                                           "300: note-on 67 vel 90 ch 1", "400: note-off 48 ch 1"}));
}

TEST_P (HostedPlugin, ParameterSetByTheHostTakesEffect)
{
    parameter (*plugin, onOffIndex).setValueNotifyingHost (1.0f);
    parameter (*plugin, sourceModeIndex).setValueNotifyingHost (2.0f / 6.0f); // "S": the scale alone

    // The chord key now sounds itself; the melody key plays the scale's second note.
    EXPECT_EQ (render (*plugin, {noteOn (10, 60), noteOn (20, 98)}),
               juce::StringArray ({"10: note-on 60 vel 100 ch 1", "20: note-on 50 vel 100 ch 1"}));
}

TEST_P (HostedPlugin, StateRoundTripsThroughTheFormat)
{
    const std::pair<int, float> changes[] = {{targetOctaveModIndex, 0.7f},   // +2
                                             {sourceModeIndex, 4.0f / 6.0f}, // "C+S s"
                                             {bigChordsIndex, 1.0f},
                                             {rootnoteIndex, 1.0f}, // "B"
                                             {scaleIndexIndex, 200.0f / 373.0f}};
    for (const auto& [index, value] : changes)
        parameter (*plugin, index).setValueNotifyingHost (value);
    render (*plugin, {});

    juce::MemoryBlock saved;
    plugin->getStateInformation (saved);

    auto restored = load();
    ASSERT_NE (restored, nullptr);
    restored->setStateInformation (saved.getData(), (int)saved.getSize());

    EXPECT_TRUE (eventually (*restored, [&] { return shownTexts (*restored) == shownTexts (*plugin); }))
        << "restored " << shownTexts (*restored).joinIntoString (", ") << " saved "
        << shownTexts (*plugin).joinIntoString (", ");
    EXPECT_EQ (shownTexts (*plugin)[targetOctaveModIndex], "2");
    EXPECT_EQ (shownTexts (*plugin)[sourceModeIndex], "C+S s");

    juce::MemoryBlock again;
    restored->getStateInformation (again);
    EXPECT_EQ (again, saved);
}

TEST_P (HostedPlugin, OpensAndClosesItsEditor)
{
    // The LV2 host always embeds the plug-in's window in one of its own; the VST3 host does so only
    // once its window is on the desktop.
    const bool haveDisplay = std::getenv ("DISPLAY") != nullptr;
    if (!isVst3() && !haveDisplay)
        GTEST_SKIP() << "the LV2 editor needs an X display (ctest runs this under xvfb-run)";

    ASSERT_TRUE (plugin->hasEditor());

    // Opened and closed again the way a host does it, a few times over, with blocks in between.
    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        if (haveDisplay)
        {
            editor->addToDesktop (0);
            editor->setVisible (true);
        }
        pumpMessages();
        EXPECT_EQ (editor->getLocalBounds(), juce::Rectangle<int> (800, 300));

        render (*plugin, {noteOn (0, 48), noteOn (10, 96)});
        pumpMessages();

        plugin->editorBeingDeleted (editor.get());
        editor.reset();
        render (*plugin, {noteOff (0, 48), noteOff (10, 96)});
        pumpMessages();
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedPlugin, ::testing::Values ("VST3", "LV2"),
                          [] (const auto& format) { return std::string (format.param); });
} // namespace

int main (int argc, char** argv)
{
    // A fresh home: hosts look for plug-ins in ~/.lv2 and ~/.vst3, where an installed copy may sit.
    const auto home = juce::File::createTempFile ("home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    if (std::getenv ("DISPLAY") != nullptr)
        ignoreXErrorsLikeAHost();

    int result = 0;
    {
        const juce::ScopedJuceInitialiser_GUI juceRuntime;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    home.deleteRecursively();
    return result;
}
