#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

// The engine's broadcasters, its timer and the editor need the message thread: this one.
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
