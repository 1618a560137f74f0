#include "core/EuroUmstellung.h"

#include "core/Budget.h"
#include "core/Journal.h"
#include "platform/posix/Dateien.h"
#include "store/Datenverzeichnis.h"
#include "store/Einstellungsdatei.h"
#include "store/Verlauf.h"
#include "store/Waehrungseinstellung.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The marker of a move under way: the names of the files copied, one a line. It is
// written once the copies are safe and goes once Waehrung=EUR is.
const QString MarkeName = QStringLiteral("Euroumstellung.laeuft");
const QString DmEndung = QStringLiteral(".dm");
const QString DatenName = QStringLiteral("Daten.kwd");
const QString TarifeName = QStringLiteral("Tarife.kwt");

__int128 Zehnerpotenz(int n)
{
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

QString PreisText(double wert)
{
    QString text = QString::number(wert, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

double InEuro(double dm, int stellen)
{
    if (!std::isfinite(dm) || dm == 0)
        return dm;
    stellen = std::clamp(stellen, 0, 6);
    const double teiler = double(Zehnerpotenz(stellen));
    if (std::fabs(dm) >= 1e8)
        return std::round(dm / EuroKurs * teiler) / teiler;
    // The amount as the decimal of ten places it stands for, so the last bit of its
    // binary form cannot tip an exact half; then divided by 1.95583 in whole numbers.
    const __int128 dm10 = std::llroundl(static_cast<long double>(dm) * 1e10L);
    const __int128 zaehler = (dm10 < 0 ? -dm10 : dm10) * Zehnerpotenz(stellen);
    const __int128 nenner = __int128(195583) * 100000; // 1.95583 * 10^10
    const __int128 gerundet = (2 * zaehler + nenner) / (2 * nenner); // halves up
    const double betrag = double(gerundet) / teiler;
    return dm10 < 0 ? -betrag : betrag;
}

void RechneDatenInEuroUm(TDaten& daten)
{
    for (int u = 1; u <= MaxBenutzer; ++u) {
        for (TMonat& monat : daten.Benutzer[u].Monate) {
            for (TVerbindung& v : monat.Verbindungen)
                v.Kosten = BetragInEuro(v.Kosten);
            // Whole cents add up exactly; a damaged value is carried as the month showed it.
            const int n = AnzahlVerbindungen(monat);
            int64_t cent = 0;
            long double roh = 0;
            bool ganz = true;
            for (int k = 0; k < n; ++k) {
                const double kosten = monat.Verbindungen[k].Kosten;
                ganz = ganz && std::isfinite(kosten);
                if (ganz)
                    cent += std::llround(kosten * 100);
                roh += kosten;
            }
            monat.SummeKosten = ganz ? double(cent) / 100 : double(roh);
        }
    }
}

void RechneTarifInEuroUm(TTarif& tarif)
{
    tarif.Preis = PreisInEuro(tarif.Preis);
    tarif.Einwahl = PreisInEuro(tarif.Einwahl);
    tarif.Grundpreis = BetragInEuro(tarif.Grundpreis);
}

void RechneTarifeInEuroUm(TTarifTabelle& tarife)
{
    for (TTarif& tarif : tarife.Slot)
        RechneTarifInEuroUm(tarif);
}

std::optional<QByteArray> RechneRegelnInEuroUm(const QByteArray& text, QString& fehler)
{
    // Latin-1 maps every byte to one character and back, so UTF-8 names and comments
    // pass through untouched.
    static const QString zahl = QStringLiteral("([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))");
    static const QRegularExpression einzeln(
        QStringLiteral("^(\\s*(?:per_connection|minimum_costs)\\s*=\\s*)") + zahl,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression paar(
        QStringLiteral("^(\\s*(?:flat_init_costs|default|per_volume)\\s*=\\s*\\(\\s*)") + zahl,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression regel(
        QStringLiteral("^(\\s*on\\b.*\\buse\\s*\\(\\s*)") + zahl, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression preisZeile(
        QStringLiteral("^\\s*(?:(?:per_connection|minimum_costs|flat_init_costs|default|per_volume)\\s*=|"
                       "on\\b.*\\buse\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression zeichen(
        QStringLiteral("^(\\s*currency_symbol\\s*=\\s*)([^#]*?)(\\s*(?:#.*)?)$"),
        QRegularExpression::CaseInsensitiveOption);

    const QString alles = QString::fromLatin1(text);
    QString neu;
    neu.reserve(alles.size() + 64);
    qsizetype anfang = 0;
    int nummer = 0;
    while (anfang < alles.size()) {
        qsizetype ende = alles.indexOf(QLatin1Char('\n'), anfang);
        ende = ende < 0 ? alles.size() : ende + 1;
        QString zeile = alles.mid(anfang, ende - anfang);
        anfang = ende;
        ++nummer;
        qsizetype umbruch = zeile.size();
        while (umbruch > 0
            && (zeile[umbruch - 1] == QLatin1Char('\n') || zeile[umbruch - 1] == QLatin1Char('\r')))
            --umbruch;
        const QString zeilenende = zeile.mid(umbruch);
        zeile.truncate(umbruch);
        const qsizetype kommentar = zeile.indexOf(QLatin1Char('#'));
        const QString anweisung = kommentar < 0 ? zeile : zeile.left(kommentar);

        if (const auto z = zeichen.match(zeile); z.hasMatch()) {
            zeile = z.captured(1) + QStringLiteral("EUR") + z.captured(3);
        }
        else if (preisZeile.match(anweisung).hasMatch()) {
            QRegularExpressionMatch treffer = einzeln.match(anweisung);
            if (!treffer.hasMatch())
                treffer = paar.match(anweisung);
            if (!treffer.hasMatch())
                treffer = regel.match(anweisung);
            bool ok = false;
            const double preis = treffer.hasMatch() ? QLocale::c().toDouble(treffer.captured(2), &ok) : 0;
            if (!ok) {
                fehler = QStringLiteral("Zeile %1: der Preis ist nicht lesbar").arg(nummer);
                return std::nullopt;
            }
            zeile = treffer.captured(1) + PreisText(InEuro(preis, 4)) + zeile.mid(treffer.capturedEnd(2));
        }
        neu += zeile + zeilenende;
    }
    return neu.toLatin1();
}

namespace {

// --- files ---------------------------------------------------------------------------

struct TDatei {
    QString Name; // within the data folder
    QByteArray Alt;
    QByteArray Neu;
};

QString Pfad(const QString& verzeichnis, const QString& name)
{
    return verzeichnis + QLatin1Char('/') + name;
}

// "Daten.kwd" -> "Daten.kwd.dm", "Tarife/Abend.rst" -> "Tarife.dm/Abend.rst".
QString KopieName(const QString& name)
{
    const QString ordner = RegelOrdnerName + QLatin1Char('/');
    if (name.startsWith(ordner))
        return RegelOrdnerName + DmEndung + QLatin1Char('/') + name.mid(ordner.size());
    return name + DmEndung;
}

// The whole file, or why not. Only a regular file is opened, so nothing put in its
// place makes this wait.
std::optional<QByteArray> LiesGanz(const QString& pfad, QString& fehler)
{
    const QFileInfo info(pfad);
    QFile datei(pfad);
    if (!info.isFile() || !datei.open(QIODevice::ReadOnly)) {
        fehler = QStringLiteral("%1 kann nicht gelesen werden").arg(QDir::toNativeSeparators(pfad));
        return std::nullopt;
    }
    QByteArray bytes = datei.readAll();
    if (datei.error() != QFileDevice::NoError) {
        fehler = QStringLiteral("%1 kann nicht gelesen werden").arg(QDir::toNativeSeparators(pfad));
        return std::nullopt;
    }
    return bytes;
}

// Replaces the whole content crash-safe. Through a symbolic link its target is
// replaced; an existing file keeps its mode.
TErgebnis ErsetzeGanz(const QString& pfad, const QByteArray& bytes)
{
    const QFileInfo info(pfad);
    const QString ziel = info.isSymLink() && info.exists() ? info.canonicalFilePath() : pfad;
    const bool vorhanden = QFileInfo::exists(ziel);
    const QFileDevice::Permissions modus = vorhanden ? QFile::permissions(ziel) : QFileDevice::Permissions();
    const TSpeicherErgebnis e = ErsetzeDatei(ziel, bytes.constData(), size_t(bytes.size()), true);
    if (!e.Ok)
        return { QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(pfad), e.Grund) };
    if (vorhanden)
        QFile::setPermissions(ziel, modus);
    return {};
}

TEuroErgebnis Fehler(const QString& grund)
{
    return { TEuroErgebnis::Fehlgeschlagen,
        QStringLiteral("Die Umstellung auf Euro ist nicht gelungen (%1). Die Beträge bleiben in DM.")
            .arg(grund) };
}

// A record file in Euro: the record's bytes converted (a short file's missing bytes
// read as zero, as loading reads them), a longer file's tail kept.
template <typename TSatz> QByteArray SatzInEuro(const QByteArray& alt, void (*rechneUm)(TSatz&))
{
    if (alt.isEmpty())
        return alt;
    auto satz = std::make_unique<TSatz>();
    std::memset(satz.get(), 0, sizeof(TSatz));
    std::memcpy(satz.get(), alt.constData(), std::min(size_t(alt.size()), sizeof(TSatz)));
    rechneUm(*satz);
    QByteArray neu(reinterpret_cast<const char*>(satz.get()), qsizetype(sizeof(TSatz)));
    if (alt.size() > qsizetype(sizeof(TSatz)))
        neu += alt.mid(qsizetype(sizeof(TSatz)));
    return neu;
}

// The settings file with Waehrung=EUR and its budgets in Euro; every other line as it was.
std::optional<QByteArray> EinstellungenInEuro(
    const QString& verzeichnis, const QByteArray& alt, QString& fehler)
{
    std::optional<TIniText> ini = TIniText::Lies(alt);
    if (!ini) {
        fehler = QStringLiteral("%1 ist keine Einstellungsdatei")
                     .arg(QDir::toNativeSeparators(Pfad(verzeichnis, EinstellungsDateiName)));
        return std::nullopt;
    }
    ini->Setze(QStringLiteral("Allgemein"), QStringLiteral("Waehrung"), WaehrungsKennung(TWaehrung::EUR));
    const QString schluessel = QStringLiteral("Monatsbudget");
    for (const QString& gruppe : ini->Gruppen()) {
        if (!gruppe.startsWith(QStringLiteral("Budget")))
            continue;
        bool zahl = false;
        const double betrag
            = QLocale::c().toDouble(ini->Wert(gruppe, schluessel).value_or(QString()).trimmed(), &zahl);
        // A budget that cannot be read counts as none already and stays as it is.
        if (zahl && std::isfinite(betrag))
            ini->Setze(gruppe, schluessel, QString::number(BetragInEuro(betrag), 'f', 2));
    }
    return ini->Bytes();
}

// Writes every file named in the marker back from its copy, a further step's own way
// where it has one; the marker goes once all are back.
TErgebnis SchreibeKopienZurueck(const QString& verzeichnis, const QList<TEuroSchritt>& weitere)
{
    QString fehler;
    const QByteArray marke = LiesGanz(Pfad(verzeichnis, MarkeName), fehler).value_or(QByteArray());
    if (!fehler.isEmpty())
        return { fehler };
    for (const QByteArray& zeile : marke.split('\n')) {
        const QString name = QString::fromUtf8(zeile);
        if (name.isEmpty())
            continue;
        const auto eigen = std::find_if(weitere.begin(), weitere.end(),
            [&](const TEuroSchritt& s) { return s.Datei == name && s.SchreibeZurueck; });
        if (eigen != weitere.end()) {
            if (TErgebnis e
                = eigen->SchreibeZurueck(Pfad(verzeichnis, name), Pfad(verzeichnis, KopieName(name)));
                !e.Ok())
                return e;
            continue;
        }
        const std::optional<QByteArray> kopie = LiesGanz(Pfad(verzeichnis, KopieName(name)), fehler);
        if (!kopie)
            return { fehler };
        if (TErgebnis e = ErsetzeGanz(Pfad(verzeichnis, name), *kopie); !e.Ok())
            return e;
    }
    const TSpeicherErgebnis weg = EntferneDatei(Pfad(verzeichnis, MarkeName));
    if (!weg.Ok)
        return { weg.Grund };
    return {};
}

} // namespace

QList<TEuroSchritt> WeitereEuroSchritte()
{
    // The journal of a connection a crash cut short carries the prices it was metered
    // by; the next start logs it by them.
    TEuroSchritt journal { JournalName,
        [](const QString& pfad) {
            const TKleineDatei datei = LeseKleineDatei(pfad, JournalHoechstGroesse());
            std::optional<TJournal> j = DekodiereJournal(datei.Inhalt);
            // One that cannot be read is set aside at the next start as it is.
            if (!j)
                return TErgebnis::Erfolg();
            RechneTarifInEuroUm(j->Tarif);
            if (!j->Regeln.isEmpty()) {
                QString grund;
                const std::optional<QByteArray> regeln = RechneRegelnInEuroUm(j->Regeln, grund);
                if (!regeln)
                    return TErgebnis::Fehlschlag(grund);
                j->Regeln = *regeln;
            }
            const QByteArray neu = KodiereJournal(*j);
            const TSpeicherErgebnis e = ErsetzeDatei(pfad, neu.constData(), size_t(neu.size()), true);
            return e.Ok ? TErgebnis::Erfolg() : TErgebnis::Fehlschlag(e.Grund);
        } };
    return { journal, VerlaufEuroSchritt() };
}

TEuroSchritt VerlaufEuroSchritt()
{
    // Through SQLite alone: a copy of the file's bytes could miss what its -wal file
    // holds, and one written back under a -wal file would be spoilt by it.
    const auto mitVerlauf = [](const QString& pfad, auto&& tue) {
        TVerlauf verlauf(pfad);
        if (!verlauf.OeffneVorhandenen())
            return TErgebnis::Fehlschlag(
                QStringLiteral("%1 kann nicht gelesen werden").arg(QDir::toNativeSeparators(pfad)));
        return tue(verlauf);
    };
    TEuroSchritt schritt;
    schritt.Datei = VerlaufDateiName;
    schritt.Sichere = [=](const QString& pfad, const QString& kopie) {
        return mitVerlauf(pfad, [&](TVerlauf& v) { return v.Sichere(kopie); });
    };
    schritt.RechneUm = [=](const QString& pfad) {
        return mitVerlauf(
            pfad, [](TVerlauf& v) { return v.RechneKostenUm(TWaehrung::DM, TWaehrung::EUR, BetragInEuro); });
    };
    schritt.SchreibeZurueck = [](const QString& pfad, const QString& kopie) {
        // Gone or damaged meanwhile: the next start sets it aside and fills a new one
        // from the data file as written back. Refusing here would keep the marker, and
        // every later start would write the copies back over what was logged since.
        TVerlauf verlauf(pfad);
        return verlauf.OeffneVorhandenen() ? verlauf.UebernimmZeilen(kopie) : TErgebnis::Erfolg();
    };
    return schritt;
}

TEuroErgebnis StelleAufEuroUm(const QString& verzeichnis, const QList<TEuroSchritt>& weitere)
{
    if (const QString zurueck = SetzeAbgebrocheneEuroUmstellungZurueck(verzeichnis, weitere);
        QFileInfo::exists(Pfad(verzeichnis, MarkeName)))
        return Fehler(zurueck);

    const QString iniPfad = Pfad(verzeichnis, EinstellungsDateiName);
    const TWaehrungsEintrag waehrung = LiesWaehrung(iniPfad);
    if (!waehrung.Fehler.isEmpty())
        return Fehler(QStringLiteral("%1 ist nicht lesbar").arg(QDir::toNativeSeparators(iniPfad)));
    if (waehrung.Waehrung == TWaehrung::EUR)
        return { TEuroErgebnis::BereitsEuro, BereitsEuroText };

    // Everything is read and worked out before anything is written.
    QString fehler;
    QList<TDatei> dateien;
    auto nimm = [&](const QString& name) -> TDatei* {
        if (!QFileInfo::exists(Pfad(verzeichnis, name)) && !QFileInfo(Pfad(verzeichnis, name)).isSymLink())
            return nullptr;
        const std::optional<QByteArray> alt = LiesGanz(Pfad(verzeichnis, name), fehler);
        if (!alt)
            return nullptr;
        dateien.append({ name, *alt, *alt });
        return &dateien.last();
    };
    if (TDatei* d = nimm(DatenName))
        d->Neu = SatzInEuro(d->Alt, RechneDatenInEuroUm);
    if (TDatei* t = nimm(TarifeName))
        t->Neu = SatzInEuro(t->Alt, RechneTarifeInEuroUm);
    const QDir regeln(Pfad(verzeichnis, RegelOrdnerName));
    for (const QString& regel : regeln.entryList({ QStringLiteral("*.rst") }, QDir::Files | QDir::Hidden)) {
        if (!fehler.isEmpty())
            break;
        TDatei* r = nimm(RegelOrdnerName + QLatin1Char('/') + regel);
        if (!r)
            break;
        QString grund;
        const std::optional<QByteArray> neu = RechneRegelnInEuroUm(r->Alt, grund);
        if (!neu)
            fehler
                = QStringLiteral("%1, %2").arg(QDir::toNativeSeparators(Pfad(verzeichnis, r->Name)), grund);
        else
            r->Neu = *neu;
    }
    QList<TEuroSchritt> schritte;
    for (const TEuroSchritt& schritt : weitere)
        if (fehler.isEmpty()
            && (schritt.Sichere ? QFileInfo::exists(Pfad(verzeichnis, schritt.Datei))
                                : nimm(schritt.Datei) != nullptr))
            schritte << schritt;
    const bool mitIni = fehler.isEmpty() && nimm(EinstellungsDateiName);
    if (!fehler.isEmpty())
        return Fehler(fehler);

    // The copies, each made durable, before the first file is touched.
    QStringList namen;
    for (const TDatei& d : std::as_const(dateien)) {
        const QString kopie = Pfad(verzeichnis, KopieName(d.Name));
        QDir().mkpath(QFileInfo(kopie).absolutePath());
        const TSpeicherErgebnis e = ErsetzeDatei(kopie, d.Alt.constData(), size_t(d.Alt.size()), true);
        if (!e.Ok)
            return Fehler(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(kopie), e.Grund));
        namen << d.Name;
    }
    for (const TEuroSchritt& schritt : std::as_const(schritte)) {
        if (!schritt.Sichere)
            continue;
        if (const TErgebnis e
            = schritt.Sichere(Pfad(verzeichnis, schritt.Datei), Pfad(verzeichnis, KopieName(schritt.Datei)));
            !e.Ok())
            return Fehler(e.Fehler);
        namen << schritt.Datei;
    }
    const QByteArray marke = (namen.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    const TSpeicherErgebnis markiert
        = ErsetzeDatei(Pfad(verzeichnis, MarkeName), marke.constData(), size_t(marke.size()), true);
    if (!markiert.Ok)
        return Fehler(markiert.Grund);

    const auto zurueck = [&](const QString& grund) {
        const TErgebnis nichtZurueck = SchreibeKopienZurueck(verzeichnis, weitere);
        if (nichtZurueck.Ok())
            return Fehler(grund);
        return TEuroErgebnis { TEuroErgebnis::Fehlgeschlagen,
            QStringLiteral("Die Umstellung auf Euro ist nicht gelungen (%1), und die Sicherungen "
                           "(*.dm) konnten nicht zurückgeschrieben werden (%2). Kostenwolf stellt sie "
                           "beim nächsten Start wieder her.")
                .arg(grund, nichtZurueck.Fehler) };
    };

    const std::optional<QByteArray> ini
        = EinstellungenInEuro(verzeichnis, mitIni ? dateien.last().Alt : QByteArray(), fehler);
    if (!ini)
        return zurueck(fehler);
    for (const TDatei& d : std::as_const(dateien)) {
        if (d.Name == EinstellungsDateiName || d.Neu == d.Alt)
            continue;
        if (const TErgebnis e = ErsetzeGanz(Pfad(verzeichnis, d.Name), d.Neu); !e.Ok())
            return zurueck(e.Fehler);
    }
    for (const TEuroSchritt& schritt : std::as_const(schritte)) {
        if (const TErgebnis e = schritt.RechneUm(Pfad(verzeichnis, schritt.Datei)); !e.Ok())
            return zurueck(QStringLiteral("%1: %2").arg(schritt.Datei, e.Fehler));
    }
    // The one step that makes it Euro.
    const TErgebnis euro = mitIni ? ErsetzeGanz(iniPfad, *ini) : [&] {
        const TSpeicherErgebnis e = ErsetzeDatei(iniPfad, ini->constData(), size_t(ini->size()), true);
        return e.Ok
            ? TErgebnis::Erfolg()
            : TErgebnis::Fehlschlag(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(iniPfad), e.Grund));
    }();
    if (!euro.Ok())
        return zurueck(euro.Fehler);
    // The move is complete; a marker that stays is removed at the next start, which
    // finds Waehrung=EUR.
    (void)EntferneDatei(Pfad(verzeichnis, MarkeName));
    return { TEuroErgebnis::Umgestellt,
        QStringLiteral("Alle Beträge sind jetzt in Euro. Die bisherigen Dateien liegen als Sicherung "
                       "daneben (Endung .dm).") };
}

QString SetzeAbgebrocheneEuroUmstellungZurueck(const QString& verzeichnis, const QList<TEuroSchritt>& weitere)
{
    if (!QFileInfo::exists(Pfad(verzeichnis, MarkeName)))
        return {};
    // Waehrung=EUR was the last step: written, the move is complete.
    if (LiesWaehrung(Pfad(verzeichnis, EinstellungsDateiName)).Waehrung == TWaehrung::EUR) {
        // Should the removal fail, the next start comes here again.
        (void)EntferneDatei(Pfad(verzeichnis, MarkeName));
        return {};
    }
    const TErgebnis zurueck = SchreibeKopienZurueck(verzeichnis, weitere);
    if (!zurueck.Ok())
        return QStringLiteral(
            "Eine abgebrochene Umstellung auf Euro konnte nicht zurückgenommen werden (%1). "
            "Die bisherigen Dateien liegen mit der Endung .dm daneben.")
            .arg(zurueck.Fehler);
    return QStringLiteral(
        "Eine abgebrochene Umstellung auf Euro wurde zurückgenommen; die Beträge sind in DM.");
}

TEuroErgebnis StelleGeladenesKontoAufEuroUm()
{
    if (Waehrung == TWaehrung::EUR)
        return { TEuroErgebnis::BereitsEuro, BereitsEuroText };
    for (const TSpeicherErgebnis& e : { SpeichereDaten(), SpeichereTarife() })
        if (!e.Ok)
            return Fehler(e.Gesperrt
                    ? QStringLiteral("%1 ist nicht lesbar").arg(QDir::toNativeSeparators(e.Pfad))
                    : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(e.Pfad), e.Grund));
    TEuroErgebnis ergebnis = StelleAufEuroUm(DatenVerzeichnis());
    if (ergebnis.art != TEuroErgebnis::Umgestellt)
        return ergebnis;
    // A file that cannot be read back keeps this run's hands off it; the user learns so
    // as at start-up.
    for (const auto& [pfad, geladen] :
        { std::pair { DatenPfad(), LadeDaten() }, std::pair { TarifePfad(), LadeTarife() } })
        if (geladen.art == TLadeErgebnis::Unlesbar)
            ergebnis.Meldung += QLatin1Char('\n') + LadeFehlerText(pfad);
    RechneTarifInEuroUm(AktTarif);
    // Their notices were given at start-up; the move itself changes none of them.
    LadeBudgets();
    LadeWaehrung();
    return ergebnis;
}
