#include "ProcessorTestSupport.h"

#include <atomic>
#include <memory>
#include <thread>

using namespace processortest;

namespace
{
using ProcessorParameters = ProcessorTest;

// Names, ranges and choice texts are checked where the host sees them, through the built formats.
TEST_F (ProcessorParameters, SevenParametersInIndexOrderUnderTheIdsHostsStore)
{
    const char* const ids[] = {"mTargetOctaveMod", "mSourceMode", "mOnOff",     "mBigChords",
                               "mExpand",          "mRootnote",   "mScaleIndex"};
    ASSERT_EQ (processor.getParameters().size(), 7);

    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (dynamic_cast<juce::AudioProcessorParameterWithID&> (parameter (i)).getParameterID(),
                   ids[i]);
}

TEST_F (ProcessorParameters, HostChangesReachTheEngineWithTheirMessages)
{
    hostSets (targetOctaveModIndex, -3);
    hostSets (sourceModeIndex, 3); // "S+C", the engine's mode 4
    hostSets (bigChordsIndex, 1);
    hostSets (rootnoteIndex, 9);
    hostSets (scaleIndexIndex, 373);

    EXPECT_EQ (engineSettings(), (std::vector<int>{0, -3, 1, 0, 9, 373, 4}));
    EXPECT_EQ (takeMessages(), juce::StringArray ({"targetOctaveModChange", "sourceModeChange",
                                                   "bigChordsChange", "rootnoteChange", "scaleIndexChange"}));
    EXPECT_EQ (parameterSettings(), engineSettings());

    // The two switches go through the engine's own operations, which announce themselves.
    hostSets (onOffIndex, 1);
    hostSets (expandIndex, 1);
    EXPECT_EQ (engineSettings(), (std::vector<int>{1, -3, 1, 1, 9, 373, 4}));
    EXPECT_EQ (processor.engine.keyboardSplit, 72);
    EXPECT_EQ (takeMessages(),
               juce::StringArray ({"onOffChange", "expandChange", "keyboardDisplayChangedMessage"}));
}

TEST_F (ProcessorParameters, EveryNotificationReappliesTheTargetOctave)
{
    // A writer has just put a new octave into the engine; its message is still on its way.
    processor.engine.mTargetOctaveMod = 4;

    hostSets (rootnoteIndex, 2);

    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 2, 0, 1}));
    EXPECT_EQ (takeMessages(), juce::StringArray ({"targetOctaveModChange", "rootnoteChange"}));
}

TEST_F (ProcessorParameters, EngineMessagesCopyOnlyTheDifferingValuesIntoTheParameters)
{
    struct Counter final : public juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int index, float) override { notified.add (index); }
        void parameterGestureChanged (int, bool) override {}
        juce::Array<int> notified;
    } counter;

    for (auto* p : processor.getParameters())
        p->addListener (&counter);

    // The editor's way: write the engine, then announce.
    processor.engine.mSourceMode = 7;
    processor.engine.mTargetOctaveMod = -5;
    processor.engine.mScaleIndex = 18;
    processor.engine.sendActionMessage ("scaleIndexChange");

    // Writing the parameters back into the engine found nothing to do: no further message.
    EXPECT_EQ (takeMessages(), juce::StringArray ({"scaleIndexChange"}));
    EXPECT_EQ (parameterSettings(), (std::vector<int>{0, -5, 0, 0, 0, 18, 7}));
    EXPECT_EQ (engineSettings(), parameterSettings());
    EXPECT_EQ (counter.notified, juce::Array<int> ({targetOctaveModIndex, scaleIndexIndex, sourceModeIndex}));

    for (auto* p : processor.getParameters())
        p->removeListener (&counter);
}

// Linux hosts close an instance on a thread of their own while the message thread may be busy
// delivering its engine's messages to it.
TEST_F (ProcessorParameters, AHostThreadMayCloseTheInstanceWhileItsMessagesAreDelivered)
{
    for (int round = 0; round < 20; ++round)
    {
        auto doomed = std::make_unique<QuorvanelleAudioProcessor>();
        for (auto* p : doomed->getParameters())
            p->setValueNotifyingHost (1.0f);

        std::atomic<bool> closed{false};
        std::thread hostThread (
            [&]
            {
                doomed.reset();
                closed = true;
            });

        while (!closed)
            pumpMessages();

        hostThread.join();
        pumpMessages();
    }
}
} // namespace
