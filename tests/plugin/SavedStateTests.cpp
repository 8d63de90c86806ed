#include "ProcessorTestSupport.h"

#include "plugin/SavedState.h"

#include <climits>

using namespace processortest;

namespace
{
const std::string defaultText =
    "<Quorvanelle><general mOnOff=\"0\" mTargetOctaveMod=\"0\" mBigChords=\"0\" "
    "mExpand=\"0\" mRootnote=\"0\" mScaleIndex=\"0\" mSourceMode=\"1\"/></Quorvanelle>";

const juce::StringArray everyChange{
    "onOffChange",    "targetOctaveModChange", "bigChordsChange",  "expandChange",
    "rootnoteChange", "scaleIndexChange",      "sourceModeChange", "keyboardDisplayChangedMessage"};

// Magic, the given length (by default the text's), the text and the closing zero.
juce::MemoryBlock blockWithText (const std::string& text, juce::int64 length = -1)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int)(length < 0 ? (juce::int64)text.size() : length));
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

class SavedStateTest : public ProcessorTest
{
protected:
    void restore (const juce::MemoryBlock& block)
    {
        processor.setStateInformation (block.getData(), (int)block.getSize());
    }

    void restoreText (const std::string& text) { restore (blockWithText (text)); }

    // Every setting away from its default, through the host.
    void setEverythingThroughTheHost (QuorvanelleAudioProcessor& target)
    {
        const std::vector<std::pair<int, int>> values{
            {targetOctaveModIndex, 2}, {sourceModeIndex, 4}, {onOffIndex, 1},       {bigChordsIndex, 1},
            {expandIndex, 1},          {rootnoteIndex, 11},  {scaleIndexIndex, 373}};
        for (const auto& [index, value] : values)
        {
            auto& p = *dynamic_cast<juce::RangedAudioParameter*> (target.getParameters()[index]);
            p.setValueNotifyingHost (p.convertTo0to1 ((float)value));
        }
    }
};

TEST_F (SavedStateTest, DefaultSettingsGiveTheKnownBlockByteForByte)
{
    juce::MemoryBlock saved (1000, true);
    processor.getStateInformation (saved);

    ASSERT_EQ (saved.getSize(), 151u);
    const auto* bytes = static_cast<const juce::uint8*> (saved.getData());
    EXPECT_EQ (std::vector<int> (bytes, bytes + 8),
               (std::vector<int>{0x56, 0x43, 0x32, 0x21, 0x8e, 0, 0, 0}));
    EXPECT_EQ (std::string (reinterpret_cast<const char*> (bytes) + 8, 142), defaultText);
    EXPECT_EQ (bytes[150], 0);
}

TEST_F (SavedStateTest, SavedSettingsComeBackInAFreshProcessor)
{
    QuorvanelleAudioProcessor source;
    setEverythingThroughTheHost (source);
    juce::MemoryBlock saved;
    source.getStateInformation (saved);
    const std::string text (static_cast<const char*> (saved.getData()) + 8, saved.getSize() - 9);
    EXPECT_EQ (text,
               "<Quorvanelle><general mOnOff=\"1\" mTargetOctaveMod=\"2\" mBigChords=\"1\" mExpand=\"1\" "
               "mRootnote=\"11\" mScaleIndex=\"373\" mSourceMode=\"5\"/></Quorvanelle>");

    restore (saved);

    // The parameters follow within the restore, so that the host learns them with the state.
    EXPECT_EQ (engineSettings(), (std::vector<int>{1, 2, 1, 1, 11, 373, 5}));
    EXPECT_EQ (valueOf (sourceModeIndex), 4);
    EXPECT_EQ (valueOf (scaleIndexIndex), 373);
    EXPECT_EQ (valueOf (expandIndex), 1);
    EXPECT_EQ (valueOf (targetOctaveModIndex), 2);
    EXPECT_EQ (processor.engine.keyboardSplit, 72);
    EXPECT_EQ (takeMessages(), everyChange);

    juce::MemoryBlock again;
    processor.getStateInformation (again);
    EXPECT_EQ (again, saved);
}

TEST_F (SavedStateTest, BlocksThatAreNotOursChangeNothing)
{
    const std::string wanted = "<Quorvanelle><general mScaleIndex=\"12\" mSourceMode=\"3\"/></Quorvanelle>";
    const auto good = blockWithText (wanted);

    auto wrongMagic = good;
    wrongMagic[0] = 0x57;

    auto brokenUtf8 =
        blockWithText ("<Quorvanelle><general mScaleIndex=\"12\" x=\"\xe2\x82\"/></Quorvanelle>");

    const std::vector<std::pair<const char*, juce::MemoryBlock>> rejected{
        {"eight bytes", juce::MemoryBlock (good.getData(), 8)},
        {"wrong magic", wrongMagic},
        {"length 0", blockWithText (wanted, 0)},
        {"negative length", blockWithText (wanted, 0xfffffffb)},
        {"length short of the root's end", blockWithText (wanted, 30)},
        {"not XML", blockWithText ("general mScaleIndex=12")},
        {"text starting with a zero", blockWithText (std::string (1, '\0') + wanted)},
        {"other root", blockWithText ("<Harmoniser><general mScaleIndex=\"12\"/></Harmoniser>")},
        {"broken UTF-8", brokenUtf8},
    };

    for (const auto& [what, block] : rejected)
    {
        SCOPED_TRACE (what);
        restore (block);
        EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));
        EXPECT_EQ (takeMessages(), juce::StringArray());
    }

    processor.setStateInformation (nullptr, 0);
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));

    // The same text with a length beyond the bytes present reads what is there.
    restore (blockWithText (wanted, 100000));
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 12, 3}));
}

TEST_F (SavedStateTest, ElementNamesIgnoreCaseButAttributeNamesDoNot)
{
    hostSets (sourceModeIndex, 3);
    takeMessages();

    restoreText (
        "<qUORVANELLE><GeNeRaL mScaleIndex=\"12\" msourcemode=\"6\" MRootnote=\"4\"/></qUORVANELLE>");

    // The attributes in the wrong case count as missing: the mode falls back to 1, the root stays 0.
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 12, 1}));
    EXPECT_EQ (takeMessages(), juce::StringArray ({"scaleIndexChange", "sourceModeChange"}));
}

TEST_F (SavedStateTest, MissingAttributesFallBackToTheirDefaults)
{
    setEverythingThroughTheHost (processor);
    takeMessages();

    restoreText ("<Quorvanelle><general mScaleIndex=\"12\"/></Quorvanelle>");

    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 12, 1}));
    EXPECT_EQ (processor.engine.keyboardSplit, 84);
    EXPECT_EQ (takeMessages(), everyChange);
}

TEST_F (SavedStateTest, EveryGeneralChildIsAppliedInDocumentOrder)
{
    restoreText ("<Quorvanelle><general mRootnote=\"3\" mSourceMode=\"2\" mRootnote=\"9\"/>"
                 "<other mRootnote=\"5\"/><GENERAL mRootnote=\"7\"/></Quorvanelle>");

    // Of a repeated attribute the first counts; the second child's values stand.
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 7, 0, 1}));
    EXPECT_EQ (takeMessages(), juce::StringArray ({"rootnoteChange", "sourceModeChange", "rootnoteChange",
                                                   "sourceModeChange"}));

    // A root without such a child changes nothing.
    restoreText ("<Quorvanelle><settings mRootnote=\"1\"/></Quorvanelle>");
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 7, 0, 1}));
}

TEST_F (SavedStateTest, NumbersReadAsTheCLibraryDoesButNeverOverflow)
{
    const std::vector<std::pair<const char*, int>> readings{
        {" 7x", 7},
        {"x7", 0},
        {"", 0},
        {"-3", -3},
        {"+4", 4},
        {" \t\n\r12", 12},
        {"- 5", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"123456789012345678901234567890", INT_MAX},
    };

    for (const auto& [text, expected] : readings)
        EXPECT_EQ (SavedState::parseInteger (text), expected) << '"' << text << '"';
}

TEST_F (SavedStateTest, ValuesOutsideTheirRangeAreClamped)
{
    restoreText (
        "<Quorvanelle><general mOnOff=\" 1x\" mTargetOctaveMod=\"x7\" mBigChords=\"2\" mExpand=\"-1\" "
        "mRootnote=\" 7x\" mScaleIndex=\"99999999999\" mSourceMode=\"-99999999999\"/></Quorvanelle>");
    EXPECT_EQ (engineSettings(), (std::vector<int>{1, 0, 1, 0, 7, 373, 1}));

    restoreText ("<Quorvanelle><general mOnOff=\"-7\" mTargetOctaveMod=\"-99999999999\" mBigChords=\"-1\" "
                 "mExpand=\"5\" mRootnote=\"12\" mScaleIndex=\"-1\" mSourceMode=\"8\"/></Quorvanelle>");
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, -5, 0, 1, 11, 0, 7}));
    EXPECT_EQ (processor.engine.keyboardSplit, 72);

    // Clamped values are what the parameters show, so they stay in step.
    EXPECT_EQ (valueOf (targetOctaveModIndex), -5);
    EXPECT_EQ (valueOf (rootnoteIndex), 11);
    EXPECT_EQ (valueOf (sourceModeIndex), 6);
}
} // namespace
