#include "store/Einstellungsdatei.h"

#include "platform/posix/Dateien.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far more than any settings of ours; a larger file is someone else's.
constexpr size_t HoechsteGroesse = 1 << 20;

bool IstSteuerzeichen(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// Cuts a comment off: a ';' outside quotes ends the value, as QSettings reads it.
QString OhneKommentar(const QString& roh)
{
    bool inAnfuehrung = false;
    for (qsizetype i = 0; i < roh.size(); ++i) {
        if (roh[i] == QLatin1Char('\\'))
            ++i;
        else if (roh[i] == QLatin1Char('"'))
            inAnfuehrung = !inAnfuehrung;
        else if (roh[i] == QLatin1Char(';') && !inAnfuehrung)
            return roh.left(i).trimmed();
    }
    return roh;
}

QString Entschluesselt(const QString& roh)
{
    const QString text = OhneKommentar(roh);
    QString wert;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            continue;
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            wert += c;
            continue;
        }
        const QChar n = text[++i];
        if (n == QLatin1Char('n'))
            wert += QLatin1Char('\n');
        else if (n == QLatin1Char('r'))
            wert += QLatin1Char('\r');
        else if (n == QLatin1Char('t'))
            wert += QLatin1Char('\t');
        else if (n == QLatin1Char('x')) {
            QString ziffern;
            while (ziffern.size() < 4 && i + 1 < text.size() && std::isxdigit(text[i + 1].toLatin1()))
                ziffern += text[++i];
            wert += QChar(char16_t(ziffern.toUShort(nullptr, 16)));
        }
        else
            wert += n;
    }
    return wert;
}

QString Verschluesselt(const QString& wert)
{
    bool anfuehren = !wert.isEmpty() && (wert.front().isSpace() || wert.back().isSpace());
    for (const QChar c : wert)
        anfuehren = anfuehren || c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char(';')
            || IstSteuerzeichen(c);
    if (!anfuehren)
        return wert;
    QString text = QStringLiteral("\"");
    for (const QChar c : wert) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            text += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            text += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            text += QStringLiteral("\\t");
        else if (IstSteuerzeichen(c))
            text += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text + QLatin1Char('"');
}

TEinstellungsStand Lies(const QString& pfad)
{
    TEinstellungsStand stand;
    const TKleineDatei datei = LeseKleineDatei(pfad, HoechsteGroesse);
    if (datei.art == TKleineDatei::Fehlt)
        return stand;
    stand.art = TEinstellungsStand::Beschaedigt;
    stand.Grund = datei.Grund;
    if (datei.art == TKleineDatei::Unlesbar)
        return stand;
    std::optional<TIniText> inhalt;
    if (size_t(datei.Inhalt.size()) <= HoechsteGroesse)
        inhalt = TIniText::Lies(datei.Inhalt);
    if (!inhalt) {
        stand.Grund = QStringLiteral("keine Einstellungen darin");
        return stand;
    }
    stand.art = TEinstellungsStand::Gelesen;
    stand.Inhalt = std::move(*inhalt);
    return stand;
}

// The lock others take through QSettings has the same name; ours is a kernel lock on
// it, which goes with the process however that ends. A folder, a FIFO or a link in its
// place is given up on at once rather than waited on.
int NimmSperre(const QString& pfad, int wartezeit, TEinstellungsStand& stand)
{
    const QByteArray name = QFile::encodeName(pfad + QStringLiteral(".lock"));
    const int fd
        = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    struct stat info { };
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        stand.art = TEinstellungsStand::Gesperrt;
        stand.Grund = fd < 0 ? DateiFehlerGrund(errno) : QStringLiteral("keine gewöhnliche Sperrdatei");
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const QDeadlineTimer frist(wartezeit);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || frist.hasExpired()) {
            stand.art = TEinstellungsStand::Gesperrt;
            stand.Grund = QStringLiteral("gesperrt");
            ::close(fd);
            return -1;
        }
        ::usleep(10000);
    }
    return fd;
}

} // namespace

std::optional<TIniText> TIniText::Lies(const QByteArray& bytes)
{
    QByteArray roh = bytes;
    if (roh.startsWith("\xEF\xBB\xBF"))
        roh.remove(0, 3);
    if (roh.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(roh);
    if (utf8.hasError())
        return std::nullopt;

    TIniText ini;
    QString gruppe;
    QStringList zeilen = text.split(QLatin1Char('\n'));
    if (zeilen.last().isEmpty())
        zeilen.removeLast();
    for (QString zeile : zeilen) {
        if (zeile.endsWith(QLatin1Char('\r')))
            zeile.chop(1);
        const QString kern = zeile.trimmed();
        TZeile z { zeile, gruppe, {}, {}, false };
        if (kern.startsWith(QLatin1Char('['))) {
            if (!kern.endsWith(QLatin1Char(']')))
                return std::nullopt;
            gruppe = kern.mid(1, kern.size() - 2).trimmed();
            z.Gruppe = gruppe;
            z.Kopf = true;
        }
        else if (!kern.isEmpty() && !kern.startsWith(QLatin1Char(';'))
            && !kern.startsWith(QLatin1Char('#'))) {
            const qsizetype gleich = kern.indexOf(QLatin1Char('='));
            if (gleich <= 0)
                return std::nullopt;
            z.Schluessel = kern.left(gleich).trimmed();
            z.Wert = Entschluesselt(kern.mid(gleich + 1).trimmed());
            if (z.Schluessel.isEmpty()
                || std::any_of(z.Schluessel.begin(), z.Schluessel.end(), IstSteuerzeichen))
                return std::nullopt;
        }
        ini.zeilen.append(z);
    }
    return ini;
}

QByteArray TIniText::Bytes() const
{
    QString text;
    for (const TZeile& z : zeilen)
        text += z.Text + QLatin1Char('\n');
    return text.toUtf8();
}

QStringList TIniText::Gruppen() const
{
    QStringList namen;
    for (const TZeile& z : zeilen)
        if (z.Kopf && !namen.contains(z.Gruppe))
            namen << z.Gruppe;
    return namen;
}

QStringList TIniText::Schluessel(const QString& gruppe) const
{
    QStringList namen;
    for (const TZeile& z : zeilen)
        if (z.Gruppe == gruppe && !z.Schluessel.isEmpty() && !namen.contains(z.Schluessel))
            namen << z.Schluessel;
    return namen;
}

std::optional<QString> TIniText::Wert(const QString& gruppe, const QString& schluessel) const
{
    for (auto z = zeilen.crbegin(); z != zeilen.crend(); ++z)
        if (z->Gruppe == gruppe && z->Schluessel == schluessel)
            return z->Wert;
    return std::nullopt;
}

void TIniText::Setze(const QString& gruppe, const QString& schluessel, const QString& wert)
{
    const TZeile neu { schluessel + QLatin1Char('=') + Verschluesselt(wert), gruppe, schluessel, wert,
        false };
    const auto gleich = [&](const TZeile& z) { return z.Gruppe == gruppe && z.Schluessel == schluessel; };
    const auto letzte = std::find_if(zeilen.rbegin(), zeilen.rend(), gleich);
    if (letzte != zeilen.rend()) {
        *letzte = neu;
        // Earlier ones counted for nothing and would only mislead whoever reads the file.
        const qsizetype bis = zeilen.rend() - letzte - 1;
        for (qsizetype i = bis - 1; i >= 0; --i)
            if (gleich(zeilen[i]))
                zeilen.removeAt(i);
        return;
    }
    qsizetype ende = -1;
    for (qsizetype i = 0; i < zeilen.size(); ++i)
        if (zeilen[i].Gruppe == gruppe && (zeilen[i].Kopf || !zeilen[i].Schluessel.isEmpty()))
            ende = i;
    if (ende >= 0) {
        zeilen.insert(ende + 1, neu);
        return;
    }
    if (!zeilen.isEmpty() && !zeilen.last().Text.trimmed().isEmpty())
        zeilen.append(TZeile { {}, zeilen.last().Gruppe, {}, {}, false });
    zeilen.append(TZeile { QLatin1Char('[') + gruppe + QLatin1Char(']'), gruppe, {}, {}, true });
    zeilen.append(neu);
}

void TIniText::Entferne(const QString& gruppe, const QString& schluessel)
{
    zeilen.removeIf([&](const TZeile& z) {
        return z.Gruppe == gruppe && !z.Schluessel.isEmpty() && z.Schluessel == schluessel;
    });
}

void TIniText::EntferneGruppe(const QString& gruppe)
{
    zeilen.removeIf([&](const TZeile& z) { return z.Gruppe == gruppe; });
}

TEinstellungsStand LiesEinstellungen(const QString& pfad)
{
    return Lies(pfad);
}

TEinstellungsStand AendereEinstellungen(
    const QString& pfad, const std::function<void(TIniText&)>& aendern, int wartezeit)
{
    TEinstellungsStand stand;
    const int sperre = NimmSperre(pfad, wartezeit, stand);
    if (sperre < 0)
        return stand;
    stand = Lies(pfad);
    if (stand.art == TEinstellungsStand::Fehlt || stand.art == TEinstellungsStand::Gelesen) {
        aendern(stand.Inhalt);
        const TSpeicherErgebnis ergebnis = SchreibeGanzeDatei(pfad, stand.Inhalt.Bytes());
        stand.art = ergebnis.Ok ? TEinstellungsStand::Gelesen : TEinstellungsStand::Fehler;
        stand.Grund = ergebnis.Grund;
    }
    ::close(sperre);
    return stand;
}
