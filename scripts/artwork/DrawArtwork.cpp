// Draws the editor's eight pictures and writes them as PNG files, plus two previews of the whole editor
// (all switches off, all on) for a look before committing. Run by scripts/draw-artwork.
//
// The positions below are those of the editor's controls; the pictures are drawn one to one over them.

#include <juce_graphics/juce_graphics.h>

#include <cmath>
#include <iostream>

namespace
{
const juce::Colour background{0xff3a3a3a};
const juce::Colour panel{0xff323232};
const juce::Colour outline{0xff646464};
const juce::Colour text{0xffd6d6d6};
const juce::Colour dimText{0xff9a9a9a};
const juce::Colour amber{0xffffcb3d};
const juce::Colour cyan{0xff07b5c8};
const juce::Colour green{0xff9ad36a};
const juce::Colour cream{0xfffff9d2};

const juce::Rectangle<int> onOffBounds{236, 185, 153, 29};
const juce::Rectangle<int> bigChordsBounds{404, 185, 153, 29};
const juce::Rectangle<int> expandBounds{252, 75, 25, 16};
const juce::Rectangle<int> manualBounds{716, 247, 48, 48};
const juce::Rectangle<int> modeBoxBounds{236, 264, 153, 24};
const juce::Rectangle<int> rootBoxBounds{403, 264, 60, 24};
const juce::Rectangle<int> scaleBoxBounds{473, 264, 205, 24};
const juce::Rectangle<int> octaveSliderBounds{583, 193, 176, 9};
const juce::Rectangle<int> keyboardBounds{236, 96, 525, 60};

juce::Font font (float height, bool bold = false)
{
    return juce::Font ("DejaVu Sans", height, bold ? juce::Font::bold : juce::Font::plain);
}

// Key numbers of the black keys that do something above the split.
bool isChordControlKey (int key)
{
    return key == 85 || key == 87 || key == 97 || key == 99;
}
bool isOctaveShiftKey (int key)
{
    return key == 92 || key == 94 || key == 102 || key == 104;
}

juce::Colour controlKeyColour (int key)
{
    if (isChordControlKey (key))
        return amber;
    if (isOctaveShiftKey (key))
        return cyan;
    if (key == 106)
        return green;
    return outline;
}

bool isBlackKey (int key)
{
    const int pitchClass = key % 12;
    return pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
}

//==============================================================================
// Keys 84 to 107 as a small piano, the control keys in the colours of the legend.
void drawControlKeyMap (juce::Graphics& g, float left, float top)
{
    const float whiteW = 13.0f, whiteH = 40.0f, blackW = 8.0f, blackH = 24.0f;
    float x = left;

    for (int key = 84; key <= 107; ++key)
    {
        if (isBlackKey (key))
            continue;
        g.setColour (cream);
        g.fillRect (x, top, whiteW, whiteH);
        g.setColour (outline);
        g.drawRect (x, top, whiteW + 1.0f, whiteH, 1.0f);
        if (key == 96)
        {
            g.setColour (outline);
            g.fillRect (x + 1.0f, top + whiteH - 3.0f, whiteW - 1.0f, 3.0f);
        }
        x += whiteW;
    }

    x = left;
    for (int key = 84; key <= 107; ++key)
    {
        if (!isBlackKey (key))
        {
            x += whiteW;
            continue;
        }
        const juce::Rectangle<float> r (x - blackW * 0.5f + 0.5f, top, blackW, blackH);
        g.setColour (controlKeyColour (key));
        g.fillRect (r);
        g.setColour (background);
        g.drawRect (r, 1.0f);
    }

    g.setFont (font (9.0f));
    g.setColour (dimText);
    g.drawText ("84", juce::Rectangle<float> (left, top + whiteH + 1.0f, 30.0f, 11.0f),
                juce::Justification::topLeft);
    g.drawText ("96", juce::Rectangle<float> (left + 7.0f * whiteW, top + whiteH + 1.0f, 30.0f, 11.0f),
                juce::Justification::topLeft);
    g.drawText ("107",
                juce::Rectangle<float> (left + 14.0f * whiteW - 30.0f, top + whiteH + 1.0f, 30.0f, 11.0f),
                juce::Justification::topRight);
}

void drawLegendRow (juce::Graphics& g, juce::Colour swatch, const juce::String& keys,
                    const juce::String& what, float top)
{
    g.setColour (swatch);
    g.fillRect (18.0f, top + 2.0f, 8.0f, 10.0f);

    juce::AttributedString s;
    s.setWordWrap (juce::AttributedString::byWord);
    s.append (keys + "  ", font (10.5f, true), swatch);
    s.append (what, font (10.5f), text);
    juce::TextLayout layout;
    layout.createLayout (s, 180.0f);
    layout.draw (g, {32.0f, top, 180.0f, 30.0f});
}

void drawParagraph (juce::Graphics& g, const juce::String& title, juce::Colour colour,
                    const juce::String& body, float top)
{
    juce::AttributedString s;
    s.setWordWrap (juce::AttributedString::byWord);
    s.append (title, font (10.5f, true), colour);
    s.append (body, font (10.5f), text);
    juce::TextLayout layout;
    layout.createLayout (s, 192.0f);
    layout.draw (g, {18.0f, top, 192.0f, 44.0f});
}

// The free area on the left: how to play, for a musician who has not read the manual.
void drawLegend (juce::Graphics& g)
{
    g.setColour (panel);
    g.fillRoundedRectangle (8.0f, 8.0f, 212.0f, 284.0f, 4.0f);

    g.setColour (amber);
    g.setFont (font (12.0f, true));
    g.drawText ("HOW TO PLAY", 18, 16, 190, 16, juce::Justification::centredLeft);

    drawParagraph (g, "Chords: ", amber,
                   "hold them with the left hand below the split, key 84 (72 with Expand keyboard).", 38.0f);
    drawParagraph (g, "Melody: ", cyan,
                   "play the white keys from the split up; each sounds a note of the harmony.", 82.0f);

    g.setColour (dimText);
    g.setFont (font (10.0f));
    g.drawText ("Control keys, above the split:", 18, 126, 192, 14, juce::Justification::centredLeft);
    drawControlKeyMap (g, 23.0f, 141.0f);

    drawLegendRow (g, amber, "85 87 97 99", "play the chord -2, -1, 0, +1 octaves, plus Target octave",
                   198.0f);
    drawLegendRow (g, cyan, "92 94 102 104", "held: the melody moves -2, -1, +1, +2 octaves", 230.0f);
    drawLegendRow (g, green, "106", "held: chord keys sound, moved by Target octave", 262.0f);
}

void drawLabel (juce::Graphics& g, const juce::String& label, juce::Rectangle<int> area,
                juce::Justification justification = juce::Justification::bottomLeft)
{
    g.setColour (text);
    g.setFont (font (11.5f, true));
    g.drawText (label, area, justification);
}

void drawManualSign (juce::Graphics& g)
{
    const auto area = manualBounds.toFloat();
    const auto ring =
        juce::Rectangle<float> (30.0f, 30.0f).withCentre ({area.getCentreX(), area.getY() + 17.0f});

    g.setColour (cyan);
    g.drawEllipse (ring, 2.5f);
    g.setFont (font (20.0f, true));
    g.drawText ("?", ring.translated (0.5f, 0.5f), juce::Justification::centred);

    g.setColour (text);
    g.setFont (font (9.5f, true));
    g.drawText ("Manual", area.withTop (area.getY() + 34.0f), juce::Justification::centredTop);
}

juce::Image drawEditorBackground()
{
    juce::Image image (juce::Image::RGB, 800, 300, true);
    juce::Graphics g (image);
    g.fillAll (background);

    drawLegend (g);

    g.setColour (text);
    g.setFont (font (30.0f, true));
    g.drawText ("Quorvanelle", 234, 14, 300, 38, juce::Justification::centredLeft);
    g.setColour (cyan);
    g.setFont (font (12.0f));
    g.drawText ("live harmonisation: chords left, melody right", 236, 50, 400, 16,
                juce::Justification::centredLeft);

    drawLabel (g, "Expand keyboard", expandBounds.withX (expandBounds.getRight() + 8).withWidth (160),
               juce::Justification::centredLeft);

    // The frame around the on-screen keyboard, and the key numbers of its octaves beneath it. None is
    // marked: the split is 84 or 72, and the keys' own colours show where it lies.
    g.setColour (juce::Colour (0xff262626));
    g.fillRect (keyboardBounds.expanded (3));
    g.setColour (outline);
    g.drawRect (keyboardBounds.expanded (3), 1);

    const int whiteKey = keyboardBounds.getWidth() / 75;
    g.setFont (font (9.0f));
    g.setColour (dimText);
    for (int octave = 0; octave <= 10; ++octave)
    {
        const int x = keyboardBounds.getX() + octave * 7 * whiteKey;
        g.drawText (juce::String (octave * 12), x, keyboardBounds.getBottom() + 4, 30, 11,
                    juce::Justification::topLeft);
    }

    // Where the control keys lie on the keyboard: black keys 85 to 106.
    const int from = keyboardBounds.getX() + 7 * 7 * whiteKey + whiteKey / 2 + 1;
    const int to = keyboardBounds.getX() + 8 * 7 * whiteKey + 5 * whiteKey + whiteKey / 2 + whiteKey;
    g.setColour (dimText);
    g.fillRect (from, 88, to - from, 1);
    g.fillRect (from, 88, 1, 5);
    g.fillRect (to - 1, 88, 1, 5);
    g.setFont (font (9.5f));
    g.drawText ("control keys", from, 75, to - from, 12, juce::Justification::centredBottom);

    drawLabel (g, "Target octave", octaveSliderBounds.withY (174).withHeight (16));
    g.setFont (font (9.5f));
    g.setColour (dimText);
    const double cell = (octaveSliderBounds.getWidth() - 2) / 11.0;
    const std::pair<int, const char*> marks[] = {{0, "-5"}, {5, "0"}, {10, "+5"}};
    for (const auto& [index, mark] : marks)
    {
        const auto centre = (float)(octaveSliderBounds.getX() + 1 + (index + 0.5) * cell);
        g.drawText (mark, juce::Rectangle<float> (centre - 15.0f, 205.0f, 30.0f, 12.0f),
                    juce::Justification::centredTop);
    }

    drawLabel (g, "Operation mode", modeBoxBounds.withY (246).withHeight (16));
    drawLabel (g, "Root", rootBoxBounds.withY (246).withHeight (16).withWidth (80));
    drawLabel (g, "Scale", scaleBoxBounds.withY (246).withHeight (16));

    drawManualSign (g);
    return image;
}

//==============================================================================
// A button's label, centred on a whole-pixel baseline. Drawn unhinted at this size, the dot of an i
// stands less than a pixel above its stem, and at 1:1 the two run together ("blg"): each dot is lifted
// until a clear row of pixels parts it from its stem.
void drawButtonText (juce::Graphics& g, const juce::String& label, juce::Rectangle<int> area)
{
    const auto f = font (12.0f, true);
    const float x =
        std::round ((float)area.getX() + ((float)area.getWidth() - f.getStringWidthFloat (label)) / 2.0f);
    const float baseline =
        std::round ((float)area.getY() + ((float)area.getHeight() - f.getHeight()) / 2.0f + f.getAscent());

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (f, label, x, baseline);

    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
    {
        const auto& glyph = glyphs.getGlyph (i);
        juce::Path outline;
        glyph.createPath (outline);

        if (glyph.getCharacter() == 'i' || glyph.getCharacter() == 'j')
        {
            // The outline's pieces, the dot and the stem.
            juce::Array<juce::Path> pieces;
            for (juce::Path::Iterator it (outline); it.next();)
            {
                if (it.elementType == juce::Path::Iterator::startNewSubPath)
                    pieces.add ({});
                auto& piece = pieces.getReference (pieces.size() - 1);
                switch (it.elementType)
                {
                    case juce::Path::Iterator::startNewSubPath:
                        piece.startNewSubPath (it.x1, it.y1);
                        break;
                    case juce::Path::Iterator::lineTo:
                        piece.lineTo (it.x1, it.y1);
                        break;
                    case juce::Path::Iterator::quadraticTo:
                        piece.quadraticTo (it.x1, it.y1, it.x2, it.y2);
                        break;
                    case juce::Path::Iterator::cubicTo:
                        piece.cubicTo (it.x1, it.y1, it.x2, it.y2, it.x3, it.y3);
                        break;
                    case juce::Path::Iterator::closePath:
                        piece.closeSubPath();
                        break;
                }
            }

            if (pieces.size() == 2)
            {
                if (pieces[0].getBounds().getY() > pieces[1].getBounds().getY())
                    pieces.swap (0, 1);
                auto& dot = pieces.getReference (0);
                const float clearRowTop = std::floor (pieces[1].getBounds().getY()) - 1.0f;
                const float lift = juce::jmax (0.0f, dot.getBounds().getBottom() - clearRowTop);
                dot.applyTransform (juce::AffineTransform::translation (0.0f, -lift));
                outline = dot;
                outline.addPath (pieces[1]);
            }
        }

        g.fillPath (outline);
    }
}

juce::Image drawSwitchButton (const juce::String& name, bool on)
{
    juce::Image image (juce::Image::RGB, 153, 29, true);
    juce::Graphics g (image);
    g.fillAll (background);

    const juce::Rectangle<float> body (0.5f, 0.5f, 152.0f, 28.0f);
    g.setColour (on ? amber : juce::Colour (0xff4a4a4a));
    g.fillRoundedRectangle (body, 4.0f);
    g.setColour (on ? amber.darker (0.35f) : outline);
    g.drawRoundedRectangle (body, 4.0f, 1.0f);

    // The lamp: unlit grey while off, lit while on.
    const auto lamp = juce::Rectangle<float> (10.0f, 10.0f).withCentre ({15.0f, 14.5f});
    g.setColour (on ? cyan : juce::Colour (0xff2c2c2c));
    g.fillEllipse (lamp);
    g.setColour (on ? juce::Colour (0xff2b2b2b) : juce::Colour (0xff5c5c5c));
    g.drawEllipse (lamp, 1.0f);

    g.setColour (on ? juce::Colour (0xff2b2b2b) : text);
    drawButtonText (g, name, {27, 0, 120, 29});
    return image;
}

juce::Image drawExpandSwitch (bool on)
{
    juce::Image image (juce::Image::RGB, 25, 16, true);
    juce::Graphics g (image);
    g.fillAll (background);

    const juce::Rectangle<float> track (0.5f, 1.5f, 24.0f, 13.0f);
    g.setColour (on ? amber : juce::Colour (0xff4a4a4a));
    g.fillRoundedRectangle (track, 6.5f);
    g.setColour (on ? amber.darker (0.35f) : outline);
    g.drawRoundedRectangle (track, 6.5f, 1.0f);

    const auto knob = juce::Rectangle<float> (9.0f, 9.0f).withCentre ({on ? 17.5f : 7.5f, 8.0f});
    g.setColour (on ? juce::Colour (0xff2b2b2b) : juce::Colour (0xffa8a8a8));
    g.fillEllipse (knob);
    return image;
}

// Drawn under the keys, which cover it at the editor's size; only its rim shows should they not.
juce::Image drawKeyboardBackground()
{
    juce::Image image (juce::Image::ARGB, 525, 60, true);
    juce::Graphics g (image);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.drawRect (0, 0, 525, 60, 1);
    return image;
}

//==============================================================================
bool save (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    const bool ok = out.openedOk() && png.writeImageToStream (image, out);
    std::cout << (ok ? "wrote " : "FAILED ") << file.getFullPathName() << '\n';
    return ok;
}

// The whole editor with every switch off or on, the combo boxes and the keyboard sketched in.
juce::Image drawPreview (const juce::Image& editor, const juce::Image& switchA, const juce::Image& switchB,
                         const juce::Image& expand, bool on)
{
    juce::Image preview (juce::Image::RGB, 800, 300, true);
    juce::Graphics g (preview);
    g.drawImageAt (editor, 0, 0);
    g.drawImageAt (switchA, onOffBounds.getX(), onOffBounds.getY());
    g.drawImageAt (switchB, bigChordsBounds.getX(), bigChordsBounds.getY());
    g.drawImageAt (expand, expandBounds.getX(), expandBounds.getY());

    for (auto box : {modeBoxBounds, rootBoxBounds, scaleBoxBounds})
    {
        g.setColour (juce::Colour (0xffe3e4e5));
        g.fillRect (box);
        g.setColour (outline);
        g.drawRect (box);
        g.setColour (amber);
        g.fillRect (box.getRight() - 10, box.getY() + 9, 5, 5);
    }

    g.setColour (juce::Colour (0xff4e4e4e));
    g.fillRect (octaveSliderBounds);
    g.setColour (amber);
    g.fillRect (octaveSliderBounds.getX() + 1 + (on ? 127 : 80), octaveSliderBounds.getY() + 1, 16, 6);

    for (int i = 0; i < 75; ++i)
    {
        g.setColour (i < (on ? 42 : 49) ? juce::Colour (0xffcae5f9) : cream);
        g.fillRect (keyboardBounds.getX() + 7 * i, keyboardBounds.getY(), 8, 60);
        g.setColour (outline);
        g.drawRect (keyboardBounds.getX() + 7 * i, keyboardBounds.getY(), 8, 60);
    }
    return preview;
}
} // namespace

namespace
{
int drawAll (const juce::File& resources, const juce::File& previews)
{
    // Another font would change every picture; better to stop than to write them with a stand-in.
    if (font (12.0f).getTypefacePtr()->getName() != "DejaVu Sans")
    {
        std::cerr << "the font DejaVu Sans is missing (Debian package fonts-dejavu-core)\n";
        return 1;
    }

    const auto editor = drawEditorBackground();
    const auto sourceOff = drawSwitchButton ("Source through", false);
    const auto sourceOn = drawSwitchButton ("Source through", true);
    const auto bigOff = drawSwitchButton ("Use big chords", false);
    const auto bigOn = drawSwitchButton ("Use big chords", true);
    const auto expandOff = drawExpandSwitch (false);
    const auto expandOn = drawExpandSwitch (true);

    bool ok = save (editor, resources.getChildFile ("editor-background.png"));
    ok = save (bigOff, resources.getChildFile ("big-chords-off.png")) && ok;
    ok = save (bigOn, resources.getChildFile ("big-chords-on.png")) && ok;
    ok = save (expandOff, resources.getChildFile ("expand-keyboard-off.png")) && ok;
    ok = save (expandOn, resources.getChildFile ("expand-keyboard-on.png")) && ok;
    ok = save (drawKeyboardBackground(), resources.getChildFile ("keyboard-background.png")) && ok;
    ok = save (sourceOff, resources.getChildFile ("source-through-off.png")) && ok;
    ok = save (sourceOn, resources.getChildFile ("source-through-on.png")) && ok;

    ok = save (drawPreview (editor, sourceOff, bigOff, expandOff, false),
               previews.getChildFile ("preview-off.png")) &&
         ok;
    ok = save (drawPreview (editor, sourceOn, bigOn, expandOn, true),
               previews.getChildFile ("preview-on.png")) &&
         ok;
    return ok ? 0 : 1;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc < 2)
    {
        std::cerr << "usage: " << argv[0] << " <resources folder> [preview folder]\n";
        return 2;
    }

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto previews = cwd.getChildFile (argc > 2 ? argv[2] : argv[1]);
    previews.createDirectory();

    const int result = drawAll (cwd.getChildFile (argv[1]), previews);

    // The font caches are the framework's singletons; nothing else would free them at exit.
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
