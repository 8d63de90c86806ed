#include "scales/ScaleCatalogue.h"

void PopulateScaleList (std::vector<juce::String>*, std::vector<std::vector<int>>*)
{
}
