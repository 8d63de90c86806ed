#include "engine/MIDIReceiver.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

namespace
{
class HeldKeyTracker : public ::testing::Test
{
protected:
    void SetUp() override { tracker.reset(); }

    void feed (std::initializer_list<juce::uint8> bytes)
    {
        juce::MidiMessage message (bytes.begin(), (int)bytes.size());
        tracker.processNewMessage (&message, 0);
    }

    void noteOn (int channel, int key, int velocity)
    {
        feed ({(juce::uint8) (0x90 + channel - 1), (juce::uint8)key, (juce::uint8)velocity});
    }

    void noteOff (int channel, int key, int velocity = 0)
    {
        feed ({(juce::uint8) (0x80 + channel - 1), (juce::uint8)key, (juce::uint8)velocity});
    }

    // What the engine's per-key pass leaves after handling a press.
    void handlePress (int key) { tracker.noteState[key] += 1000; }

    int state (int key) const { return tracker.noteState[key]; }
    int channel (int key) const { return tracker.noteChannel[key]; }

    struct Tables
    {
        std::array<int, 128> states;
        std::array<int, 128> channels;
        bool operator== (const Tables& other) const
        {
            return states == other.states && channels == other.channels;
        }
    };

    Tables tables() const
    {
        Tables t;
        std::copy (std::begin (tracker.noteState), std::end (tracker.noteState), t.states.begin());
        std::copy (std::begin (tracker.noteChannel), std::end (tracker.noteChannel), t.channels.begin());
        return t;
    }

    MIDIReceiver tracker;
};

TEST_F (HeldKeyTracker, PressWaitsWithItsVelocityAndChannel)
{
    noteOn (3, 60, 90);
    EXPECT_EQ (state (60), 90);
    EXPECT_EQ (channel (60), 3);

    noteOn (1, 61, 1);
    EXPECT_EQ (channel (61), 1);
    noteOn (16, 62, 127);
    EXPECT_EQ (state (62), 127);
    EXPECT_EQ (channel (62), 16);
}

TEST_F (HeldKeyTracker, MessagesThatFitNoTransitionChangeNothing)
{
    noteOn (3, 60, 90);
    handlePress (60);
    noteOn (2, 61, 80);
    const auto before = tables();

    noteOn (3, 60, 50); // held, same channel
    noteOn (7, 60, 50); // held, other channel
    noteOn (7, 61, 50); // pressed, not handled yet
    noteOff (9, 70);    // idle
    noteOn (9, 70, 0);  // idle, as a note-off

    EXPECT_EQ (tables(), before);
}

TEST_F (HeldKeyTracker, ZeroVelocityNoteOnAndReleaseVelocityBothRelease)
{
    for (const bool asZeroNoteOn : {true, false})
    {
        tracker.reset();
        noteOn (3, 60, 90);
        handlePress (60);

        if (asZeroNoteOn)
            noteOn (5, 60, 0);
        else
            noteOff (5, 60, 64);

        EXPECT_EQ (state (60), 0);
        EXPECT_EQ (channel (60), 5); // the channel of the message that changed the state
    }
}

TEST_F (HeldKeyTracker, ReleasesAndPressesPileUpBeforeTheEngineSeesThem)
{
    // Two releases of a held key: the engine handles two releases.
    noteOn (1, 48, 100);
    handlePress (48);
    noteOff (1, 48);
    noteOff (2, 48);
    EXPECT_EQ (state (48), 2000);
    EXPECT_EQ (channel (48), 2);

    // Release, then a new press: the release is handled first, then the press.
    noteOn (1, 50, 100);
    handlePress (50);
    noteOff (1, 50);
    noteOn (4, 50, 90);
    EXPECT_EQ (state (50), 2090);
    EXPECT_EQ (channel (50), 4);
    noteOn (5, 50, 30);
    EXPECT_EQ (state (50), 2090);

    // ...and a release on top of that leaves one release.
    noteOff (6, 50);
    EXPECT_EQ (state (50), 0);
    EXPECT_EQ (channel (50), 6);
}

TEST_F (HeldKeyTracker, PressLetGoBeforeTheEngineSawItLeavesOnlyARelease)
{
    // The key is up: it must not come out of the engine's pass as held.
    noteOn (1, 60, 90);
    noteOff (2, 60);
    EXPECT_EQ (state (60), 0);
    EXPECT_EQ (channel (60), 2);
}

TEST_F (HeldKeyTracker, OnlyNoteMessagesNamingAKeyAreRecorded)
{
    noteOn (1, 60, 90);
    handlePress (60);
    const auto before = tables();

    feed ({0xB0, 60, 0});   // controller numbered like the key
    feed ({0xB0, 123, 0});  // all notes off
    feed ({0xE0, 60, 64});  // pitch bend
    feed ({0xA0, 60, 100}); // polyphonic pressure on the key
    feed ({0xD0, 60});      // channel pressure
    feed ({0xC0, 60});      // program change
    feed ({0xF0, 0x7E, 0xF7});
    feed ({0x80, 200, 0}); // key byte past the tables
    feed ({0x90, 200, 100});
    feed ({0x90, 128, 100});
    feed ({0x80, 60}); // too short to be a note message
    feed ({0x90, 61});
    tracker.processNewMessage (nullptr, 0);

    EXPECT_EQ (tables(), before);
}

TEST_F (HeldKeyTracker, ResetForgetsEveryKey)
{
    noteOn (3, 0, 90);
    handlePress (0);
    noteOn (4, 127, 10);
    noteOff (5, 0);

    tracker.reset();

    for (int k = 0; k < 128; ++k)
    {
        EXPECT_EQ (state (k), -1);
        EXPECT_EQ (channel (k), 0);
    }
}
} // namespace
