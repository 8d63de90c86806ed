#include "tests/hosted/MidiScript.h"

namespace
{
juce::String bytesToHex (const juce::uint8* data, int size)
{
    juce::String text;
    for (int i = 0; i < size; ++i)
        text << (i > 0 ? " " : "") << juce::String::toHexString (data[i]).paddedLeft ('0', 2);
    return text;
}
} // namespace

std::vector<MidiScript::Stream> MidiScript::parse (const juce::String& text, juce::String& error)
{
    std::vector<Stream> streams;
    juce::StringArray lines;
    lines.addLines (text);

    for (int lineIndex = 0; lineIndex < lines.size(); ++lineIndex)
    {
        const auto line = lines[lineIndex].trim();
        if (line.isEmpty() || line.startsWithChar ('#'))
            continue;

        auto words = juce::StringArray::fromTokens (line, " \t", {});
        words.removeEmptyStrings();
        const auto& word = words[0];
        const auto fail = [&] (const juce::String& why)
        {
            error = "line " + juce::String (lineIndex + 1) + ": " + why + ": " + line;
            return std::vector<Stream>{};
        };

        if (word == "stream")
        {
            streams.push_back ({words[1], {}});
            continue;
        }
        if (streams.empty())
            return fail ("a step before the first stream");

        auto& steps = streams.back().steps;
        Step step;
        if (word == "prepare" && words.size() == 3)
        {
            step.kind = Kind::prepare;
            step.value = words[1].getDoubleValue();
            step.number = words[2].getIntValue();
        }
        else if (word == "transport" && words.size() == 3)
        {
            step.kind = Kind::transport;
            step.number = words[1].getIntValue();
            step.value = words[2].getDoubleValue();
        }
        else if (word == "parameter" && words.size() == 3)
        {
            step.kind = Kind::parameter;
            step.number = words[1].getIntValue();
            step.value = words[2].getDoubleValue();
        }
        else if (word == "bypass" && words.size() == 2)
        {
            step.kind = Kind::bypass;
            step.number = words[1].getIntValue();
        }
        else if (word == "idle" && words.size() == 2)
        {
            step.kind = Kind::idle;
            step.value = words[1].getDoubleValue();
        }
        else if (word == "block" && words.size() == 2)
        {
            step.kind = Kind::block;
            step.number = words[1].getIntValue();
        }
        else if (word == "event" && words.size() >= 3)
        {
            if (steps.empty() || steps.back().kind != Kind::block)
                return fail ("an event outside a block");
            juce::MemoryBlock bytes;
            for (int i = 2; i < words.size(); ++i)
            {
                const auto byte = words[i].getHexValue32();
                if (byte < 0 || byte > 255)
                    return fail ("not a byte");
                bytes.append (&byte, 1);
            }
            steps.back().events.addEvent (bytes.getData(), static_cast<int> (bytes.getSize()),
                                          words[1].getIntValue());
            continue;
        }
        else
        {
            return fail ("not a step");
        }
        steps.push_back (std::move (step));
    }
    return streams;
}

juce::String MidiScript::format (const Stream& stream)
{
    juce::String text;
    text << "stream " << stream.name << "\n";
    for (const auto& step : stream.steps)
    {
        switch (step.kind)
        {
            case Kind::prepare:
                text << "prepare " << step.value << " " << step.number << "\n";
                break;
            case Kind::transport:
                text << "transport " << step.number << " " << step.value << "\n";
                break;
            case Kind::parameter:
                text << "parameter " << step.number << " " << juce::String (step.value, 6) << "\n";
                break;
            case Kind::bypass:
                text << "bypass " << step.number << "\n";
                break;
            case Kind::idle:
                text << "idle " << step.value << "\n";
                break;
            case Kind::block:
                text << "block " << step.number << "\n";
                for (const auto event : step.events)
                    text << "event " << event.samplePosition << " " << bytesToHex (event.data, event.numBytes)
                         << "\n";
                break;
        }
    }
    return text;
}
