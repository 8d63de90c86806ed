// The fuzzer's bytes choose a random session (each byte one choice); the session must keep to every
// rule the suite's checker knows, and skipping idle samples must change no byte of it.

#include "tests/EngineTarget.h"
#include "tests/Session.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static const juce::ScopedJuceInitialiser_GUI juceRuntime;
    size_t next = 0;
    const auto script =
        timeline::randomSession ([&] (int n) { return next < size ? data[next++] % n : 0; }, 40);

    timeline::EngineTarget engine, walking;
    timeline::CheckedTarget checked (engine, engine.engine);
    const auto output = timeline::play (checked, script, 1 << 30);
    const bool sameWalked = timeline::play (walking, "skip=0 " + script, 1 << 30) == output;
    if (checked.faults.empty() && sameWalked)
        return 0;
    std::fprintf (stderr, "FAULT: %s\n%s\n",
                  sameWalked ? checked.faults.front().c_str() : "skipping changed the output",
                  script.c_str());
    std::abort();
}
