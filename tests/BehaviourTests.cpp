// What a player hears, as scripts and the output they must give (tests/Timeline.h has the words), played
// on the processor as a host drives it: settings through its parameters, or straight into the engine
// ("engine-mode=0") where no control offers the value.

#include "tests/ProcessorTarget.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace
{
struct Case
{
    const char* script;
    const char* output;
    int blockSize = 64;
};

// Default settings: "Chords", root C, the first scale (major), split 84, 44100 Hz, 120 bpm: a capture
// tick every 2756 samples, from the first.
const Case cases[] = {
    // other events pass at their positions, notes sent past the block leave no trace
    {"@0 +60p64 cc1=5p100 @10 cc7=90 @20 xe00040 @64 ?msgs ?held empty +60 cc123=0c9 ?held ?msgs @64",
     "@10 cc7=90 @20 xe00040 @100 cc1=5 msgs= held= @64 cc123=0c9 held= msgs=display"},
    // a note-on and a note-off of one key at one sample cancel out, whatever their channels
    {"mode=3 @5 +96 -96c2 @10 -96c3 +96c4 @20 +96 -98 @30 -96 +96 @64 ?held", "@20 +48 held=96", 7},
    // white keys walk the current notes from key 96; 92, 94, 102 and 104 shift them by octaves
    {"mode=3 @0 +96 @5 -96 @10 +98 @15 -98 @20 +95 @25 -95 @30 +84 @35 -84 @40 +92 @50 +96 @55 -96 @60 -92 "
     "+94 @70 +96 @75 -96 @80 -94 +102 @90 +96 @95 -96 @100 -102 +104 @110 +96 @115 -96 @120 -104 +92 +102 "
     "@130 +96 @135 -96 @140 -92 -102 expand=1 @150 +72 @155 -72 @160",
     "@0 +48 @5 -48 @10 +50 @15 -50 @20 +47 @25 -47 @30 +36 @35 -36 @50 +24 @55 -24 @70 +36 @75 -36 @90 "
     "+60 @95 -60 @110 +72 @115 -72 @130 +24 @135 -24 @150 +24 @155 -24",
     16},
    // chord control keys are silent without a chord, whatever the scale gives
    {"mode=3 @1 +99 @6 -99 +85 @10 -85 @16", ""},
    // chord control keys play the held chord at their offsets, with the key's velocity and channel
    {"@0 +60 +64 +67 @10 +99v90c3 @15 -99c3 @20 +97 @25 -97 @30",
     "@10 +72v90c3 +76v90c3 +79v90c3 @15 -72c3 -76c3 -79c3 @20 +60 +64 +67 @25 -60 -64 -67"},
    // big chords add the lowest note an octave down; a released chord plays on latched
    {"big=1 @0 +60 +64 +67 @40 -60 -64 -67 @50 +85 @55 -85 @60 +87 @65 -87 @70 +97 @75 -97 @80",
     "@50 +36 +40 +43 +24 @55 -36 -40 -43 -24 @60 +48 +52 +55 +36 @65 -48 -52 -55 -36 @70 +60 +64 +67 +48 "
     "@75 -60 -64 -67 -48"},
    // the big chord's bass reaches down to note 0, and chord notes below 1 are left out
    {"big=1 @0 +12 +36 @10 +85 @20 -85 @30 -12 -36 @40 +87 @50 -87 @2800 +10 @2810 +85 @2820 -85 @2830",
     "@10 +12 +0 @20 -12 -0 @40 +24 +12 @50 -24 -12"},
    // chord keys sound themselves with source through, moved by the octave while 106 is held; a note-on of
    // velocity 0 releases
    {"@0 +60 @5 -60 @10 onoff=1 oct=2 @20 +60c2 @25 -60c2 @30 +106 @35 +60v90 +83 @40 -106 @45 -60 -83 @46 "
     "+96v0 "
     "@50 +96 @55 +96v0 @64",
     "@20 +60c2 @25 -60c2 @35 +84v90 +107 @40 -84 -107 @50 +84 @55 -84", 3},
    // a stolen note moves to its new source and channel
    {"onoff=1 @0 +60c2 @10 +97c5 @20 -60c2 @30 -97c5 @40 ?sounding",
     "@0 +60c2 @10 -60c2 +60c5 @30 -60c5 sounding=", 12},
    // source through off releases the chord keys' notes at the next sample
    {"onoff=1 @0 +48 @3 +52v90c2 @16 ?msgs onoff=0 ?msgs @32 ?msgs onoff=0 onoff=1 ?msgs @48",
     "@0 +48 @3 +52v90c2 msgs=onOffChange,display msgs=display,display,onOffChange @16 -48 -52c2 msgs= "
     "msgs=onOffChange",
     16},
    // expand moves the split, drops latched keys from the new split up, releases at the next block
    {"mode=3 @0 +60 +72 +76 +96 @16 ?msgs expand=1 ?msgs ?split ?chord @2800 -96 @2801 +96 @2816 ?chord",
     "@0 +48 msgs=sourceModeChange,display msgs=display,expandChange split=72 chord=60 @16 -48 @2801 +48 "
     "chord=60",
     512},
    // the keyboard view stops showing what a moved split released
    {"onoff=1 @0 +76 @16 expand=1 @32 ?sounding", "@0 +76 @16 -76 sounding=", 16},
    // expand set to another value than 0 or 1 releases as a change does
    {"mode=3 expand=1 @0 +96 @16 ?msgs engine-expand=2 ?split @32 engine-expand=2 ?msgs @48",
     "@0 +48 msgs=sourceModeChange,display,expandChange,display split=72 @16 -48 "
     "msgs=display,expandChange,display,display,expandChange",
     16},
    // a key releases what it sounds whatever its role became
    {"mode=3 expand=1 @0 +72 @16 expand=0 @40 -72 @48 onoff=1 @50 +60 @64 engine-onoff=2 @70 -60 @80 "
     "?sounding",
     "@0 +24 @16 -24 @50 +60 @70 -60 sounding=", 16},
    // a transport stop releases every note after its start, forgets the keys and pauses note input
    {"play mode=3 onoff=1 @0 +60c2 +96 @64 ?msgs stop @94 +62 cc1=5p10 @128 ?held ?paused ?sounding @130 "
     "+98 cc7=1 @132 -96 @192 ?held wait=20 ?paused wait=250 ?paused @200 -98 @201 +96 @256",
     "@0 +60c2 +48 msgs=sourceModeChange,onOffChange,display @64 -60c2 -48 @94 +62 -62 @104 cc1=5 held= "
     "paused=3 sounding= @130 cc7=1 held= paused=3 paused=0 @201 +48"},
    // a stop in a block of no samples, and the lowest key, are released all the same
    {"play onoff=1 @0 +106 +0 +60 @16 stop empty ?paused @32", "@0 +0 +60 @16 -60 -0 paused=3", 16},
    // releases queued for the next sample still go out when a stop comes in a block of no samples
    {"play mode=3 onoff=1 @0 +60 @16 onoff=0 stop empty resume @32 expand=1 +76 play @48 expand=0 stop "
     "empty @64",
     "@0 +60 @16 -60 @32 +28 @48 -28", 16},
    // the chord is latched at every capture tick, a key let go at the tick still in it
    {"@0 +48 +52 +55 @100 -48 -52 -55 +50 +53 +57 @2756 ?chord @2757 ?chord @5513 ?chord @6000 +60 @8268 "
     "-60 @8269 ?chord -50 -53 -57 @11025 ?chord @12000 +62 @13781 ?chord",
     "chord=48,52,55 chord=48,52,55,50,53,57 chord=50,53,57 chord=50,53,57,60 chord=50,53,57,60 chord=62",
     512},
    // a chord let go at the tick, with no other key held, is latched all the same
    {"@1 +60 +64 @2756 -60 -64 @2757 ?chord", "chord=60,64", 512},
    // the pause after a stop does not count towards the tick
    {"play @64 stop @1000 resume +60 @3180 ?chord @3181 ?chord", "chord= chord=60", 512},
    // the latched chord shows while no chord key is held, current notes marked, sounding notes flagged
    {"@0 +48 +52 +55 @10 -48 -52 -55 @20 ?shown +84 @30 ?shown ?sounding +50 @40 ?shown -50 expand=1 +76 "
     "@50 ?shown @64 ?msgs @200 ?msgs",
     "shown=48,11,52,11,55,11 @20 +19 shown=48,11,52,11,55,11,84,10 sounding=19 shown=50,11,84,10 @40 -19 "
     "+0 shown=48,11,52,11,55,11,76,10,84,10 "
     "msgs=display,display,display,display,display,display,display,expandChange,display,display msgs=",
     16},
    // the melody map repeats the current notes by octaves within the MIDI range
    {"mode=2 @0 +48 +52 +55 @1 ?notes ?map99-107 ?map93-93 ?map72-72 ?map146-147 ?map71-71",
     "notes=48,50,52,53,55,57,59 map99-107=47,48,50,52,53,55,57,59,60 map93-93=36 map72-72=0 "
     "map146-147=127,-1 map71-71=-1"},
    // near the top of the range the map still steps down in whole octaves; one note steps by octaves
    {"oct=4 @0 +70 +74 +77 @1 ?notes ?map97-103 ?map94-94 ?map91-91 ?map70-71 -70 -74 -77 oct=0 +60 @2 "
     "?map94-106",
     "notes=118,122,125 map97-103=106,110,113,118,122,125,-1 map94-94=94 map91-91=82 map70-71=-1,2 "
     "map94-106=-1,0,12,24,36,48,60,72,84,96,108,120,-1"},
    // the latched chord stands in for held keys that are absent, no notes or above the split
    {"@0 +60 +64 @100 +48 @2800 -60 -64 -48 @5600 ?chord mode=2 +62 @5601 -62 @5602 ?notes mode=7 +62 "
     "@5603 -62 @5604 ?notes mode=1 +62 @5605 -62 @5606 ?notes +50 +53 +57 @5607 ?notes -50 -53 -57 oct=-1 "
     "+10 @5608 ?notes -10 oct=0 +76 +84 @5609 ?notes @5610",
     "chord=60,64,48 notes=60,62,64,65,67,69,71 notes=60,62,64,65,67,69,71 notes=48,60,64 notes=50,53,57 "
     "notes=36,48,52 notes=76"},
    // a latched key at the new split leaves the chord; keys below it stay
    {"@0 +60 +71 +72 @10 -60 -71 -72 @20 expand=1 ?chord @2756 ?chord @2757", "chord=60,71 chord=60,71"},
    // the bypassed block passes on the engine's note-offs and nothing else; what it started is released
    // later
    {"@0 +48 +52 +55 @10 +96 @20 bypass -96 @30 +98 @40 cc7=1 @50 +100c2 @64 | @69 -98 @128 bypass=0 @134 "
     "-100c2 @140",
     "@10 +48 @20 -48 @69 -52 @134 -55c2"},
    // host changes reach the engine with their messages; the switches go through the engine
    {"oct=5 mode=4 big=1 root=9 scale=373 ?settings ?msgs onoff=1 expand=1 ?settings ?msgs ?split",
     "settings=5,4,0,1,0,9,373 "
     "msgs=targetOctaveModChange,sourceModeChange,bigChordsChange,rootnoteChange,scaleIndexChange "
     "settings=5,4,1,1,1,9,373 msgs=onOffChange,display,expandChange split=72"},
    // every notification applies the host's target octave again
    {"engine-oct=4 root=2 ?settings ?msgs ?params",
     "settings=0,1,0,0,0,2,0 msgs=targetOctaveModChange,targetOctaveModChange,rootnoteChange "
     "params=0,0,0,0,0,2,0"},
    // the engine's messages copy only the differing values into the parameters
    {"engine-mode=7 engine-oct=-5 engine-scale=18 ?msgs ?params ?settings @64 ?msgs",
     "msgs=sourceModeChange,targetOctaveModChange,scaleIndexChange params=-5,6,0,0,0,0,18 "
     "settings=-5,7,0,0,0,0,18 msgs="},
    // preparing for another rate moves the tick
    {"rate=88200 @1 +60 @5512 ?chord @5513 ?chord @5514", "chord= chord=60", 512},
};

TEST (Behaviour, ScriptsGiveTheirOutput)
{
    for (const auto& c : cases)
    {
        timeline::ProcessorTarget target;
        EXPECT_EQ (timeline::play (target, c.script, c.blockSize), c.output) << c.script;
    }
}

// Every mode for two chords in C major, and settings no control offers but a state may hold (engine
// rows): a mode below 1 acts as "Chords", 0 and 8 up as "Scale + chords", a scale index past the end
// selects the last scale, a root or octave far out of range overflows nothing.
TEST (CurrentNotes, EveryModeAndEveryStoredSettingStayInsideTheTables)
{
    struct Row
    {
        const char* settings;
        const char* notes;
        const char* chord = "+48 +52 +55"; // then D F A; none: a key pressed and let go between ticks
    };
    const Row rows[] = {
        {"mode=1", "notes=48,52,55 notes=50,53,57"},
        {"mode=2", "notes=48,50,52,53,55,57,59 notes=50,52,53,55,57,59,60"},
        {"mode=3", "notes=48,50,52,53,55,57,59 notes=48,50,52,53,55,57,59"},
        {"mode=4", "notes=48,50,52,53,55,57,59 notes=48,50,52,53,55,57,59"},
        {"mode=5", "notes=48,50,52,55,57 notes=50,53,55,57,60"},
        {"mode=6", "notes=48,50,52,55,57 notes=48,50,53,55,57"},
        {"mode=7", "notes=48,50,52,53,55,57,59 notes=50,52,53,55,57,59,60"},
        {"engine-mode=-1", "notes=48,52,55 notes=50,53,57"},
        {"engine-mode=0", "notes=48,50,52,53,55,57,59 notes=48,50,52,53,55,57,59"},
        {"mode=3 scale=373 root=2", "notes=50,52,53,55,57,58,59,61 notes=50,52,53,55,57,58,59,61"},
        {"engine-mode=3 engine-scale=374", "notes=48,50,51,53,55,56,57,59 notes=48,50,51,53,55,56,57,59"},
        {"engine-mode=3 engine-scale=-3 engine-root=-5",
         "notes=48,50,52,53,55,57,59 notes=48,50,52,53,55,57,59"},
        {"engine-mode=3 engine-root=180 engine-oct=-10",
         "notes=108,110,112,113,115,117,119 notes=108,110,112,113,115,117,119"},
        {"engine-mode=3 engine-root=2147483647 engine-oct=2147483647", "notes= notes="},
        {"engine-mode=1 engine-root=2147483647 engine-oct=-2147483648", "notes= notes="},
        // Chords outside the scale: the safe rule keeps the scale's first note whatever it clashes with;
        // "Scale from chord bass" takes the bass alone into the scale.
        {"mode=6", "notes=48,50,53,55,57,59 notes=48,50,53,55,57", "+47 +50 +53"},
        {"mode=7", "notes=49,50,52,53,55,57,59,60 notes=50,52,53,55,57,59,60", "+49 +53 +56"},
        // Without any chord only the scale modes sound; far down, only what stays a note.
        {"mode=1", "notes= map99-100=-1,-1", ""},
        {"mode=3", "notes=48,50,52,53,55,57,59 map99-100=47,48", ""},
        {"mode=4", "notes=48,50,52,53,55,57,59 map99-100=47,48", ""},
        {"mode=6", "notes=48,50,52,55,57 map99-100=45,48", ""},
        {"mode=7", "notes=48,50,52,53,55,57,59 map99-100=47,48", ""},
        {"mode=3 oct=-5 root=2", "notes=1 map99-100=-1,1", ""},
    };
    for (const auto& row : rows)
    {
        timeline::ProcessorTarget target;
        const juce::String chord (row.chord), second = chord.replace ("+", "-") + " +50 +53 +57 @4 ?notes";
        const auto script = juce::String (row.settings) +
                            (chord.isEmpty() ? " @2 +10 @3 -10 @4 ?notes ?map99-100"
                                             : " @2 " + chord + " @3 ?notes " + second) +
                            " @5";
        EXPECT_EQ (timeline::play (target, script.toStdString()), row.notes) << row.settings;
    }
}

// 44100 Hz at 120 bpm ticks every 2756 samples; a tempo or rate that is no number, or not above 0,
// counts as those. A tick of 0: none within reach.
TEST (CaptureTick, FollowsTheTempoAndSurvivesAnyTempoOrRateTheHostGives)
{
    const std::pair<const char*, int> ticks[] = {
        {"bpm=90", 3675},   {"bpm=0", 2756},   {"bpm=-3", 2756}, {"bpm=nan", 2756}, {"bpm=-inf", 2756},
        {"rate=nan", 2756}, {"rate=-1", 2756}, {"bpm=1e12", 1},  {"rate=1e300", 0}, {"bpm=1e-300", 0}};
    for (const auto& [setting, tick] : ticks)
    {
        timeline::EngineTarget target;
        const int at = tick == 0 ? 20000 : tick;
        const auto script = std::string (setting) + " @1 +60 @" + std::to_string (at) + " ?chord @" +
                            std::to_string (at + 1) + " ?chord";
        SCOPED_TRACE (script);
        EXPECT_EQ (timeline::play (target, script, 512), tick == 0 ? "chord= chord=" : "chord= chord=60");
    }

    // The counter keeps its phase instead of overflowing.
    timeline::EngineTarget target;
    target.engine.chordCaptureCounter = std::numeric_limits<int>::max() - 100;
    const int phase = target.engine.chordCaptureCounter % 2756;
    timeline::play (target, "@512");
    EXPECT_EQ (target.engine.chordCaptureCounter % 2756, (phase + 512) % 2756);
    EXPECT_GE (target.engine.chordCaptureCounter, 0);
}

// Without a play head, or with one that knows no position, the engine runs at 120 bpm, stopped. What the
// processor tells a host and the standalone of itself.
TEST (Processor, TransportWithoutAPlayHeadAndWhatItTellsAHost)
{
    for (const bool withHead : {false, true})
    {
        timeline::ProcessorTarget target;
        auto& p = target.processor;
        target.playHead.position = {};
        p.setPlayHead (withHead ? &target.playHead : nullptr);
        p.engine.hostPosition.bpm = 33.0;
        p.engine.hostPosition.isPlaying = true;
        EXPECT_EQ (timeline::play (target, "@1 +60 @2756 ?chord @2757 ?chord"), "chord= chord=60");
        EXPECT_TRUE (p.engine.hostPosition == juce::AudioPlayHead::CurrentPositionInfo());
        // The standalone gives a MIDI effect with no channels a dummy output, so that it runs at all.
        juce::AudioProcessor::BusesLayout stereoOut;
        stereoOut.outputBuses.add (juce::AudioChannelSet::stereo());
        p.setCurrentProgram (1);
        p.changeProgramName (0, "renamed");
        const auto told = [] (bool answer, const char* name)
        { return answer ? juce::String (" ") + name : ""; };
        EXPECT_EQ (p.getName() + " tail=" + juce::String (p.getTailLengthSeconds()) +
                       " programs=" + juce::String (p.getNumPrograms()) +
                       " current=" + juce::String (p.getCurrentProgram()) + " '" + p.getProgramName (0) +
                       "' buses=" + juce::String (p.getBusCount (true)) + "," +
                       juce::String (p.getBusCount (false)) + " channels=" +
                       juce::String (p.getTotalNumInputChannels() + p.getTotalNumOutputChannels()) +
                       told (p.isMidiEffect(), "midi-effect") + told (p.acceptsMidi(), "midi-in") +
                       told (p.producesMidi(), "midi-out") + told (p.hasEditor(), "editor") +
                       told (p.checkBusesLayoutSupported ({}), "takes-none") +
                       told (p.isBusesLayoutSupported (stereoOut), "any-layout") +
                       told (p.checkBusesLayoutSupported (stereoOut) || p.addBus (false), "takes-a-bus"),
                   "Quorvanelle tail=0 programs=1 current=0 '' buses=0,0 channels=0 midi-effect midi-in "
                   "midi-out editor takes-none any-layout");
        p.prepareToPlay (48000.0, 512); // restarts the count
        EXPECT_EQ (p.engine.samplePosition, 0);
    }
}
} // namespace

// The engine never hands the tracker a key past its tables; nor would the tracker take one.
TEST (Tracker, TakesNoKeyPastItsTables)
{
    MIDIReceiver tracker, before;
    tracker.reset();
    before.reset();
    for (auto message : {juce::MidiMessage (0x90, 128, 100), juce::MidiMessage (0x80, 200, 0),
                         juce::MidiMessage (0x9f, 255, 1)})
        tracker.processNewMessage (&message, 0);
    EXPECT_EQ (std::memcmp (&before, &tracker, sizeof (tracker)), 0);
}
