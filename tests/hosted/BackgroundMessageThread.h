#pragma once

#include <juce_events/juce_events.h>

// A message thread of its own, as a plug-in gets inside a host: timers, change messages and the
// engine's pause after a transport stop run there, in real time, while the calling thread plays
// blocks as a host's render thread does.
class BackgroundMessageThread final : private juce::Thread
{
public:
    BackgroundMessageThread();
    ~BackgroundMessageThread() override;

private:
    void run() override;

    juce::WaitableEvent started;

    JUCE_DECLARE_NON_COPYABLE (BackgroundMessageThread)
};
