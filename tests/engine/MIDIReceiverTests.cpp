#include "engine/MIDIReceiver.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using Bytes = std::vector<int>;
// Not a message: the engine's per-key pass handling the press that waits.
const Bytes handled{};

struct Tracker
{
    Tracker() { receiver.reset(); }

    void feed (const std::vector<Bytes>& messages)
    {
        for (const auto& bytes : messages)
        {
            if (bytes.empty())
            {
                for (auto& state : receiver.noteState)
                    state += (state > 0 && state < 1000) ? 1000 : 0;
                continue;
            }
            const std::vector<juce::uint8> raw (bytes.begin(), bytes.end());
            juce::MidiMessage message (raw.data(), (int)raw.size());
            receiver.processNewMessage (&message, 0);
        }
    }

    std::vector<int> everyKey() const
    {
        std::vector<int> all (std::begin (receiver.noteState), std::end (receiver.noteState));
        all.insert (all.end(), std::begin (receiver.noteChannel), std::end (receiver.noteChannel));
        return all;
    }

    MIDIReceiver receiver;
};

TEST (HeldKeyTracker, KeyKeepsItsStateAndTheChannelOfTheMessageThatChangedIt)
{
    struct Row
    {
        const char* what;
        std::vector<Bytes> messages;
        int state, channel;
    };
    const Row rows[] = {
        {"press", {{0x92, 60, 90}}, 90, 3},
        {"press on channel 16", {{0x9f, 60, 127}}, 127, 16},
        {"note-on of velocity 0 releases", {{0x92, 60, 90}, handled, {0x94, 60, 0}}, 0, 5},
        {"note-off with a release velocity", {{0x92, 60, 90}, handled, {0x80, 60, 64}}, 0, 1},
        {"two releases wait", {{0x90, 60, 100}, handled, {0x80, 60, 0}, {0x81, 60, 0}}, 2000, 2},
        {"a release, then a press", {{0x90, 60, 100}, handled, {0x80, 60, 0}, {0x93, 60, 90}}, 2090, 4},
        {"...and the new press let go",
         {{0x90, 60, 100}, handled, {0x80, 60, 0}, {0x93, 60, 90}, {0x85, 60, 0}},
         0,
         6},
        // Let go before the engine saw the press: the key must not come out of the pass as held.
        {"pressed and let go unseen", {{0x90, 60, 90}, {0x81, 60, 0}}, 0, 2},
    };

    for (const auto& row : rows)
    {
        Tracker tracker;
        tracker.feed (row.messages);
        EXPECT_EQ (tracker.receiver.noteState[60], row.state) << row.what;
        EXPECT_EQ (tracker.receiver.noteChannel[60], row.channel) << row.what;
    }
}

TEST (HeldKeyTracker, MessagesThatFitNoTransitionChangeNothing)
{
    Tracker tracker;
    tracker.feed ({{0x92, 60, 90}, handled, {0x91, 61, 80}});
    const auto before = tracker.everyKey();

    tracker.feed ({
        {0x92, 60, 50},
        {0x96, 60, 50}, // held, on its own channel or another
        {0x96, 61, 50}, // pressed, not handled yet
        {0x88, 70, 0},
        {0x98, 70, 0}, // idle
        {0xb0, 60, 0},
        {0xb0, 123, 0},
        {0xe0, 60, 64},
        {0xa0, 60, 100},
        {0xd0, 60},
        {0xc0, 60},
        {0xf0, 0x7e, 0xf7},
        {0x80, 200, 0},
        {0x90, 128, 100}, // key bytes past the tables
        {0x80, 60},
        {0x90, 62}, // too short to name a velocity
    });
    tracker.receiver.processNewMessage (nullptr, 0);

    EXPECT_EQ (tracker.everyKey(), before);
}
} // namespace
