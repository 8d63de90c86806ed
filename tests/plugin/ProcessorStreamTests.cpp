// Ten thousand seeded host sessions on the processor: blocks of 0 to 2048 samples (and now and then
// twice the prepared size), notes on every key and channel, velocity-0 note-ons, note-offs for keys
// never pressed, controllers, parameter changes through the host interface, bypass, transport starts
// and stops, the pause's end and sample-rate changes with keys held. After every block the output
// must be well formed and sound only what it started, and the engine's bookkeeping must hold; when
// every key is let go and the transport stops, nothing may sound.

#include "ProcessorTestSupport.h"

#include "tests/support/EngineInvariants.h"
#include "tests/support/SoundingNotes.h"

#include <random>

using namespace processortest;

namespace
{
class HostSession final : private juce::AudioPlayHead
{
public:
    HostSession (QuorvanelleAudioProcessor& p, unsigned seed) : processor (p), rng (seed)
    {
        processor.setPlayHead (this);
        processor.prepareToPlay (rates[pick (4)], maxBlock);
    }

    ~HostSession() override { processor.setPlayHead (nullptr); }

    void play (int numBlocks)
    {
        for (int block = 0; block < numBlocks && faults.empty(); ++block)
        {
            betweenBlocks();
            runBlock (blockSize(), randomEvents());
        }
    }

    // Every key let go, the transport started and stopped, the pause over: silence.
    void finish()
    {
        if (!faults.empty())
            return;

        bypassed = false;
        endPause();
        juce::MidiBuffer releases;
        for (int key = 0; key < 128; ++key)
            releases.addEvent (juce::MidiMessage::noteOff (1 + pick (16), key), key % 32);
        runBlock (32, releases);
        position.setIsPlaying (true);
        runBlock (16, {});
        position.setIsPlaying (false);
        runBlock (16, {});
        endPause();
        runBlock (16, {});

        if (heard.countSounding() != 0)
            faults.push_back ("still sounding with every key up and the transport stopped: " +
                              heard.describeSounding());
    }

    std::vector<std::string> faults;
    SoundingNotes heard;

private:
    juce::Optional<juce::AudioPlayHead::PositionInfo> getPosition() const override { return position; }

    int pick (int n) { return (int)(rng() % (unsigned)n); }

    void endPause()
    {
        // The engine's timer fires on the message thread: this one.
        processor.engine.timerCallback();
    }

    void betweenBlocks()
    {
        if (pick (4) == 0)
        {
            // Any value the host may send, steps or not.
            auto* parameter = processor.getParameters()[pick (7)];
            parameter->setValueNotifyingHost (pick (3) == 0 ? (float)pick (1001) / 1000.0f
                                                            : (float)pick (12) / 11.0f);
        }
        if (pick (15) == 0)
            bypassed = !bypassed;
        if (pick (12) == 0)
            position.setIsPlaying (!position.getIsPlaying());
        if (pick (25) == 0)
            position.setBpm (tempos[pick (6)]);
        if (pick (40) == 0)
            processor.prepareToPlay (rates[pick (4)], maxBlock);
        if (pick (3) == 0)
            endPause();
    }

    int blockSize()
    {
        if (pick (50) == 0)
            return 2 * maxBlock;
        const int sizes[] = {0, 1, 2, 17, 64, 128, 256, 512, 1024, 2048};
        return sizes[pick (10)];
    }

    int randomKey()
    {
        switch (pick (5))
        {
            case 0:
                return 36 + pick (48); // chord keys
            case 1:
            {
                const int controls[] = {85, 87, 97, 99, 92, 94, 102, 104, 106};
                return controls[pick (9)];
            }
            case 2:
                return pick (128);
            default:
            {
                const int whites[] = {0, 2, 4, 5, 7, 9, 11};
                return juce::jmin (127, 72 + 12 * pick (5) + whites[pick (7)]);
            }
        }
    }

    juce::MidiBuffer randomEvents()
    {
        juce::MidiBuffer events;
        const int count = pick (3) == 0 ? 0 : pick (12);
        for (int e = 0; e < count; ++e)
        {
            const int at = pick (64) == 0 ? 0 : pick (2048);
            const int channel = 1 + pick (16);
            const int key = randomKey();
            switch (pick (10))
            {
                case 0:
                    events.addEvent (juce::MidiMessage (0x90 | (channel - 1), key, 0), at);
                    break;
                case 1:
                case 2:
                case 3:
                    events.addEvent (juce::MidiMessage::noteOff (channel, key, (juce::uint8)pick (128)), at);
                    break;
                case 4:
                    events.addEvent (
                        juce::MidiMessage::controllerEvent (channel, pick (2) == 0 ? 123 : 1, pick (128)),
                        at);
                    break;
                case 5:
                    events.addEvent (juce::MidiMessage::pitchWheel (channel, pick (16384)), at);
                    break;
                default:
                    events.addEvent (juce::MidiMessage::noteOn (channel, key, (juce::uint8) (1 + pick (127))),
                                     at);
                    break;
            }
        }
        return events;
    }

    void runBlock (int numSamples, const juce::MidiBuffer& events)
    {
        // Hosts give events inside the block only.
        juce::MidiBuffer midi;
        for (const auto event : events)
            if (event.samplePosition < juce::jmax (numSamples, 1))
                midi.addEvent (event.data, event.numBytes,
                               juce::jmin (event.samplePosition, juce::jmax (numSamples - 1, 0)));

        const juce::MidiBuffer input (midi);
        juce::AudioBuffer<float> audio (0, numSamples);
        if (bypassed)
            processor.processBlockBypassed (audio, midi);
        else
            processor.processBlock (audio, midi);

        if (bypassed)
        {
            for (const auto event : midi)
                if (!isNoteMessage (event) || ((event.data[0] & 0xf0) == 0x90 && event.data[2] != 0))
                    faults.push_back ("a bypassed block let through more than note-offs");
        }
        else
        {
            checkPassThrough (input, midi, faults);
        }
        heard.addBlock (midi, numSamples, faults, bypassed);

        const juce::ScopedLock sl (processor.engine.getLock());
        checkBookkeeping (processor.engine, faults);
        if (bypassed)
            excuseWithheldNotes();
        checkAgreement (processor.engine, heard, faults);
    }

    // What the engine started in a bypassed block stays booked, but the host never heard it.
    void excuseWithheldNotes()
    {
        const auto& engine = processor.engine;
        bool booked[128]{};
        for (int note = 0; note < 128; ++note)
            booked[note] = engine.sourceByOutput[note] != -1;
        for (const int note : engine.deferredNoteOffs)
            booked[note & 0x7f] = true;
        for (int note = 0; note < 128; ++note)
            heard.excuse (note, booked[note] && heard.channelOf (note) == 0);
    }

    static constexpr int maxBlock = 2048;
    static constexpr double rates[] = {44100.0, 48000.0, 96000.0, 22050.0};
    static constexpr double tempos[] = {120.0, 0.0, 60.0, 200.0, 33.0, 1.0e7};

    QuorvanelleAudioProcessor& processor;
    std::mt19937 rng;
    juce::AudioPlayHead::PositionInfo position;
    bool bypassed = false;
};

TEST (ProcessorStreams, TenThousandHostSessionsLeaveNothingSounding)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    int blocks = 0;
    for (unsigned seed = 1; seed <= 10000; ++seed)
    {
        QuorvanelleAudioProcessor processor;
        HostSession session (processor, seed);
        const int numBlocks = 10 + (int)(seed % 90);
        session.play (numBlocks);
        session.finish();
        blocks += numBlocks + 5;
        pumpMessages();

        if (!session.faults.empty())
        {
            std::string text;
            for (const auto& fault : session.faults)
                text += fault + "\n";
            FAIL() << "seed " << seed << ":\n" << text << "output so far:\n" << session.heard.history();
        }
    }
    std::cout << "[ figures  ] 10000 sessions, " << blocks << " blocks\n";
}
} // namespace
