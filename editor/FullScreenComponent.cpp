#include "editor/FullScreenComponent.h"

#include "BinaryData.h"

namespace
{
juce::Image imageFromResource (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

void setButtonImages (juce::ImageButton& button, const juce::Image& normal, const juce::Image& down,
                      float opacity)
{
    const juce::Colour noTint{0x00ffffff};
    // Hovering shows the normal image; a threshold of 0 makes the whole rectangle take clicks.
    button.setImages (true, true, true, normal, opacity, noTint, normal, opacity, noTint, down, opacity,
                      noTint, 0.0f);
}

const char* const sourceModeItems[] = {"Chords",
                                       "Chords + scale",
                                       "Scale",
                                       "Scale + chords",
                                       "Chords + scale (safe)",
                                       "Scale + chords (safe)",
                                       "Scale from chord bass"};

const char* const rootnoteItems[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

const juce::Colour octaveCellColour{0xffffcb3d};
} // namespace

FullScreenComponent::FullScreenComponent (Quorvanelle* engineToUse)
    : engine (engineToUse), keyboardComponent (engineToUse->keyboardControl)
{
    const auto onOffDown =
        imageFromResource (BinaryData::temp_binary_data_13, BinaryData::temp_binary_data_13Size);
    const auto onOffNormal =
        imageFromResource (BinaryData::temp_binary_data_12, BinaryData::temp_binary_data_12Size);
    const auto bigChordsDown =
        imageFromResource (BinaryData::temp_binary_data_4, BinaryData::temp_binary_data_4Size);
    const auto bigChordsNormal =
        imageFromResource (BinaryData::temp_binary_data_3, BinaryData::temp_binary_data_3Size);
    const auto expandDown =
        imageFromResource (BinaryData::temp_binary_data_7, BinaryData::temp_binary_data_7Size);
    const auto expandNormal =
        imageFromResource (BinaryData::temp_binary_data_6, BinaryData::temp_binary_data_6Size);

    // Each callback is installed after its control is filled, so building runs none of them.
    setButtonImages (onOffButton, onOffNormal, onOffDown, 1.0f);
    onOffButton.setClickingTogglesState (true);
    addAndMakeVisible (onOffButton);
    onOffButton.onClick = [this] { onOnOffClicked(); };

    setButtonImages (bigChordsButton, bigChordsNormal, bigChordsDown, 1.0f);
    bigChordsButton.setClickingTogglesState (true);
    addAndMakeVisible (bigChordsButton);
    bigChordsButton.onClick = [this] { onBigChordsClicked(); };

    setButtonImages (expandButton, expandNormal, expandDown, 1.0f);
    expandButton.setClickingTogglesState (true);
    addAndMakeVisible (expandButton);
    expandButton.onClick = [this] { onExpandClicked(); };

    // Never drawn: the background picture shows the hot-spot.
    setButtonImages (manualButton, onOffNormal, onOffDown, 0.0f);
    addAndMakeVisible (manualButton);
    manualButton.onClick = [this] { onManualClicked(); };

    addAndMakeVisible (sourceModeBox);
    sourceModeBox.setJustificationType (juce::Justification::centred);
    for (int i = 0; i < juce::numElementsInArray (sourceModeItems); ++i)
        sourceModeBox.addItem (sourceModeItems[i], i + 1);
    sourceModeBox.onChange = [this] { onSourceModeChanged(); };

    addAndMakeVisible (rootnoteBox);
    rootnoteBox.setJustificationType (juce::Justification::centred);
    for (int i = 0; i < juce::numElementsInArray (rootnoteItems); ++i)
        rootnoteBox.addItem (rootnoteItems[i], i + 1);
    rootnoteBox.onChange = [this] { onRootnoteChanged(); };

    // The catalogue is filled when the engine is built and never changes afterwards.
    addAndMakeVisible (scaleBox);
    for (size_t i = 0; i < engine->scaleNames.size(); ++i)
        scaleBox.addItem (engine->scaleNames[i], (int)i + 1);
    scaleBox.onChange = [this] { onScaleChanged(); };

    targetOctaveSlider.setSliderStyle (juce::Slider::LinearBar);
    targetOctaveSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    addAndMakeVisible (targetOctaveSlider);
    targetOctaveSlider.setRange (-5.0, 5.0, 1.0);
    targetOctaveSlider.onValueChange = [this] { onTargetOctaveModChanged(); };
    targetOctaveSlider.setLookAndFeel (&rasterSliderLookAndFeel);
    targetOctaveSlider.setColour (juce::Slider::trackColourId, octaveCellColour);

    // Added last, so it lies on top.
    addAndMakeVisible (keyboardComponent);

    setDisplayFromModel();
    engine->addActionListener (this);
}

FullScreenComponent::~FullScreenComponent()
{
    targetOctaveSlider.setLookAndFeel (nullptr);
    engine->removeActionListener (this);
}

void FullScreenComponent::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));

    const auto background =
        imageFromResource (BinaryData::temp_binary_data_1, BinaryData::temp_binary_data_1Size);
    if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::centred);
}

void FullScreenComponent::resized()
{
    onOffButton.setBounds (236, 185, 153, 29);
    bigChordsButton.setBounds (404, 185, 153, 29);
    expandButton.setBounds (252, 75, 25, 16);
    manualButton.setBounds (716, 247, 48, 48);
    sourceModeBox.setBounds (236, 264, 153, 24);
    rootnoteBox.setBounds (403, 264, 60, 24);
    scaleBox.setBounds (473, 264, 205, 24);
    targetOctaveSlider.setBounds (583, 193, 176, 9);
    keyboardComponent.setBounds (236, 96, 525, 60);
}

void FullScreenComponent::actionListenerCallback (const juce::String& message)
{
    if (message != "notesChange")
        setDisplayFromModel();
}

void FullScreenComponent::setDisplayFromModel()
{
    // Copied out under the lock; the controls are set after it is released.
    int onOff, bigChords, expand, sourceMode, rootnote, scaleIndex, targetOctaveMod;
    {
        const juce::ScopedLock sl (engine->getLock());
        onOff = engine->mOnOff;
        bigChords = engine->mBigChords;
        expand = engine->mExpand;
        sourceMode = engine->mSourceMode;
        rootnote = engine->mRootnote;
        scaleIndex = engine->mScaleIndex;
        targetOctaveMod = engine->mTargetOctaveMod;
    }

    onOffButton.setToggleState (onOff == 1, juce::dontSendNotification);
    bigChordsButton.setToggleState (bigChords == 1, juce::dontSendNotification);
    expandButton.setToggleState (expand == 1, juce::dontSendNotification);

    // A value without an item leaves its box showing nothing; the engine keeps the value.
    sourceModeBox.setSelectedId (sourceMode, juce::dontSendNotification);
    rootnoteBox.setSelectedId (rootnote + 1, juce::dontSendNotification);
    scaleBox.setSelectedId (scaleIndex + 1, juce::dontSendNotification);

    targetOctaveSlider.setValue ((double)targetOctaveMod, juce::dontSendNotification);

    const bool chordsOnly = sourceMode == 1;
    rootnoteBox.setEnabled (!chordsOnly);
    scaleBox.setEnabled (!chordsOnly);
}

//==============================================================================
// What the controls do. The new value of a switch comes from the engine, not from the button; the two
// switches take the engine's lock themselves and announce the change after releasing it.

void FullScreenComponent::onOnOffClicked()
{
    engine->SetOnOff (readSetting (&Quorvanelle::mOnOff) == 1 ? 0 : 1);
}

void FullScreenComponent::onBigChordsClicked()
{
    {
        const juce::ScopedLock sl (engine->getLock());
        engine->mBigChords = engine->mBigChords == 1 ? 0 : 1;
    }
    engine->sendActionMessage ("bigChordsChange");
}

void FullScreenComponent::onExpandClicked()
{
    engine->SetExpand (readSetting (&Quorvanelle::mExpand) == 1 ? 0 : 1);
}

void FullScreenComponent::onManualClicked()
{
    juce::URL (manualAddress).launchInDefaultBrowser();
}

// A box that shows no item (id 0) has nothing to write: the engine's value stays out of range
// rather than becoming 0 or -1.

void FullScreenComponent::onSourceModeChanged()
{
    if (const auto id = sourceModeBox.getSelectedId(); id != 0)
        writeSetting (&Quorvanelle::mSourceMode, id, "sourceModeChange");
}

void FullScreenComponent::onRootnoteChanged()
{
    if (const auto id = rootnoteBox.getSelectedId(); id != 0)
        writeSetting (&Quorvanelle::mRootnote, id - 1, "rootnoteChange");
}

void FullScreenComponent::onScaleChanged()
{
    if (const auto id = scaleBox.getSelectedId(); id != 0)
        writeSetting (&Quorvanelle::mScaleIndex, id - 1, "scaleIndexChange");
}

void FullScreenComponent::onTargetOctaveModChanged()
{
    writeSetting (&Quorvanelle::mTargetOctaveMod, (int)targetOctaveSlider.getValue(),
                  "targetOctaveModChange");
}

int FullScreenComponent::readSetting (int Quorvanelle::*setting) const
{
    const juce::ScopedLock sl (engine->getLock());
    return engine->*setting;
}

void FullScreenComponent::writeSetting (int Quorvanelle::*setting, int value, const char* message)
{
    bool changed = false;
    {
        const juce::ScopedLock sl (engine->getLock());
        if (engine->*setting != value)
        {
            engine->*setting = value;
            changed = true;
        }
    }

    if (changed)
        engine->sendActionMessage (message);
}
