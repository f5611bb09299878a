#pragma once

// The end of the program: every window goes, then the shared engine profile, in that order, so
// the profile is flushed to disk and no page outlives it.
namespace Shutdown {
// Deletes every window of the program (tests use it between cases too).
void deleteWindows();
void releaseWindowsAndProfile();
} // namespace Shutdown
