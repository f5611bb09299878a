#include "webview/ui/OptionsWindow.h"

#include "common/ProgramIcon.h"
#include "common/SharedWindow.h"
#include "webview/UserAddress.h"
#include "webview/WebViewSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <utility>

namespace {
OptionsWindow::ProfileActions &profileActions()
{
    static OptionsWindow::ProfileActions actions;
    return actions;
}

void run(const std::function<void()> &action)
{
    if (action)
        action();
}

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QHBoxLayout;
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QSpinBox *minutesBox(QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(0, 24 * 60);
    box->setSpecialValueText(OptionsWindow::tr("Never"));
    box->setSuffix(OptionsWindow::tr(" min"));
    return box;
}

// Seconds shown as whole minutes: a delay under a minute shows as one, not as Never.
int minutes(int seconds)
{
    return seconds == 0 ? 0 : std::max(1, (seconds + 30) / 60);
}
} // namespace

OptionsWindow *OptionsWindow::showShared(const QString &currentPage, const QWidget *opener)
{
    static SharedWindow<OptionsWindow> window;
    window.instance()->setCurrentPage(currentPage);
    return window.show(opener);
}

OptionsWindow::OptionsWindow()
    : homePage(new QLineEdit(this)), useCurrent(new QPushButton(tr("Use &Current"), this)),
      useStartPage(new QPushButton(tr("Use &Start Page"), this)), searchPage(new QLineEdit(this)),
      javaScript(new QCheckBox(tr("Run &JavaScript on pages"), this)),
      popupsWithoutClick(new QCheckBox(tr("Let pages open &windows without a click"), this)),
      spellCheck(new QCheckBox(tr("Chec&k spelling as you type"), this)),
      downloadFolder(new QLineEdit(this)), browse(new QPushButton(tr("&Browse..."), this)),
      askWhereToSave(new QCheckBox(tr("&Ask where to save each file"), this)),
      freezeAfter(minutesBox(this)), discardAfter(minutesBox(this)),
      deleteCookies(new QPushButton(tr("Delete C&ookies"), this)),
      deleteCache(new QPushButton(tr("Delete Cac&hed Files"), this)), message(new QLabel(this))
{
    setWindowTitle(tr("Zarvo Velmora Options"));
    setWindowIcon(ProgramIcon::icon());
    setAttribute(Qt::WA_DeleteOnClose);
    // Stands in for a settings panel of its own: it keeps no browser running.
    setAttribute(Qt::WA_QuitOnClose, false);
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsWindow::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &OptionsWindow::save);
    connect(useCurrent, &QPushButton::clicked, this, [this] { homePage->setText(m_currentPage); });
    connect(useStartPage, &QPushButton::clicked, this,
            [this] { homePage->setText(WebViewSettings::DefaultHomePage); });
    connect(browse, &QPushButton::clicked, this, &OptionsWindow::handleBrowse);
    connect(deleteCookies, &QPushButton::clicked, this, &OptionsWindow::handleDeleteCookies);
    connect(deleteCache, &QPushButton::clicked, this, &OptionsWindow::handleDeleteCache);

    auto *form = new QFormLayout(this);
    form->addRow(tr("&Home page:"), homePage);
    form->addRow(QString(), row({useCurrent, useStartPage}));
    form->addRow(tr("S&earch page:"), searchPage);
    form->addRow(tr("Pages:"), javaScript);
    form->addRow(QString(), popupsWithoutClick);
    form->addRow(QString(), spellCheck);
    // A row of several controls: its label's accelerator needs to be told which one it is for.
    auto *downloadFolderLabel = new QLabel(tr("&Download folder:"), this);
    downloadFolderLabel->setBuddy(downloadFolder);
    form->addRow(downloadFolderLabel, row({downloadFolder, browse}));
    form->addRow(QString(), askWhereToSave);
    form->addRow(tr("&Pause hidden windows after:"), freezeAfter);
    form->addRow(tr("&Free hidden windows' memory after:"), discardAfter);
    form->addRow(tr("Browsing data:"), row({deleteCookies, deleteCache}));
    form->addRow(message);
    form->addRow(buttons);
    resize(520, sizeHint().height());
    load();
}

void OptionsWindow::load()
{
    const WebViewSettings::Values values = WebViewSettings::load();
    homePage->setText(values.homePage);
    searchPage->setText(values.searchPage);
    javaScript->setChecked(values.javaScript);
    popupsWithoutClick->setChecked(values.popupsWithoutClick);
    spellCheck->setChecked(values.spellCheck);
    downloadFolder->setText(QDir::toNativeSeparators(values.downloadFolder));
    askWhereToSave->setChecked(values.askWhereToSave);
    m_freezeAfter = values.freezeAfter;
    m_discardAfter = values.discardAfter;
    freezeAfter->setValue(minutes(values.freezeAfter));
    discardAfter->setValue(minutes(values.discardAfter));
}

void OptionsWindow::setCurrentPage(const QString &page)
{
    m_currentPage = page;
    useCurrent->setEnabled(WebViewSettings::isAddress(page));
}

bool OptionsWindow::save()
{
    WebViewSettings::Values values;
    // Typed the way the address box takes it ("example.com" is a web address), except that a
    // full address must be one as typed: the address box would guess its way round a typing
    // error, and a guess should not become the home page.
    const auto address = [](const QString &typed, const QString &fallback) {
        const QString text = typed.trimmed();
        if (text.isEmpty())
            return fallback;
        const QUrl url = text.contains(QStringLiteral("://"))
                             ? QUrl(text)
                             : UserAddress::toUrl(text, QDir::currentPath());
        return url.toString(QUrl::FullyEncoded);
    };
    values.homePage = address(homePage->text(), WebViewSettings::DefaultHomePage);
    values.searchPage = address(searchPage->text(), WebViewSettings::DefaultSearchPage);
    if (!WebViewSettings::isAddress(values.homePage)) {
        tell(tr("The home page is not an address: %1").arg(homePage->text()), true);
        return false;
    }
    if (!WebViewSettings::isAddress(values.searchPage)) {
        tell(tr("The search page is not an address: %1").arg(searchPage->text()), true);
        return false;
    }
    const QString folder = downloadFolder->text().trimmed();
    if (!folder.isEmpty() && !QDir::isAbsolutePath(folder)) {
        tell(tr("The download folder must be a full path, such as %1.")
                 .arg(QDir::toNativeSeparators(WebViewSettings::defaultDownloadFolder())),
             true);
        return false;
    }
    values.downloadFolder =
        folder.isEmpty() ? WebViewSettings::defaultDownloadFolder() : QDir::cleanPath(folder);
    values.javaScript = javaScript->isChecked();
    values.popupsWithoutClick = popupsWithoutClick->isChecked();
    values.spellCheck = spellCheck->isChecked();
    values.askWhereToSave = askWhereToSave->isChecked();
    const auto delay = [](const QSpinBox *box, int loaded) {
        return box->value() == minutes(loaded) ? loaded : box->value() * 60;
    };
    values.freezeAfter = delay(freezeAfter, m_freezeAfter);
    values.discardAfter = delay(discardAfter, m_discardAfter);

    if (!WebViewSettings::save(values)) {
        tell(tr("The settings could not be saved to %1.")
                 .arg(QDir::toNativeSeparators(WebViewSettings::filePath())),
             true);
        return false;
    }
    run(profileActions().applySettings);
    load();
    tell(tr("Settings saved."), false);
    return true;
}

void OptionsWindow::accept()
{
    if (save())
        QDialog::accept();
}

void OptionsWindow::tell(const QString &text, bool problem)
{
    message->setText(text);
    message->setStyleSheet(problem ? QStringLiteral("color: #b00000") : QString());
}

void OptionsWindow::handleBrowse()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Download Folder"), downloadFolder->text());
    if (!folder.isEmpty())
        downloadFolder->setText(QDir::toNativeSeparators(folder));
}

void OptionsWindow::handleDeleteCookies()
{
    run(profileActions().deleteCookies);
    tell(tr("Cookies deleted."), false);
}

void OptionsWindow::handleDeleteCache()
{
    run(profileActions().deleteCache);
    tell(tr("Cached files deleted."), false);
}

void OptionsWindow::setProfileActions(ProfileActions actions)
{
    profileActions() = std::move(actions);
}
