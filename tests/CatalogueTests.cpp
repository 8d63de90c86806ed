// Hosts and saved projects name a scale by its index: every row pinned where it stands, and the
// catalogue's own check values.

#include "engine/Quorvanelle.h"
#include "scales/ScaleCatalogue.h"

#include <gtest/gtest.h>

#include <map>

TEST (ScaleCatalogue, MatchesItsCheckValuesAndKeepsEveryRowInPlace)
{
    const Quorvanelle engine; // fills its lists once, from the catalogue
    const auto& names = engine.scaleNames;
    const auto& lists = engine.scaleIntervals;
    ASSERT_EQ (names.size(), 374u);
    ASSERT_EQ (lists.size(), 374u);

    // Every row as "name: 0 2 4\n", in order, hashed (64-bit FNV-1a): a changed character or offset in
    // any row, or rows swapped, change the value, which was taken from the catalogue's published table.
    std::uint64_t fingerprint = 0xcbf29ce484222325;
    std::map<size_t, int> rowsBySize;
    for (size_t i = 0; i < lists.size(); ++i)
    {
        juce::String row = names[i] + ":";
        for (const int offset : lists[i])
            row << " " << offset;
        for (const auto c : (row + "\n").toStdString())
            fingerprint = (fingerprint ^ (unsigned char)c) * 0x100000001b3;
        ++rowsBySize[lists[i].size()];
    }
    EXPECT_EQ (fingerprint, 0x34d09da6bad2cd82u);
    EXPECT_EQ (rowsBySize, (std::map<size_t, int>{{5, 81}, {6, 99}, {7, 147}, {8, 45}, {12, 2}}));

    std::vector<juce::String> more{"kept"};
    std::vector<std::vector<int>> moreLists{{0, 7}};
    PopulateScaleList (&more, &moreLists); // appends
    EXPECT_TRUE (more.size() == 375 && more[0] == "kept" && moreLists[0].size() == 2 &&
                 more[374] == names[373]);
}
