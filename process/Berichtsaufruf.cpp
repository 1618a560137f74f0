#include "process/Berichtsaufruf.h"

#include "core/CsvExport.h"
#include "core/KontoBericht.h"
#include "process/Programmaufruf.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Startablauf.h"
#include "store/Tarife.h"
#include "store/Waehrungseinstellung.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString Anfuehrung(const QString& text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

QString MonatUndJahr(int monat, int jahr)
{
    return QStringLiteral("%1/%2").arg(monat, 2, 10, QLatin1Char('0')).arg(jahr);
}

// --name WERT and --name=WERT alike; 'i' moves past what was taken.
std::optional<QString> Wert(const QStringList& argumente, qsizetype& i, const QString& name, QString& fehler)
{
    const QString& arg = argumente[i];
    if (arg.startsWith(name + QLatin1Char('=')))
        return arg.mid(name.size() + 1);
    if (i + 1 >= argumente.size()) {
        fehler = QStringLiteral("Nach %1 fehlt der Wert.").arg(name);
        return std::nullopt;
    }
    return argumente[++i];
}

bool IstOption(const QString& arg, const QString& name)
{
    return arg == name || arg.startsWith(name + QLatin1Char('='));
}

// --- the password on the terminal, without echo ---------------------------------------

int TerminalFd = -1;
termios TerminalVorher {};

// A signal while the echo is off must not leave the terminal blind.
void StelleTerminalWiederHer(int signal)
{
    if (TerminalFd >= 0)
        ::tcsetattr(TerminalFd, TCSANOW, &TerminalVorher);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::optional<QByteArray> LiesZeile(int fd)
{
    QByteArray zeile;
    for (;;) {
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0 || c == '\n')
            break;
        if (zeile.size() < 4096)
            zeile += c;
    }
    if (zeile.endsWith('\r'))
        zeile.chop(1);
    return zeile;
}

std::optional<QString> KennwortVomTerminal(const QString& benutzer)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    termios vorher {};
    if (::tcgetattr(fd, &vorher) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    TerminalFd = fd;
    TerminalVorher = vorher;
    const int signale[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };
    for (int s : signale)
        std::signal(s, StelleTerminalWiederHer);
    termios still = vorher;
    still.c_lflag &= ~tcflag_t(ECHO);
    still.c_lflag |= ECHONL; // the Enter key still moves to the next line
    // Echo goes off before the prompt appears: switching drops what was typed ahead, so
    // an answer to the prompt must come after it.
    ::tcsetattr(fd, TCSAFLUSH, &still);
    const QByteArray frage
        = (QStringLiteral("Kennwort für ") + Anfuehrung(benutzer) + QStringLiteral(": ")).toLocal8Bit();
    (void)!::write(fd, frage.constData(), size_t(frage.size()));

    const std::optional<QByteArray> zeile = LiesZeile(fd);

    ::tcsetattr(fd, TCSAFLUSH, &vorher);
    for (int s : signale)
        std::signal(s, SIG_DFL);
    TerminalFd = -1;
    ::close(fd);
    if (!zeile)
        return std::nullopt;
    return QString::fromLocal8Bit(*zeile);
}

std::optional<QString> KennwortVonStdin()
{
    const std::optional<QByteArray> zeile = LiesZeile(STDIN_FILENO);
    if (!zeile)
        return std::nullopt;
    return QString::fromLocal8Bit(*zeile);
}

} // namespace

bool WillBericht(const QStringList& argumente)
{
    return argumente.contains(QStringLiteral("--bericht"));
}

QString BerichtsAufruftext()
{
    return QStringLiteral(
        "Aufruf: kostenwolf --bericht [MM/JJJJ] [--benutzer NAME] [--format text|csv] [--kennwort-stdin]\n"
        "Gibt den Monatsbericht aus (Vorgabe: der laufende Monat des Startbenutzers).\n");
}

std::optional<TBerichtsWunsch> LiesBerichtsArgumente(
    const QStringList& argumente, TDateTime heute, QString& fehler)
{
    TBerichtsWunsch wunsch;
    int jahrHeute, monatHeute, tagHeute;
    DecodeDate(heute, jahrHeute, monatHeute, tagHeute);
    std::optional<QString> monatsText;

    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente[i];
        if (arg == QStringLiteral("--bericht")) {
            continue;
        }
        else if (IstOption(arg, QStringLiteral("--benutzer"))) {
            const auto name = Wert(argumente, i, QStringLiteral("--benutzer"), fehler);
            if (!name)
                return std::nullopt;
            wunsch.Benutzer = *name;
        }
        else if (IstOption(arg, QStringLiteral("--format"))) {
            const auto format = Wert(argumente, i, QStringLiteral("--format"), fehler);
            if (!format)
                return std::nullopt;
            if (*format != QStringLiteral("text") && *format != QStringLiteral("csv")) {
                fehler = QStringLiteral("Das Format %1 gibt es nicht; möglich sind text und csv.")
                             .arg(Anfuehrung(*format));
                return std::nullopt;
            }
            wunsch.Csv = *format == QStringLiteral("csv");
        }
        else if (arg == QStringLiteral("--kennwort-stdin")) {
            wunsch.KennwortStdin = true;
        }
        else if (arg.startsWith(QLatin1Char('-'))) {
            fehler = QStringLiteral("Die Angabe %1 ist unbekannt.").arg(Anfuehrung(arg));
            return std::nullopt;
        }
        else if (monatsText) {
            fehler = QStringLiteral("Es geht nur ein Monat auf einmal, nicht auch noch %1.")
                         .arg(Anfuehrung(arg));
            return std::nullopt;
        }
        else {
            monatsText = arg;
        }
    }

    wunsch.Monat = monatHeute;
    wunsch.Jahr = jahrHeute;
    if (monatsText) {
        static const QRegularExpression muster(QStringLiteral("^(\\d{1,2})/(\\d{4})$"));
        const QRegularExpressionMatch treffer = muster.match(*monatsText);
        const int monat = treffer.hasMatch() ? treffer.captured(1).toInt() : 0;
        if (monat < 1 || monat > 12) {
            fehler = QStringLiteral(
                "Den Monat %1 gibt es nicht; erwartet wird MM/JJJJ mit einem Monat von 01 bis 12.")
                         .arg(Anfuehrung(*monatsText));
            return std::nullopt;
        }
        const int jahr = treffer.captured(2).toInt();
        const int gespeichert = BerichtsJahr(heute, monat);
        if (jahr != gespeichert) {
            fehler = QStringLiteral("Für %1 gibt es kein Protokoll: Kostenwolf bewahrt jeden Monat nur aus "
                                    "seinem letzten Jahr auf, diesen also für %2.")
                         .arg(MonatUndJahr(monat, jahr), MonatUndJahr(monat, gespeichert));
            return std::nullopt;
        }
        wunsch.Monat = monat;
        wunsch.Jahr = jahr;
    }
    return wunsch;
}

int FuehreBerichtAus(const QStringList& argumente, TDateTime heute, const TBerichtsKanaele& kanaele)
{
    QString fehler;
    const std::optional<TBerichtsWunsch> wunsch = LiesBerichtsArgumente(argumente, heute, fehler);
    if (!wunsch) {
        kanaele.Meldung(fehler + QLatin1Char('\n') + BerichtsAufruftext());
        return BerichtFalscheArgumente;
    }

    const auto unlesbar = [&](const QString& pfad, const QString& grund) {
        kanaele.Meldung(QStringLiteral("Die Datei %1 kann nicht gelesen werden (%2).")
                            .arg(QDir::toNativeSeparators(pfad), grund));
        return BerichtDatenUnlesbar;
    };
    // The process's own copy of the record: read, never saved.
    std::memset(&Daten, 0, sizeof Daten);
    const TLadeErgebnis daten = LeseDatensatzNurLesend(DatenPfad(), &Daten, sizeof Daten);
    if (daten.art != TLadeErgebnis::Geladen)
        return unlesbar(DatenPfad(), daten.Grund);
    BegrenzeDaten(Daten);
    // The amounts are named in the currency the files hold.
    Waehrung = LiesWaehrung(EinstellungsPfad()).Waehrung;
    // Without a tariff table every user simply has no base fee, as on a first start.
    std::memset(&Tarife, 0, sizeof Tarife);
    if (QFile::exists(TarifePfad())) {
        const TLadeErgebnis tarife = LeseDatensatzNurLesend(TarifePfad(), &Tarife, sizeof Tarife);
        if (tarife.art != TLadeErgebnis::Geladen)
            return unlesbar(TarifePfad(), tarife.Grund);
    }

    // What a start now would see: the first user of a fresh record, and this month's slot
    // emptied for users who last ran in an earlier year's month. In memory only.
    RichteErstenStartEin();
    int jahr, monat, tag;
    DecodeDate(heute, jahr, monat, tag);
    WechsleMonat(monat);

    int benutzer = 0;
    if (wunsch->Benutzer) {
        for (int u = 1; u <= Daten.BenutzerAnzahl && !benutzer; ++u)
            if (Daten.Benutzer[u].Name.Text() == *wunsch->Benutzer)
                benutzer = u;
        if (!benutzer) {
            QStringList namen;
            for (int u = 1; u <= Daten.BenutzerAnzahl; ++u)
                namen << Anfuehrung(Daten.Benutzer[u].Name.Text());
            kanaele.Meldung(QStringLiteral("Einen Benutzer %1 gibt es nicht; es gibt %2.")
                                .arg(Anfuehrung(*wunsch->Benutzer), namen.join(QStringLiteral(", "))));
            return BerichtBenutzerFehlt;
        }
    }
    else {
        benutzer = AnzumeldenderBenutzer();
    }

    const QString name = Daten.Benutzer[benutzer].Name.Text();
    if (HatKennwort(benutzer)) {
        const std::optional<QString> kennwort = kanaele.Kennwort(name, wunsch->KennwortStdin);
        if (!kennwort) {
            kanaele.Meldung(wunsch->KennwortStdin
                    ? QStringLiteral("Das Kennwort konnte nicht von der Standardeingabe gelesen werden.")
                    : QStringLiteral("Das Kennwort kann ohne Terminal nicht abgefragt werden; "
                                     "--kennwort-stdin liest es von der Standardeingabe."));
            return BerichtFalschesKennwort;
        }
        if (!KennwortPasst(benutzer, *kennwort)) {
            kanaele.Meldung(QStringLiteral("Falsches Kennwort"));
            return BerichtFalschesKennwort;
        }
    }

    SetzeAktTarif(Daten.Benutzer[benutzer].TarifNr);
    const TMonat& protokoll = Daten.Benutzer[benutzer].Monate[wunsch->Monat];
    if (wunsch->Csv) {
        kanaele.Ausgabe(MonatAlsCsv(protokoll));
    }
    else {
        const TKontoBericht bericht = BaueKontoBericht(protokoll, AktTarif.Grundpreis);
        QString text;
        for (const QString& zeile : bericht.Zeilen)
            text += zeile + QLatin1Char('\n');
        text += bericht.Summe + QLatin1Char('\n');
        kanaele.Ausgabe(text.toLocal8Bit());
    }
    return BerichtFertig;
}

void BeantworteBerichtsAufruf(int argc, char** argv)
{
    const QStringList argumente = Argumente(argc, argv);
    if (!WillBericht(argumente))
        return;

    FormatSettings = LeseSystemFormate(); // the texts as the report window shows them
    TBerichtsKanaele kanaele;
    kanaele.Ausgabe
        = [](const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout); };
    kanaele.Meldung = [](const QString& text) {
        QString zeile = QStringLiteral("kostenwolf: ") + text;
        if (!zeile.endsWith(QLatin1Char('\n')))
            zeile += QLatin1Char('\n');
        std::fputs(zeile.toLocal8Bit().constData(), stderr);
    };
    kanaele.Kennwort = [](const QString& benutzer, bool vonStdin) {
        return vonStdin ? KennwortVonStdin() : KennwortVomTerminal(benutzer);
    };
    int code = FuehreBerichtAus(argumente, Now(), kanaele);
    const bool geschrieben = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!geschrieben && code == BerichtFertig) {
        // A report that did not reach its reader (a full disk behind a redirection) is no
        // success; the documented codes are for the data, so this one stands apart.
        kanaele.Meldung(QStringLiteral("Der Bericht konnte nicht ausgegeben werden."));
        code = 1;
    }
    std::exit(code);
}
