#include "editor/QuorvanelleAudioProcessorEditor.h"

#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <thread>

using editor_test::argb;
using editor_test::AssertionWatch;
using editor_test::deliverPendingMessages;
using editor_test::render;
using editor_test::sameRegion;

namespace
{
// Host parameter indices.
constexpr int sourceModeParameter = 1;
constexpr int rootnoteParameter = 5;

// As a host opens and closes the interface: the processor learns of the editor's end first.
struct CloseEditor
{
    void operator() (juce::AudioProcessorEditor* editor) const
    {
        editor->processor.editorBeingDeleted (editor);
        delete editor;
    }
};

using EditorPtr = std::unique_ptr<juce::AudioProcessorEditor, CloseEditor>;

EditorPtr open (QuorvanelleAudioProcessor& processor)
{
    return EditorPtr (processor.createEditorIfNeeded());
}

FullScreenComponent& contentOf (juce::AudioProcessorEditor& editor)
{
    auto* content = dynamic_cast<FullScreenComponent*> (editor.getChildComponent (0));
    if (content == nullptr)
        throw std::runtime_error ("the editor has no full-screen content");
    return *content;
}

void setHostParameter (QuorvanelleAudioProcessor& processor, int index, float plainValue)
{
    auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[index]);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

class EditorWindowTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI gui;
    juce::LookAndFeel* const frameworkDefault = &juce::LookAndFeel::getDefaultLookAndFeel();
    QuorvanelleAudioProcessor processor;
};
} // namespace

TEST_F (EditorWindowTest, OpensAt800By300ShowingTheSettingsTheHostLeft)
{
    setHostParameter (processor, rootnoteParameter, 4.0f);
    setHostParameter (processor, sourceModeParameter, 2.0f);
    deliverPendingMessages();

    auto editor = open (processor);
    ASSERT_NE (dynamic_cast<QuorvanelleAudioProcessorEditor*> (editor.get()), nullptr);
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 800, 300));
    EXPECT_FALSE (editor->isResizable());

    auto& content = contentOf (*editor);
    EXPECT_EQ (content.getBounds(), editor->getLocalBounds());
    EXPECT_EQ (content.rootnoteBox.getText(), "E");
    EXPECT_EQ (content.sourceModeBox.getText(), "Scale");
    EXPECT_TRUE (content.scaleBox.isEnabled());

    // While it is open its look-and-feel is everyone's default; the slider keeps its own.
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &content.getLookAndFeel());
    EXPECT_NE (dynamic_cast<PluginLookAndFeel*> (&content.getLookAndFeel()), nullptr);
    EXPECT_NE (dynamic_cast<RasterSliderLookAndFeel*> (&content.targetOctaveSlider.getLookAndFeel()),
               nullptr);

    // The host moves a parameter while the editor is open: the control follows.
    setHostParameter (processor, sourceModeParameter, 0.0f);
    deliverPendingMessages();
    EXPECT_EQ (content.sourceModeBox.getText(), "Chords");
    EXPECT_FALSE (content.scaleBox.isEnabled());

    // And the user's choice reaches the host.
    content.rootnoteBox.setSelectedId (8, juce::sendNotificationSync);
    deliverPendingMessages();
    EXPECT_EQ (processor.getParameters()[rootnoteParameter]->getCurrentValueAsText(), "G");
}

TEST_F (EditorWindowTest, OpeningAndClosingAHundredTimesLeavesNothingBehind)
{
    for (int i = 0; i < 3; ++i)
        open (processor).reset();
    deliverPendingMessages();

    const auto before = heapInUse();
    auto first = open (processor);
    const auto oneEditor = heapInUse() - before;
    first.reset();

    for (int i = 0; i < 100; ++i)
    {
        AssertionWatch watch;
        auto editor = open (processor);
        ASSERT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &contentOf (*editor).getLookAndFeel());

        editor.reset();
        ASSERT_FALSE (watch.sawAssertion()) << watch.text();
        ASSERT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
        ASSERT_EQ (processor.getActiveEditor(), nullptr);
        deliverPendingMessages();
    }

    // Messages that arrive after the editor is gone find no listener of it.
    processor.engine.sendActionMessage ("rootnoteChange");
    processor.engine.keyboardControl->sendActionMessage ("keyboardDisplayChangedMessage");
    deliverPendingMessages();

    // The sanitizers' allocators report no heap figures here; they look for leaks themselves.
    if (oneEditor > 0)
    {
        const auto after = heapInUse();
        EXPECT_LT (after > before ? after - before : 0, oneEditor / 2) << "heap grew over 100 editors";
    }
}

TEST_F (EditorWindowTest, TwoEditorsAtOnceKeepTheirOwnLookWhicheverClosesFirst)
{
    QuorvanelleAudioProcessor otherProcessor;
    AssertionWatch watch;

    auto first = open (processor);
    auto second = open (otherProcessor);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &contentOf (*second).getLookAndFeel());

    const auto secondBefore = render (*second);
    auto* secondLook = &contentOf (*second).getLookAndFeel();
    first.reset();
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
    EXPECT_EQ (&contentOf (*second).getLookAndFeel(), secondLook);

    EXPECT_TRUE (sameRegion (render (*second), secondBefore, second->getLocalBounds()));

    // The other way round: the editor opened last closes first.
    first = open (processor);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &contentOf (*first).getLookAndFeel());
    const auto firstBefore = render (*first);
    second.reset();
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
    EXPECT_TRUE (sameRegion (render (*first), firstBefore, first->getLocalBounds()));

    first.reset();
    EXPECT_FALSE (watch.sawAssertion()) << watch.text();
}

TEST_F (EditorWindowTest, PictureWithAChordHeldAndMelodyKeysSounding)
{
    {
        const juce::ScopedLock sl (processor.engine.getLock());
        processor.engine.SetOnOff (1);
    }
    setHostParameter (processor, sourceModeParameter, 1.0f);
    processor.prepareToPlay (44100.0, 512);

    juce::AudioBuffer<float> audio (0, 512);
    juce::MidiBuffer midi;
    for (int key : {48, 52, 55})
        midi.addEvent (juce::MidiMessage::noteOn (1, key, (juce::uint8)100), 0);
    processor.processBlock (audio, midi);
    midi.clear();
    for (int key : {88, 91})
        midi.addEvent (juce::MidiMessage::noteOn (1, key, (juce::uint8)100), 10);
    processor.processBlock (audio, midi);

    auto editor = open (processor);
    deliverPendingMessages();
    const auto picture = render (*editor);

    const auto file = juce::File (QUORVANELLE_TEST_OUTPUT_DIR).getChildFile ("quorvanelle-editor.png");
    file.deleteFile();
    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
    }
    std::cout << "editor picture: " << file.getFullPathName() << std::endl;

    // The keyboard lies at (236, 96): chord key 48 is held, sounds and is current; melody key 88 is held.
    const int keyboardX = 236, keyboardY = 96;
    const int chordKeyX = keyboardX + 7 * 28 + 3;
    EXPECT_EQ (argb (picture, chordKeyX, keyboardY + 45), 0xffe7ca0au);
    EXPECT_EQ (argb (picture, chordKeyX, keyboardY + 53), 0xff07b5c8u);
    EXPECT_EQ (argb (picture, chordKeyX, keyboardY + 57), 0xfffafafau);
    EXPECT_EQ (argb (picture, keyboardX + 7 * 51 + 3, keyboardY + 45), 0xff07b5c8u);

    // The melody keys sound notes of the harmony on keys that nobody holds.
    int soundingMelodyNotes = 0;
    for (int i = 0; i < 75; ++i)
    {
        const auto body = argb (picture, keyboardX + 7 * i + 3, keyboardY + 45);
        if ((body == 0xffcae5f9u || body == 0xfffff9d2u) &&
            argb (picture, keyboardX + 7 * i + 3, keyboardY + 53) == 0xff07b5c8u)
            ++soundingMelodyNotes;
    }
    EXPECT_GE (soundingMelodyNotes, 1);
}

TEST_F (EditorWindowTest, ControlsAndKeyboardWorkWhileTheHostRendersBlocks)
{
    // Under the thread sanitizer this shows that the controls' writes, the refresh and the keyboard's
    // paints never race the render thread.
    processor.prepareToPlay (44100.0, 256);
    auto editor = open (processor);
    auto& content = contentOf (*editor);

    std::atomic<bool> stop{false};
    std::thread renderThread (
        [this, &stop]
        {
            juce::AudioBuffer<float> audio (0, 256);
            juce::MidiBuffer midi;
            for (int block = 0; !stop.load(); ++block)
            {
                midi.clear();
                const int key = (block & 8) != 0 ? 60 : 91;
                if ((block & 3) == 0)
                    midi.addEvent (juce::MidiMessage::noteOn (1, key, (juce::uint8)90), 3);
                else if ((block & 3) == 2)
                    midi.addEvent (juce::MidiMessage::noteOff (1, key), 7);
                processor.processBlock (audio, midi);
                // A host renders in time: 256 samples take almost 6 ms; here a block every millisecond.
                juce::Thread::sleep (1);
            }
        });

    for (int round = 0; round < 40; ++round)
    {
        content.sourceModeBox.setSelectedId (1 + round % 7, juce::sendNotificationSync);
        content.rootnoteBox.setSelectedId (1 + round % 12, juce::sendNotificationSync);
        content.scaleBox.setSelectedId (1 + round % 30, juce::sendNotificationSync);
        content.targetOctaveSlider.setValue ((double)(round % 5 - 2), juce::sendNotificationSync);
        content.onOffButton.triggerClick();
        content.bigChordsButton.triggerClick();
        if (round % 10 == 0)
            content.expandButton.triggerClick();
        deliverPendingMessages();
        render (*editor);
    }

    stop = true;
    renderThread.join();
    deliverPendingMessages();

    // After the last message the controls show what the engine holds.
    const juce::ScopedLock sl (processor.engine.getLock());
    EXPECT_EQ (content.rootnoteBox.getSelectedId(), processor.engine.mRootnote + 1);
    EXPECT_EQ (content.onOffButton.getToggleState(), processor.engine.mOnOff == 1);
    EXPECT_EQ (content.expandButton.getToggleState(), processor.engine.mExpand == 1);
}
