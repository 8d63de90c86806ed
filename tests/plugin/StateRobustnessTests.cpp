// The saved state under a host's abuse: many random valid states round-trip exactly, and corrupted
// blocks of every kind neither crash nor leave a setting out of its range.

#include "ProcessorTestSupport.h"

#include "plugin/SavedState.h"

#include <climits>
#include <random>

using namespace processortest;

namespace
{
const char* const attributeNames[] = {"mOnOff",    "mTargetOctaveMod", "mBigChords", "mExpand",
                                      "mRootnote", "mScaleIndex",      "mSourceMode"};
const int minimumOf[] = {0, -5, 0, 0, 0, 0, 1};
const int maximumOf[] = {1, 5, 1, 1, 11, 373, 7};

// Host index of each setting, in attribute order; the host's mode is the engine's less one.
const int parameterIndexOf[] = {onOffIndex,    targetOctaveModIndex, bigChordsIndex, expandIndex,
                                rootnoteIndex, scaleIndexIndex,      sourceModeIndex};

class StateUnderAbuse : public ProcessorTest
{
protected:
    std::vector<int> randomSettings()
    {
        std::vector<int> values;
        for (int i = 0; i < 7; ++i)
            values.push_back (minimumOf[i] + pick (maximumOf[i] - minimumOf[i] + 1));
        return values;
    }

    void hostSetsSettings (QuorvanelleAudioProcessor& target, const std::vector<int>& values)
    {
        for (int i = 0; i < 7; ++i)
        {
            auto& p =
                *dynamic_cast<juce::RangedAudioParameter*> (target.getParameters()[parameterIndexOf[i]]);
            const int plain = values[(size_t)i] - (i == 6 ? 1 : 0);
            p.setValueNotifyingHost (p.convertTo0to1 ((float)plain));
        }
    }

    static juce::MemoryBlock save (QuorvanelleAudioProcessor& source)
    {
        juce::MemoryBlock block;
        source.getStateInformation (block);
        return block;
    }

    static std::string textOf (const std::vector<int>& values, int dropped = -1, int duplicated = -1,
                               const std::string& badValue = {})
    {
        std::string text = "<Quorvanelle><general";
        for (int i = 0; i < 7; ++i)
        {
            if (i == dropped)
                continue;
            const auto value =
                i == duplicated && !badValue.empty() ? badValue : std::to_string (values[(size_t)i]);
            text += std::string (" ") + attributeNames[i] + "=\"" + value + "\"";
            if (i == duplicated)
                text +=
                    std::string (" ") + attributeNames[i] + "=\"" + std::to_string (pick (20) - 10) + "\"";
        }
        return text + "/></Quorvanelle>";
    }

    static juce::MemoryBlock blockOf (const std::string& text, juce::int64 length = -1)
    {
        return stateBlock (text, length);
    }

    // One corruption of a valid block, chosen at random; says which in `what`.
    juce::MemoryBlock corrupt (const std::vector<int>& values, std::string& what)
    {
        auto block = blockOf (textOf (values));
        auto* bytes = static_cast<juce::uint8*> (block.getData());
        const auto size = (int)block.getSize();

        switch (pick (11))
        {
            case 0:
            {
                what = "bit flips";
                for (int n = 1 + pick (8); --n >= 0;)
                    bytes[pick (size)] ^= (juce::uint8) (1 << pick (8));
                return block;
            }
            case 1:
                what = "truncated";
                return juce::MemoryBlock (bytes, (size_t)pick (size));
            case 2:
                what = "wrong magic";
                bytes[pick (4)] ^= (juce::uint8) (1 + pick (255));
                return block;
            case 3:
            {
                const juce::int64 lengths[] = {0,          -1, INT_MIN, INT_MAX, size - 9 + 1 + pick (100),
                                               pick (size)};
                const auto length = lengths[pick (6)];
                what = "length field " + std::to_string (length);
                return blockOf (textOf (values), length);
            }
            case 4:
            {
                const char* const bad[] = {"abc",  "",       " 7x",         "1e3",
                                           "0x10", "-0",     "99999999999", "-2147483649",
                                           "+-3",  "\t\n-4", "3.9",         "123456789012345678901234567890"};
                const std::string value = bad[pick (12)];
                what = "bad value \"" + value + "\"";
                return blockOf (textOf (values, -1, pick (7), value));
            }
            case 5:
                what = "missing attribute";
                return blockOf (textOf (values, pick (7)));
            case 6:
                what = "duplicated attribute";
                return blockOf (textOf (values, -1, pick (7)));
            case 7:
            {
                what = "random bytes";
                juce::MemoryBlock noise ((size_t)pick (300));
                for (size_t i = 0; i < noise.getSize(); ++i)
                    noise[i] = (char)pick (256);
                if (pick (2) == 0 && noise.getSize() >= 4)
                    std::memcpy (noise.getData(), bytes, 4);
                return noise;
            }
            case 8:
            {
                what = "deep nesting";
                std::string text = "<Quorvanelle>";
                for (int n = 1000 + pick (100000); --n >= 0;)
                    text += "<a>";
                return blockOf (text);
            }
            case 9:
            {
                what = "text cut inside a character reference";
                auto text = textOf (values);
                text = text.substr (0, (size_t)pick ((int)text.size())) + "&#x" +
                       std::string ((size_t)pick (3), '1');
                return blockOf (text);
            }
            default:
            {
                what = "XML debris";
                const char* const debris[] = {"<",
                                              "</general>",
                                              "<general",
                                              "=\"",
                                              "\"",
                                              "<!--",
                                              "-->",
                                              "&amp;",
                                              "&#",
                                              "<![CDATA[",
                                              "]]>",
                                              "<?xml",
                                              "?>",
                                              "/>",
                                              ">",
                                              "\xc3",
                                              "<!DOCTYPE Quorvanelle [<!ENTITY a \"&a;\">]>",
                                              "&a;"};
                auto text = textOf (values);
                for (int n = 1 + pick (5); --n >= 0;)
                    text.insert ((size_t)pick ((int)text.size() + 1), debris[pick (18)]);
                return blockOf (text);
            }
        }
    }

    static int pick (int n) { return (int)(generator()() % (unsigned)n); }

    static std::mt19937& generator()
    {
        static std::mt19937 generator (20240611);
        return generator;
    }
};

// Each of these once crashed or hung the reader inside the framework's XML parser.
TEST_F (StateUnderAbuse, TextThatWouldUpsetTheXmlParserIsRefused)
{
    const auto wanted = textOf ({1, 2, 1, 0, 4, 12, 3});
    const std::vector<std::pair<const char*, std::string>> refused{
        {"200,000 levels of nesting", "<Quorvanelle>" +
                                          []
                                          {
                                              std::string deep;
                                              for (int n = 0; n < 200000; ++n)
                                                  deep += "<a>";
                                              return deep;
                                          }()},
        {"a character reference cut off by the end", wanted.substr (0, 40) + "&#x1"},
        {"a processing instruction followed by text", "<Quorvanelle><?x?>a</Quorvanelle>"},
        {"a character reference without its semicolon",
         "<Quorvanelle><a>x&#x51a><a><b>&#x51a></Quorvanelle>"},
        {"an unknown entity", wanted.substr (0, 40) + "&nbsp;" + wanted.substr (40)},
        {"a processing instruction inside the state",
         "<Quorvanelle><general mRootnote=\"4\"/><?pi x?></Quorvanelle>"},
    };

    for (const auto& [what, text] : refused)
    {
        SCOPED_TRACE (what);
        processor.setStateInformation (blockOf (text).getData(), (int)blockOf (text).getSize());
        EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));
    }

    // What a state of ours may carry still reads: a declaration first, a comment, two "general" children.
    const auto accepted = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved -->" +
                          wanted.substr (0, wanted.size() - 14) +
                          "<general mScaleIndex=\"7\"/></Quorvanelle>";
    processor.setStateInformation (blockOf (accepted).getData(), (int)blockOf (accepted).getSize());
    EXPECT_EQ (engineSettings(), (std::vector<int>{0, 0, 0, 0, 0, 7, 1}));
}

TEST_F (StateUnderAbuse, RandomValidStatesComeBackByteForByteWithEveryParameterExact)
{
    for (int round = 0; round < 1000; ++round)
    {
        const auto values = randomSettings();
        QuorvanelleAudioProcessor source;
        hostSetsSettings (source, values);
        const auto saved = save (source);

        QuorvanelleAudioProcessor restored;
        restored.setStateInformation (saved.getData(), (int)saved.getSize());

        const auto& e = restored.engine;
        const std::vector<int> engineValues{e.mOnOff,    e.mTargetOctaveMod, e.mBigChords, e.mExpand,
                                            e.mRootnote, e.mScaleIndex,      e.mSourceMode};
        ASSERT_EQ (engineValues, values) << "round " << round;
        for (int i = 0; i < 7; ++i)
        {
            auto& p =
                *dynamic_cast<juce::RangedAudioParameter*> (restored.getParameters()[parameterIndexOf[i]]);
            ASSERT_EQ (juce::roundToInt (p.convertFrom0to1 (p.getValue())) + (i == 6 ? 1 : 0),
                       values[(size_t)i])
                << "round " << round << ", " << attributeNames[i];
        }
        ASSERT_EQ (save (restored), saved) << "round " << round;
        pumpMessages();
    }
}

TEST_F (StateUnderAbuse, CorruptedBlocksNeverLeaveASettingOutOfRange)
{
    int accepted = 0;
    for (int round = 0; round < 10000; ++round)
    {
        std::string what;
        const auto block = corrupt (randomSettings(), what);
        const auto before = engineSettings();
        const auto read = SavedState::read (block.getData(), (int)block.getSize(), 374);

        processor.setStateInformation (block.getData(), (int)block.getSize());

        const auto after = engineSettings();
        for (int i = 0; i < 7; ++i)
        {
            ASSERT_GE (after[(size_t)i], minimumOf[i]) << "round " << round << ", " << what;
            ASSERT_LE (after[(size_t)i], maximumOf[i]) << "round " << round << ", " << what;
            ASSERT_EQ (valueOf (parameterIndexOf[i]) + (i == 6 ? 1 : 0), after[(size_t)i])
                << "round " << round << ", " << what << ": the parameter left the engine";
        }

        // A block that reads is applied exactly, the last "general" standing; any other changes nothing.
        if (read.empty())
        {
            ASSERT_EQ (after, before) << "round " << round << ", " << what;
        }
        else
        {
            ++accepted;
            const auto& s = read.back();
            ASSERT_EQ (after, (std::vector<int>{s.onOff, s.targetOctaveMod, s.bigChords, s.expand, s.rootnote,
                                                s.scaleIndex, s.sourceMode}))
                << "round " << round << ", " << what;
        }

        // The engine goes on working with whatever was restored.
        render ({noteOn (0, 48), noteOn (1, 52), noteOn (2, 96), noteOn (3, 99)}, 8);
        render ({noteOff (0, 48), noteOff (1, 52), noteOff (2, 96), noteOff (3, 99)}, 8);
        if (round % 100 == 0)
            pumpMessages();
    }

    // Many corruptions still leave a readable block; both kinds must have been seen.
    EXPECT_GT (accepted, 1000);
    EXPECT_LT (accepted, 9000);
    std::cout << "[ figures  ] 10000 corrupted blocks, " << accepted << " read and applied, "
              << 10000 - accepted << " refused\n";
}
} // namespace
