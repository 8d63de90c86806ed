// Hosts and saved projects name a scale by its index: the catalogue's check values, and rows at the
// indices they have always had.

#include "engine/Quorvanelle.h"
#include "scales/ScaleCatalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST (ScaleCatalogue, MatchesItsCheckValuesAndKeepsEveryRowInPlace)
{
    std::vector<juce::String> names{"kept"};
    std::vector<std::vector<int>> lists{{0, 7}};
    PopulateScaleList (&names, &lists); // appends
    ASSERT_EQ (names.size(), 375u);
    EXPECT_EQ (names[0] + " " + juce::String (lists[0][1]), "kept 7");
    names.erase (names.begin());
    lists.erase (lists.begin());

    std::map<size_t, int> rowsBySize;
    size_t offsets = 0;
    for (size_t i = 0; i < lists.size(); ++i)
    {
        ++rowsBySize[lists[i].size()];
        offsets += lists[i].size();
        EXPECT_TRUE (lists[i][0] == 0 && lists[i].back() <= 11 &&
                     std::is_sorted (lists[i].begin(), lists[i].end()) &&
                     std::adjacent_find (lists[i].begin(), lists[i].end()) == lists[i].end())
            << "row " << i;
        if (i > 19)
            EXPECT_LT (names[i - 1].toStdString(), names[i].toStdString()) << "rows in byte order at " << i;
    }
    EXPECT_EQ (offsets, 2412u);
    EXPECT_EQ (rowsBySize, (std::map<size_t, int>{{5, 81}, {6, 99}, {7, 147}, {8, 45}, {12, 2}}));
    EXPECT_EQ (std::set<std::vector<int>> (lists.begin(), lists.end()).size(), 321u);
    EXPECT_EQ (std::set<juce::String> (names.begin(), names.end()).size(), 356u);

    juce::String named;
    for (const int i : {0, 9, 10, 11, 17, 18, 44, 107, 115, 182, 262, 344, 368, 373})
        named << names[(size_t)i] << "|";
    EXPECT_EQ (named,
               "Major|Chromatic|----|Ionian|Locrian|----|Blues#V (all b's)|JG Octatonic  all 3b|Kung|"
               "Mela Yagapriya  (India)|Raga Hamsanandi, Puriya (India)|Raga Vasanta, Chayavati (India)|"
               "Takemitsu Tree Line Mode 2 4b's|Zirafkend (Arabia)|");
    // The scales and modes at the top stand again in the sorted part; the separators give the major scale.
    const std::pair<int, int> repeats[] = {
        {0, 135},  {1, 197}, {2, 91},   {3, 183},  {4, 206},  {5, 144}, {6, 30},   {7, 361}, {8, 23}, {9, 49},
        {11, 104}, {12, 69}, {13, 224}, {14, 122}, {15, 207}, {16, 20}, {17, 117}, {10, 0},  {18, 0}};
    for (const auto& [top, sorted] : repeats)
        EXPECT_EQ (lists[(size_t)top], lists[(size_t)sorted]) << top;
    EXPECT_EQ (lists.back(), (std::vector<int>{0, 2, 3, 5, 7, 8, 9, 11}));

    const Quorvanelle engine;
    EXPECT_EQ (engine.scaleNames, names);
    EXPECT_EQ (engine.scaleIntervals, lists);
}
