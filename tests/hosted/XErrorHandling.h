#pragma once

// A test process is no JUCE application, so JUCE leaves Xlib's default error handler in place, and that
// one ends the process at the first error (a window property asked for by an atom that only a window
// manager creates, say). Host applications ignore such errors, as JUCE's own applications do.
void ignoreXErrorsLikeAHost();
