#include "process/Berichtsaufruf.h"

#include "core/Anlauf.h"
#include "core/CsvExport.h"
#include "core/Jahresbericht.h"
#include "core/KontoBericht.h"
#include "core/Tarifvergleich.h"
#include "platform/Terminal.h"
#include "process/Programmaufruf.h"
#include "runtime/Fehlerausgabe.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Startablauf.h"
#include "store/Tarife.h"
#include "store/Verlauf.h"
#include "store/Waehrungseinstellung.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// A whole number within bounds for --jahr and --monate.
std::optional<int> Zahl(
    const QStringList& argumente, qsizetype& i, const QString& name, int von, int bis, QString& fehler)
{
    const auto wert = Wert(argumente, i, name, fehler);
    if (!wert)
        return std::nullopt;
    bool ok = false;
    const int n = wert->toInt(&ok);
    if (!ok || n < von || n > bis) {
        fehler = QStringLiteral("%1 %2 geht nicht; erwartet wird eine Zahl von %3 bis %4.")
                     .arg(name, Anfuehrung(*wert))
                     .arg(von)
                     .arg(bis);
        return std::nullopt;
    }
    return n;
}

bool IstOption(const QString& arg, const QString& name)
{
    return arg == name || arg.startsWith(name + QLatin1Char('='));
}

std::optional<TAusgabeFormat> LiesFormat(const QString& format, QString& fehler)
{
    if (format == QStringLiteral("text"))
        return TAusgabeFormat::Text;
    if (format == QStringLiteral("csv"))
        return TAusgabeFormat::Csv;
    if (format == QStringLiteral("json"))
        return TAusgabeFormat::Json;
    fehler = QStringLiteral("Das Format %1 gibt es nicht; möglich sind text, csv und json.")
                 .arg(Anfuehrung(format));
    return std::nullopt;
}

// What of the options given does not go together; empty when all does.
QString Unvereinbar(bool bericht, bool vergleich, bool jahr, bool monate, bool monat)
{
    if (bericht && vergleich)
        return QStringLiteral("Es geht --bericht oder --vergleich, nicht beides.");
    if (monate && !vergleich)
        return QStringLiteral("--monate gehört zu --vergleich.");
    if (vergleich && (jahr || monat))
        return QStringLiteral("--vergleich nimmt keinen Monat und kein Jahr, sondern --monate N.");
    if (jahr && monat)
        return QStringLiteral("Es geht ein Monat oder --jahr, nicht beides.");
    return {};
}

// "MM/JJJJ" of a month whose log is still kept, into 'wunsch'.
bool LiesMonat(const QString& text, TDateTime heute, TBerichtsWunsch& wunsch, QString& fehler)
{
    static const QRegularExpression muster(QStringLiteral("^(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch treffer = muster.match(text);
    const int monat = treffer.hasMatch() ? treffer.captured(1).toInt() : 0;
    if (monat < 1 || monat > 12) {
        fehler = QStringLiteral(
            "Den Monat %1 gibt es nicht; erwartet wird MM/JJJJ mit einem Monat von 01 bis 12.")
                     .arg(Anfuehrung(text));
        return false;
    }
    const int jahr = treffer.captured(2).toInt();
    const int gespeichert = BerichtsJahr(heute, monat);
    if (jahr != gespeichert) {
        fehler = QStringLiteral("Für %1 gibt es kein Protokoll: Kostenwolf bewahrt jeden Monat nur aus "
                                "seinem letzten Jahr auf, diesen also für %2.")
                     .arg(MonatUndJahr(monat, jahr), MonatUndJahr(monat, gespeichert));
        return false;
    }
    wunsch.Monat = monat;
    wunsch.Jahr = jahr;
    return true;
}

// The log as the running program keeps it, only read; where there is none (a first
// start of this version is still to come) the same from "Daten.kwd", in memory.
void OeffneVerlaufZumLesen(TVerlauf& verlauf)
{
    if (verlauf.OeffneNurLesend())
        return;
    if (verlauf.OeffneImSpeicher())
        verlauf.UebernimmAusDaten(Daten);
}

// The answers that come from the connection log: the comparison, the year and the
// month as JSON.
QByteArray AusDemVerlauf(const TBerichtsWunsch& wunsch, int benutzer, TDateTime heute)
{
    const QString name = Daten.Benutzer[benutzer].Name.Text();
    TVerlauf verlauf(VerlaufPfad());
    OeffneVerlaufZumLesen(verlauf);
    if (wunsch.Vergleich) {
        const TZeitraum zeitraum = LetzteMonate(heute, wunsch.Monate);
        const TTarifvergleich vergleich
            = VergleicheTarife(name, verlauf.Verbindungen(name, zeitraum.Von, zeitraum.Bis), zeitraum, Tarife,
                Daten.Benutzer[benutzer].TarifNr, PreisNachRegeln());
        switch (wunsch.Format) {
        case TAusgabeFormat::Csv:
            return VergleichAlsCsv(vergleich);
        case TAusgabeFormat::Json:
            return VergleichAlsJson(vergleich);
        case TAusgabeFormat::Text:
            break;
        }
        return VergleichAlsText(vergleich).toLocal8Bit();
    }
    if (wunsch.GanzesJahr) {
        const TJahresbericht bericht = BaueJahresbericht(verlauf, name, wunsch.Jahr);
        switch (wunsch.Format) {
        case TAusgabeFormat::Csv:
            return JahrAlsCsv(bericht);
        case TAusgabeFormat::Json:
            return JahrAlsJson(bericht);
        case TAusgabeFormat::Text:
            break;
        }
        return JahrAlsText(bericht).toLocal8Bit();
    }
    const TDateTime von = EncodeDate(wunsch.Jahr, wunsch.Monat, 1);
    const TDateTime bis = wunsch.Monat == 12 ? EncodeDate(wunsch.Jahr + 1, 1, 1)
                                             : EncodeDate(wunsch.Jahr, wunsch.Monat + 1, 1);
    return MonatAlsJson(
        name, wunsch.Jahr, wunsch.Monat, AktTarif.Grundpreis, verlauf.Verbindungen(name, von, bis));
}

} // namespace

bool WillBericht(const QStringList& argumente)
{
    return argumente.contains(QStringLiteral("--bericht"))
        || argumente.contains(QStringLiteral("--vergleich"));
}

QString BerichtsAufruftext()
{
    return QStringLiteral(
        "Aufruf: kostenwolf --bericht [MM/JJJJ | --jahr JJJJ] [--benutzer NAME]\n"
        "                  [--format text|csv|json] [--kennwort-stdin]\n"
        "       kostenwolf --vergleich [--monate N] [--benutzer NAME] [--format text|csv|json]\n"
        "                  [--kennwort-stdin]\n"
        "Gibt den Monatsbericht aus (Vorgabe: der laufende Monat des Startbenutzers), mit\n"
        "--jahr die Monate eines Jahres, mit --vergleich die Kosten der letzten N Monate\n"
        "(Vorgabe: 12) unter jedem gespeicherten Tarif.\n");
}

std::optional<TBerichtsWunsch> LiesBerichtsArgumente(
    const QStringList& argumente, TDateTime heute, QString& fehler)
{
    TBerichtsWunsch wunsch;
    int jahrHeute, monatHeute, tagHeute;
    DecodeDate(heute, jahrHeute, monatHeute, tagHeute);
    std::optional<QString> monatsText;

    bool bericht = false;
    std::optional<int> jahr, monate;
    const auto zahl = [&](qsizetype& i, const QString& name, int von, int bis) {
        return Zahl(argumente, i, name, von, bis, fehler);
    };

    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente[i];
        if (arg == QStringLiteral("--bericht")) {
            bericht = true;
        }
        else if (arg == QStringLiteral("--vergleich")) {
            wunsch.Vergleich = true;
        }
        else if (IstOption(arg, QStringLiteral("--jahr"))) {
            jahr = zahl(i, QStringLiteral("--jahr"), 1900, 9999);
            if (!jahr)
                return std::nullopt;
        }
        else if (IstOption(arg, QStringLiteral("--monate"))) {
            monate = zahl(i, QStringLiteral("--monate"), 1, 1200);
            if (!monate)
                return std::nullopt;
        }
        else if (IstOption(arg, QStringLiteral("--benutzer"))) {
            const auto name = Wert(argumente, i, QStringLiteral("--benutzer"), fehler);
            if (!name)
                return std::nullopt;
            wunsch.Benutzer = *name;
        }
        else if (IstOption(arg, QStringLiteral("--format"))) {
            const auto format = Wert(argumente, i, QStringLiteral("--format"), fehler);
            const std::optional<TAusgabeFormat> gelesen = format ? LiesFormat(*format, fehler) : std::nullopt;
            if (!gelesen)
                return std::nullopt;
            wunsch.Format = *gelesen;
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

    fehler = Unvereinbar(
        bericht, wunsch.Vergleich, jahr.has_value(), monate.has_value(), monatsText.has_value());
    if (!fehler.isEmpty())
        return std::nullopt;
    wunsch.Monate = monate.value_or(12);
    wunsch.Monat = monatHeute;
    wunsch.Jahr = jahrHeute;
    if (jahr) {
        wunsch.GanzesJahr = true;
        wunsch.Jahr = *jahr;
    }
    if (monatsText && !LiesMonat(*monatsText, heute, wunsch, fehler))
        return std::nullopt;
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
    // Only looked at: a data folder that is not there is not made.
    const QString ordner = DatenVerzeichnis();
    if (!QFileInfo(ordner).isDir()) {
        kanaele.Meldung(
            QStringLiteral("Den Datenordner %1 gibt es nicht.").arg(QDir::toNativeSeparators(ordner)));
        return BerichtDatenUnlesbar;
    }
    // What a start now would see: the first user of a fresh record, and this month's slot
    // emptied for users who last ran in an earlier year's month. In memory only.
    TAnlaufWunsch start;
    start.NurLesen = true;
    start.Uhr = [heute] { return heute; };
    start.Benutzer = wunsch->Benutzer;
    start.Kennwort
        = [&](int u) { return kanaele.Kennwort(Daten.Benutzer[u].Name.Text(), wunsch->KennwortStdin); };
    start.Melde = [&](const QString& text, const QString&) { kanaele.Meldung(text); };
    const TAnlauf anlauf = Anlaufen(start);
    switch (anlauf.art) {
    case TAnlauf::Angemeldet:
        break;
    case TAnlauf::DatenUnlesbar:
        return unlesbar(anlauf.Pfad, anlauf.Grund);
    case TAnlauf::BenutzerFehlt: {
        QStringList namen;
        for (int u = 1; u <= Daten.BenutzerAnzahl; ++u)
            namen << Anfuehrung(Daten.Benutzer[u].Name.Text());
        kanaele.Meldung(QStringLiteral("Einen Benutzer %1 gibt es nicht; es gibt %2.")
                            .arg(Anfuehrung(*wunsch->Benutzer), namen.join(QStringLiteral(", "))));
        return BerichtBenutzerFehlt;
    }
    case TAnlauf::Abgebrochen:
        kanaele.Meldung(wunsch->KennwortStdin
                ? QStringLiteral("Das Kennwort konnte nicht von der Standardeingabe gelesen werden.")
                : QStringLiteral("Das Kennwort kann ohne Terminal nicht abgefragt werden; "
                                 "--kennwort-stdin liest es von der Standardeingabe."));
        return BerichtFalschesKennwort;
    case TAnlauf::KennwortFalsch:
        return BerichtFalschesKennwort;
    }
    const int benutzer = anlauf.Benutzer;
    if (wunsch->Vergleich || wunsch->GanzesJahr || wunsch->Format == TAusgabeFormat::Json) {
        kanaele.Ausgabe(AusDemVerlauf(*wunsch, benutzer, heute));
        return BerichtFertig;
    }
    const TMonat& protokoll = Daten.Benutzer[benutzer].Monate[wunsch->Monat];
    if (wunsch->Format == TAusgabeFormat::Csv) {
        kanaele.Ausgabe(MonatAlsCsv(protokoll));
    }
    else {
        const TKontoBericht bericht = BaueKontoBericht(protokoll, AktTarif.Grundpreis);
        QString text;
        for (const QString& zeile : bericht.Zeilen)
            text += OhneSteuerzeichen(zeile) + QLatin1Char('\n');
        text += OhneSteuerzeichen(bericht.Summe) + QLatin1Char('\n');
        kanaele.Ausgabe(text.toLocal8Bit());
    }
    return BerichtFertig;
}

std::optional<int> BeantworteBerichtsAufruf(int argc, char** argv)
{
    const QStringList argumente = Argumente(argc, argv);
    if (!WillBericht(argumente))
        return std::nullopt;

    FormatSettings = LeseSystemFormate(); // the texts as the report window shows them
    TBerichtsKanaele kanaele;
    static int ausgabeFehler = 0;
    kanaele.Ausgabe = [](const QByteArray& bytes) {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
            ausgabeFehler = errno;
    };
    kanaele.Meldung
        = [](const QString& text) { SchreibeFehlerausgabe(QStringLiteral("kostenwolf: ") + text); };
    kanaele.Kennwort = [](const QString& benutzer, bool vonStdin) {
        return vonStdin
            ? LiesZeileVonStdin()
            : LiesVerdeckt(QStringLiteral("Kennwort für ") + Anfuehrung(benutzer) + QStringLiteral(": "));
    };
    // A reader that went away (a closed pipe) is told by an error, not by a signal that
    // would end the process without a word.
    std::signal(SIGPIPE, SIG_IGN);
    int code = FuehreBerichtAus(argumente, Now(), kanaele);
    if (std::fflush(stdout) != 0 && !ausgabeFehler)
        ausgabeFehler = errno;
    const bool geschrieben = !ausgabeFehler && !std::ferror(stdout);
    if (!geschrieben && code == BerichtFertig) {
        // A report that did not reach its reader (a full disk behind a redirection) is no
        // success; the documented codes are for the data, so this one stands apart.
        kanaele.Meldung(QStringLiteral("Der Bericht konnte nicht ausgegeben werden (%1).")
                            .arg(DateiFehlerGrund(ausgabeFehler ? ausgabeFehler : EIO)));
        code = BerichtAusgabeFehler;
    }
    return code;
}
