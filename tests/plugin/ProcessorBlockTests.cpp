#include "ProcessorTestSupport.h"

using namespace processortest;

namespace
{
struct FixedPlayHead final : public juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override { return position; }

    juce::Optional<PositionInfo> position;
};

class ProcessorBlocks : public ProcessorTest
{
protected:
    ~ProcessorBlocks() override { processor.setPlayHead (nullptr); }

    FixedPlayHead playHead;
};

TEST_F (ProcessorBlocks, TransportComesFromThePlayHeadOrIsTheDefaultRecord)
{
    // No play head, or one that knows no position: 120 beats per minute, 4/4, stopped.
    juce::AudioPlayHead::CurrentPositionInfo expected;
    processor.engine.hostPosition.bpm = 33.0;
    render ({});
    EXPECT_EQ (processor.engine.hostPosition, expected);

    processor.setPlayHead (&playHead);
    processor.engine.hostPosition.isPlaying = true;
    render ({});
    EXPECT_EQ (processor.engine.hostPosition, expected);

    // Fields the host leaves out keep their defaults; a block of no samples still hands the rest over.
    // Tempo and the playing flag are what the engine reads.
    juce::AudioPlayHead::PositionInfo position;
    position.setIsPlaying (true);
    position.setBpm (90.0);
    playHead.position = position;
    render ({}, 0);
    expected.isPlaying = true;
    expected.bpm = 90.0;
    EXPECT_EQ (processor.engine.hostPosition, expected);
}

// The harmonisation itself is checked through the built formats.
TEST_F (ProcessorBlocks, EngineOutputReplacesTheBlockAndPreparingRestartsTheCount)
{
    const auto output =
        render ({noteOn (0, 48), noteOn (100, 96), {150, juce::MidiMessage::controllerEvent (1, 1, 64)}});
    EXPECT_EQ (describe (output),
               juce::StringArray ({"100: note-on 48 vel 100 ch 1", "150: cc 1 = 64 ch 1"}));
    EXPECT_EQ (processor.engine.samplePosition, 512);

    processor.prepareToPlay (88200.0, 64);
    EXPECT_EQ (processor.engine.samplePosition, 0);
    EXPECT_EQ (processor.engine.sampleRate, 88200.0);
}

TEST_F (ProcessorBlocks, BypassPassesOnTheEngineNoteOffsAndNothingElse)
{
    EXPECT_EQ (describe (render ({noteOn (0, 48), noteOn (0, 52), noteOn (0, 55), noteOn (10, 96)})),
               juce::StringArray ({"10: note-on 48 vel 100 ch 1"}));

    // Bypassed: the melody key let go still silences its note; nothing new starts, nothing passes.
    const auto bypassed = render ({noteOff (20, 96),
                                   noteOn (30, 98),
                                   {40, juce::MidiMessage::controllerEvent (1, 7, 1)},
                                   noteOn (50, 100, 100, 2)},
                                  512, true);
    EXPECT_EQ (describe (bypassed), juce::StringArray ({"20: note-off 48 ch 1"}));

    // The engine booked what it started during bypass; its release goes out as well.
    EXPECT_EQ (describe (render ({noteOff (5, 98)}, 512, true)), juce::StringArray ({"5: note-off 52 ch 1"}));
    EXPECT_EQ (describe (render ({noteOff (6, 100, 2)})), juce::StringArray ({"6: note-off 55 ch 2"}));
}

// JUCE's standalone application opens one output channel for a MIDI effect without buses, so that
// its audio callback drives the blocks; a processor with no channels and no such flag never runs.
TEST_F (ProcessorBlocks, AMidiEffectWithoutBusesSoThatTheStandaloneDrivesIt)
{
    EXPECT_TRUE (processor.isMidiEffect() && processor.acceptsMidi() && processor.producesMidi());
    EXPECT_EQ (processor.getBusCount (true) + processor.getBusCount (false), 0);
}
} // namespace
