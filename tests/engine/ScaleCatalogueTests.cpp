#include "engine/Quorvanelle.h"
#include "scales/ScaleCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace
{
using Offsets = std::vector<int>;

struct Catalogue
{
    std::vector<juce::String> names;
    std::vector<Offsets> intervals;
};

const Catalogue& catalogue()
{
    static const Catalogue filled = []
    {
        Catalogue c;
        PopulateScaleList (&c.names, &c.intervals);
        return c;
    }();
    return filled;
}

const Offsets majorOffsets{0, 2, 4, 5, 7, 9, 11};
} // namespace

// These totals were counted independently of the table, so a dropped, doubled or mistyped row shows here.
TEST (ScaleCatalogue, RowAndOffsetTotalsMatchTheCheckValues)
{
    const auto& c = catalogue();
    ASSERT_EQ (c.names.size(), 374u);
    ASSERT_EQ (c.intervals.size(), 374u);

    std::size_t totalOffsets = 0;
    std::map<std::size_t, int> rowsBySize;
    for (const auto& offsets : c.intervals)
    {
        totalOffsets += offsets.size();
        ++rowsBySize[offsets.size()];
    }
    EXPECT_EQ (totalOffsets, 2412u);
    EXPECT_EQ (rowsBySize, (std::map<std::size_t, int>{{5, 81}, {6, 99}, {7, 147}, {8, 45}, {12, 2}}));

    std::map<Offsets, std::set<juce::String>> namesByOffsets;
    for (std::size_t i = 0; i < c.names.size(); ++i)
        namesByOffsets[c.intervals[i]].insert (c.names[i]);
    EXPECT_EQ (namesByOffsets.size(), 321u);
    EXPECT_EQ (std::count_if (namesByOffsets.begin(), namesByOffsets.end(),
                              [] (const auto& entry) { return entry.second.size() > 1; }),
               26);

    EXPECT_EQ (namesByOffsets[(Offsets{0, 1, 4, 5, 6, 9, 10})],
               (std::set<juce::String>{"Oriental", "Oriental 1"}));
    EXPECT_EQ (namesByOffsets[(Offsets{0, 2, 3, 5, 7, 8, 10})], (std::set<juce::String>{"Minor", "Aeolian"}));
    EXPECT_EQ (namesByOffsets[(Offsets{0, 1, 4, 5, 7, 8, 10})],
               (std::set<juce::String>{"Spanish", "Avaha Raba", "Dorico Flamenco", "Jewish Major",
                                       "Phrygian Dominant", "Spanish Folk"}));
}

// The engine adds the root to every offset and indexes pitch classes with the result, so an offset outside
// the octave or out of order would reach the wrong key or a table entry that does not exist.
TEST (ScaleCatalogue, EveryListIsAscendingFromTheRootWithinOneOctave)
{
    const auto& c = catalogue();
    for (std::size_t i = 0; i < c.intervals.size(); ++i)
    {
        const auto& offsets = c.intervals[i];
        SCOPED_TRACE ("row " + std::to_string (i) + " " + c.names[i].toStdString());
        ASSERT_GE (offsets.size(), 5u);
        EXPECT_EQ (offsets.front(), 0);
        EXPECT_LE (offsets.back(), 11);
        EXPECT_TRUE (std::adjacent_find (offsets.begin(), offsets.end(), std::greater_equal<int>()) ==
                     offsets.end());
    }

    for (std::size_t i = 0; i < c.intervals.size(); ++i)
        EXPECT_EQ (c.intervals[i].size() == 12, i == 9 || i == 49) << "row " << i;
}

TEST (ScaleCatalogue, NamesArePlainAsciiOfFourToThirtyOneCharacters)
{
    const std::string allowed = " #'()+,-12345678";
    for (const auto& name : catalogue().names)
    {
        const auto bytes = name.toStdString();
        EXPECT_GE (bytes.size(), 4u) << bytes;
        EXPECT_LE (bytes.size(), 31u) << bytes;
        for (const char ch : bytes)
        {
            const bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
            EXPECT_TRUE (letter || allowed.find (ch) != std::string::npos) << "'" << bytes << "'";
        }
    }
}

// Hosts and saved projects name a scale by its index, so every row must sit exactly where it always has.
TEST (ScaleCatalogue, RowsSitAtTheirIndices)
{
    const auto& c = catalogue();
    const std::pair<int, const char*> rows[] = {
        {0, "Major"},
        {9, "Chromatic"},
        {10, "----"},
        {11, "Ionian"},
        {17, "Locrian"},
        {18, "----"},
        {39, "Blues PentaCluster 3b's"},
        {40, "Blues Pentacluster"},
        {43, "Blues with Leading Tone"},
        {44, "Blues#V (all b's)"},
        {107, "JG Octatonic  all 3b"},
        {108, "Japanese, Sakura Pentatonic"},
        {115, "Kung"},
        {182, "Mela Yagapriya  (India)"},
        {183, "Melodic Minor"},
        {228, "Phrygian Locrian (All b's)"},
        {262, "Raga Hamsanandi, Puriya (India)"},
        {268, "Raga Jayakauns (india)"},
        {309, "Raga Paraju  Simhavahini India"},
        {344, "Raga Vasanta, Chayavati (India)"},
        {352, "Raga Zilaf, (India)"},
        {368, "Takemitsu Tree Line Mode 2 4b's"},
        {371, "Utility minor"},
        {372, "Whole tone #'s"},
        {373, "Zirafkend (Arabia)"},
    };
    for (const auto& [index, name] : rows)
        EXPECT_EQ (c.names[(std::size_t)index].toStdString(), std::string (name)) << "row " << index;

    EXPECT_EQ (c.intervals.front(), majorOffsets);
    EXPECT_EQ (c.intervals.back(), (Offsets{0, 2, 3, 5, 7, 8, 9, 11}));

    // "Kung" is the shortest real name; three share the greatest length and none is longer.
    for (std::size_t i = 0; i < c.names.size(); ++i)
    {
        const auto length = c.names[i].length();
        EXPECT_EQ (length == 4, i == 10 || i == 18 || i == 115) << "row " << i;
        EXPECT_EQ (length == 31, i == 262 || i == 344 || i == 368) << "row " << i;
    }
}

// Byte order, not locale order: upper case before lower case and a blank before everything else.
TEST (ScaleCatalogue, RowsAfterTheSecondSeparatorAreInStrictByteOrder)
{
    const auto& names = catalogue().names;
    for (std::size_t i = 20; i < names.size(); ++i)
        EXPECT_LT (names[i - 1].toStdString(), names[i].toStdString()) << "rows " << i - 1 << " and " << i;
}

// The common scales and the modes at the top appear again in the sorted part, with the same notes;
// nothing else is named twice.
TEST (ScaleCatalogue, OnlyTheTopScalesAndTheSeparatorsRepeatAName)
{
    const auto& c = catalogue();
    const std::map<std::string, std::vector<std::size_t>> expected = {
        {"Major", {0, 135}},
        {"Minor", {1, 197}},
        {"Harmonic Minor", {2, 91}},
        {"Melodic Minor", {3, 183}},
        {"Minor Pentatonic", {4, 206}},
        {"Major Pentatonic", {5, 144}},
        {"Blues", {6, 30}},
        {"Spanish", {7, 361}},
        {"Asian", {8, 23}},
        {"Chromatic", {9, 49}},
        {"----", {10, 18}},
        {"Ionian", {11, 104}},
        {"Dorian", {12, 69}},
        {"Phrygian", {13, 224}},
        {"Lydian", {14, 122}},
        {"Mixolydian", {15, 207}},
        {"Aeolian", {16, 20}},
        {"Locrian", {17, 117}},
    };

    std::map<std::string, std::vector<std::size_t>> rowsByName;
    for (std::size_t i = 0; i < c.names.size(); ++i)
        rowsByName[c.names[i].toStdString()].push_back (i);
    std::map<std::string, std::vector<std::size_t>> repeated;
    for (const auto& entry : rowsByName)
        if (entry.second.size() > 1)
            repeated.insert (entry);
    EXPECT_EQ (repeated, expected);

    for (const auto& [name, rows] : expected)
        EXPECT_EQ (c.intervals[rows[0]], c.intervals[rows[1]]) << name;

    // The separators are selectable like any row and must give the major scale.
    for (const std::size_t row : {10u, 18u, 11u, 104u, 135u})
        EXPECT_EQ (c.intervals[row], majorOffsets) << "row " << row;
}

// A tripwire for edits that keep every count above intact, such as one offset moved within a row or two
// rows swapped: the fingerprint (64-bit FNV-1a over each name, a zero byte, its offsets and a 0xff byte)
// was taken from the catalogue when it was written.
TEST (ScaleCatalogue, WholeTableMatchesItsFingerprint)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto feed = [&hash] (int byte)
    {
        hash ^= (std::uint64_t) (byte & 0xff);
        hash *= 0x100000001b3ull;
    };

    const auto& c = catalogue();
    for (std::size_t i = 0; i < c.names.size(); ++i)
    {
        for (const char ch : c.names[i].toStdString())
            feed (ch);
        feed (0);
        for (const int offset : c.intervals[i])
            feed (offset);
        feed (0xff);
    }
    EXPECT_EQ (hash, 0xf3e176e871466be7ull);
}

TEST (ScaleCatalogue, AppendsAfterEntriesAlreadyInTheLists)
{
    std::vector<juce::String> names{"kept"};
    std::vector<Offsets> intervals{{0, 7}};
    PopulateScaleList (&names, &intervals);

    ASSERT_EQ (names.size(), 375u);
    ASSERT_EQ (intervals.size(), 375u);
    EXPECT_EQ (names.front(), "kept");
    EXPECT_EQ (intervals.front(), (Offsets{0, 7}));
    EXPECT_TRUE (std::equal (names.begin() + 1, names.end(), catalogue().names.begin()));
    EXPECT_TRUE (std::equal (intervals.begin() + 1, intervals.end(), catalogue().intervals.begin()));
}

TEST (ScaleCatalogue, EngineHoldsTheWholeCatalogueOnceAfterConstruction)
{
    Quorvanelle engine;
    EXPECT_EQ (engine.scaleNames, catalogue().names);
    EXPECT_EQ (engine.scaleIntervals, catalogue().intervals);
}
