// Plays the streams of a script through the processor called directly, a new processor for each
// stream, and prints what comes out: the reference that the loaded plug-in binaries and the
// independent LV2 host are compared with. The processor gets a message thread of its own, as inside a
// host; "idle" steps let it run for the given time.
//
//   QuorvanelleMidiDump SCRIPT

#include "tests/hosted/BackgroundMessageThread.h"
#include "tests/hosted/MidiScript.h"
#include "tests/hosted/ScriptPlayer.h"

#include <iostream>

namespace
{
// Hosts create and delete plug-ins on their message thread.
template <typename Function>
void onMessageThread (Function&& function)
{
    juce::WaitableEvent done;
    juce::MessageManager::callAsync (
        [&]
        {
            function();
            done.signal();
        });
    done.wait();
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: QuorvanelleMidiDump SCRIPT\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    juce::String error;
    const auto streams = MidiScript::parse (
        juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]).loadFileAsString(), error);
    if (error.isNotEmpty())
    {
        std::cerr << error << "\n";
        return 2;
    }

    int status = 0;
    {
        const BackgroundMessageThread messageThread;
        for (const auto& stream : streams)
        {
            std::unique_ptr<juce::AudioProcessor> processor;
            onMessageThread ([&] { processor.reset (createPluginFilter()); });
            if (processor == nullptr)
            {
                status = 1;
                break;
            }

            {
                ScriptPlayer player (*processor);
                for (const auto& step : stream.steps)
                {
                    if (step.kind == MidiScript::Kind::idle)
                        juce::Thread::sleep (static_cast<int> (step.value));
                    else
                        player.run (step);
                }
                std::cout << "stream " << stream.name << "\n" << player.getOutput();
            }
            onMessageThread ([&] { processor.reset(); });
        }
    }
    std::cout.flush();
    return status;
}
