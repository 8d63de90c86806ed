#include "plugin/SavedState.h"

#include <algorithm>
#include <limits>

namespace
{
constexpr juce::uint32 magicNumber = 0x21324356;
constexpr const char* rootName = "Quorvanelle";
constexpr const char* generalName = "general";
constexpr std::ptrdiff_t maximumTags = 64;

struct Attribute
{
    const char* name;
    int SavedState::Settings::*setting;
    int minimum;
    int maximum; // the scale index's maximum comes from the catalogue
};

// In the order the block carries them.
const Attribute attributes[] = {
    {"mOnOff", &SavedState::Settings::onOff, 0, 1},
    {"mTargetOctaveMod", &SavedState::Settings::targetOctaveMod, -5, 5},
    {"mBigChords", &SavedState::Settings::bigChords, 0, 1},
    {"mExpand", &SavedState::Settings::expand, 0, 1},
    {"mRootnote", &SavedState::Settings::rootnote, 0, 11},
    {"mScaleIndex", &SavedState::Settings::scaleIndex, 0, 0},
    {"mSourceMode", &SavedState::Settings::sourceMode, 1, 7},
};

// The framework's XML parser is made for documents we wrote, not for text from anywhere: it descends
// once per level of nesting, so deep text runs a host's thread out of stack, and inside an element it
// loops forever at a processing instruction followed by text. Our text has three tags and no
// processing instruction (a declaration at its very start would be harmless), so text that could do
// either is not ours.
bool parserCanTake (const char* text, int length)
{
    const auto* end = text + length;

    if (std::count (text, end, '<') > maximumTags)
        return false;

    const char processingInstruction[] = "<?";
    const char declaration[] = "<?xml";
    auto* start = std::find_if_not (text, end, [] (char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });

    if (end - start >= 5 && std::equal (declaration, declaration + 5, start))
        start += 2;

    return std::search (start, end, processingInstruction, processingInstruction + 2) == end;
}

// The parser also steps past malformed references (an unknown name, a digit it does not expect, no
// closing semicolon) into memory beyond the text. Our text carries only well-formed references.
bool referencesAreWellFormed (const char* text, int length)
{
    const auto* end = text + length;
    const auto startsWith = [end] (const char* p, const char* word)
    {
        for (; *word != 0; ++p, ++word)
            if (p == end || *p != *word)
                return false;
        return true;
    };

    for (auto* p = std::find (text, end, '&'); p != end; p = std::find (p, end, '&'))
    {
        ++p;

        if (startsWith (p, "amp;") || startsWith (p, "quot;") || startsWith (p, "apos;") ||
            startsWith (p, "lt;") || startsWith (p, "gt;"))
            continue;

        if (p == end || *p != '#')
            return false;

        ++p;
        const auto hex = p != end && (*p == 'x' || *p == 'X');
        if (hex)
            ++p;

        const auto* digits = p;
        while (p != end && (hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar)*p) >= 0
                                : (*p >= '0' && *p <= '9')))
            ++p;

        if (p == digits || p - digits > 8 || p == end || *p != ';')
            return false;
    }

    return true;
}

SavedState::Settings readGeneral (const juce::XmlElement& general, int numScales)
{
    SavedState::Settings settings;

    for (const auto& attribute : attributes)
    {
        if (!general.hasAttribute (attribute.name))
            continue;

        const auto maximum =
            attribute.setting == &SavedState::Settings::scaleIndex ? numScales - 1 : attribute.maximum;
        const auto value = SavedState::parseInteger (general.getStringAttribute (attribute.name));
        settings.*attribute.setting = juce::jlimit (attribute.minimum, maximum, value);
    }

    return settings;
}
} // namespace

bool SavedState::Settings::operator== (const Settings& other) const noexcept
{
    return std::all_of (std::begin (attributes), std::end (attributes),
                        [&] (const Attribute& a) { return this->*a.setting == other.*a.setting; });
}

void SavedState::write (const Settings& settings, juce::MemoryBlock& destData)
{
    juce::XmlElement root (rootName);
    auto* general = root.createNewChildElement (generalName);

    for (const auto& attribute : attributes)
        general->setAttribute (attribute.name, settings.*attribute.setting);

    {
        juce::MemoryOutputStream out (destData, false);
        out.writeInt ((int)magicNumber);
        out.writeInt (0);
        root.writeTo (out, juce::XmlElement::TextFormat().singleLine().withoutHeader());
        out.writeByte (0);
    }

    // The text length, little-endian, goes into the field left blank at offset 4.
    const auto textLength = (juce::uint32)destData.getSize() - 9;
    auto* lengthField = static_cast<juce::uint8*> (destData.getData()) + 4;

    for (int i = 0; i < 4; ++i)
        lengthField[i] = (juce::uint8) (textLength >> (8 * i));
}

std::vector<SavedState::Settings> SavedState::read (const void* data, int sizeInBytes, int numScales)
{
    if (data == nullptr || sizeInBytes < 9)
        return {};

    const auto* bytes = static_cast<const juce::uint8*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != magicNumber)
        return {};

    const auto declaredLength = (juce::int32)juce::ByteOrder::littleEndianInt (bytes + 4);

    if (declaredLength <= 0)
        return {};

    // A length beyond the bytes present reads what is there; the text ends at its first zero.
    const auto* text = reinterpret_cast<const char*> (bytes + 8);
    const auto available = std::min (sizeInBytes - 8, (int)declaredLength);
    const auto textLength = (int)(std::find (text, text + available, '\0') - text);

    // Decoding broken UTF-8 would read past the text, so such a block is not ours.
    if (!juce::CharPointer_UTF8::isValidString (text, textLength))
        return {};

    if (!parserCanTake (text, textLength) || !referencesAreWellFormed (text, textLength))
        return {};

    // A character reference cut off by the end of the text makes the parser step over the text's
    // terminating zero; a blank after the text stops it there and changes nothing else.
    const auto root = juce::XmlDocument::parse (juce::String::fromUTF8 (text, textLength) + " ");

    if (root == nullptr || !root->getTagName().equalsIgnoreCase (rootName))
        return {};

    std::vector<Settings> result;

    for (const auto* child : root->getChildIterator())
        if (child->getTagName().equalsIgnoreCase (generalName))
            result.push_back (readGeneral (*child, numScales));

    return result;
}

int SavedState::parseInteger (juce::StringRef text) noexcept
{
    auto p = text.text;

    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;

    const auto negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    // Past this every value lands beyond the int range, so the digits that follow change nothing.
    constexpr juce::int64 limit = juce::int64 (std::numeric_limits<int>::max()) + 1;
    juce::int64 magnitude = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = std::min (limit, magnitude * 10 + (juce::int64) (*p - '0'));

    const auto value = negative ? -magnitude : magnitude;
    return (int)juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                                           value);
}
