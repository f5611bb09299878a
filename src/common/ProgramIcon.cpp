#include "common/ProgramIcon.h"

namespace ProgramIcon {

QIcon icon()
{
    QIcon icon;
    for (const int size : {96, 72, 64, 48, 32, 16})
        icon.addFile(QStringLiteral(":/icons/zarvo-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace ProgramIcon
