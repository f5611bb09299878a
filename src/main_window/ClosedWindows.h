#pragma once

class Form1;

// The main windows closed in this run, most recent first, so one closed by mistake can come back
// at its page with its back/forward history. Held in memory only.
namespace ClosedWindows {
constexpr int Kept = 10;

// Called as a main window closes.
void remember(Form1 *window);
// A new main window for the one closed most recently, loaded and shown as New Window shows one;
// null when none is left.
Form1 *reopen();
int count();
// Tests start each case as a new run would.
void forget();
} // namespace ClosedWindows
