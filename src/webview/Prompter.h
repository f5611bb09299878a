#pragma once

#include <QString>
#include <optional>

class QWidget;

// Every question the web view puts to the person at the screen. The program answers through
// dialogs; tests install their own answers. Each question's safe answer is its default.
class Prompter {
public:
    struct Login {
        QString user;
        QString password;
    };

    // A page's own dialogs: alert, confirm and prompt.
    enum class PageDialog { Alert, Confirm, Prompt };
    struct PageAnswer {
        bool accepted = false;    // OK rather than Cancel, or the dialog closed
        QString text;             // a prompt's answer
        bool stopDialogs = false; // "Don't let this page show more dialogs" was ticked
    };

    virtual ~Prompter() = default;

    // Where to save a download, starting from the suggested path; empty when cancelled.
    virtual QString saveAs(QWidget *parent, const QString &suggestedPath) = 0;
    virtual bool overwrite(QWidget *parent, const QString &path) = 0;
    // A user name and password for the site (or the proxy); nothing when cancelled.
    virtual std::optional<Login> login(QWidget *parent, const QString &site, const QString &realm,
                                       bool proxy) = 0;
    // Whether to continue to the host despite the certificate error; only overridable errors
    // can be continued, the others are only shown.
    virtual bool proceedDespiteCertificateError(QWidget *parent, const QString &host,
                                                const QString &error, bool overridable) = 0;
    // Whether the site may use something (its description, "your camera", say).
    virtual bool allow(QWidget *parent, const QString &site, const QString &what) = 0;
    // Whether a link of the scheme ("mailto", say) that the user clicked on the site may go to
    // the desktop's program for it.
    virtual bool openInOtherProgram(QWidget *parent, const QString &site,
                                    const QString &scheme) = 0;
    // A page's alert, confirm or prompt (with its suggested text). offerToStop adds the choice to
    // silence the page. Closing the parent window closes the dialog, unanswered.
    virtual PageAnswer pageDialog(QWidget *parent, PageDialog kind, const QString &site,
                                  const QString &message, const QString &defaultText,
                                  bool offerToStop) = 0;
    // Whether the site may download files it starts without a click.
    virtual bool allowDownloads(QWidget *parent, const QString &site) = 0;

    // The dialogs, unless a test installed its own answers.
    static Prompter &current();
    // Null brings the dialogs back. The prompter is not owned.
    static void install(Prompter *prompter);
    // The dialogs: the engine's side installs them at the program's start, made when first
    // asked for.
    using DefaultMaker = Prompter &(*)();
    static void installDefault(DefaultMaker maker);
};
