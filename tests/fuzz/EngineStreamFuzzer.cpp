// The fuzzer's bytes choose a random session (each byte one choice), which must keep to every rule
// the suite's checker knows.

#include "tests/EngineTarget.h"
#include "tests/Session.h"

#include <cstdio>
#include <cstdlib>

// libFuzzer's entry point, declared as its driver declares it.
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Never shut down: libFuzzer leaves by exit(), after which JUCE's own statics are gone.
    static const auto* juceRuntime = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juceRuntime);
    size_t next = 0;
    const auto script =
        timeline::randomSession ([&] (int n) { return next < size ? data[next++] % n : 0; }, 32);

    timeline::EngineTarget engine;
    timeline::CheckedTarget checked (engine, engine.engine);
    timeline::play (checked, script, 1 << 30);
    timeline::pumpMessages(); // the display messages, which would otherwise pile up
    if (checked.faults.empty())
        return 0;
    std::fprintf (stderr, "FAULT: %s\n%s\n", checked.faults.front().c_str(), script.c_str());
    std::abort();
}
