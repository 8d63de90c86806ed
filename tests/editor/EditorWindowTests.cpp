#include "editor/QuorvanelleAudioProcessorEditor.h"

#include "EditorTestSupport.h"
#include "tests/plugin/ProcessorTestSupport.h"

#include <malloc.h>

#include <atomic>
#include <thread>

using namespace processortest;
using namespace editor_test;

namespace
{
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
    return dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));
}

class EditorWindowTest : public ProcessorTest
{
protected:
    juce::LookAndFeel* const frameworkDefault = &juce::LookAndFeel::getDefaultLookAndFeel();
};
} // namespace

TEST_F (EditorWindowTest, OpensAt800By300WithItsLook)
{
    auto editor = open (processor);
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 800, 300));
    EXPECT_FALSE (editor->isResizable());

    auto& content = contentOf (*editor);
    EXPECT_EQ (content.getBounds(), editor->getLocalBounds());

    // The slider keeps a look of its own.
    EXPECT_NE (dynamic_cast<PluginLookAndFeel*> (&content.getLookAndFeel()), nullptr);
    EXPECT_NE (dynamic_cast<RasterSliderLookAndFeel*> (&content.targetOctaveSlider.getLookAndFeel()),
               nullptr);
}

TEST_F (EditorWindowTest, OpeningAndClosingAHundredTimesLeavesNothingBehind)
{
    for (int i = 0; i < 3; ++i)
        open (processor).reset();
    deliverPendingMessages();

    const auto before = mallinfo2().uordblks;
    auto first = open (processor);
    const auto oneEditor = mallinfo2().uordblks - before;
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
        const auto after = mallinfo2().uordblks;
        EXPECT_LT (after > before ? after - before : 0, oneEditor / 2) << "heap grew over 100 editors";
    }
}

TEST_F (EditorWindowTest, TwoEditorsAtOnceKeepTheirOwnLookWhicheverClosesFirst)
{
    QuorvanelleAudioProcessor otherProcessor;
    AssertionWatch watch;

    for (const bool firstClosesFirst : {true, false})
    {
        auto first = open (processor);
        auto second = open (otherProcessor);
        auto& closing = firstClosesFirst ? first : second;
        auto& staying = firstClosesFirst ? second : first;

        const auto before = editor_test::render (*staying);
        closing.reset();
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
        EXPECT_TRUE (sameRegion (editor_test::render (*staying), before, staying->getLocalBounds()));
    }

    EXPECT_FALSE (watch.sawAssertion()) << watch.text();
}

TEST_F (EditorWindowTest, KeyboardShowsTheProcessorsNotesInItsPlace)
{
    hostSets (onOffIndex, 1);
    hostSets (sourceModeIndex, 1);
    render ({noteOn (0, 48), noteOn (0, 52), noteOn (0, 55)});
    render ({noteOn (10, 88), noteOn (10, 91)});

    auto editor = open (processor);
    deliverPendingMessages();
    const auto picture = editor_test::render (*editor);

    // Kept in the build folder, so that anyone can look at the editor as it plays.
    const auto file = juce::File (QUORVANELLE_TEST_OUTPUT_DIR).getChildFile ("quorvanelle-editor.png");
    file.deleteFile();
    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
    }

    // The keyboard lies at (236, 96): chord key 48 is held, sounds and is current; melody key 88 is held.
    const int chordKeyX = 236 + 7 * 28 + 3;
    EXPECT_EQ (argb (picture, chordKeyX, 96 + 45), 0xffe7ca0au);
    EXPECT_EQ (argb (picture, chordKeyX, 96 + 53), 0xff07b5c8u);
    EXPECT_EQ (argb (picture, chordKeyX, 96 + 57), 0xfffafafau);
    EXPECT_EQ (argb (picture, 236 + 7 * 51 + 3, 96 + 45), 0xff07b5c8u);
}

// A host sets parameters and restores states on a thread of its own while its render thread runs, and
// the user works the controls meanwhile. Under the thread sanitizer this shows that the writes, the
// refreshes and the keyboard's paints never race the render thread or each other.
TEST_F (EditorWindowTest, ControlsHostThreadsAndBlocksRunAtOnce)
{
    auto editor = open (processor);
    auto& content = contentOf (*editor);

    std::atomic<bool> stop{false};
    std::thread renderThread (
        [this, &stop]
        {
            for (int block = 0; !stop.load(); ++block)
            {
                const int key = (block & 8) != 0 ? 60 : 91;
                if ((block & 3) == 0)
                    render ({noteOn (3, key, 90), noteOn (3, 48), noteOn (3, 52)}, 256);
                else
                    render ({noteOff (7, key), noteOff (9, 48), noteOff (9, 52)}, 256);
                // A host renders in time: 256 samples take almost 6 ms; here a block every millisecond.
                juce::Thread::sleep (1);
            }
        });

    std::thread hostThread (
        [this]
        {
            juce::MemoryBlock state;
            for (int i = 0; i < 300; ++i)
            {
                hostSets (i % 7, i % 2);
                if (i % 10 == 0)
                    state = savedState();
                if (i % 10 == 5)
                    restore (state);
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
        editor_test::render (*editor);
    }

    hostThread.join();
    stop = true;
    renderThread.join();
    deliverPendingMessages();

    // After the last message the parameters and the controls show what the engine holds.
    EXPECT_EQ (parameterSettings(), engineSettings());
    EXPECT_EQ (settingsShownBy (content), engineSettings());
}
