#include "editor/QuorvanelleAudioProcessorEditor.h"
#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
// A pixel of the painted editor, in editor coordinates. The keyboard lies at (236, 96), 7 pixels a white
// key: white bodies are probed on row 141, a white key's sounding band on 149 and its current-note band
// on 154; black bodies on 113, their sounding band on 124 and current band on 129.
struct Probe
{
    int x, y;
    juce::uint32 argb;
    const char* what;
};

const Probe probes[] = {
    {435, 141, 0xffe7ca0a, "latched chord key 48"},
    {435, 149, 0xff07b5c8, "48 sounding through"},
    {432, 141, 0xff646464, "left edge of 48"},
    {442, 141, 0xffcae5f9, "idle chord key 50"},
    {446, 113, 0xffe7ca0a, "latched black chord key 51"},
    {448, 113, 0xff646464, "right edge of 51"},
    {439, 113, 0xff646464, "idle black key 49"},
    {463, 149, 0xffe7ca0a, "latched 55, silent"},
    {533, 149, 0xffcae5f9, "current note 72, silent"},
    {533, 154, 0xfffafafa, "current note 72"},
    {544, 106, 0xff646464, "black output 75, not held"},
    {544, 124, 0xff07b5c8, "75 sounding"},
    {544, 129, 0xfffafafa, "75 current, below its sounding band"},
    {561, 149, 0xff07b5c8, "79 sounding"},
    {561, 154, 0xfffafafa, "79 current, below its sounding band"},
    {575, 141, 0xffcae5f9, "idle 83, last key below the split"},
    {582, 141, 0xfffff9d2, "idle 84, first key from the split"},
    {589, 141, 0xff07b5c8, "held melody key 86"},
    {638, 141, 0xff07b5c8, "held melody key 98"},
    {631, 152, 0xfffff9d2, "idle 96"},
    {631, 154, 0xff646464, "the mark under 96"},
    {20, 20, 0xffd9ae3a, "background picture"},
    {300, 190, 0xffffcb3d, "Source through on"},
    {250, 199, 0xff07b5c8, "Source through on, its dot"},
    {470, 190, 0xff4a4a4a, "Use big chords off"},
    {258, 83, 0xffa8a8a8, "Expand keyboard off"},
    {686, 197, 0xff3a3a3a, "octave cell +1"},
    {702, 197, 0xffffcb3d, "octave cell +2, the current one"},
    {718, 197, 0xff3a3a3a, "octave cell +3"},
    {240, 268, 0xffe3e4e5, "mode box"},
    {313, 276, 0xff303030, "mode box text, the stem of the d in Chords"},
    {380, 275, 0xffffcb3d, "mode box arrow"},
    {406, 268, 0xffc7c7c7, "root box, disabled in mode C"},
    {456, 275, 0xffc7c7c7, "root box arrow, disabled"},
    {476, 268, 0xffc7c7c7, "scale box, disabled in mode C"},
};

// The settings in "?params" order (the mode counted from 0), as the engine holds them and as the
// controls show them; a box showing no item gives -1.
std::string engineSettings (Quorvanelle& e)
{
    const juce::ScopedLock sl (e.getLock());
    return timeline::listed ({e.mTargetOctaveMod, e.mSourceMode - 1, e.mOnOff, e.mBigChords, e.mExpand,
                              e.mRootnote, e.mScaleIndex});
}

std::string shownSettings (FullScreenComponent& s)
{
    return timeline::listed ({juce::roundToInt (s.targetOctaveSlider.getValue()),
                              s.sourceModeBox.getSelectedId() - 1, s.onOffButton.getToggleState(),
                              s.bigChordsButton.getToggleState(), s.expandButton.getToggleState(),
                              s.rootnoteBox.getSelectedId() - 1, s.scaleBox.getSelectedId() - 1});
}

void choose (juce::ComboBox& box, int id)
{
    box.setSelectedId (id, juce::sendNotificationSync);
}
} // namespace

TEST (Editor, PaintsThePlayingEditor)
{
    // Source through, octave +2, mode C: chord C Eb G latched (current notes 72 75 79), then melody keys
    // 86, 98 and 100 held, which sound 48, 75 and 79.
    timeline::ProcessorTarget host;
    timeline::play (host, "onoff=1 oct=2 @0 +48 +51 +55 @100 -48 -51 -55 @200 +86 +98 +100 @300");
    QuorvanelleAudioProcessorEditor editor (host.processor);
    juce::Image picture (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
    {
        juce::Graphics g (picture);
        editor.paintEntireComponent (g, true);
    }

    // Left in the build folder, so that anyone can look at the editor as it plays.
    const auto file = juce::File (QUORVANELLE_TEST_OUTPUT_DIR "/test/quorvanelle-editor.png");
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    EXPECT_TRUE (out.openedOk() && juce::PNGImageFormat().writeImageToStream (picture, out));

    for (const auto& p : probes)
        EXPECT_EQ (picture.getPixelAt (p.x, p.y).toDisplayString (true),
                   juce::Colour (p.argb).toDisplayString (true))
            << p.what << " at " << p.x << "," << p.y;
}

TEST (Editor, ControlsWriteTheEngineAndTheParametersFollow)
{
    timeline::ProcessorTarget host;
    auto& engine = host.processor.engine;
    timeline::play (host, "oct=-3 mode=6 onoff=1 root=9 scale=18 ?msgs");

    // Opening shows what the engine holds and writes nothing.
    QuorvanelleAudioProcessorEditor editor (host.processor);
    auto& screen = dynamic_cast<FullScreenComponent&> (*editor.getChildComponent (0));
    EXPECT_EQ (shownSettings (screen), "-3,5,1,0,0,9,18");
    EXPECT_EQ (host.probe ("msgs"), "");

    // A user's action, then the settings in the engine, the parameters and the controls once every
    // message is in, and the messages.
    const std::tuple<std::function<void()>, const char*, const char*> rows[] = {
        {[&] { screen.onOffButton.triggerClick(); }, "-3,5,0,0,0,9,18", "onOffChange"},
        {[&] { screen.bigChordsButton.triggerClick(); }, "-3,5,0,1,0,9,18", "bigChordsChange"},
        {[&] { screen.expandButton.triggerClick(); }, "-3,5,0,1,1,9,18", "display,expandChange"},
        {[&] { choose (screen.sourceModeBox, 2); }, "-3,1,0,1,1,9,18", "sourceModeChange"},
        {[&] { choose (screen.rootnoteBox, 1); }, "-3,1,0,1,1,0,18", "rootnoteChange"},
        {[&] { choose (screen.scaleBox, 374); }, "-3,1,0,1,1,0,373", "scaleIndexChange"},
        {[&] { screen.targetOctaveSlider.setValue (5.0, juce::sendNotificationSync); }, "5,1,0,1,1,0,373",
         "targetOctaveModChange"},
        // The switches take their new value from the engine, which another writer has just changed
        // without a word yet; the buttons still show the old values.
        {[&]
         {
             {
                 const juce::ScopedLock sl (engine.getLock());
                 engine.mOnOff = 1;
                 engine.mBigChords = engine.mExpand = 0;
             }
             for (auto* b : {&screen.onOffButton, &screen.bigChordsButton, &screen.expandButton})
                 b->triggerClick();
         },
         "5,1,0,1,1,0,373", "onOffChange,bigChordsChange,display,expandChange"},
        // The host has set values whose messages have not arrived; the user empties the boxes, which
        // has nothing to write, and picks what the host set, which is already there: only the host's
        // messages go out.
        {[&]
         {
             timeline::play (host, "oct=-5 mode=7 root=11 scale=0");
             for (auto* box : {&screen.sourceModeBox, &screen.rootnoteBox, &screen.scaleBox})
                 choose (*box, 0);
             choose (screen.sourceModeBox, 7);
             choose (screen.rootnoteBox, 12);
             choose (screen.scaleBox, 1);
             screen.targetOctaveSlider.setValue (-5.0, juce::sendNotificationSync);
         },
         "-5,6,0,1,1,11,0", "targetOctaveModChange,sourceModeChange,rootnoteChange,scaleIndexChange"},
    };
    for (const auto& [action, settings, messages] : rows)
    {
        action();
        EXPECT_EQ (host.probe ("msgs"), messages) << settings;
        EXPECT_EQ (engineSettings (engine), settings);
        EXPECT_EQ (host.probe ("params"), settings);
        EXPECT_EQ (shownSettings (screen), settings);
    }
}
