// A start that is refused must never end unseen: a tray program that silently does not
// come up looks like one that runs. The reason goes to stderr always, and into a message
// box when there is a display to show it on.
#pragma once

#include <QByteArray>
#include <QString>

// Whether a window could be shown, from QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY.
// Platforms nobody can see (offscreen, minimal) count as none: a modal box there would
// wait for ever.
bool AnzeigeVorhanden(const QByteArray& plattform, const QByteArray& display, const QByteArray& wayland);

// The exit code of a refused start.
constexpr int StartfehlerCode = 1;

// Reports the text and returns StartfehlerCode, for main to end with. Called before the
// program's application object exists, or right after it is made.
[[nodiscard]] int MeldeStartfehler(const QString& text);
