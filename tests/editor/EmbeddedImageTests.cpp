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
};

// Every picture is drawn one to one over its control, so its size is that of the control.
const Picture pictures[] = {
    {"editor background", BinaryData::temp_binary_data_1, BinaryData::temp_binary_data_1Size, 800, 300,
     false},
    {"big chords off", BinaryData::temp_binary_data_3, BinaryData::temp_binary_data_3Size, 153, 29, false},
    {"big chords on", BinaryData::temp_binary_data_4, BinaryData::temp_binary_data_4Size, 153, 29, false},
    {"expand off", BinaryData::temp_binary_data_6, BinaryData::temp_binary_data_6Size, 25, 16, false},
    {"expand on", BinaryData::temp_binary_data_7, BinaryData::temp_binary_data_7Size, 25, 16, false},
    {"keyboard background", BinaryData::temp_binary_data_8, BinaryData::temp_binary_data_8Size, 525, 60,
     true},
    {"source through off", BinaryData::temp_binary_data_12, BinaryData::temp_binary_data_12Size, 153, 29,
     false},
    {"source through on", BinaryData::temp_binary_data_13, BinaryData::temp_binary_data_13Size, 153, 29,
     false},
};

class EmbeddedImages : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI gui;
};

TEST_F (EmbeddedImages, EachIsAnEightBitPngOfItsControlsSizeWithAlphaOnlyForTheKeyboard)
{
    for (const auto& p : pictures)
    {
        SCOPED_TRACE (p.name);
        ASSERT_GT (p.size, 33);
        const auto* bytes = reinterpret_cast<const juce::uint8*> (p.data);

        // The file's own header: signature, then IHDR with bit depth, colour type and interlacing.
        EXPECT_EQ (std::string (p.data + 1, 3), "PNG");
        EXPECT_EQ (std::string (p.data + 12, 4), "IHDR");
        EXPECT_EQ (bytes[24], 8);
        EXPECT_EQ (bytes[25], p.alpha ? 6 : 2); // RGB with alpha, or RGB
        EXPECT_EQ (bytes[28], 0);

        const auto image = juce::ImageCache::getFromMemory (p.data, p.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), p.width);
        EXPECT_EQ (image.getHeight(), p.height);
        EXPECT_EQ (image.hasAlphaChannel(), p.alpha);
    }
}

TEST_F (EmbeddedImages, SwitchPicturesShowTheirTwoStatesDifferently)
{
    for (auto [off, on] : {std::pair{1, 2}, {3, 4}, {6, 7}})
    {
        const auto a = juce::ImageCache::getFromMemory (pictures[off].data, pictures[off].size);
        const auto b = juce::ImageCache::getFromMemory (pictures[on].data, pictures[on].size);

        int differing = 0;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                differing += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
        EXPECT_GT (differing, a.getWidth() * a.getHeight() / 3) << pictures[off].name;
    }
}

TEST_F (EmbeddedImages, KeyboardBackgroundIsMostlyTransparent)
{
    const auto& p = pictures[5];
    const auto image = juce::ImageCache::getFromMemory (p.data, p.size);

    int transparent = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            transparent += image.getPixelAt (x, y).getAlpha() == 0 ? 1 : 0;
    EXPECT_GT (transparent, image.getWidth() * image.getHeight() * 9 / 10);
}

TEST_F (EmbeddedImages, RepeatedFetchesShareOneDecodedPicture)
{
    const auto first = juce::ImageCache::getFromMemory (pictures[0].data, pictures[0].size);
    const auto second = juce::ImageCache::getFromMemory (pictures[0].data, pictures[0].size);

    EXPECT_EQ (first, second);
}
} // namespace
