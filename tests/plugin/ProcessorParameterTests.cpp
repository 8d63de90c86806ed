#include "ProcessorTestSupport.h"

#include <atomic>
#include <memory>
#include <thread>

using namespace processortest;

namespace
{
class ProcessorParameters : public ProcessorTest
{
};

TEST_F (ProcessorParameters, HostSeesSevenParametersInIndexOrderWithTheirDefaults)
{
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), 7);

    const std::vector<std::pair<const char*, const char*>> idsAndNames{
        {"mTargetOctaveMod", "Target octave mod"},
        {"mSourceMode", "Operation mode"},
        {"mOnOff", "Source through"},
        {"mBigChords", "Use big chords"},
        {"mExpand", "Expand keyboard"},
        {"mRootnote", "Root note"},
        {"mScaleIndex", "Scale"}};

    for (int i = 0; i < 7; ++i)
    {
        SCOPED_TRACE (i);
        auto* withId = dynamic_cast<juce::AudioProcessorParameterWithID*> (parameters[i]);
        ASSERT_NE (withId, nullptr);
        EXPECT_EQ (withId->getParameterID(), idsAndNames[(size_t)i].first);
        EXPECT_EQ (withId->getName (100), idsAndNames[(size_t)i].second);
        EXPECT_EQ (withId->getLabel(), "");
        EXPECT_EQ (valueOf (i), 0);
        EXPECT_EQ (withId->getDefaultValue(), withId->getValue());
    }

    auto* octave = dynamic_cast<juce::AudioParameterInt*> (parameters[targetOctaveModIndex]);
    ASSERT_NE (octave, nullptr);
    EXPECT_EQ (octave->getRange().getStart(), -5);
    EXPECT_EQ (octave->getRange().getEnd(), 5);

    const auto choicesOf = [&] (int index)
    { return dynamic_cast<juce::AudioParameterChoice&> (*parameters[index]).choices; };
    EXPECT_EQ (choicesOf (sourceModeIndex).joinIntoString ("|"), "C|C+S|S|S+C|C+S s|S+C s|S bass");
    EXPECT_EQ (choicesOf (onOffIndex).joinIntoString ("|"), "Off|On");
    EXPECT_EQ (choicesOf (expandIndex).joinIntoString ("|"), "Off|On");
    EXPECT_EQ (choicesOf (rootnoteIndex).joinIntoString (" "), "C C# D D# E F F# G G# A A# B");

    const auto scales = choicesOf (scaleIndexIndex);
    ASSERT_EQ (scales.size(), 374);
    for (int i = 0; i < 374; ++i)
        EXPECT_EQ (scales[i], processor.engine.scaleNames[(size_t)i]);
    EXPECT_EQ (scales[10], "----");

    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ (processor.getTotalNumInputChannels() + processor.getTotalNumOutputChannels(), 0);
    EXPECT_EQ (processor.getBusCount (true) + processor.getBusCount (false), 0);
    EXPECT_TRUE (processor.isMidiEffect() && processor.acceptsMidi() && processor.producesMidi());
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

    // The messages came back to the processor, which found every parameter in step already.
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (valueOf (i) + (i == sourceModeIndex ? 1 : 0),
                   (std::vector<int>{-3, 4, 0, 1, 0, 9, 373})[(size_t)i]);

    // The two switches go through the engine's own operations, which announce themselves.
    hostSets (onOffIndex, 1);
    hostSets (expandIndex, 1);
    EXPECT_EQ (engineSettings(), (std::vector<int>{1, -3, 1, 1, 9, 373, 4}));
    EXPECT_EQ (processor.engine.keyboardSplit, 72);
    EXPECT_EQ (takeMessages(),
               juce::StringArray ({"onOffChange", "expandChange", "keyboardDisplayChangedMessage"}));
}

TEST_F (ProcessorParameters, AValueTheEngineAlreadyHoldsChangesNothing)
{
    {
        const juce::ScopedLock sl (processor.engine.getLock());
        processor.engine.SetOnOff (1);
        processor.engine.mScaleIndex = 5;
    }
    takeMessages();

    // The host catches up with the engine: same values, so no engine call and no message.
    auto& onOff = parameter (onOffIndex);
    onOff.setValue (1.0f);
    onOff.sendValueChangedMessageToListeners (1.0f);
    auto& scale = parameter (scaleIndexIndex);
    scale.setValue (scale.convertTo0to1 (5.0f));
    scale.sendValueChangedMessageToListeners (0.0f);

    EXPECT_EQ (takeMessages(), juce::StringArray());
    EXPECT_EQ (engineSettings(), (std::vector<int>{1, 0, 0, 0, 0, 5, 1}));
}

TEST_F (ProcessorParameters, EveryNotificationReappliesTheTargetOctave)
{
    // A writer has just put a new octave into the engine; its message is still on its way.
    {
        const juce::ScopedLock sl (processor.engine.getLock());
        processor.engine.mTargetOctaveMod = 4;
    }

    hostSets (rootnoteIndex, 2);

    EXPECT_EQ (processor.engine.mTargetOctaveMod, 0);
    EXPECT_EQ (processor.engine.mRootnote, 2);
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
    {
        const juce::ScopedLock sl (processor.engine.getLock());
        processor.engine.mSourceMode = 7;
        processor.engine.mTargetOctaveMod = -5;
        processor.engine.mScaleIndex = 18;
        processor.engine.sendActionMessage ("scaleIndexChange");
    }
    pumpMessages();

    EXPECT_EQ (valueOf (sourceModeIndex), 6);
    EXPECT_EQ (valueOf (targetOctaveModIndex), -5);
    EXPECT_EQ (valueOf (scaleIndexIndex), 18);
    EXPECT_EQ (counter.notified, juce::Array<int> ({targetOctaveModIndex, scaleIndexIndex, sourceModeIndex}));

    // Writing the parameters back into the engine found nothing to do: no further message.
    EXPECT_EQ (takeMessages(), juce::StringArray ({"scaleIndexChange"}));
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, -5, 0, 0, 0, 18, 7}));

    // A message whose values all agree changes nothing.
    counter.notified.clear();
    processor.engine.sendActionMessage ("notesChange");
    pumpMessages();
    EXPECT_TRUE (counter.notified.isEmpty());

    for (auto* p : processor.getParameters())
        p->removeListener (&counter);
}
} // namespace

namespace
{
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
