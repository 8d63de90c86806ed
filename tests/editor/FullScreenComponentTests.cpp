#include "editor/FullScreenComponent.h"

#include "EditorTestSupport.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

using editor_test::argb;
using editor_test::deliverPendingMessages;
using editor_test::MessageLog;
using editor_test::render;
using editor_test::sameRegion;

namespace
{
class FullScreenTest : public ::testing::Test
{
protected:
    void open()
    {
        screen = std::make_unique<FullScreenComponent> (&engine);
        screen->setBounds (0, 0, 800, 300);
    }

    // A click as the user makes it: the toggle flips, the callback runs, the engine's messages arrive.
    void click (juce::Button& button)
    {
        button.triggerClick();
        deliverPendingMessages();
    }

    // The user picks an item; its callback runs at once, the engine's message arrives later.
    static void choose (juce::ComboBox& box, int id) { box.setSelectedId (id, juce::sendNotificationSync); }

    // A writer elsewhere (the host) changes a setting; its message has not arrived yet.
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
    engine.mOnOff = 1;
    engine.mBigChords = 1;
    engine.mExpand = 0;
    engine.mSourceMode = 5;
    engine.mRootnote = 9;
    engine.mScaleIndex = 18;
    engine.mTargetOctaveMod = -3;

    open();
    deliverPendingMessages();

    EXPECT_TRUE (screen->onOffButton.getToggleState());
    EXPECT_TRUE (screen->bigChordsButton.getToggleState());
    EXPECT_FALSE (screen->expandButton.getToggleState());
    EXPECT_EQ (screen->sourceModeBox.getText(), "Chords + scale (safe)");
    EXPECT_EQ (screen->rootnoteBox.getText(), "A");
    EXPECT_EQ (screen->scaleBox.getSelectedId(), 19);
    EXPECT_EQ (screen->scaleBox.getText(), "----");
    EXPECT_EQ (screen->targetOctaveSlider.getValue(), -3.0);
    EXPECT_TRUE (screen->rootnoteBox.isEnabled());
    EXPECT_TRUE (screen->scaleBox.isEnabled());

    EXPECT_TRUE (changes.messages.isEmpty());
    EXPECT_EQ (engine.mOnOff, 1);
    EXPECT_EQ (engine.mSourceMode, 5);
    EXPECT_EQ (engine.mRootnote, 9);
    EXPECT_EQ (engine.mScaleIndex, 18);
    EXPECT_EQ (engine.mTargetOctaveMod, -3);
}

TEST_F (FullScreenTest, BoxesAndSliderWriteAndAnnounceOnlyWhatChanges)
{
    engine.mSourceMode = 3;
    open();

    choose (screen->sourceModeBox, 2);
    choose (screen->rootnoteBox, 3);
    choose (screen->scaleBox, 40);
    screen->targetOctaveSlider.setValue (4.0, juce::sendNotificationSync);
    EXPECT_EQ (engine.mSourceMode, 2);
    EXPECT_EQ (engine.mRootnote, 2);
    EXPECT_EQ (engine.mScaleIndex, 39);
    EXPECT_EQ (engine.mTargetOctaveMod, 4);
    deliverPendingMessages();
    EXPECT_EQ (changes.messages, juce::StringArray ("sourceModeChange", "rootnoteChange", "scaleIndexChange",
                                                    "targetOctaveModChange"));

    // The host has already set what the user now picks: nothing to write, nothing to announce.
    changes.messages.clear();
    writeSilently (&Quorvanelle::mSourceMode, 6);
    writeSilently (&Quorvanelle::mRootnote, 7);
    writeSilently (&Quorvanelle::mScaleIndex, 100);
    writeSilently (&Quorvanelle::mTargetOctaveMod, -2);
    choose (screen->sourceModeBox, 6);
    choose (screen->rootnoteBox, 8);
    choose (screen->scaleBox, 101);
    screen->targetOctaveSlider.setValue (-2.0, juce::sendNotificationSync);
    deliverPendingMessages();
    EXPECT_TRUE (changes.messages.isEmpty());
}

TEST_F (FullScreenTest, BigChordsFlipsTheEngineValueAndAlwaysAnnounces)
{
    open();

    click (screen->bigChordsButton);
    EXPECT_EQ (engine.mBigChords, 1);
    EXPECT_TRUE (screen->bigChordsButton.getToggleState());
    click (screen->bigChordsButton);
    EXPECT_EQ (engine.mBigChords, 0);
    EXPECT_FALSE (screen->bigChordsButton.getToggleState());
    EXPECT_EQ (changes.messages, juce::StringArray ("bigChordsChange", "bigChordsChange"));

    // The new value comes from the engine, not from the button: the host switched it on meanwhile.
    writeSilently (&Quorvanelle::mBigChords, 1);
    click (screen->bigChordsButton);
    EXPECT_EQ (engine.mBigChords, 0);
    EXPECT_FALSE (screen->bigChordsButton.getToggleState());

    writeSilently (&Quorvanelle::mBigChords, 5);
    click (screen->bigChordsButton);
    EXPECT_EQ (engine.mBigChords, 1);
    EXPECT_TRUE (screen->bigChordsButton.getToggleState());
    EXPECT_EQ (changes.messages.size(), 4);
}

TEST_F (FullScreenTest, SwitchesGoThroughTheEngineAndFollowItsValue)
{
    open();

    click (screen->onOffButton);
    EXPECT_EQ (engine.mOnOff, 1);
    EXPECT_TRUE (screen->onOffButton.getToggleState());
    click (screen->onOffButton);
    EXPECT_EQ (engine.mOnOff, 0);
    EXPECT_FALSE (screen->onOffButton.getToggleState());
    EXPECT_EQ (changes.messages, juce::StringArray ("onOffChange", "onOffChange"));

    // A value that is neither 0 nor 1 counts as off: the click switches it on.
    writeSilently (&Quorvanelle::mOnOff, 3);
    click (screen->onOffButton);
    EXPECT_EQ (engine.mOnOff, 1);

    changes.messages.clear();
    click (screen->expandButton);
    EXPECT_EQ (engine.mExpand, 1);
    EXPECT_EQ (engine.keyboardSplit, 72);
    EXPECT_EQ (engine.keyboardControl->getSnapshot().keyboardSplit, 72);
    EXPECT_TRUE (screen->expandButton.getToggleState());
    EXPECT_EQ (changes.messages, juce::StringArray ("expandChange"));
    EXPECT_EQ (displayMessages.messages, juce::StringArray ("keyboardDisplayChangedMessage"));

    click (screen->expandButton);
    EXPECT_EQ (engine.mExpand, 0);
    EXPECT_EQ (engine.keyboardControl->getSnapshot().keyboardSplit, 84);
    EXPECT_FALSE (screen->expandButton.getToggleState());
}

TEST_F (FullScreenTest, ExpandingMovesTheSplitOnTheKeyboardAtOnce)
{
    // Key 72 is held and shown on the chord side.
    {
        const juce::ScopedLock sl (engine.getLock());
        engine.keyboardControl->keyDisplayState[72] = 10;
        engine.keyboardControl->publish();
    }
    open();
    const int keyX = 7 * 42 + 3;
    EXPECT_EQ (argb (render (screen->keyboardComponent), keyX, 45), 0xffe7ca0au);

    click (screen->expandButton);
    EXPECT_EQ (argb (render (screen->keyboardComponent), keyX, 45), 0xff07b5c8u);
}

TEST_F (FullScreenTest, ChordsModeDisablesRootAndScaleOnceItsMessageComesBack)
{
    engine.mSourceMode = 3;
    open();

    choose (screen->sourceModeBox, 1);
    EXPECT_EQ (engine.mSourceMode, 1);
    EXPECT_TRUE (screen->rootnoteBox.isEnabled());
    deliverPendingMessages();
    EXPECT_FALSE (screen->rootnoteBox.isEnabled());
    EXPECT_FALSE (screen->scaleBox.isEnabled());

    choose (screen->sourceModeBox, 7);
    deliverPendingMessages();
    EXPECT_TRUE (screen->rootnoteBox.isEnabled());
    EXPECT_TRUE (screen->scaleBox.isEnabled());

    // The host or a restored state sets the mode the same way.
    writeSilently (&Quorvanelle::mSourceMode, 1);
    engine.sendActionMessage ("sourceModeChange");
    deliverPendingMessages();
    EXPECT_FALSE (screen->rootnoteBox.isEnabled());
    EXPECT_EQ (screen->sourceModeBox.getText(), "Chords");
}

TEST_F (FullScreenTest, ValuesWithoutAControlShowNothingOrTheEndCellAndStayInTheEngine)
{
    open();

    writeSilently (&Quorvanelle::mSourceMode, 9);
    writeSilently (&Quorvanelle::mRootnote, 12);
    writeSilently (&Quorvanelle::mScaleIndex, 374);
    writeSilently (&Quorvanelle::mTargetOctaveMod, 7);
    engine.sendActionMessage ("scaleIndexChange");
    deliverPendingMessages();

    EXPECT_EQ (screen->sourceModeBox.getSelectedId(), 0);
    EXPECT_TRUE (screen->sourceModeBox.getText().isEmpty());
    EXPECT_EQ (screen->rootnoteBox.getSelectedId(), 0);
    EXPECT_TRUE (screen->rootnoteBox.getText().isEmpty());
    EXPECT_EQ (screen->scaleBox.getSelectedId(), 0);
    EXPECT_EQ (screen->targetOctaveSlider.getValue(), 5.0);

    writeSilently (&Quorvanelle::mRootnote, -1);
    writeSilently (&Quorvanelle::mTargetOctaveMod, -8);
    engine.sendActionMessage ("rootnoteChange");
    deliverPendingMessages();
    EXPECT_TRUE (screen->rootnoteBox.getText().isEmpty());
    EXPECT_EQ (screen->targetOctaveSlider.getValue(), -5.0);

    // A box left showing no item has nothing to write, even if it reports a change.
    choose (screen->sourceModeBox, 0);
    choose (screen->rootnoteBox, 0);
    choose (screen->scaleBox, 0);
    deliverPendingMessages();

    EXPECT_EQ (engine.mSourceMode, 9);
    EXPECT_EQ (engine.mRootnote, -1);
    EXPECT_EQ (engine.mScaleIndex, 374);
    EXPECT_EQ (engine.mTargetOctaveMod, -8);
    EXPECT_EQ (changes.messages, juce::StringArray ("scaleIndexChange", "rootnoteChange"));
}

TEST_F (FullScreenTest, OnlyNotesChangeLeavesTheControlsAsTheyAre)
{
    open();

    writeSilently (&Quorvanelle::mRootnote, 5);
    engine.sendActionMessage ("notesChange");
    deliverPendingMessages();
    EXPECT_EQ (screen->rootnoteBox.getText(), "C");

    engine.sendActionMessage ("");
    deliverPendingMessages();
    EXPECT_EQ (screen->rootnoteBox.getText(), "F");

    writeSilently (&Quorvanelle::mTargetOctaveMod, -1);
    engine.sendActionMessage ("anything at all");
    deliverPendingMessages();
    EXPECT_EQ (screen->targetOctaveSlider.getValue(), -1.0);
}

TEST_F (FullScreenTest, ManualHotSpotIsInvisibleAndTakesClicksOverItsWholeArea)
{
    open();
    const auto& hotSpot = screen->manualButton;
    ASSERT_EQ (hotSpot.getBounds(), juce::Rectangle<int> (716, 247, 48, 48));

    // Only the background picture shows where it lies.
    const auto shown = render (*screen);
    const auto background =
        juce::ImageCache::getFromMemory (BinaryData::temp_binary_data_1, BinaryData::temp_binary_data_1Size);
    EXPECT_TRUE (sameRegion (shown, background, hotSpot.getBounds()));

    screen->setVisible (true);
    for (auto [x, y] : {std::pair{0, 0}, {47, 0}, {0, 47}, {47, 47}, {24, 24}})
        EXPECT_EQ (screen->getComponentAt (716 + x, 247 + y), &screen->manualButton);
    EXPECT_FALSE (screen->manualButton.getClickingTogglesState());

    const juce::URL manual (FullScreenComponent::manualAddress);
    EXPECT_TRUE (manual.isWellFormed());
    EXPECT_TRUE (juce::String (FullScreenComponent::manualAddress).startsWith ("https://"));
    EXPECT_EQ (manual.getSubPath(), "quorvanelle-manual/");
}
