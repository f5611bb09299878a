#pragma once

#include "webview/Prompter.h"

// The questions as dialogs, modal but for those a page raises (its own dialogs, its downloads),
// which leave its window usable; each one's default button is the safe answer.
class DialogPrompter : public Prompter {
public:
    QString saveAs(QWidget *parent, const QString &suggestedPath) override;
    bool overwrite(QWidget *parent, const QString &path) override;
    std::optional<Login> login(QWidget *parent, const QString &site, const QString &realm,
                               bool proxy) override;
    bool proceedDespiteCertificateError(QWidget *parent, const QString &host, const QString &error,
                                        bool overridable) override;
    bool allow(QWidget *parent, const QString &site, const QString &what) override;
    bool openInOtherProgram(QWidget *parent, const QString &site, const QString &scheme) override;
    PageAnswer pageDialog(QWidget *parent, PageDialog kind, const QString &site,
                          const QString &message, const QString &defaultText,
                          bool offerToStop) override;
    bool allowDownloads(QWidget *parent, const QString &site) override;
};
