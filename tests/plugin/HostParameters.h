#pragma once

// The seven parameters as a host lists them; shared by the processor's tests and the hosted plug-in's.

namespace hostparameters
{
// Host index order.
enum ParameterIndex
{
    targetOctaveModIndex,
    sourceModeIndex,
    onOffIndex,
    bigChordsIndex,
    expandIndex,
    rootnoteIndex,
    scaleIndexIndex
};

inline const char* const parameterNames[] = {
    "Target octave mod", "Operation mode", "Source through", "Use big chords",
    "Expand keyboard",   "Root note",      "Scale"};
} // namespace hostparameters
