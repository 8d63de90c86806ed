#include "engine/MIDIReceiver.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

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
        feed ({(juce::uint8) (0x8F + channel), (juce::uint8)key, (juce::uint8)velocity});
    }
    void noteOff (int channel, int key, int velocity = 0)
    {
        feed ({(juce::uint8) (0x7F + channel), (juce::uint8)key, (juce::uint8)velocity});
    }
    // What the engine's per-key pass leaves after handling a press.
    void pressHandled (int key) { tracker.noteState[key] += 1000; }

    // State and channel of a key, as one pair.
    std::vector<int> key (int k) const { return {tracker.noteState[k], tracker.noteChannel[k]}; }
    std::vector<int> everyKey() const
    {
        std::vector<int> all (std::begin (tracker.noteState), std::end (tracker.noteState));
        all.insert (all.end(), std::begin (tracker.noteChannel), std::end (tracker.noteChannel));
        return all;
    }

    MIDIReceiver tracker;
};

TEST_F (HeldKeyTracker, PressesAndReleasesKeepTheChannelThatChangedTheState)
{
    noteOn (3, 60, 90);
    EXPECT_EQ (key (60), (std::vector<int>{90, 3}));
    noteOn (16, 62, 127);
    EXPECT_EQ (key (62), (std::vector<int>{127, 16}));

    // A note-on with velocity 0 and a note-off with a release velocity both release.
    pressHandled (60);
    noteOn (5, 60, 0);
    EXPECT_EQ (key (60), (std::vector<int>{0, 5}));
    pressHandled (62);
    noteOff (1, 62, 64);
    EXPECT_EQ (key (62), (std::vector<int>{0, 1}));
}

TEST_F (HeldKeyTracker, MessagesThatFitNoTransitionChangeNothing)
{
    noteOn (3, 60, 90);
    pressHandled (60);
    noteOn (2, 61, 80);
    const auto before = everyKey();

    noteOn (3, 60, 50); // held, same channel
    noteOn (7, 60, 50); // held, other channel
    noteOn (7, 61, 50); // pressed, not handled yet
    noteOff (9, 70);    // idle
    noteOn (9, 70, 0);
    feed ({0xB0, 60, 0}); // controller numbered like the key
    feed ({0xB0, 123, 0});
    feed ({0xE0, 60, 64});
    feed ({0xA0, 60, 100}); // polyphonic pressure on the key
    feed ({0xD0, 60});
    feed ({0xC0, 60});
    feed ({0xF0, 0x7E, 0xF7});
    feed ({0x80, 200, 0}); // key byte past the tables
    feed ({0x90, 128, 100});
    feed ({0x80, 60}); // too short to name a velocity
    feed ({0x90, 62});
    tracker.processNewMessage (nullptr, 0);

    EXPECT_EQ (everyKey(), before);
}

TEST_F (HeldKeyTracker, ReleasesAndPressesPileUpUntilTheEngineHandlesThem)
{
    noteOn (1, 48, 100);
    pressHandled (48);
    noteOff (1, 48);
    noteOff (2, 48);
    EXPECT_EQ (key (48), (std::vector<int>{2000, 2})); // two releases to handle

    noteOn (1, 50, 100);
    pressHandled (50);
    noteOff (1, 50);
    noteOn (4, 50, 90);
    EXPECT_EQ (key (50), (std::vector<int>{2090, 4})); // the release first, then the press
    noteOff (6, 50);
    EXPECT_EQ (key (50), (std::vector<int>{0, 6})); // the new press is gone again

    // Let go before the engine saw the press: the key must not come out of the pass as held.
    noteOn (1, 60, 90);
    noteOff (2, 60);
    EXPECT_EQ (key (60), (std::vector<int>{0, 2}));
}
} // namespace
