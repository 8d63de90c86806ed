#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// Appends the 374 scales of the catalogue, in catalogue order, to the two parallel lists.
void PopulateScaleList (std::vector<juce::String>* names, std::vector<std::vector<int>>* intervals);
