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
} // namespace

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
        EXPECT_EQ (offsets.size() == 12, i == 9 || i == 49);
    }
}

// Hosts and saved projects name a scale by its index, so every row must sit exactly where it always has:
// the common scales and modes at the top (with two separators that are selectable and give the major scale),
// then every scale, those at the top again, in strict byte order.
TEST (ScaleCatalogue, RowsSitAtTheirIndices)
{
    const auto& c = catalogue();
    std::string named;
    for (const std::size_t i : {0u, 9u, 10u, 11u, 17u, 18u, 44u, 107u, 115u, 182u, 262u, 344u, 368u, 373u})
        named += c.names[i].toStdString() + "|";
    EXPECT_EQ (named,
               "Major|Chromatic|----|Ionian|Locrian|----|Blues#V (all b's)|JG Octatonic  all 3b|Kung|"
               "Mela Yagapriya  (India)|Raga Hamsanandi, Puriya (India)|Raga Vasanta, Chayavati (India)|"
               "Takemitsu Tree Line Mode 2 4b's|Zirafkend (Arabia)|");

    for (const std::size_t row : {0u, 10u, 18u})
        EXPECT_EQ (c.intervals[row], (Offsets{0, 2, 4, 5, 7, 9, 11})) << "row " << row;
    EXPECT_EQ (c.intervals.back(), (Offsets{0, 2, 3, 5, 7, 8, 9, 11}));

    // Byte order, not locale order: upper case before lower case and a blank before everything else.
    for (std::size_t i = 20; i < c.names.size(); ++i)
        EXPECT_LT (c.names[i - 1].toStdString(), c.names[i].toStdString())
            << "rows " << i - 1 << " and " << i;
}

// The catalogue's published check values, independent of how the table was typed in.
TEST (ScaleCatalogue, MatchesItsCheckValues)
{
    const auto& c = catalogue();
    ASSERT_EQ (c.names.size(), 374u);
    ASSERT_EQ (c.intervals.size(), 374u);

    std::map<std::size_t, int> rowsBySize;
    std::size_t offsets = 0;
    for (const auto& list : c.intervals)
    {
        ++rowsBySize[list.size()];
        offsets += list.size();
    }
    EXPECT_EQ (offsets, 2412u);
    EXPECT_EQ (rowsBySize, (std::map<std::size_t, int>{{5, 81}, {6, 99}, {7, 147}, {8, 45}, {12, 2}}));
    EXPECT_EQ (std::set<Offsets> (c.intervals.begin(), c.intervals.end()).size(), 321u);

    // Every name of the common scales and modes at the top stands once more in the sorted part, with the
    // same offsets; nothing else repeats but the separators.
    const std::vector<std::pair<std::size_t, std::size_t>> repeats{
        {0, 135}, {1, 197},  {2, 91},  {3, 183},  {4, 206},  {5, 144},  {6, 30},  {7, 361}, {8, 23},
        {9, 49},  {11, 104}, {12, 69}, {13, 224}, {14, 122}, {15, 207}, {16, 20}, {17, 117}};
    for (const auto& [top, sorted] : repeats)
    {
        EXPECT_EQ (c.names[top], c.names[sorted]) << top;
        EXPECT_EQ (c.intervals[top], c.intervals[sorted]) << top;
    }
    std::set<juce::String> distinct (c.names.begin(), c.names.end());
    EXPECT_EQ (distinct.size(), 374u - repeats.size() - 1u);
}

// A tripwire for edits that keep every check above intact, such as one offset moved within a row or two
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

TEST (ScaleCatalogue, AppendsAfterEntriesAlreadyInTheListsAndTheEngineFillsItsOwnOnce)
{
    std::vector<juce::String> names{"kept"};
    std::vector<Offsets> intervals{{0, 7}};
    PopulateScaleList (&names, &intervals);
    EXPECT_EQ (std::vector<juce::String> (names.begin() + 1, names.end()), catalogue().names);
    EXPECT_EQ (std::vector<Offsets> (intervals.begin() + 1, intervals.end()), catalogue().intervals);
    EXPECT_EQ (names.front(), "kept");
    EXPECT_EQ (intervals.front(), (Offsets{0, 7}));

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    Quorvanelle engine;
    EXPECT_EQ (engine.scaleNames, catalogue().names);
    EXPECT_EQ (engine.scaleIntervals, catalogue().intervals);
}
