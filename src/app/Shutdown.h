#pragma once

// The end of the program: every window goes, then the shared engine profile, in that order, so
// the profile is flushed to disk and no page outlives it.
namespace Shutdown {
// Deletes every window of the program (tests use it between cases too).
void deleteWindows();
void releaseWindowsAndProfile();
// Closes every window shown, its dialogs first with their safe answer.
void closeWindows();
// The end the user did not choose (a logout, kill): every window closes as its close box would
// close it, the event loops end, and the program ends within a few seconds with status 0 even
// where something holds it up.
void endOnSignal();
// Whether the end under way is one the user did not choose (endOnSignal began).
bool endedFromOutside();
} // namespace Shutdown
