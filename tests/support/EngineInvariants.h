#pragma once

#include "engine/Quorvanelle.h"

#include <string>
#include <vector>

class SoundingNotes;

// The engine's output bookkeeping: an output note sounds exactly when its sourceByOutput entry is not
// -1, and then it stands once in the outputsBySource list of that source and in no other list.
// Appends a description of every breach to `faults`. Call between blocks, holding the engine's lock.
void checkBookkeeping (const Quorvanelle& engine, std::vector<std::string>& faults);

// What the engine believes sounds must be what its output left sounding: every booked note, and every
// note whose deferred note-off is still queued, sounds on the channel it was started on; nothing else
// sounds. A note whose note-on a bypass withheld (excused, see SoundingNotes) may be silent.
void checkAgreement (const Quorvanelle& engine, const SoundingNotes& heard, std::vector<std::string>& faults);
