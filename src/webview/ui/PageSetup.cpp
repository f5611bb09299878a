#include "webview/ui/PageSetup.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace PageSetup {

bool exec(QPrinter *printer, QWidget *parent)
{
    if (!printer)
        return false;
    QPageSetupDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace PageSetup
