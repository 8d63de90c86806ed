#include "tests/support/EngineInvariants.h"

#include "tests/support/SoundingNotes.h"

#include <algorithm>

void checkBookkeeping (const Quorvanelle& engine, std::vector<std::string>& faults)
{
    int listings[128]{};
    for (int source = 0; source < 128; ++source)
    {
        for (const int note : engine.outputsBySource[source])
        {
            if (note < 0 || note > 127)
            {
                faults.push_back ("source " + std::to_string (source) + " lists note " +
                                  std::to_string (note));
                continue;
            }
            ++listings[note];
            if (engine.sourceByOutput[note] != source)
                faults.push_back ("note " + std::to_string (note) + " stands in the list of source " +
                                  std::to_string (source) + " but belongs to " +
                                  std::to_string (engine.sourceByOutput[note]));
        }
    }

    for (int note = 0; note < 128; ++note)
    {
        const int source = engine.sourceByOutput[note];
        if (source < -1 || source > 127)
            faults.push_back ("note " + std::to_string (note) + " belongs to source " +
                              std::to_string (source));
        else if (source == -1 && listings[note] != 0)
            faults.push_back ("silent note " + std::to_string (note) + " still stands in a list");
        else if (source != -1 && listings[note] != 1)
            faults.push_back ("sounding note " + std::to_string (note) + " stands " +
                              std::to_string (listings[note]) + " times in the lists");
    }

    if (engine.deferredNoteOffs.size() != engine.deferredNoteOffChannels.size())
        faults.push_back ("the deferred note-offs and their channels differ in length");
}

void checkAgreement (const Quorvanelle& engine, const SoundingNotes& heard, std::vector<std::string>& faults)
{
    int expectedChannel[128]{};
    for (int note = 0; note < 128; ++note)
    {
        const int source = engine.sourceByOutput[note];
        if (source >= 0 && source < 128)
            expectedChannel[note] = std::clamp (engine.channelBySource[source], 1, 16);
    }
    const auto pending = std::min (engine.deferredNoteOffs.size(), engine.deferredNoteOffChannels.size());
    for (size_t i = 0; i < pending; ++i)
    {
        const int note = engine.deferredNoteOffs[i] & 0x7F;
        if (expectedChannel[note] != 0)
            faults.push_back ("note " + std::to_string (note) + " sounds and has a deferred note-off queued");
        expectedChannel[note] = std::clamp (engine.deferredNoteOffChannels[i], 1, 16);
    }

    for (int note = 0; note < 128; ++note)
        if (heard.channelOf (note) != expectedChannel[note] &&
            !(heard.isExcused (note) && heard.channelOf (note) == 0))
            faults.push_back ("note " + std::to_string (note) + ": the output left it " +
                              (heard.channelOf (note) == 0
                                   ? std::string ("silent")
                                   : "sounding on channel " + std::to_string (heard.channelOf (note))) +
                              ", the engine books it " +
                              (expectedChannel[note] == 0
                                   ? std::string ("silent")
                                   : "on channel " + std::to_string (expectedChannel[note])));
}
