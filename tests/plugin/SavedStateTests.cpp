#include "ProcessorTestSupport.h"

#include "plugin/SavedState.h"

#include <climits>

using namespace processortest;

namespace
{
// Built on first use: at static initialisation JUCE's own statics may not exist yet.
const juce::MemoryBlock& everythingSetBlock()
{
    static const auto block = stateBlock (
        "<Quorvanelle><general mOnOff=\"1\" mTargetOctaveMod=\"2\" mBigChords=\"1\" mExpand=\"1\" "
        "mRootnote=\"11\" mScaleIndex=\"373\" mSourceMode=\"5\"/></Quorvanelle>");
    return block;
}

using SavedStateTest = ProcessorTest;

TEST_F (SavedStateTest, DefaultSettingsGiveTheKnownBlockByteForByte)
{
    // Whatever the host's block held before is replaced.
    juce::MemoryBlock saved (1000, true);
    processor.getStateInformation (saved);

    const auto* bytes = static_cast<const juce::uint8*> (saved.getData());
    EXPECT_EQ (std::vector<int> (bytes, bytes + 8),
               (std::vector<int>{0x56, 0x43, 0x32, 0x21, 0x8e, 0, 0, 0}));
    EXPECT_EQ (
        saved,
        stateBlock ("<Quorvanelle><general mOnOff=\"0\" mTargetOctaveMod=\"0\" mBigChords=\"0\" "
                    "mExpand=\"0\" mRootnote=\"0\" mScaleIndex=\"0\" mSourceMode=\"1\"/></Quorvanelle>"));
}

TEST_F (SavedStateTest, RestoredSettingsReachTheParametersWithinTheRestoreAndSaveTheSameBytes)
{
    restore (everythingSetBlock());

    // The parameters follow before any message is delivered, so that the host learns them with the state.
    EXPECT_EQ (parameterSettings(), (std::vector<int>{1, 2, 1, 1, 11, 373, 5}));
    EXPECT_EQ (engineSettings(), parameterSettings());
    EXPECT_EQ (processor.engine.keyboardSplit, 72);
    EXPECT_EQ (takeMessages(), juce::StringArray ({"onOffChange", "targetOctaveModChange", "bigChordsChange",
                                                   "expandChange", "rootnoteChange", "scaleIndexChange",
                                                   "sourceModeChange", "keyboardDisplayChangedMessage"}));
    EXPECT_EQ (savedState(), everythingSetBlock());
}

TEST_F (SavedStateTest, BlocksThatAreNotOursChangeNothing)
{
    const std::string wanted = "<Quorvanelle><general mScaleIndex=\"12\" mSourceMode=\"3\"/></Quorvanelle>";
    const auto good = stateBlock (wanted);
    auto wrongMagic = good;
    wrongMagic[0] = 0x57;

    const std::pair<const char*, juce::MemoryBlock> rejected[] = {
        {"nothing", {}},
        {"eight bytes", juce::MemoryBlock (good.getData(), 8)},
        {"wrong magic", wrongMagic},
        {"length 0", stateBlock (wanted, 0)},
        {"negative length", stateBlock (wanted, 0xfffffffb)},
        {"length short of the root's end", stateBlock (wanted, 30)},
        {"not XML", stateBlock ("general mScaleIndex=12")},
        {"text starting with a zero", stateBlock (std::string (1, '\0') + wanted)},
        {"other root", stateBlock ("<Harmoniser><general mScaleIndex=\"12\"/></Harmoniser>")},
        {"no general child", stateBlock ("<Quorvanelle><settings mRootnote=\"1\"/></Quorvanelle>")},
        {"broken UTF-8",
         stateBlock ("<Quorvanelle><general mScaleIndex=\"12\" x=\"\xe2\x82\"/></Quorvanelle>")},
    };

    for (const auto& [what, block] : rejected)
    {
        SCOPED_TRACE (what);
        restore (block);
        EXPECT_EQ (engineSettings(), defaultSettings);
        EXPECT_EQ (takeMessages(), juce::StringArray());
    }
}

// Each block lands on a processor with every setting away from its default.
TEST_F (SavedStateTest, MissingAttributesTakeTheirDefaultsAndValuesOutsideTheirRangeAreClamped)
{
    const std::tuple<const char*, juce::MemoryBlock, std::vector<int>> accepted[] = {
        {"every general child in turn; element names ignore case, attribute names do not",
         stateBlock ("<qUORVANELLE><general mRootnote=\"3\" mSourceMode=\"2\"/><GeNeRaL mScaleIndex=\"12\" "
                     "msourcemode=\"6\" MRootnote=\"4\"/><other mRootnote=\"5\"/></qUORVANELLE>"),
         {0, 0, 0, 0, 0, 12, 1}},
        {"a length beyond the bytes present reads what is there",
         stateBlock ("<Quorvanelle><general mScaleIndex=\"12\" mSourceMode=\"3\"/></Quorvanelle>", 100000),
         {0, 0, 0, 0, 0, 12, 3}},
        {"clamped up",
         stateBlock (
             "<Quorvanelle><general mOnOff=\" 1x\" mTargetOctaveMod=\"x7\" mBigChords=\"2\" mExpand=\"-1\" "
             "mRootnote=\" 7x\" mScaleIndex=\"99999999999\" mSourceMode=\"-99999999999\"/></Quorvanelle>"),
         {1, 0, 1, 0, 7, 373, 1}},
        {"clamped down",
         stateBlock (
             "<Quorvanelle><general mOnOff=\"-7\" mTargetOctaveMod=\"-99999999999\" mBigChords=\"-1\" "
             "mExpand=\"5\" mRootnote=\"12\" mScaleIndex=\"-1\" mSourceMode=\"8\"/></Quorvanelle>"),
         {0, -5, 0, 1, 11, 0, 7}},
    };

    for (const auto& [what, block, settings] : accepted)
    {
        SCOPED_TRACE (what);
        restore (everythingSetBlock());
        restore (block);
        EXPECT_EQ (engineSettings(), settings);
        EXPECT_EQ (parameterSettings(), settings);
        EXPECT_EQ (processor.engine.keyboardSplit, settings[3] == 1 ? 72 : 84);
    }
}

TEST_F (SavedStateTest, NumbersReadAsTheCLibraryDoesButNeverOverflow)
{
    const std::pair<const char*, int> readings[] = {{" 7x", 7},
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
                                                    {"123456789012345678901234567890", INT_MAX}};

    for (const auto& [text, expected] : readings)
        EXPECT_EQ (SavedState::parseInteger (text), expected) << '"' << text << '"';
}
} // namespace
