#pragma once

#include <QDialog>
#include <functional>

template <typename Window> class SharedWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The web view's own settings: home and search pages, scripts, windows pages may open, where
// downloads go, and the cookies and cached files. Modeless and shared; what it saves applies to
// every window at once.
class OptionsWindow : public QDialog {
    Q_OBJECT

public:
    // Shows the one options window, loaded afresh if it was closed, then centred on the window
    // it was opened from. "Use Current" takes the given page (that of that window).
    static OptionsWindow *showShared(const QString &currentPage = QString(),
                                     const QWidget *opener = nullptr);

    // What the window does to the engine's profile: the saved settings put into effect, the
    // cookies and the cached files deleted. Installed with the engine's side of the web view.
    struct ProfileActions {
        std::function<void()> applySettings;
        std::function<void()> deleteCookies;
        std::function<void()> deleteCache;
    };
    static void setProfileActions(ProfileActions actions);

    // Writes the settings and puts them into effect; false, with the reason shown, when a value
    // is not usable or the file cannot be written.
    bool save();
    void accept() override;

    QLineEdit *homePage;
    QPushButton *useCurrent;
    QPushButton *useStartPage;
    QLineEdit *searchPage;
    QCheckBox *javaScript;
    QCheckBox *popupsWithoutClick;
    QCheckBox *spellCheck;
    QLineEdit *downloadFolder;
    QPushButton *browse;
    QCheckBox *askWhereToSave;
    // Minutes a minimised window's page runs on before it is paused, and before its memory is
    // freed; 0 shows as Never.
    QSpinBox *freezeAfter;
    QSpinBox *discardAfter;
    QPushButton *deleteCookies;
    QPushButton *deleteCache;
    QLabel *message;

private:
    friend class SharedWindow<OptionsWindow>;
    OptionsWindow();
    void load();
    void setCurrentPage(const QString &page);
    void tell(const QString &text, bool problem);
    void handleBrowse();
    void handleDeleteCookies();
    void handleDeleteCache();

    QString m_currentPage;
    // The delays as read, in seconds: kept as they are unless their minutes were changed, so a
    // delay set by hand in seconds survives a save.
    int m_freezeAfter = 0;
    int m_discardAfter = 0;
};
