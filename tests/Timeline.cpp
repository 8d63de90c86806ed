#include "tests/Timeline.h"

#include <algorithm>
#include <sstream>

namespace juce
{
// The Linux message loop's single step, as the plug-in client's own message thread uses it.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace timeline
{
void pumpMessages (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)milliseconds;
    do
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }
    while (juce::Time::getMillisecondCounter() < end && (juce::Thread::sleep (1), true));
}

namespace
{
struct Item
{
    juce::int64 time;
    std::vector<juce::uint8> bytes; // an event, or none for an action
    std::string action;
    int shift = 0;
    bool used = false;
};

// "+60v90c2p-3", "-60", "cc7=90c2": the key or controller, then optional velocity (or value), channel
// and position shift.
bool parseEvent (const std::string& word, std::vector<juce::uint8>& bytes, int& shift)
{
    const bool controller = word.rfind ("cc", 0) == 0;
    std::istringstream in (word.substr (controller ? 2 : 1));
    int number = -1, value = word[0] == '+' ? 100 : 0, channel = 1;
    in >> number;
    for (char c; in >> c;)
        in >> (c == 'c' ? channel : c == 'p' ? shift : value);
    const int status = controller ? 0xb0 : word[0] == '+' ? 0x90 : 0x80;
    bytes = {(juce::uint8) (status | ((channel - 1) & 15)), (juce::uint8)number, (juce::uint8)value};
    return number >= 0;
}

std::vector<Item> parse (const std::string& script)
{
    std::vector<Item> items;
    std::istringstream words (script);
    juce::int64 time = 0;
    for (std::string word; words >> word;)
    {
        Item item{time, {}, {}};
        if (word[0] == '@')
            time = std::stoll (word.substr (1));
        else if (word[0] == '+' || word[0] == '-' || word.rfind ("cc", 0) == 0)
            parseEvent (word, item.bytes, item.shift);
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
            buffer.addEvent (item.bytes.data(), (int)item.bytes.size(),
                             (int)(item.time - start) + item.shift);
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
        const auto velocity = d[2] != (type == 0x90 ? 100 : 0) ? "v" + std::to_string (d[2]) : "";
        text += type == 0x90 || type == 0x80
                    ? (type == 0x90 ? "+" : "-") + std::to_string (d[1]) + velocity + channel + " "
                : type == 0xb0 ? "cc" + std::to_string (d[1]) + "=" + std::to_string (d[2]) + channel + " "
                               : "x" + juce::String::toHexString (d, event.numBytes, 0).toStdString() + " ";
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
