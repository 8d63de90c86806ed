#include "BinaryData.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
struct Picture
{
    const char* name;
    const char* data;
    int size;
    int width, height;
    bool alpha;

    juce::Image image() const { return juce::ImageCache::getFromMemory (data, size); }
};

// Every picture is drawn one to one over its control, so its size is that of the control.
const Picture pictures[] = {
    {"background", BinaryData::temp_binary_data_1, BinaryData::temp_binary_data_1Size, 800, 300, false},
    {"big chords off", BinaryData::temp_binary_data_3, BinaryData::temp_binary_data_3Size, 153, 29, false},
    {"big chords on", BinaryData::temp_binary_data_4, BinaryData::temp_binary_data_4Size, 153, 29, false},
    {"expand off", BinaryData::temp_binary_data_6, BinaryData::temp_binary_data_6Size, 25, 16, false},
    {"expand on", BinaryData::temp_binary_data_7, BinaryData::temp_binary_data_7Size, 25, 16, false},
    {"keyboard", BinaryData::temp_binary_data_8, BinaryData::temp_binary_data_8Size, 525, 60, true},
    {"through off", BinaryData::temp_binary_data_12, BinaryData::temp_binary_data_12Size, 153, 29, false},
    {"through on", BinaryData::temp_binary_data_13, BinaryData::temp_binary_data_13Size, 153, 29, false},
};

// How many pixels of `image` pass `test`.
template <typename Test>
int countPixels (const juce::Image& image, Test test)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            count += test (x, y) ? 1 : 0;
    return count;
}

TEST (EmbeddedImages, EachHasItsControlsSizeWithAlphaOnlyForTheMostlyClearKeyboard)
{
    juce::ScopedJuceInitialiser_GUI gui;
    for (const auto& p : pictures)
    {
        SCOPED_TRACE (p.name);
        const auto image = p.image();
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (p.width, p.height));
        EXPECT_EQ (image.hasAlphaChannel(), p.alpha);
        if (p.alpha)
        {
            EXPECT_GT (
                countPixels (image, [&] (int x, int y) { return image.getPixelAt (x, y).getAlpha() == 0; }),
                p.width * p.height * 9 / 10);
        }
    }

    // The switches show their two states differently.
    for (auto [off, on] : {std::pair{1, 2}, {3, 4}, {6, 7}})
    {
        const auto a = pictures[off].image(), b = pictures[on].image();
        EXPECT_GT (countPixels (a, [&] (int x, int y) { return a.getPixelAt (x, y) != b.getPixelAt (x, y); }),
                   a.getWidth() * a.getHeight() / 3)
            << pictures[off].name;
    }
}
} // namespace
