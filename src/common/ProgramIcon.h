#pragma once

#include <QIcon>

// The program icon, in every size it is drawn at (96, 72, 64, 48, 32 and 16 pixels).
namespace ProgramIcon {
QIcon icon();
}
