#pragma once

#include "editor/FullScreenComponent.h"
#include "tests/plugin/BlockText.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <vector>

namespace editor_test
{
// Delivers the messages posted so far (change messages, display messages, button clicks). Gives up
// after a second, so that a thread that keeps posting cannot hold the test here for ever.
inline void deliverPendingMessages()
{
    const auto giveUpAt = juce::Time::getMillisecondCounter() + 1000;
    while (juce::dispatchNextMessageOnSystemQueue (true) && juce::Time::getMillisecondCounter() < giveUpAt)
    {
    }
}

// Records the messages a broadcaster delivers, in order.
struct MessageLog final : public juce::ActionListener
{
    explicit MessageLog (juce::ActionBroadcaster& b) : broadcaster (b)
    {
        broadcaster.addActionListener (this);
    }
    ~MessageLog() override { broadcaster.removeActionListener (this); }

    void actionListenerCallback (const juce::String& message) override { messages.add (message); }

    juce::ActionBroadcaster& broadcaster;
    juce::StringArray messages;
};

// Collects what the framework's debug assertions print while it exists (a LookAndFeel deleted while
// something still refers to it, an editor deleted behind its processor's back). Debug builds only:
// in release builds the assertions are compiled out.
class AssertionWatch
{
public:
    AssertionWatch() : previous (std::cerr.rdbuf (captured.rdbuf())) {}
    ~AssertionWatch() { std::cerr.rdbuf (previous); }

    bool sawAssertion() const { return captured.str().find ("JUCE Assertion failure") != std::string::npos; }
    std::string text() const { return captured.str(); }

private:
    std::ostringstream captured;
    std::streambuf* previous;
};

// Paints a component and its children into an image, as the screen would show it.
inline juce::Image render (juce::Component& c)
{
    juce::Image image (juce::Image::ARGB, c.getWidth(), c.getHeight(), true);
    juce::Graphics g (image);
    c.paintEntireComponent (g, true);
    return image;
}

inline juce::uint32 argb (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getARGB();
}

// Whether two images agree pixel for pixel over an area; names the first pixel that differs.
inline ::testing::AssertionResult sameRegion (const juce::Image& a, const juce::Image& b,
                                              juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (argb (a, x, y) != argb (b, x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << a.getPixelAt (x, y).toDisplayString (true)
                       << ", not " << b.getPixelAt (x, y).toDisplayString (true);
    return ::testing::AssertionSuccess();
}

// The engine's settings in the saved state's attribute order.
inline std::vector<int> settingsOf (Quorvanelle& engine)
{
    const juce::ScopedLock sl (engine.getLock());
    return {engine.mOnOff,    engine.mTargetOctaveMod, engine.mBigChords, engine.mExpand,
            engine.mRootnote, engine.mScaleIndex,      engine.mSourceMode};
}

// The same as the controls show them; a box showing no item gives -1 (root, scale) or 0 (mode).
inline std::vector<int> settingsShownBy (const FullScreenComponent& screen)
{
    return {screen.onOffButton.getToggleState() ? 1 : 0,
            juce::roundToInt (screen.targetOctaveSlider.getValue()),
            screen.bigChordsButton.getToggleState() ? 1 : 0,
            screen.expandButton.getToggleState() ? 1 : 0,
            screen.rootnoteBox.getSelectedId() - 1,
            screen.scaleBox.getSelectedId() - 1,
            screen.sourceModeBox.getSelectedId()};
}
} // namespace editor_test
