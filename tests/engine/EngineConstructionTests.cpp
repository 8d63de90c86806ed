#include "engine/Quorvanelle.h"

#include <gtest/gtest.h>

TEST (EngineConstruction, StartsWithNoNoteSoundingAndAllKeysIdle)
{
    Quorvanelle engine;
    for (int k = 0; k < 128; ++k)
    {
        EXPECT_EQ (engine.sourceByOutput[k], -1);
        EXPECT_EQ (engine.midiReceiver.noteState[k], -1);
    }
    EXPECT_EQ (engine.melodyMap.size(), 200u);
}
