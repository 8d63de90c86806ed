#include "editor/KeyboardComponent.h"

#include "BinaryData.h"

namespace
{
const juce::Colour chordHeldColour{0xffe7ca0a};
const juce::Colour melodyHeldColour{0xff07b5c8};
const juce::Colour chordWhiteColour{0xffcae5f9};
const juce::Colour melodyWhiteColour{0xfffff9d2};
const juce::Colour outputBandColour{0xff07b5c8};
const juce::Colour currentBandColour{0xfffafafa};
const juce::Colour lineColour{0xff646464};

// Semitones of the white and the black keys within an octave.
constexpr int whiteKeyOffsets[] = {0, 2, 4, 5, 7, 9, 11};
constexpr int blackKeyOffsets[] = {1, 3, 6, 8, 10};

constexpr int markedKey = 96;

bool isHeld (int state) noexcept
{
    return state >= 10;
}
bool isCurrent (int state) noexcept
{
    return (state & 1) != 0;
}
} // namespace

KeyboardComponent::KeyboardComponent (KeyboardControl* control) : keyboardControl (control)
{
    keyboardControl->addActionListener (this);
}

KeyboardComponent::~KeyboardComponent()
{
    keyboardControl->removeActionListener (this);
}

void KeyboardComponent::actionListenerCallback (const juce::String&)
{
    repaint();
}

void KeyboardComponent::paint (juce::Graphics& g)
{
    // One consistent copy of the model, taken without the engine's lock.
    const auto model = keyboardControl->getSnapshot();

    const int W = getWidth();
    const int H = getHeight();
    const auto Wf = (float)W;
    const auto Hf = (float)H;

    const auto background =
        juce::ImageCache::getFromMemory (BinaryData::temp_binary_data_8, BinaryData::temp_binary_data_8Size);
    if (background.isValid())
        g.drawImage (background, {0.0f, 0.0f, Wf, Hf}, juce::RectanglePlacement::centred, false);

    const auto K = (int)(Wf / 75.0f);
    const auto B = (int)((double)Hf * 0.6);
    const auto P = (int)((double)Hf * 0.15);
    const auto Q = (int)((double)Hf * 0.08);
    const auto Kf = (float)K;

    for (int i = 0; i < 75; ++i)
    {
        const int n = 12 * (i / 7) + whiteKeyOffsets[i % 7];
        const int state = model.keyDisplayState[(size_t)n];
        const bool chordSide = n < model.keyboardSplit;
        const auto x = (float)(i * K);
        const auto w = (float)(i < 74 ? K + 1 : K);

        if (isHeld (state))
            g.setColour (chordSide ? chordHeldColour : melodyHeldColour);
        else
            g.setColour (chordSide ? chordWhiteColour : melodyWhiteColour);
        g.fillRect (juce::Rectangle<float> (x, 0.0f, w, Hf));

        if (model.outputNoteFlags[(size_t)n] > 0)
        {
            g.setColour (outputBandColour);
            g.fillRect (juce::Rectangle<float> (x, Hf - (float)P, Kf, (float)P));
            g.setColour (lineColour);
            g.fillRect ((int)x, (int)(Hf - (float)P), K, 1);
        }

        // Drawn after the output band, so on a key that is both it lies lowest.
        if (isCurrent (state))
        {
            g.setColour (currentBandColour);
            g.fillRect (juce::Rectangle<float> (x, Hf - (float)Q, Kf, (float)Q));
            g.setColour (lineColour);
            g.fillRect ((int)x, (int)(Hf - (float)Q), K, 1);
        }

        g.setColour (lineColour);
        g.drawRect (juce::roundToInt (x), 0, juce::roundToInt (w), H, 1);

        // The key that sounds the lowest current note.
        if (n == markedKey)
            g.fillRect ((int)x, H - 3, K, 3);
    }

    // After the white keys, so that they lie over their upper part.
    const auto blackWidth = (float)(K - 1);
    const auto Bf = (float)B;

    for (int j = 0; j < 53; ++j)
    {
        const int octave = j / 5;
        const int k = j % 5;
        const int n = 12 * octave + blackKeyOffsets[k];
        const int state = model.keyDisplayState[(size_t)n];
        const bool chordSide = n < model.keyboardSplit;
        const int whiteToTheLeft = k <= 1 ? k : k + 1;
        const auto x = (float)(whiteToTheLeft * K) + (float)(octave * 7 * K + K / 2) + 1.0f;

        if (isHeld (state))
            g.setColour (chordSide ? chordHeldColour : melodyHeldColour);
        else
            g.setColour (lineColour);
        g.fillRect (juce::Rectangle<float> (x, 0.0f, blackWidth, Bf));

        if (model.outputNoteFlags[(size_t)n] > 0)
        {
            g.setColour (outputBandColour);
            g.fillRect (juce::Rectangle<float> (x, (float)(B - P - 1), blackWidth, (float)P));
            g.setColour (lineColour);
            g.fillRect ((int)x, B - P - 1, K - 1, 1);
        }

        if (isCurrent (state))
        {
            g.setColour (currentBandColour);
            g.fillRect (juce::Rectangle<float> (x, (float)(B - Q - 1), blackWidth, (float)Q));
            g.setColour (lineColour);
            g.fillRect ((int)x, B - Q - 1, K - 1, 1);
        }

        g.setColour (lineColour);
        g.drawRect (juce::Rectangle<float> (x, 0.0f, blackWidth, Bf), 1.0f);
    }
}
