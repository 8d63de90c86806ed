#include "engine/MIDIReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;
// Not a message: the engine's per-key pass handling the presses that wait.
const Bytes handled{};

void feed (MIDIReceiver& tracker, const std::vector<Bytes>& messages)
{
    for (const auto& bytes : messages)
    {
        if (bytes.empty())
            for (auto& state : tracker.noteState)
                state += (state > 0 && state < 1000) ? 1000 : 0;
        else
        {
            juce::MidiMessage message (bytes.data(), (int)bytes.size());
            tracker.processNewMessage (&message, 0);
        }
    }
}

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
        {"and let go again", {{0x90, 60, 100}, handled, {0x80, 60, 0}, {0x93, 60, 90}, {0x85, 60, 0}}, 0, 6},
        // Let go before the engine saw the press: the key must not come out of the pass as held.
        {"pressed and let go unseen", {{0x90, 60, 90}, {0x81, 60, 0}}, 0, 2},
    };
    for (const auto& row : rows)
    {
        MIDIReceiver tracker;
        tracker.reset();
        feed (tracker, row.messages);
        EXPECT_EQ (std::make_pair (tracker.noteState[60], tracker.noteChannel[60]),
                   std::make_pair (row.state, row.channel))
            << row.what;
    }
}

TEST (HeldKeyTracker, MessagesThatFitNoTransitionChangeNothing)
{
    MIDIReceiver tracker;
    tracker.reset();
    feed (tracker, {{0x92, 60, 90}, handled, {0x91, 61, 80}});
    const auto before = tracker;

    // Held (on its own channel or another), pressed and not handled yet, idle; no note messages; key bytes
    // past the tables; too short to name a velocity.
    feed (tracker, {{0x92, 60, 50},
                    {0x96, 60, 50},
                    {0x96, 61, 50},
                    {0x88, 70, 0},
                    {0x98, 70, 0},
                    {0xb0, 60, 0},
                    {0xb0, 123, 0},
                    {0xe0, 60, 64},
                    {0xa0, 60, 100},
                    {0xd0, 60},
                    {0xc0, 60},
                    {0xf0, 0x7e, 0xf7},
                    {0x80, 200, 0},
                    {0x90, 128, 100},
                    {0x80, 60},
                    {0x90, 62}});
    tracker.processNewMessage (nullptr, 0);

    EXPECT_TRUE (std::equal (std::begin (tracker.noteState), std::end (tracker.noteState), before.noteState));
    EXPECT_TRUE (
        std::equal (std::begin (tracker.noteChannel), std::end (tracker.noteChannel), before.noteChannel));
}
} // namespace
