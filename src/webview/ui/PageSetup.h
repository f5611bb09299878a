#pragma once

class QPrinter;
class QWidget;

// Page Setup: the user's paper, orientation and margins go into the printer that the window's
// later printing uses.
namespace PageSetup {
// Shows the dialog; the printer changes only when the user accepts it.
bool exec(QPrinter *printer, QWidget *parent);
} // namespace PageSetup
