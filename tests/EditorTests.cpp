#include "editor/PluginLookAndFeel.h"
#include "editor/QuorvanelleAudioProcessorEditor.h"
#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

// A pixel of the painted editor, in editor coordinates, and its opaque colour. The keyboard lies at
// (236, 96), 7 pixels a white key: white bodies are probed on row 141, a white key's sounding band on 149
// and its current-note band on 154; black bodies on 113, their sounding band on 124 and current band on
// 129. What each probe shows, in order: latched chord key 48, 48 sounding through, left edge of 48, idle
// chord key 50, latched black chord key 51, right edge of 51, idle black key 49, latched 55 silent,
// current note 72 silent, current note 72, black output 75 not held, 75 sounding, 75 current below its
// sounding band, 79 sounding, 79 current below its sounding band, idle 83 (the last key below the split),
// idle 84 (the first from the split), held melody keys 86 and 98, idle 96, the mark under 96; the
// background picture; "Source through" on and its dot, "Use big chords" off, "Expand keyboard" off;
// octave cells +1, +2 (the current one) and +3; the mode box, its text (the stem of the d in "Chords")
// and arrow; the root box and its arrow, and the scale box, disabled in mode C; the last key's right
// outline, held black melody key 90, black 75's current band ending above its outline, the keyboard's
// bottom outline, the manual hot-spot showing only the background, the mode box arrow's top row.
const juce::uint32 probes[] = {
    435, 141, 0xe7ca0a, 435, 149, 0x07b5c8, 432, 141, 0x646464, 442, 141, 0xcae5f9, 446, 113, 0xe7ca0a,
    448, 113, 0x646464, 439, 113, 0x646464, 463, 149, 0xe7ca0a, 533, 149, 0xcae5f9, 533, 154, 0xfafafa,
    544, 106, 0x646464, 544, 124, 0x07b5c8, 544, 129, 0xfafafa, 561, 149, 0x07b5c8, 561, 154, 0xfafafa,
    575, 141, 0xcae5f9, 582, 141, 0xfff9d2, 589, 141, 0x07b5c8, 638, 141, 0x07b5c8, 631, 152, 0xfff9d2,
    631, 154, 0x646464, 20,  20,  0xd9ae3a, 300, 190, 0xffcb3d, 250, 199, 0x07b5c8, 470, 190, 0x4a4a4a,
    258, 83,  0xa8a8a8, 686, 197, 0x3a3a3a, 702, 197, 0xffcb3d, 718, 197, 0x3a3a3a, 240, 268, 0xe3e4e5,
    313, 276, 0x303030, 380, 275, 0xffcb3d, 406, 268, 0xc7c7c7, 456, 275, 0xc7c7c7, 476, 268, 0xc7c7c7,
    760, 100, 0x646464, 606, 100, 0x07b5c8, 543, 127, 0x646464, 435, 147, 0x646464, 720, 266, 0x3a3a3a,
    380, 273, 0x555555};

TEST (Editor, PaintsThePlayingEditor)
{
    // Source through, octave +2, mode C: chord C Eb G latched (current notes 72 75 79), then melody keys
    // 86, 98 and 100 held, which sound 48, 75 and 79.
    timeline::ProcessorTarget host;
    timeline::play (host, "onoff=1 oct=2 @0 +48 +51 +55 @100 -48 -51 -55 @200 +86 +90 +98 +100 @300");
    host.processor.engine.keyboardControl->keyDisplayState[50] =
        10; // not published: the view must not show it
    QuorvanelleAudioProcessorEditor editor (host.processor);
    const auto picture = editor.createComponentSnapshot (editor.getLocalBounds());

    // Left in the build folder, so that anyone can look at the editor as it plays.
    const auto file = juce::File (QUORVANELLE_TEST_OUTPUT_DIR "/test/quorvanelle-editor.png");
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    EXPECT_TRUE (out.openedOk() && juce::PNGImageFormat().writeImageToStream (picture, out));

    for (size_t i = 0; i < std::size (probes); i += 3)
        EXPECT_EQ (picture.getPixelAt ((int)probes[i], (int)probes[i + 1]).toDisplayString (true),
                   juce::Colour (0xff000000 | probes[i + 2]).toDisplayString (true))
            << "probe " << i / 3 << " at " << probes[i] << "," << probes[i + 1];

    // The editor's look is the default while it is open; its tooltips
    // open away from the mouse, towards the centre, and stay inside their parent.
    auto& look = dynamic_cast<PluginLookAndFeel&> (juce::LookAndFeel::getDefaultLookAndFeel());
    juce::String boxes;
    for (const auto& [x, y, w] : {std::tuple{100, 100, 800}, {700, 500, 800}, {85, 68, 40}})
        boxes << look.getTooltipBounds ("Target octave", {x, y}, {0, 0, w, 600}).toString() << "|";
    EXPECT_EQ (boxes, "124 106 100 24|588 470 100 24|0 74 40 24|");
}

TEST (Editor, ControlsWriteTheEngineAndTheParametersFollow)
{
    timeline::ProcessorTarget host;
    auto& engine = host.processor.engine;
    timeline::play (host, "oct=-3 mode=6 onoff=1 root=9 scale=18 ?msgs");
    QuorvanelleAudioProcessorEditor editor (host.processor);
    auto& screen = dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));

    // After each of a user's actions, once every message is in: the messages, then the settings in
    // "?params" order (the mode counted from 0) as the engine holds them, as the parameters hold them and
    // as the controls show them (a box showing no item gives -1).
    const auto expect = [&] (const std::string& messages, const std::string& settings)
    {
        const auto sent = host.probe ("msgs");
        const auto shown =
            timeline::listed ({juce::roundToInt (screen.targetOctaveSlider.getValue()),
                               screen.sourceModeBox.getSelectedId() - 1, screen.onOffButton.getToggleState(),
                               screen.bigChordsButton.getToggleState(), screen.expandButton.getToggleState(),
                               screen.rootnoteBox.getSelectedId() - 1, screen.scaleBox.getSelectedId() - 1});
        EXPECT_EQ (sent + " " + host.probe ("params") + " " + shown,
                   messages + " " + settings + " " + settings);
    };

    expect ("", "-3,5,1,0,0,9,18"); // opening shows what the engine holds and writes nothing
    screen.onOffButton.triggerClick();
    expect ("onOffChange", "-3,5,0,0,0,9,18");
    screen.bigChordsButton.triggerClick();
    expect ("bigChordsChange", "-3,5,0,1,0,9,18");
    screen.expandButton.triggerClick();
    expect ("display,expandChange", "-3,5,0,1,1,9,18");
    screen.sourceModeBox.setSelectedId (2, juce::sendNotificationSync);
    expect ("sourceModeChange", "-3,1,0,1,1,9,18");
    screen.rootnoteBox.setSelectedId (1, juce::sendNotificationSync);
    expect ("rootnoteChange", "-3,1,0,1,1,0,18");
    screen.scaleBox.setSelectedId (374, juce::sendNotificationSync);
    expect ("scaleIndexChange", "-3,1,0,1,1,0,373");
    screen.targetOctaveSlider.setValue (5.0, juce::sendNotificationSync);
    expect ("targetOctaveModChange", "5,1,0,1,1,0,373");
    EXPECT_EQ (editor.createComponentSnapshot ({750, 197, 1, 1}).getPixelAt (0, 0),
               juce::Colour (0xffffcb3d)); // cell +5

    // The switches take their new value from the engine, which another writer has just changed without a
    // word yet; the buttons still show the old values.
    {
        const juce::ScopedLock sl (engine.getLock());
        engine.mOnOff = 1;
        engine.mBigChords = engine.mExpand = 0;
    }
    for (auto* button : {&screen.onOffButton, &screen.bigChordsButton, &screen.expandButton})
        button->triggerClick();
    expect ("onOffChange,bigChordsChange,display,expandChange", "5,1,0,1,1,0,373");

    // The host has set values whose messages have not arrived; the user empties the boxes, which has
    // nothing to write, and picks what the host set, which is already there: only the host's messages go
    // out.
    timeline::play (host, "expand=0"); // alone: its own message must refresh the controls
    expect ("display,expandChange", "5,1,0,1,0,0,373");
    timeline::play (host, "oct=-5 mode=7 root=11 scale=0");
    for (auto* box : {&screen.sourceModeBox, &screen.rootnoteBox, &screen.scaleBox})
        box->setSelectedId (0, juce::sendNotificationSync);
    screen.sourceModeBox.setSelectedId (7, juce::sendNotificationSync);
    screen.rootnoteBox.setSelectedId (12, juce::sendNotificationSync);
    screen.scaleBox.setSelectedId (1, juce::sendNotificationSync);
    screen.targetOctaveSlider.setValue (-5.0, juce::sendNotificationSync);
    expect ("targetOctaveModChange,sourceModeChange,rootnoteChange,scaleIndexChange", "-5,6,0,1,0,11,0");
}
