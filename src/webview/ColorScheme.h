#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whether pages see prefers-color-scheme: dark. Qt WebEngine 6.4 has no setting for it, only a
// start-up switch of its engine, so the choice is made once, before the engine starts: the
// ColorScheme key of webview.ini (auto, light or dark), else the desktop's preference. Pages are
// never recoloured: a page without a dark style stays as it is.
namespace ColorScheme {
enum class Scheme { Light, Dark };

// "light" or "dark" as written in webview.ini; nothing for "auto" or anything else.
std::optional<Scheme> fromSetting(const QString &setting);
// The settings portal's org.freedesktop.appearance color-scheme: 1 prefers dark, 2 light, 0 (no
// preference) says nothing.
std::optional<Scheme> fromPortal(uint value);
// A GTK settings.ini: gtk-application-prefer-dark-theme, or a theme whose name ends in "-dark".
std::optional<Scheme> fromGtkSettings(const QByteArray &ini);
// The engine's flags with the switch that sets the preference added; what the user set there is
// kept, and a preference the user set there wins.
QByteArray withEngineSwitch(const QByteArray &flags, Scheme scheme);

// The desktop's preference: the portal, asked once and waited for at most 200 ms, then GTK's
// settings; light where none says.
Scheme desktop();
// Decides and hands the switch to the engine. Called once after the application object is made
// and before the first web view.
void beforeEngine();
// What beforeEngine decided (light until then).
Scheme current();
} // namespace ColorScheme
