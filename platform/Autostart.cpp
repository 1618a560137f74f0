#include "platform/Autostart.h"

#include "platform/Laufzeitverzeichnis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString AutostartDatei()
{
    QString basis = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative path as if the variable were unset.
    if (basis.isEmpty() || QDir::isRelativePath(basis))
        basis = QDir::homePath() + QStringLiteral("/.config");
    return basis + QStringLiteral("/autostart/kostenwolf.desktop");
}

bool StartetBeimAnmelden()
{
    const QString datei = AutostartDatei();
    if (!QFileInfo(datei).isFile())
        return false;
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return true;
    while (!f.atEnd()) {
        const QByteArray zeile = f.readLine().trimmed();
        if (zeile.startsWith("Hidden") && zeile.mid(6).trimmed().startsWith('='))
            return zeile.mid(zeile.indexOf('=') + 1).trimmed() != "true";
    }
    return true;
}

QString ExecWert(const QString& programm)
{
    QString innen;
    for (const QChar c : programm) {
        // Inside double quotes these four need a backslash.
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            innen += QLatin1Char('\\');
        // A percent sign would start a field code.
        if (c == QLatin1Char('%'))
            innen += QLatin1Char('%');
        innen += c;
    }
    // The key's value is a string, whose own escapes double every backslash again.
    innen.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + innen + QLatin1Char('"');
}

bool SetzeStartBeimAnmelden(bool an, const QString& programm)
{
    const QString datei = AutostartDatei();
    if (!an)
        return !QFileInfo::exists(datei) || QFile::remove(datei);

    // A line break would end the key and start another.
    if (programm.isEmpty() || programm.contains(QLatin1Char('\n')) || programm.contains(QLatin1Char('\r')))
        return false;
    // The entry names the command run at every login: no one else may change it.
    if (!LegePrivatenOrdnerAn(QFileInfo(datei).absolutePath()))
        return false;
    const QString inhalt = QStringLiteral("[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=Kostenwolf\n"
                                          "Comment=Zeigt an, was die Einwahlverbindung kostet\n"
                                          "Exec=%1\n"
                                          "Icon=kostenwolf\n"
                                          "Terminal=false\n"
                                          "X-GNOME-Autostart-enabled=true\n")
                               .arg(ExecWert(programm));
    QSaveFile f(datei);
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    f.write(inhalt.toUtf8());
    return f.commit();
}
