// The saved state as hosts keep it in their projects: the exact default block, what a restore reads
// (every "general" child in turn, missing attributes at their defaults, values clamped) and reaches the
// parameters with, and every text the reader refuses, changing nothing.

#include "plugin/SavedState.h"
#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

namespace
{
// The framework's layout: magic, the text's length (or the one given), the text, a zero.
juce::MemoryBlock blockOf (const std::string& text, juce::int64 length = -1)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int)(length < 0 ? (juce::int64)text.size() : length));
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

const auto general = [] (const std::string& attributes)
{ return "<Quorvanelle><general " + attributes + "/></Quorvanelle>"; };

const std::string everySet = "mOnOff=\"1\" mTargetOctaveMod=\"2\" mBigChords=\"1\" mExpand=\"1\" "
                             "mRootnote=\"11\" mScaleIndex=\"373\" mSourceMode=\"5\"";

TEST (State, DefaultBlockByteForByteAndEverySettingBackExactly)
{
    timeline::ProcessorTarget target;
    juce::MemoryBlock saved (1000, true); // whatever the host's block held is replaced
    target.processor.getStateInformation (saved);
    EXPECT_EQ (saved, blockOf (general ("mOnOff=\"0\" mTargetOctaveMod=\"0\" mBigChords=\"0\" mExpand=\"0\" "
                                        "mRootnote=\"0\" mScaleIndex=\"0\" mSourceMode=\"1\"")));

    // Within the restore the parameters follow, so that the host learns the values with the state.
    const auto block = blockOf (general (everySet));
    target.processor.setStateInformation (block.getData(), (int)block.getSize());
    target.processor.getStateInformation (saved);
    EXPECT_EQ (saved, block);
    EXPECT_EQ (
        timeline::play (target, "?params ?settings ?split ?msgs"),
        "params=2,4,1,1,1,11,373 settings=2,5,1,1,1,11,373 split=72 msgs=onOffChange,targetOctaveModChange,"
        "bigChordsChange,display,expandChange,rootnoteChange,scaleIndexChange,sourceModeChange");
}

// Each block lands on a processor with every setting away from its default; "" is refused.
TEST (State, ReadsClampsAndRefusesAsTable)
{
    const std::string wanted = general ("mScaleIndex=\"12\" mSourceMode=\"3\"");
    std::string deep = "<Quorvanelle>";
    for (int n = 0; n < 200000; ++n)
        deep += "<a>";
    const std::pair<juce::MemoryBlock, const char*> rows[] = {
        {blockOf (wanted), "0,3,0,0,0,0,12"},
        {blockOf (general ("mOnOff=\"0\" mTargetOctaveMod=\"-5\" mSourceMode=\"7\"")), "-5,7,0,0,0,0,0"},
        {blockOf ("<qUORVANELLE><general mRootnote=\"3\" mSourceMode=\"2\"/><GeNeRaL mScaleIndex=\"12\" "
                  "msourcemode=\"6\" MRootnote=\"4\"/><other mRootnote=\"5\"/></qUORVANELLE>"),
         "0,1,0,0,0,0,12"},
        {blockOf (wanted, 100000), "0,3,0,0,0,0,12"},
        {blockOf ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved --><Quorvanelle><general "
                  "mRootnote=\"4\"/>"
                  "<general mScaleIndex=\"7\" mRootnote=\"&#x36;&amp;&quot;\"/></Quorvanelle>"),
         "0,1,0,0,0,6,7"},
        {blockOf (general (
             "mOnOff=\" 1x\" mTargetOctaveMod=\"x7\" mBigChords=\"2\" mExpand=\"-1\" mRootnote=\" \t\n7x\" "
             "mScaleIndex=\"99999999999\" mSourceMode=\"-99999999999\"")),
         "0,1,1,1,0,7,373"},
        {blockOf (general ("mOnOff=\"-7\" mTargetOctaveMod=\"-99999999999\" mBigChords=\"-1\" mExpand=\"5\" "
                           "mRootnote=\"12\" mScaleIndex=\"-1\" mSourceMode=\"8\"")),
         "-5,7,0,0,1,11,0"},
        {blockOf (general (
             "mTargetOctaveMod=\"+4\" mRootnote=\"007\" mScaleIndex=\"- 5\" mSourceMode=\"2147483648\"")),
         "4,7,0,0,0,7,0"},
        {blockOf (general ("mTargetOctaveMod=\"-2147483648\" mRootnote=\"2147483647\" "
                           "mScaleIndex=\"123456789012345678901234567890\"")),
         "-5,1,0,0,0,11,373"},
        {{}, ""},
        {juce::MemoryBlock (blockOf (wanted).getData(), 8), ""},
        {blockOf (wanted, 0), ""},
        {blockOf (wanted, 0xfffffffb), ""},
        {blockOf ("<Quorvanelle>" + juce::String::repeatedString ("<a/>", 64).toStdString() +
                  "<general mRootnote=\"4\"/></Quorvanelle>"),
         ""},
        {juce::MemoryBlock ("WCB!\x20\0\0\0<Quorvanelle><general/></Quorvanelle>", 41), ""},
        {blockOf (wanted, 30), ""},
        {blockOf ("general mScaleIndex=12"), ""},
        {blockOf (std::string (1, '\0') + wanted), ""},
        {blockOf ("<Harmoniser><general mScaleIndex=\"12\"/></Harmoniser>"), ""},
        {blockOf ("<Quorvanelle><settings mRootnote=\"1\"/></Quorvanelle>"), ""},
        {blockOf (general ("mScaleIndex=\"12\" x=\"\xe2\x82\"")), ""},
        {blockOf (deep), ""},
        {blockOf (wanted.substr (0, 40) + "&#x1"), ""},
        {blockOf ("<Quorvanelle><?x?>a</Quorvanelle>"), ""},
        {blockOf ("<Quorvanelle><general mRootnote=\"4\"/><?pi x?></Quorvanelle>"), ""},
        {blockOf ("<Quorvanelle><a>x&#x51a><a><b>&#x51a></Quorvanelle>"), ""},
        {blockOf (wanted.substr (0, 40) + "&nbsp;" + wanted.substr (40)), ""},
    };
    const auto everySetBlock = blockOf (general (everySet));
    for (const auto& [block, settings] : rows)
    {
        timeline::ProcessorTarget target;
        target.processor.setStateInformation (everySetBlock.getData(), (int)everySetBlock.getSize());
        timeline::play (target, "?msgs");
        target.processor.setStateInformation (block.getData(), (int)block.getSize());
        const std::string expected = *settings != 0 ? settings : "2,5,1,1,1,11,373";
        const auto text = timeline::play (target, "?settings ?msgs");
        EXPECT_EQ (text.substr (0, text.find (" msgs")), "settings=" + expected)
            << juce::String::createStringFromData (block.getData(), (int)block.getSize());
        EXPECT_EQ (text.find ("msgs=") == text.size() - 5, *settings == 0) << text;
        // The reader itself keeps to the ranges, whatever the processor makes of what it reads.
        const auto read = SavedState::read (block.getData(), (int)block.getSize(), 374);
        for (const auto& r :
             std::vector<SavedState::Settings> (read.end() - (read.empty() ? 0 : 1), read.end()))
            EXPECT_EQ (timeline::listed ({r.targetOctaveMod, r.sourceMode, r.onOff, r.bigChords, r.expand,
                                          r.rootnote, r.scaleIndex}),
                       expected);
        EXPECT_EQ (read.empty(), *settings == 0);
    }
}
} // namespace
