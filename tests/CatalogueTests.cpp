// Hosts and saved projects name a scale by its index: the catalogue's check values, and rows at the
// indices they have always had.

#include "engine/Quorvanelle.h"
#include "scales/ScaleCatalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST (ScaleCatalogue, MatchesItsCheckValuesAndKeepsEveryRowInPlace)
{
    const Quorvanelle engine; // fills its lists once, from the catalogue
    const auto& names = engine.scaleNames;
    const auto& lists = engine.scaleIntervals;
    ASSERT_EQ (names.size(), 374u);
    size_t offsets = 0;
    for (size_t i = 0; i < lists.size(); ++i)
    {
        const auto& r = lists[i]; // ascending from the root within the octave
        offsets += r.size();
        EXPECT_TRUE (r[0] == 0 && r.back() <= 11 && std::is_sorted (r.begin(), r.end(), std::less_equal<>()));
        EXPECT_TRUE (i < 20 || names[i - 1].toStdString() < names[i].toStdString()) << "byte order at " << i;
    }
    EXPECT_EQ (offsets, 2412u);
    EXPECT_EQ (std::set<std::vector<int>> (lists.begin(), lists.end()).size(), 321u);
    EXPECT_EQ (std::set<juce::String> (names.begin(), names.end()).size(), 356u);

    juce::String named;
    for (const int i : {0, 9, 10, 11, 17, 18, 44, 107, 115, 182, 262, 344, 368, 373})
        named << names[(size_t)i] << "|";
    EXPECT_EQ (named,
               "Major|Chromatic|----|Ionian|Locrian|----|Blues#V (all b's)|JG Octatonic  all 3b|Kung|"
               "Mela Yagapriya  (India)|Raga Hamsanandi, Puriya (India)|Raga Vasanta, Chayavati (India)|"
               "Takemitsu Tree Line Mode 2 4b's|Zirafkend (Arabia)|");
    // The separators give the major scale; the scales at the top stand again, sorted, further down.
    for (const auto& [top, sorted] : std::map<int, int>{{10, 0}, {18, 0}, {0, 135}, {7, 361}, {16, 20}})
        EXPECT_EQ (lists[(size_t)top], lists[(size_t)sorted]) << top;
    EXPECT_EQ (lists.back(), (std::vector<int>{0, 2, 3, 5, 7, 8, 9, 11}));

    std::vector<juce::String> more{"kept"};
    std::vector<std::vector<int>> moreLists{{0, 7}};
    PopulateScaleList (&more, &moreLists); // appends
    EXPECT_TRUE (more.size() == 375 && more[0] == "kept" && moreLists[0].size() == 2 &&
                 more[374] == names[373]);
}
