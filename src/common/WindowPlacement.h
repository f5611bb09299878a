#pragma once

class QWidget;

// Where the program's secondary windows open: over the main window that asked for them, as a
// person expects, not at the screen's corner where the window manager would drop them.
namespace WindowPlacement {
// Moves a not yet shown window so that it is centred on the anchor window (its frame included),
// kept inside the anchor's screen. Without an anchor, or when the anchor is not shown, the window
// is left where it is.
void centreOn(QWidget *window, const QWidget *anchor);
} // namespace WindowPlacement
