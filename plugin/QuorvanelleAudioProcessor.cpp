#include "plugin/QuorvanelleAudioProcessor.h"

#include "editor/QuorvanelleAudioProcessorEditor.h"
#include "plugin/SavedState.h"

#include <optional>

namespace
{
const juce::StringArray offOn{"Off", "On"};

// The engine's modes 1 to 7 in order, short enough for a host's parameter list.
const juce::StringArray sourceModeTexts{"C", "C+S", "S", "S+C", "C+S s", "S+C s", "S bass"};

template <typename Parameter>
Parameter* addListenedParameter (juce::AudioProcessor& processor,
                                 juce::AudioProcessorParameter::Listener& listener, Parameter* parameter)
{
    processor.addParameter (parameter);
    parameter->addListener (&listener);
    return parameter;
}

int valueOf (const juce::RangedAudioParameter& parameter)
{
    return juce::roundToInt (parameter.convertFrom0to1 (parameter.getValue()));
}

const char* changeMessageFor (int Quorvanelle::*setting)
{
    if (setting == &Quorvanelle::mTargetOctaveMod)
        return "targetOctaveModChange";
    if (setting == &Quorvanelle::mBigChords)
        return "bigChordsChange";
    if (setting == &Quorvanelle::mRootnote)
        return "rootnoteChange";
    if (setting == &Quorvanelle::mScaleIndex)
        return "scaleIndexChange";
    return "sourceModeChange";
}

// The host's transport in the engine's record; fields the host leaves unset keep their defaults
// (120 beats per minute, 4/4, stopped).
juce::AudioPlayHead::CurrentPositionInfo toPositionRecord (const juce::AudioPlayHead::PositionInfo& position)
{
    juce::AudioPlayHead::CurrentPositionInfo record;

    if (const auto bpm = position.getBpm())
        record.bpm = *bpm;
    if (const auto signature = position.getTimeSignature())
    {
        record.timeSigNumerator = signature->numerator;
        record.timeSigDenominator = signature->denominator;
    }
    if (const auto samples = position.getTimeInSamples())
        record.timeInSamples = *samples;
    if (const auto seconds = position.getTimeInSeconds())
        record.timeInSeconds = *seconds;
    if (const auto origin = position.getEditOriginTime())
        record.editOriginTime = *origin;
    if (const auto ppq = position.getPpqPosition())
        record.ppqPosition = *ppq;
    if (const auto barStart = position.getPpqPositionOfLastBarStart())
        record.ppqPositionOfLastBarStart = *barStart;
    if (const auto frameRate = position.getFrameRate())
        record.frameRate = *frameRate;
    if (const auto loop = position.getLoopPoints())
    {
        record.ppqLoopStart = loop->ppqStart;
        record.ppqLoopEnd = loop->ppqEnd;
    }
    record.isPlaying = position.getIsPlaying();
    record.isRecording = position.getIsRecording();
    record.isLooping = position.getIsLooping();
    return record;
}

bool isNoteOff (const juce::MidiMessageMetadata& event)
{
    const auto status = event.numBytes > 0 ? event.data[0] & 0xf0 : 0;
    return status == 0x80 || (status == 0x90 && event.numBytes >= 3 && event.data[2] == 0);
}
} // namespace

//==============================================================================
QuorvanelleAudioProcessor::QuorvanelleAudioProcessor() : juce::AudioProcessor (BusesProperties())
{
    juce::StringArray scaleNames;
    for (const auto& name : engine.scaleNames)
        scaleNames.add (name);

    // Host index order; the IDs are also the saved state's attribute names.
    targetOctaveModParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterInt ({"mTargetOctaveMod", 1}, "Target octave mod", -5, 5, 0));
    sourceModeParameter = addListenedParameter (
        *this, *this,
        new juce::AudioParameterChoice ({"mSourceMode", 1}, "Operation mode", sourceModeTexts, 0));
    onOffParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterChoice ({"mOnOff", 1}, "Source through", offOn, 0));
    bigChordsParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterChoice ({"mBigChords", 1}, "Use big chords", offOn, 0));
    expandParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterChoice ({"mExpand", 1}, "Expand keyboard", offOn, 0));
    rootnoteParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterChoice ({"mRootnote", 1}, "Root note", engine.noteNames, 0));
    scaleIndexParameter = addListenedParameter (
        *this, *this, new juce::AudioParameterChoice ({"mScaleIndex", 1}, "Scale", scaleNames, 0));

    bindings = {{{targetOctaveModParameter, &Quorvanelle::mTargetOctaveMod, 0},
                 {onOffParameter, &Quorvanelle::mOnOff, 0},
                 {bigChordsParameter, &Quorvanelle::mBigChords, 0},
                 {expandParameter, &Quorvanelle::mExpand, 0},
                 {rootnoteParameter, &Quorvanelle::mRootnote, 0},
                 {scaleIndexParameter, &Quorvanelle::mScaleIndex, 0},
                 {sourceModeParameter, &Quorvanelle::mSourceMode, 1}}};

    for (size_t i = 0; i < bindings.size(); ++i)
        settingsFromParameters[i] = engine.*bindings[i].setting;

    engine.addActionListener (this);
}

QuorvanelleAudioProcessor::~QuorvanelleAudioProcessor()
{
    // Linux hosts close an instance on their own thread, while the framework's message thread may be
    // delivering one of the engine's messages to this processor. Keep it waiting until the engine is
    // gone (the lock is let go after the engine's destruction); its later messages then find no one.
    if (auto* messageManager = juce::MessageManager::getInstanceWithoutCreating())
        if (!messageManager->currentThreadHasLockedMessageManager())
            messageThreadPause.lock = std::make_unique<juce::MessageManagerLock>();

    for (const auto& binding : bindings)
        binding.parameter->removeListener (this);

    engine.removeActionListener (this);
}

const juce::String QuorvanelleAudioProcessor::getName() const
{
    return "Quorvanelle";
}

//==============================================================================
void QuorvanelleAudioProcessor::prepareToPlay (double sampleRate, int)
{
    const juce::ScopedLock sl (engine.getLock());
    engine.sampleRate = sampleRate;
    engine.samplePosition = 0;
}

void QuorvanelleAudioProcessor::releaseResources() {}

void QuorvanelleAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer,
                                              juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;
    auto output = runEngine (buffer, midiMessages);
    midiMessages.swapWith (output);
}

// The engine still sees the block, so held keys and sounding notes stay booked; of its output only
// the note-offs go out, so that no key let go during bypass leaves its note hanging.
void QuorvanelleAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer,
                                                      juce::MidiBuffer& midiMessages)
{
    const auto output = runEngine (buffer, midiMessages);

    for (const auto event : output)
        if (isNoteOff (event))
            midiMessages.addEvent (event.data, event.numBytes, event.samplePosition);
}

juce::MidiBuffer QuorvanelleAudioProcessor::runEngine (juce::AudioBuffer<float>& buffer,
                                                       juce::MidiBuffer& midiMessages)
{
    juce::AudioPlayHead::CurrentPositionInfo transport;

    if (auto* host = getPlayHead())
        if (const auto position = host->getPosition())
            transport = toPositionRecord (*position);

    const juce::ScopedLock sl (engine.getLock());
    engine.hostPosition = transport;
    return engine.processBlock (buffer.getNumSamples(), midiMessages, buffer);
}

//==============================================================================
double QuorvanelleAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

bool QuorvanelleAudioProcessor::acceptsMidi() const
{
    return true;
}

bool QuorvanelleAudioProcessor::producesMidi() const
{
    return true;
}

bool QuorvanelleAudioProcessor::isMidiEffect() const
{
    return true;
}

juce::AudioProcessorEditor* QuorvanelleAudioProcessor::createEditor()
{
    return new QuorvanelleAudioProcessorEditor (*this);
}

bool QuorvanelleAudioProcessor::hasEditor() const
{
    return true;
}

int QuorvanelleAudioProcessor::getNumPrograms()
{
    return 1;
}

int QuorvanelleAudioProcessor::getCurrentProgram()
{
    return 0;
}

void QuorvanelleAudioProcessor::setCurrentProgram (int) {}

const juce::String QuorvanelleAudioProcessor::getProgramName (int)
{
    return {};
}

void QuorvanelleAudioProcessor::changeProgramName (int, const juce::String&) {}

bool QuorvanelleAudioProcessor::isBusesLayoutSupported (const BusesLayout&) const
{
    return true;
}

//==============================================================================
void QuorvanelleAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    SavedState::Settings settings;
    {
        const juce::ScopedLock sl (engine.getLock());
        settings = {engine.mOnOff,    engine.mTargetOctaveMod, engine.mBigChords, engine.mExpand,
                    engine.mRootnote, engine.mScaleIndex,      engine.mSourceMode};
    }
    SavedState::write (settings, destData);
}

void QuorvanelleAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto generals = SavedState::read (data, sizeInBytes, (int)engine.scaleNames.size());

    if (generals.empty())
        return;

    {
        const juce::ScopedLock sl (engine.getLock());

        for (const auto& settings : generals)
        {
            writeSetting (&Quorvanelle::mOnOff, settings.onOff);
            writeSetting (&Quorvanelle::mTargetOctaveMod, settings.targetOctaveMod);
            writeSetting (&Quorvanelle::mBigChords, settings.bigChords);
            writeSetting (&Quorvanelle::mExpand, settings.expand);
            writeSetting (&Quorvanelle::mRootnote, settings.rootnote);
            writeSetting (&Quorvanelle::mScaleIndex, settings.scaleIndex);
            writeSetting (&Quorvanelle::mSourceMode, settings.sourceMode);
        }
    }

    // The parameters follow at once, as part of the restore: the plug-in client then reports them
    // with the loaded state, not later, from the message thread, as if the user had moved them.
    copyEngineIntoParameters();
}

//==============================================================================
void QuorvanelleAudioProcessor::parameterValueChanged (int parameterIndex, float)
{
    const juce::ScopedLock sl (engine.getLock());

    for (size_t i = 0; i < bindings.size(); ++i)
    {
        const auto& binding = bindings[i];
        if (binding.setting == &Quorvanelle::mTargetOctaveMod ||
            binding.parameter->getParameterIndex() == parameterIndex)
        {
            writeSetting (binding.setting, valueOf (*binding.parameter) + binding.offset);
            settingsFromParameters[i] = engine.*binding.setting;
        }
    }
}

void QuorvanelleAudioProcessor::parameterGestureChanged (int, bool) {}

void QuorvanelleAudioProcessor::actionListenerCallback (const juce::String&)
{
    copyEngineIntoParameters();
}

void QuorvanelleAudioProcessor::copyEngineIntoParameters()
{
    std::array<std::optional<int>, std::tuple_size_v<decltype (bindings)>> engineValues{};
    {
        const juce::ScopedLock sl (engine.getLock());
        for (size_t i = 0; i < bindings.size(); ++i)
        {
            const int value = engine.*bindings[i].setting;
            if (value != settingsFromParameters[i])
            {
                engineValues[i] = value - bindings[i].offset;
                settingsFromParameters[i] = value;
            }
        }
    }

    // Outside the lock: each assignment calls the host and parameterValueChanged.
    for (size_t i = 0; i < bindings.size(); ++i)
    {
        auto& parameter = *bindings[i].parameter;
        if (engineValues[i].has_value() && valueOf (parameter) != *engineValues[i])
            parameter.setValueNotifyingHost (parameter.convertTo0to1 ((float)*engineValues[i]));
    }
}

void QuorvanelleAudioProcessor::writeSetting (int Quorvanelle::*setting, int value)
{
    if (engine.*setting == value)
        return;

    if (setting == &Quorvanelle::mOnOff)
        engine.SetOnOff (value);
    else if (setting == &Quorvanelle::mExpand)
        engine.SetExpand (value);
    else
    {
        engine.*setting = value;
        engine.sendActionMessage (changeMessageFor (setting));
    }
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorvanelleAudioProcessor();
}
