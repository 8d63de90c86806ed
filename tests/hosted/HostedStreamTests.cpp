// The built VST3 and LV2 binaries, loaded through JUCE's hosting, against the processor called
// directly: 200 seeded host sessions played through all three must give the same output event for
// event. The sessions mix block sizes from 0 to 2048 (and blocks twice the prepared size),
// velocity-0 note-ons, note-offs for keys never pressed, all 16 channels, control keys, controllers,
// parameter changes through the host interface, bypass, transport starts and stops and sample-rate
// changes with keys held.
//
// The processor called directly runs in QuorvanelleMidiDump, a process of its own that links the
// plug-in's code, alongside this one, which holds no plug-in code. Each plug-in keeps its own message
// thread, where the pause after a transport stop ends 140 ms later in real time; so a stop is followed
// by at most two blocks (well inside the pause) and then by an idle step longer than the pause, which
// every side waits out, and the output does not depend on the machine's speed.

#include "tests/hosted/MidiScript.h"
#include "tests/hosted/ScriptPlayer.h"
#include "tests/plugin/BlockText.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>

namespace
{
constexpr int numSessions = 200;
// Longer than the engine's pause after a stop, with room for a late timer.
constexpr int pauseWait = 200;

const char* const parameterNames[] = {
    "Target octave mod", "Operation mode", "Source through", "Use big chords",
    "Expand keyboard",   "Root note",      "Scale"};
const int parameterSteps[] = {11, 7, 2, 2, 2, 12, 374};

// One seeded host session as a script.
class SessionWriter
{
public:
    explicit SessionWriter (unsigned seed) : rng (seed) { stream.name = "session-" + juce::String (seed); }

    MidiScript::Stream write()
    {
        add (MidiScript::Kind::prepare, rates[pick (3)], 2048);
        const int numBlocks = 15 + pick (40);
        for (int b = 0; b < numBlocks; ++b)
        {
            betweenBlocks();
            block (blockSize());
        }

        // Every key let go.
        MidiScript::Step releases;
        releases.number = 64;
        for (int key = 0; key < 128; ++key)
            releases.events.addEvent (juce::MidiMessage::noteOff (1 + pick (16), key), key / 2);
        addBypass (false);
        stream.steps.push_back (releases);
        block (64, false);
        return stream;
    }

private:
    int pick (int n) { return (int)(rng() % (unsigned)n); }

    void add (MidiScript::Kind kind, double value, int number)
    {
        MidiScript::Step step;
        step.kind = kind;
        step.value = value;
        step.number = number;
        stream.steps.push_back (step);
    }

    void addBypass (bool on)
    {
        if (on != bypassed)
            add (MidiScript::Kind::bypass, 0, on ? 1 : 0);
        bypassed = on;
    }

    void setPlaying (bool on)
    {
        playing = on;
        add (MidiScript::Kind::transport, bpm, on ? 1 : 0);
    }

    void betweenBlocks()
    {
        if (pick (4) == 0)
        {
            const int index = pick (7);
            const double value = pick (5) == 0
                                     ? pick (1001) / 1000.0
                                     : pick (parameterSteps[index]) / (double)(parameterSteps[index] - 1);
            add (MidiScript::Kind::parameter, value, index);
        }
        if (pick (12) == 0)
            addBypass (!bypassed);
        if (pick (25) == 0)
        {
            const double tempos[] = {120.0, 0.0, 60.0, 200.0, 1.0e7};
            bpm = tempos[pick (5)];
            add (MidiScript::Kind::transport, bpm, playing ? 1 : 0);
        }
        if (pick (30) == 0)
            add (MidiScript::Kind::prepare, rates[pick (3)], 2048);

        if (pick (20) == 0)
        {
            setPlaying (!playing);
            if (!playing)
            {
                // A stop: up to two blocks inside the pause, then the pause waited out.
                for (int n = pick (3); --n >= 0;)
                    block (blockSize());
                add (MidiScript::Kind::idle, pauseWait, 0);
            }
        }
    }

    int blockSize()
    {
        if (pick (40) == 0)
            return 4096;
        const int sizes[] = {0, 1, 2, 17, 64, 256, 512, 1024, 2048};
        return sizes[pick (9)];
    }

    int randomKey()
    {
        switch (pick (5))
        {
            case 0:
                return 36 + pick (48);
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

    void block (int numSamples, bool withEvents = true)
    {
        MidiScript::Step step;
        step.number = numSamples;
        const int count = withEvents && numSamples > 0 && pick (4) != 0 ? pick (10) : 0;
        for (int e = 0; e < count; ++e)
        {
            const int at = pick (numSamples);
            const int channel = 1 + pick (16);
            const int key = randomKey();
            switch (pick (12))
            {
                case 0:
                    step.events.addEvent (juce::MidiMessage (0x90 | (channel - 1), key, 0), at);
                    break;
                case 1:
                case 2:
                case 3:
                    step.events.addEvent (juce::MidiMessage::noteOff (channel, key, (juce::uint8)pick (128)),
                                          at);
                    break;
                case 4:
                {
                    const int controllers[] = {1, 7, 64, 123};
                    step.events.addEvent (
                        juce::MidiMessage::controllerEvent (channel, controllers[pick (4)], pick (128)), at);
                    break;
                }
                case 5:
                    step.events.addEvent (juce::MidiMessage::pitchWheel (channel, pick (16384)), at);
                    break;
                default:
                    step.events.addEvent (
                        juce::MidiMessage::noteOn (channel, key, (juce::uint8) (1 + pick (127))), at);
                    break;
            }
        }
        stream.steps.push_back (step);
    }

    static constexpr double rates[] = {44100.0, 48000.0, 96000.0};

    std::mt19937 rng;
    MidiScript::Stream stream;
    bool bypassed = false;
    bool playing = false;
    double bpm = 120.0;
};

// What a format can carry of an output. VST3 has no events for controllers or pitch bends: JUCE's
// hosting turns them into parameter changes, of which a block keeps the last value per controller,
// and the plug-in's client turns those back into MIDI at the block's start. So through VST3 the notes
// are compared, and the other messages are left out. Nor does JUCE's VST3 client hand a call of no
// samples to a processor without audio buses: through VST3 such blocks do not exist, and the output is
// compared with that of the processor called directly on the session without them. LV2 carries MIDI as it is;
// but its plug-ins take their sample rate when they are made, so JUCE's hosting makes a new instance whenever
// it prepares (as hosts do), and the new instance knows no held key: through LV2 a session is compared up to
// its first preparation after the start.
juce::String comparable (const juce::String& output, const juce::String& format, int blocksBeforeReprepare)
{
    juce::StringArray lines, kept;
    lines.addLines (output);
    int block = -1;
    for (auto line : lines)
    {
        if (line.startsWith ("block "))
        {
            ++block;
            // "block 3 512 bypassed" as "block 512 bypassed": the blocks are counted apart.
            line =
                "block " +
                line.fromFirstOccurrenceOf ("block ", false, false).fromFirstOccurrenceOf (" ", false, false);
            if (format == "VST3" && line.startsWith ("block 0"))
                continue;
        }
        if (format == "LV2" && block >= blocksBeforeReprepare)
            break;
        const auto status = line.trim()
                                .fromFirstOccurrenceOf (" ", false, false)
                                .upToFirstOccurrenceOf (" ", false, false)
                                .getHexValue32() >>
                            4;
        if (format == "VST3" && !line.startsWith ("block ") && status != 0x8 && status != 0x9)
            continue;
        kept.add (line);
    }
    return kept.joinIntoString ("\n");
}

int blocksBeforeReprepare (const MidiScript::Stream& session)
{
    int blocks = 0, prepares = 0;
    for (const auto& step : session.steps)
    {
        prepares += step.kind == MidiScript::Kind::prepare ? 1 : 0;
        if (prepares > 1)
            break;
        blocks += step.kind == MidiScript::Kind::block ? 1 : 0;
    }
    return blocks;
}

// The session as a VST3 host delivers it to the processor: without its blocks of no samples.
MidiScript::Stream withoutEmptyBlocks (MidiScript::Stream session)
{
    auto& steps = session.steps;
    steps.erase (std::remove_if (steps.begin(), steps.end(),
                                 [] (const MidiScript::Step& step)
                                 { return step.kind == MidiScript::Kind::block && step.number == 0; }),
                 steps.end());
    return session;
}

// The outputs of the processor called directly, by session name.
std::map<juce::String, juce::String> referenceOutputs (const juce::File& script)
{
    juce::ChildProcess dump;
    std::map<juce::String, juce::String> outputs;
    if (!dump.start (juce::StringArray{QUORVANELLE_MIDI_DUMP, script.getFullPathName()}))
        return outputs;

    const auto text = dump.readAllProcessOutput();
    juce::String name, body;
    juce::StringArray lines;
    lines.addLines (text);
    for (const auto& line : lines)
    {
        if (line.startsWith ("stream "))
        {
            if (name.isNotEmpty())
                outputs[name] = body;
            name = line.fromFirstOccurrenceOf ("stream ", false, false);
            body.clear();
        }
        else if (name.isNotEmpty() && line.isNotEmpty())
        {
            body << line << "\n";
        }
    }
    if (name.isNotEmpty())
        outputs[name] = body;
    return outputs;
}

class LoadedFormats : public ::testing::Test
{
protected:
    LoadedFormats()
    {
        auto vst3 = std::make_unique<juce::VST3PluginFormat>();
        vst3->findAllTypesForFile (vst3Types, QUORVANELLE_VST3_BUNDLE);
        manager.addFormat (vst3.release());

        auto lv2 = std::make_unique<juce::LV2PluginFormat>();
        lv2->searchPathsForPlugins (
            juce::File (QUORVANELLE_LV2_BUNDLE).getParentDirectory().getFullPathName(), true, false);
        lv2->findAllTypesForFile (lv2Types, QUORVANELLE_LV2_URI);
        manager.addFormat (lv2.release());
    }

    std::unique_ptr<juce::AudioPluginInstance> load (const juce::PluginDescription& description)
    {
        juce::String error;
        auto instance = manager.createPluginInstance (description, 44100.0, 2048, error);
        EXPECT_TRUE (error.isEmpty()) << error;
        return instance;
    }

    // Ours in host index order: LV2 lists them in an order of its own, so they are found by name.
    static std::vector<juce::AudioProcessorParameter*> ourParameters (juce::AudioPluginInstance& instance)
    {
        std::vector<juce::AudioProcessorParameter*> ours;
        for (const auto* name : parameterNames)
            for (auto* p : instance.getParameters())
                if (p->getName (100) == name)
                    ours.push_back (p);
        return ours;
    }

    juce::AudioPluginFormatManager manager;
    juce::OwnedArray<juce::PluginDescription> vst3Types, lv2Types;
};

TEST_F (LoadedFormats, TwoHundredSessionsGiveTheProcessorsOutputEventForEvent)
{
    ASSERT_EQ (vst3Types.size(), 1);
    ASSERT_EQ (lv2Types.size(), 1);

    juce::String scriptText, vst3ScriptText;
    for (unsigned seed = 1; seed <= (unsigned)numSessions; ++seed)
    {
        const auto session = SessionWriter (seed).write();
        scriptText << MidiScript::format (session);
        vst3ScriptText << MidiScript::format (withoutEmptyBlocks (session));
    }
    const juce::TemporaryFile scriptFile (".txt"), vst3ScriptFile (".txt");
    ASSERT_TRUE (scriptFile.getFile().replaceWithText (scriptText));
    ASSERT_TRUE (vst3ScriptFile.getFile().replaceWithText (vst3ScriptText));

    // The references play in processes of their own while the loaded binaries play here.
    std::map<juce::String, juce::String> expected, expectedVst3;
    std::atomic<int> referencesDone{0};
    juce::Thread::launch (
        [&, file = scriptFile.getFile()]
        {
            expected = referenceOutputs (file);
            ++referencesDone;
        });
    juce::Thread::launch (
        [&, file = vst3ScriptFile.getFile()]
        {
            expectedVst3 = referenceOutputs (file);
            ++referencesDone;
        });
    juce::String error;
    const auto sessions = MidiScript::parse (scriptText, error);
    ASSERT_TRUE (error.isEmpty()) << error;
    ASSERT_EQ ((int)sessions.size(), numSessions);

    std::map<juce::String, juce::String> vst3Outputs, lv2Outputs;
    int blocks = 0, notes = 0;
    for (const auto& session : sessions)
    {
        auto vst3 = load (*vst3Types[0]);
        auto lv2 = load (*lv2Types[0]);
        ASSERT_TRUE (vst3 != nullptr && lv2 != nullptr);
        ASSERT_EQ (ourParameters (*lv2).size(), 7u);
        {
            ScriptPlayer vst3Player (*vst3), lv2Player (*lv2, ourParameters (*lv2));
            for (const auto& step : session.steps)
            {
                if (step.kind == MidiScript::Kind::idle)
                {
                    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)step.value;
                    while (juce::Time::getMillisecondCounter() < end)
                    {
                        blocktext::pumpMessages();
                        juce::Thread::sleep (5);
                    }
                    continue;
                }
                vst3Player.run (step);
                lv2Player.run (step);
                blocks += step.kind == MidiScript::Kind::block ? 1 : 0;
            }
            vst3Outputs[session.name] = vst3Player.getOutput();
            lv2Outputs[session.name] = lv2Player.getOutput();
        }
        vst3.reset();
        lv2.reset();
        blocktext::pumpMessages();
    }

    // The references need about as long as the loaded binaries; their threads end with their processes.
    for (int waited = 0; referencesDone < 2 && waited < 1200; ++waited)
        juce::Thread::sleep (100);
    ASSERT_EQ (referencesDone, 2);
    ASSERT_EQ (expected.size(), sessions.size()) << "the processor called directly gave no output";
    ASSERT_EQ (expectedVst3.size(), sessions.size()) << "the processor called directly gave no output";

    int differing = 0, lv2Blocks = 0;
    for (const auto& session : sessions)
    {
        lv2Blocks += blocksBeforeReprepare (session);
        for (const auto& line :
             juce::StringArray::fromLines (comparable (expectedVst3[session.name], "VST3", 0)))
            notes += line.startsWith ("block ") ? 0 : 1;
        const auto& reference = expected[session.name];
        for (const auto& [format, outputs] :
             {std::pair ("VST3", &vst3Outputs), std::pair ("LV2", &lv2Outputs)})
        {
            const auto comparedBlocks = blocksBeforeReprepare (session);
            const auto actual = comparable ((*outputs)[session.name], format, comparedBlocks);
            const auto wanted =
                comparable (juce::String (format) == "VST3" ? expectedVst3[session.name] : reference, format,
                            comparedBlocks);
            if (actual == wanted)
                continue;
            ++differing;
            // Both outputs whole, for a look, beside the test's build folder.
            const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile ("hosted-differences");
            folder.createDirectory();
            folder.getChildFile (session.name + ".processor." + format + ".txt").replaceWithText (wanted);
            folder.getChildFile (session.name + "." + format + ".txt").replaceWithText (actual);
            folder.getChildFile (session.name + ".script.txt").replaceWithText (MidiScript::format (session));
            // The first differing line and some context.
            juce::StringArray want, got;
            want.addLines (wanted);
            got.addLines (actual);
            int line = 0;
            while (line < want.size() && line < got.size() && want[line] == got[line])
                ++line;
            ADD_FAILURE() << session.name << " through " << format << " differs at line " << line + 1
                          << "\n  processor: " << want[line] << "\n  " << format << ": " << got[line]
                          << "\n  preceding: " << want[juce::jmax (0, line - 1)];
            if (differing > 10)
                return;
        }
    }
    std::cout << "[ figures  ] " << numSessions << " sessions, " << blocks << " blocks (" << lv2Blocks
              << " of them compared through LV2), " << notes << " note messages out, " << differing
              << " differing\n";
}
} // namespace

int main (int argc, char** argv)
{
    // A fresh home: hosts look for plug-ins in ~/.lv2 and ~/.vst3, where an installed copy may sit.
    const auto home = juce::File::createTempFile ("home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    int result = 0;
    {
        const juce::ScopedJuceInitialiser_GUI juceRuntime;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    home.deleteRecursively();
    return result;
}
