#include "tests/Timeline.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace timeline
{
namespace
{
struct Item
{
    juce::int64 time;
    std::vector<juce::uint8> bytes; // an event, or empty for an action
    std::string action;
    int shift = 0;
    bool used = false;
};

// "60v90c2p-3": the key, then optional velocity, channel and position shift.
bool parseNote (const std::string& word, std::vector<juce::uint8>& bytes, int& shift)
{
    std::istringstream in (word.substr (1));
    int key = -1, velocity = 100, channel = 1;
    in >> key;
    for (char c; in >> c;)
        in >> (c == 'v' ? velocity : c == 'c' ? channel : shift);
    const int status = (word[0] == '+' ? 0x90 : 0x80) | ((channel - 1) & 15);
    bytes = {(juce::uint8)status, (juce::uint8)key, (juce::uint8) (word[0] == '+' ? velocity : 0)};
    return key >= 0;
}

std::vector<Item> parse (const std::string& script)
{
    std::vector<Item> items;
    std::istringstream words (script);
    juce::int64 time = 0;
    for (std::string word; words >> word;)
    {
        Item item{time, {}, {}};
        int controller = 0, value = 0;
        if (word[0] == '@')
            time = std::stoll (word.substr (1));
        else if (word[0] == '+' || word[0] == '-')
            parseNote (word, item.bytes, item.shift);
        else if (std::sscanf (word.c_str(), "cc%d=%d", &controller, &value) == 2)
        {
            int channel = 1;
            if (const auto c = word.find ('c', 2); c != std::string::npos)
                channel = std::stoi (word.substr (c + 1));
            item.bytes = {(juce::uint8) (0xb0 | ((channel - 1) & 15)), (juce::uint8)controller,
                          (juce::uint8)value};
        }
        else if (word[0] == 'x')
            for (size_t i = 1; i + 1 < word.size(); i += 2)
                item.bytes.push_back ((juce::uint8)std::stoi (word.substr (i, 2), nullptr, 16));
        else
            item.action = word;
        if (word[0] != '@')
            items.push_back (item);
    }
    items.push_back ({time, {}, "end"});
    return items;
}

juce::MidiBuffer take (std::vector<Item>& items, juce::int64 start, juce::int64 end)
{
    juce::MidiBuffer buffer;
    for (auto& item : items)
        if (!item.bytes.empty() && !item.used && item.time >= start && item.time < end)
        {
            item.used = true;
            buffer.addEvent (item.bytes.data(), (int)item.bytes.size(), (int)(item.time - start) + item.shift);
        }
    return buffer;
}
} // namespace

std::string describe (const juce::MidiBuffer& buffer, juce::int64 offset)
{
    std::string text;
    juce::int64 last = -1;
    for (const auto event : buffer)
    {
        const auto time = offset + event.samplePosition;
        if (time != last)
            text += "@" + std::to_string (time) + " ";
        last = time;
        const auto* d = event.data;
        const int type = event.numBytes == 3 ? d[0] & 0xf0 : 0;
        const auto channel = (d[0] & 15) != 0 ? "c" + std::to_string ((d[0] & 15) + 1) : "";
        if (type == 0x90 || type == 0x80)
            text += (type == 0x90 ? "+" : "-") + std::to_string (d[1]) +
                    (d[2] != (type == 0x90 ? 100 : 0) ? "v" + std::to_string (d[2]) : "") + channel;
        else if (type == 0xb0)
            text += "cc" + std::to_string (d[1]) + "=" + std::to_string (d[2]) + channel;
        else
            text += "x" + juce::String::toHexString (d, event.numBytes, 0).toStdString();
        text += " ";
    }
    return text;
}

std::string play (Target& target, const std::string& script, int blockSize)
{
    auto items = parse (script);
    std::string text;
    juce::int64 now = 0;

    const auto block = [&] (juce::int64 end)
    {
        auto input = take (items, now, std::max (end, now + (end == now ? 1 : 0)));
        text += describe (target.render ((int)(end - now), input), now);
        now = end;
    };

    for (auto& item : items)
    {
        if (!item.bytes.empty())
            continue;
        while (now < item.time)
            block (std::min (item.time, now + blockSize));
        const auto equals = item.action.find ('=');
        const auto name = item.action.substr (0, equals);
        const double value = equals == std::string::npos ? 1 : std::stod (item.action.substr (equals + 1));
        if (name == "empty")
            block (now);
        else if (name == "wait")
            pumpMessages ((int)value);
        else if (name[0] == '?')
            text += name.substr (1) + "=" + target.probe (name.substr (1)) + " ";
        else if (name != "|" && name != "end")
            target.command (name, value);
    }
    return text.empty() ? text : text.substr (0, text.size() - 1);
}
} // namespace timeline
