// "Kostenwolf.ini": settings the two data files have no room for, in the INI layout
// QSettings writes ([Gruppe], Schluessel=Wert). Read and written here, not through
// QSettings: whatever sits under the name (a FIFO, a folder, a lock held for ever, a
// file of garbage) must neither stop the program nor be written over, and a change
// made by hand or by another program while we run is kept.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The file's lines as they are, so that an edit changes only the lines it concerns and
// comments, order and keys of others stay.
class TIniText {
public:
    // Nothing when the bytes are no INI text: not UTF-8, a NUL byte, a line that is
    // neither a group, a key with its value, a comment nor blank.
    static std::optional<TIniText> Lies(const QByteArray& bytes);
    QByteArray Bytes() const;

    QStringList Gruppen() const;
    QStringList Schluessel(const QString& gruppe) const;
    // The last value given for the key, unquoted.
    std::optional<QString> Wert(const QString& gruppe, const QString& schluessel) const;
    void Setze(const QString& gruppe, const QString& schluessel, const QString& wert);
    void Entferne(const QString& gruppe, const QString& schluessel);
    void EntferneGruppe(const QString& gruppe);

private:
    struct TZeile {
        QString Text;
        QString Gruppe;
        QString Schluessel; // empty for a group header, a comment or a blank line
        QString Wert;
        bool Kopf = false;
    };
    QList<TZeile> zeilen;
};

struct [[nodiscard]] TEinstellungsStand {
    enum Art {
        Fehlt,
        Gelesen,
        Beschaedigt, // no regular file, unreadable, or no INI text
        Gesperrt, // the lock beside it was not to be had in time
        Fehler, // read, but it could not be written
    } art
        = Fehlt;
    TIniText Inhalt;
    QString Grund;
};

// Reads the file without ever blocking on it.
TEinstellungsStand LiesEinstellungen(const QString& pfad);

// Takes the lock beside the file ("NAME.lock"), waiting at most 'wartezeit' ms, reads the
// file afresh, lets 'aendern' edit what it holds now and writes the result back whole:
// through a symbolic link, as a new file readable by its owner only. The answer is
// Gelesen with the content written, or why nothing was written.
TEinstellungsStand AendereEinstellungen(
    const QString& pfad, const std::function<void(TIniText&)>& aendern, int wartezeit = 300);
