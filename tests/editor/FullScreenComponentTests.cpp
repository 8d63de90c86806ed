#include "editor/FullScreenComponent.h"

#include "EditorTestSupport.h"

#include "BinaryData.h"

using namespace editor_test;

namespace
{
class FullScreenTest : public ::testing::Test
{
protected:
    FullScreenTest() { open(); }

    // Replaces the screen with a new one, as opening the editor again does.
    void open()
    {
        screen = std::make_unique<FullScreenComponent> (&engine);
        screen->setBounds (0, 0, 800, 300);
    }

    // The user picks an item; its callback runs at once, the engine's message arrives later.
    static void choose (juce::ComboBox& box, int id) { box.setSelectedId (id, juce::sendNotificationSync); }

    // A writer elsewhere (the host) changes settings, in settingsOf's order; its message has not arrived yet.
    void writeSilently (const std::vector<int>& settings)
    {
        int Quorvanelle::*const fields[] = {&Quorvanelle::mOnOff,     &Quorvanelle::mTargetOctaveMod,
                                            &Quorvanelle::mBigChords, &Quorvanelle::mExpand,
                                            &Quorvanelle::mRootnote,  &Quorvanelle::mScaleIndex,
                                            &Quorvanelle::mSourceMode};
        const juce::ScopedLock sl (engine.getLock());
        for (size_t i = 0; i < settings.size(); ++i)
            engine.*fields[i] = settings[i];
    }

    void writeSilently (int Quorvanelle::*setting, int value)
    {
        const juce::ScopedLock sl (engine.getLock());
        engine.*setting = value;
    }

    juce::ScopedJuceInitialiser_GUI gui;
    Quorvanelle engine;
    MessageLog changes{engine};
    MessageLog displayMessages{*engine.keyboardControl};
    std::unique_ptr<FullScreenComponent> screen;
};
} // namespace

TEST_F (FullScreenTest, OpensShowingTheEngineSettingsWithoutWritingOrAnnouncingAnything)
{
    const std::vector<int> settings{1, -3, 1, 0, 9, 18, 5};
    writeSilently (settings);
    open();
    deliverPendingMessages();

    EXPECT_EQ (settingsShownBy (*screen), settings);
    EXPECT_EQ (settingsOf (engine), settings);
    EXPECT_TRUE (changes.messages.isEmpty());
    EXPECT_EQ (screen->sourceModeBox.getText() + " | " + screen->rootnoteBox.getText() + " | " +
                   screen->scaleBox.getText(),
               "Chords + scale (safe) | A | ----");
    EXPECT_TRUE (screen->rootnoteBox.isEnabled() && screen->scaleBox.isEnabled());
}

TEST_F (FullScreenTest, BoxesAndSliderWriteAndAnnounceOnlyWhatChanges)
{

    choose (screen->sourceModeBox, 2);
    choose (screen->rootnoteBox, 3);
    choose (screen->scaleBox, 40);
    screen->targetOctaveSlider.setValue (4.0, juce::sendNotificationSync);
    EXPECT_EQ (settingsOf (engine), (std::vector<int>{0, 4, 0, 0, 2, 39, 2}));
    deliverPendingMessages();
    EXPECT_EQ (changes.messages, juce::StringArray ("sourceModeChange", "rootnoteChange", "scaleIndexChange",
                                                    "targetOctaveModChange"));

    // The host has already set what the user now picks: nothing to write, nothing to announce.
    changes.messages.clear();
    writeSilently ({0, -2, 0, 0, 7, 100, 6});
    choose (screen->sourceModeBox, 6);
    choose (screen->rootnoteBox, 8);
    choose (screen->scaleBox, 101);
    screen->targetOctaveSlider.setValue (-2.0, juce::sendNotificationSync);
    deliverPendingMessages();
    EXPECT_TRUE (changes.messages.isEmpty());
}

// The new value of a switch comes from the engine, not from the button, and every click announces it.
TEST_F (FullScreenTest, SwitchesFlipTheEngineValueAndAnnounceIt)
{
    const std::tuple<juce::Button*, int Quorvanelle::*, const char*> switches[] = {
        {&screen->onOffButton, &Quorvanelle::mOnOff, "onOffChange"},
        {&screen->bigChordsButton, &Quorvanelle::mBigChords, "bigChordsChange"},
        {&screen->expandButton, &Quorvanelle::mExpand, "expandChange"}};

    for (const auto& [button, setting, message] : switches)
    {
        SCOPED_TRACE (message);
        changes.messages.clear();

        // The value the engine ends with after each click, and what the host writes before it, if anything.
        for (auto [before, after] : {std::pair{-1, 1}, {-1, 0}, {1, 0}, {5, 1}})
        {
            if (before >= 0)
                writeSilently (setting, before);
            button->triggerClick();
            deliverPendingMessages();
            EXPECT_EQ (engine.*setting, after);
            EXPECT_EQ (button->getToggleState(), after == 1);
        }
        EXPECT_EQ (changes.messages, juce::StringArray ({message, message, message, message}));
    }

    // Expanding moves the split on the keyboard at once.
    EXPECT_EQ (engine.keyboardControl->getSnapshot().keyboardSplit, 72);
    EXPECT_EQ (displayMessages.messages.size(), 4);
}

TEST_F (FullScreenTest, ChordsModeDisablesRootAndScale)
{
    choose (screen->sourceModeBox, 3);
    choose (screen->sourceModeBox, 1);
    deliverPendingMessages();
    EXPECT_FALSE (screen->rootnoteBox.isEnabled() || screen->scaleBox.isEnabled());

    // The host or a restored state sets the mode the same way; a change of notes alone shows nothing new.
    writeSilently (&Quorvanelle::mSourceMode, 7);
    engine.sendActionMessage ("notesChange");
    deliverPendingMessages();
    EXPECT_FALSE (screen->rootnoteBox.isEnabled());
    engine.sendActionMessage ("sourceModeChange");
    deliverPendingMessages();
    EXPECT_TRUE (screen->rootnoteBox.isEnabled() && screen->scaleBox.isEnabled());
}

TEST_F (FullScreenTest, ValuesWithoutAControlShowNothingOrTheEndCellAndStayInTheEngine)
{
    const std::vector<int> beyondTheTop{0, 7, 0, 0, 12, 374, 9}, belowTheBottom{0, -8, 0, 0, -1, -1, 0};
    for (const auto& settings : {beyondTheTop, belowTheBottom})
    {
        writeSilently (settings);
        engine.sendActionMessage ("scaleIndexChange");
        deliverPendingMessages();
        EXPECT_EQ (settingsShownBy (*screen),
                   (std::vector<int>{0, settings[1] > 0 ? 5 : -5, 0, 0, -1, -1, 0}));
        EXPECT_TRUE (screen->sourceModeBox.getText().isEmpty() && screen->rootnoteBox.getText().isEmpty());
        EXPECT_EQ (settingsOf (engine), settings);
    }

    // A box that goes from an item to none reports a change, yet has nothing to write.
    choose (screen->sourceModeBox, 3);
    choose (screen->rootnoteBox, 3);
    choose (screen->scaleBox, 3);
    deliverPendingMessages();
    changes.messages.clear();
    for (auto* box : {&screen->sourceModeBox, &screen->rootnoteBox, &screen->scaleBox})
        choose (*box, 0);
    deliverPendingMessages();
    EXPECT_EQ (settingsOf (engine), (std::vector<int>{0, -8, 0, 0, 2, 2, 3}));
    EXPECT_TRUE (changes.messages.isEmpty());
}

TEST_F (FullScreenTest, ManualHotSpotIsInvisibleAndTakesClicksOverItsWholeArea)
{
    ASSERT_EQ (screen->manualButton.getBounds(), juce::Rectangle<int> (716, 247, 48, 48));

    // Only the background picture shows where it lies.
    const auto background =
        juce::ImageCache::getFromMemory (BinaryData::temp_binary_data_1, BinaryData::temp_binary_data_1Size);
    EXPECT_TRUE (sameRegion (render (*screen), background, screen->manualButton.getBounds()));

    screen->setVisible (true);
    for (auto [x, y] : {std::pair{0, 0}, {47, 0}, {0, 47}, {47, 47}, {24, 24}})
        EXPECT_EQ (screen->getComponentAt (716 + x, 247 + y), &screen->manualButton);
}
