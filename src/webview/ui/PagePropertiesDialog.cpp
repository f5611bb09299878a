#include "webview/ui/PagePropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMimeDatabase>

PagePropertiesDialog::PagePropertiesDialog(const QString &title, const QUrl &address,
                                           const QString &contentType, const QString &memory,
                                           const QString &state, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Properties"));
    auto *form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addRow("title", tr("Title:"), title);
    addRow("address", tr("Address:"), address.toString());
    addRow("protocol", tr("Protocol:"), protocolName(address));
    addRow("type", tr("Type:"), typeName(contentType));
    addRow("memory", tr("Memory:"), memory);
    addRow("state", tr("State:"), state);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    form->addRow(buttons);
}

QLabel *PagePropertiesDialog::addRow(const char *name, const QString &caption, const QString &value)
{
    auto *field = new QLabel(value, this);
    field->setObjectName(QLatin1String(name));
    // Page titles and addresses are the page's text, never markup to render.
    field->setTextFormat(Qt::PlainText);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    field->setWordWrap(true);
    static_cast<QFormLayout *>(layout())->addRow(caption, field);
    return field;
}

QString PagePropertiesDialog::protocolName(const QUrl &address)
{
    const QString scheme = address.scheme();
    if (scheme == QLatin1String("http"))
        return tr("HyperText Transfer Protocol");
    if (scheme == QLatin1String("https"))
        return tr("HyperText Transfer Protocol with Privacy");
    if (scheme == QLatin1String("file"))
        return tr("File Protocol");
    if (scheme == QLatin1String("ftp"))
        return tr("File Transfer Protocol");
    return scheme;
}

QString PagePropertiesDialog::typeName(const QString &contentType)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(contentType);
    if (!type.isValid() || type.comment().isEmpty())
        return contentType;
    return QStringLiteral("%1 (%2)").arg(type.comment(), contentType);
}

QString PagePropertiesDialog::memoryText(qint64 pid, qint64 kiloBytes)
{
    if (pid <= 0)
        return tr("None (no page process)");
    if (kiloBytes < 0)
        return tr("Unknown");
    // Shared with the other pages of its process, if any: its proportional share.
    return tr("%1 MB").arg(double(kiloBytes) / 1024.0, 0, 'f', 1);
}
