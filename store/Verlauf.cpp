#include "store/Verlauf.h"

#include "platform/posix/Dateien.h"
#include "store/Datenverzeichnis.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString Tabelle = QStringLiteral(R"(CREATE TABLE verbindungen (
    id INTEGER PRIMARY KEY,
    benutzer TEXT,
    beginn TEXT,
    ende TEXT,
    sekunden REAL,
    kosten REAL,
    waehrung TEXT,
    tarif TEXT,
    rx_bytes INTEGER,
    tx_bytes INTEGER,
    quelle TEXT,
    wiederhergestellt INTEGER
))");
// By start for the reports, by end for the look whether a connection is there.
const QString IndexBeginn
    = QStringLiteral("CREATE INDEX verbindungen_beginn ON verbindungen (benutzer, beginn, kosten, sekunden)");
const QString IndexEnde = QStringLiteral("CREATE INDEX verbindungen_ende ON verbindungen (benutzer, ende)");

const QString Spalten = QStringLiteral("benutzer, beginn, ende, sekunden, kosten, waehrung, tarif, rx_bytes, "
                                       "tx_bytes, quelle, wiederhergestellt");

// Lengths and costs that differ by less than this are the same connection: both were
// computed from the same numbers, only the way through a text may differ.
constexpr double SekundenToleranz = 0.001;
constexpr double KostenToleranz = 0.000001;

QVariant Bytes(const std::optional<qint64>& wert)
{
    return wert ? QVariant(*wert) : QVariant(QMetaType(QMetaType::LongLong));
}

std::optional<qint64> Bytes(const QVariant& wert)
{
    if (wert.isNull())
        return std::nullopt;
    return wert.toLongLong();
}

// Creates the file readable by its owner only before SQLite opens it; SQLite gives its
// -wal and -shm files the same mode.
bool LegeDateiAn(const QString& pfad)
{
    const int fd = ::open(QFile::encodeName(pfad).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The cost of a row in the currency in force. The move to Euro converts the log with
// the account; a DM row still found in a Euro account (a log brought from elsewhere, or
// copied back by hand) counts at the fixed rate, to the cent.
QString Kosten()
{
    if (Waehrung == TWaehrung::DM)
        return QStringLiteral("kosten");
    return QStringLiteral("(CASE WHEN waehrung = 'DM' THEN round(kosten / 1.95583, 2) ELSE kosten END)");
}

// Two costs are the same within this, where one of them was converted.
constexpr double UmrechnungsToleranz = 0.0051;

QString JahresAnfang(int jahr)
{
    return QStringLiteral("%1-01-01").arg(jahr, 4, 10, QLatin1Char('0'));
}

} // namespace

struct TVerlauf::TAbfragen {
    QSqlDatabase Db;
    std::optional<QSqlQuery> Einfuegen;
    std::optional<QSqlQuery> Suchen;
};

QString VerlaufZeitText(TDateTime wert)
{
    if (!std::isfinite(wert) || wert < 0 || wert > 2'958'465) // 31.12.9999
        return QString();
    const TZeitTeile t = ZerlegeZeit(wert);
    int jahr, monat, tag;
    DecodeDate(double(t.Tage), jahr, monat, tag);
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(jahr, 4, 10, QLatin1Char('0'))
        .arg(monat, 2, 10, QLatin1Char('0'))
        .arg(tag, 2, 10, QLatin1Char('0'))
        .arg(t.Stunde, 2, 10, QLatin1Char('0'))
        .arg(t.Minute, 2, 10, QLatin1Char('0'))
        .arg(t.Sekunde, 2, 10, QLatin1Char('0'));
}

std::optional<TDateTime> VerlaufZeit(const QString& text)
{
    if (text.size() != 19 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-')
        || text[10] != QLatin1Char('T') || text[13] != QLatin1Char(':') || text[16] != QLatin1Char(':'))
        return std::nullopt;
    bool ok[6];
    const int jahr = text.mid(0, 4).toInt(&ok[0]);
    const int monat = text.mid(5, 2).toInt(&ok[1]);
    const int tag = text.mid(8, 2).toInt(&ok[2]);
    const int stunde = text.mid(11, 2).toInt(&ok[3]);
    const int minute = text.mid(14, 2).toInt(&ok[4]);
    const int sekunde = text.mid(17, 2).toInt(&ok[5]);
    for (bool b : ok)
        if (!b)
            return std::nullopt;
    if (!QDate::isValid(jahr, monat, tag) || stunde > 23 || minute > 59 || sekunde > 59)
        return std::nullopt;
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, minute, sekunde, 0);
}

TVerlauf::TVerlauf(QString pfad)
    : FPfad(std::move(pfad))
{
    static std::atomic<int> zaehler { 0 };
    FName = QStringLiteral("kostenwolf-verlauf-%1").arg(++zaehler);
}

TVerlauf::~TVerlauf()
{
    Schliesse();
}

bool TVerlauf::Offen() const
{
    return FAbfragen && FAbfragen->Db.isOpen();
}

void TVerlauf::Schliesse()
{
    if (!FAbfragen)
        return;
    FAbfragen->Einfuegen.reset();
    FAbfragen->Suchen.reset();
    FAbfragen->Db.close();
    FAbfragen.reset();
    QSqlDatabase::removeDatabase(FName);
}

bool TVerlauf::Verbinde(bool nurLesend)
{
    Schliesse();
    FAbfragen = std::make_unique<TAbfragen>();
    FAbfragen->Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FName);
    FAbfragen->Db.setDatabaseName(FPfad);
    QString optionen = QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000");
    if (nurLesend) {
        optionen += QStringLiteral(";QSQLITE_OPEN_READONLY");
        // Even a reader makes the -wal and -shm files where they are missing. They are
        // missing only while no Kostenwolf has the log open and everything is in the
        // file itself; then the file is read as it stands and nothing is made.
        if (!QFileInfo::exists(FPfad + QStringLiteral("-wal"))) {
            optionen += QStringLiteral(";QSQLITE_OPEN_URI");
            FAbfragen->Db.setDatabaseName(
                QUrl::fromLocalFile(FPfad).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1"));
        }
    }
    FAbfragen->Db.setConnectOptions(optionen);
    if (!FAbfragen->Db.open()) {
        Schliesse();
        return false;
    }
    return true;
}

bool TVerlauf::RichteEin()
{
    QSqlQuery q(FAbfragen->Db);
    // The first statement reads the header: a file that is no database fails here.
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return false;
    const int version = q.value(0).toInt();
    if (version > VerlaufSchemaVersion)
        return false;
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
        || !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    if (version == 0) {
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next()
            || q.value(0).toInt() != 0)
            return false; // somebody else's database
        FAbfragen->Db.transaction();
        const bool ok = q.exec(Tabelle) && q.exec(IndexBeginn) && q.exec(IndexEnde)
            && q.exec(QStringLiteral("PRAGMA user_version=%1").arg(VerlaufSchemaVersion));
        if (!ok || !FAbfragen->Db.commit()) {
            FAbfragen->Db.rollback();
            return false;
        }
    }
    if (!q.exec(QStringLiteral("SELECT %1 FROM verbindungen LIMIT 1").arg(Spalten)))
        return false;
    return true;
}

TVerlauf::TOeffnen TVerlauf::Oeffne()
{
    TOeffnen ergebnis;
    const bool vorhanden = QFileInfo::exists(FPfad);
    if (!vorhanden && !LegeDateiAn(FPfad))
        return ergebnis;
    if (Verbinde(false) && RichteEin()) {
        ergebnis.Ok = true;
        return ergebnis;
    }
    Schliesse();
    // Damaged, unreadable or no log of ours: set aside with what SQLite kept beside it,
    // whose pages belong to the old file and must never be read into a new one.
    const QString name = QFileInfo(FPfad).fileName() + QStringLiteral(".defekt");
    const TSpeicherErgebnis beiseite = LegeDateiBeiseite(FPfad, name);
    if (!beiseite.Ok) {
        ergebnis.Meldung
            = QStringLiteral("Der Verlauf „%1“ kann nicht gelesen werden (%2). Verbindungen werden "
                             "weiter in „Daten.kwd“ eingetragen.")
                  .arg(FPfad, beiseite.Grund);
        return ergebnis;
    }
    for (const QString& endung : { QStringLiteral("-wal"), QStringLiteral("-shm") }) {
        if (QFileInfo::exists(FPfad + endung) && !QFile::rename(FPfad + endung, beiseite.Pfad + endung))
            QFile::remove(FPfad + endung);
    }
    ergebnis.Meldung
        = QStringLiteral("Der Verlauf war beschädigt und wurde als „%1“ beiseitegelegt. Ein neuer wird "
                         "aus den Verbindungen in „Daten.kwd“ angelegt.")
              .arg(QFileInfo(beiseite.Pfad).fileName());
    ergebnis.Ok = LegeDateiAn(FPfad) && Verbinde(false) && RichteEin();
    if (!ergebnis.Ok)
        Schliesse();
    return ergebnis;
}

bool TVerlauf::OeffneNurLesend()
{
    return OeffneVorhandenen(true);
}

bool TVerlauf::OeffneVorhandenen(bool nurLesend)
{
    if (!QFileInfo::exists(FPfad))
        return false;
    if (!Verbinde(nurLesend))
        return false;
    QSqlQuery q(FAbfragen->Db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()
        || q.value(0).toInt() != VerlaufSchemaVersion
        || !q.exec(QStringLiteral("SELECT %1 FROM verbindungen LIMIT 1").arg(Spalten))) {
        Schliesse();
        return false;
    }
    return true;
}

bool TVerlauf::OeffneImSpeicher()
{
    FPfad = QStringLiteral(":memory:");
    if (Verbinde(false) && RichteEin())
        return true;
    Schliesse();
    return false;
}

bool TVerlauf::Vorhanden(const TVerlaufsEintrag& e) const
{
    QSqlQuery& q = *FAbfragen->Suchen;
    q.bindValue(0, e.Benutzer);
    q.bindValue(1, VerlaufZeitText(e.Ende));
    q.bindValue(2, e.Tarif);
    q.bindValue(3, e.Sekunden - SekundenToleranz);
    q.bindValue(4, e.Sekunden + SekundenToleranz);
    q.bindValue(5, e.Kosten - KostenToleranz);
    q.bindValue(6, e.Kosten + KostenToleranz);
    const bool gefunden = q.exec() && q.next();
    q.finish();
    return gefunden;
}

TVerlauf::TEintrag TVerlauf::Fuege(const TVerlaufsEintrag& e, bool nachsehen)
{
    if (!Offen())
        return TEintrag::Fehler;
    if (!FAbfragen->Einfuegen) {
        FAbfragen->Suchen.emplace(FAbfragen->Db);
        FAbfragen->Einfuegen.emplace(FAbfragen->Db);
        const bool ok = FAbfragen->Suchen->prepare(
                            QStringLiteral("SELECT 1 FROM verbindungen WHERE benutzer = ? AND ende = ? "
                                           "AND tarif = ? AND sekunden BETWEEN ? AND ? "
                                           "AND kosten BETWEEN ? AND ? LIMIT 1"))
            && FAbfragen->Einfuegen->prepare(QStringLiteral("INSERT INTO verbindungen (%1) VALUES "
                                                            "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                                 .arg(Spalten));
        if (!ok) {
            FAbfragen->Suchen.reset();
            FAbfragen->Einfuegen.reset();
            return TEintrag::Fehler;
        }
    }
    if (nachsehen && Vorhanden(e))
        return TEintrag::Vorhanden;
    QSqlQuery& q = *FAbfragen->Einfuegen;
    q.bindValue(0, e.Benutzer);
    q.bindValue(1, VerlaufZeitText(e.Beginn));
    q.bindValue(2, VerlaufZeitText(e.Ende));
    q.bindValue(3, e.Sekunden);
    q.bindValue(4, e.Kosten);
    q.bindValue(5, e.Waehrung);
    q.bindValue(6, e.Tarif);
    q.bindValue(7, Bytes(e.RxBytes));
    q.bindValue(8, Bytes(e.TxBytes));
    q.bindValue(9, e.Quelle);
    q.bindValue(10, e.Wiederhergestellt ? 1 : 0);
    const bool ok = q.exec();
    q.finish();
    return ok ? TEintrag::Neu : TEintrag::Fehler;
}

bool TVerlauf::Schreibe(const TVerlaufsEintrag& eintrag)
{
    return Fuege(eintrag, true) != TEintrag::Fehler;
}

TVerlaufsEintrag EintragAusDaten(const QString& benutzer, const TVerbindung& v)
{
    TVerlaufsEintrag e;
    e.Benutzer = benutzer;
    e.Ende = v.Datum;
    e.Beginn = v.Datum - v.Dauer;
    // Whole milliseconds, as the metering counts them; a length in days is seldom an
    // exact number of seconds.
    e.Sekunden = std::round(v.Dauer * 86'400'000.0) / 1000.0;
    e.Kosten = v.Kosten;
    e.Tarif = v.Tarif.Text();
    e.Quelle = QuelleDaten;
    return e;
}

std::optional<int> TVerlauf::UebernimmAusDaten(const TDaten& daten)
{
    if (!Offen() || !FAbfragen->Db.transaction())
        return std::nullopt;
    const auto abbrechen = [this] {
        FAbfragen->Db.rollback();
        return std::nullopt;
    };
    int neu = 0;
    for (int u = 1; u <= daten.BenutzerAnzahl && u <= MaxBenutzer; ++u) {
        const TBenutzer& b = daten.Benutzer[u];
        const QString name = b.Name.Text();
        std::vector<TVerlaufsEintrag> eintraege;
        QString fruehestes;
        for (const TMonat& monat : b.Monate) {
            const int n = AnzahlVerbindungen(monat);
            for (int k = 0; k < n; ++k) {
                const TVerbindung& v = monat.Verbindungen[k];
                // A damaged entry without a date or length has nothing to go by.
                const QString ende = VerlaufZeitText(v.Datum);
                if (ende.isEmpty() || !std::isfinite(v.Dauer) || !std::isfinite(v.Kosten))
                    continue;
                eintraege.push_back(EintragAusDaten(name, v));
                if (fruehestes.isEmpty() || ende < fruehestes)
                    fruehestes = ende;
            }
        }
        if (eintraege.empty())
            continue;
        // What the log holds of the months "Daten.kwd" covers, read at once: every start
        // looks at up to 31,200 entries, and one query each would be felt.
        QHash<QString, std::vector<TVerlaufsEintrag>> bekannt;
        QSqlQuery q(FAbfragen->Db);
        q.setForwardOnly(true);
        q.prepare(
            QStringLiteral("SELECT ende, tarif, sekunden, %1, waehrung FROM verbindungen WHERE benutzer = ? "
                           "AND ende >= ?")
                .arg(Kosten()));
        q.addBindValue(name);
        q.addBindValue(fruehestes);
        if (!q.exec())
            return abbrechen();
        while (q.next()) {
            TVerlaufsEintrag e;
            e.Tarif = q.value(1).toString();
            e.Sekunden = q.value(2).toDouble();
            e.Kosten = q.value(3).toDouble();
            e.Waehrung = q.value(4).toString();
            bekannt[q.value(0).toString()].push_back(std::move(e));
        }
        for (const TVerlaufsEintrag& e : eintraege) {
            std::vector<TVerlaufsEintrag>& gleichesEnde = bekannt[VerlaufZeitText(e.Ende)];
            const bool vorhanden
                = std::any_of(gleichesEnde.begin(), gleichesEnde.end(), [&](const TVerlaufsEintrag& x) {
                      const double toleranz = x.Waehrung == e.Waehrung ? KostenToleranz : UmrechnungsToleranz;
                      return x.Tarif == e.Tarif && std::abs(x.Sekunden - e.Sekunden) <= SekundenToleranz
                          && std::abs(x.Kosten - e.Kosten) <= toleranz;
                  });
            if (vorhanden)
                continue;
            if (Fuege(e, false) == TEintrag::Fehler)
                return abbrechen();
            gleichesEnde.push_back(e);
            ++neu;
        }
    }
    if (!FAbfragen->Db.commit())
        return abbrechen();
    return neu;
}

QString TVerlauf::Fehler(const QString& grund) const
{
    return QStringLiteral("%1: %2").arg(QFileInfo(FPfad).fileName(), grund);
}

TErgebnis TVerlauf::Sichere(const QString& ziel)
{
    if (!Offen())
        return { Fehler(QStringLiteral("nicht geöffnet")) };
    // SQLite writes the copy into a file that is there and empty, and leaves its mode.
    const QFileInfo info(ziel);
    const QString vorlaeufig
        = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".neu");
    QFile::remove(vorlaeufig);
    if (!LegeDateiAn(vorlaeufig))
        return { QStringLiteral("%1 kann nicht angelegt werden").arg(vorlaeufig) };
    QSqlQuery q(FAbfragen->Db);
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(vorlaeufig);
    if (!q.exec()) {
        QFile::remove(vorlaeufig);
        return { Fehler(q.lastError().text()) };
    }
    const TSpeicherErgebnis e = SetzeDateiEin(vorlaeufig, ziel);
    if (!e.Ok)
        return { QStringLiteral("%1: %2").arg(ziel, e.Grund) };
    return {};
}

TErgebnis TVerlauf::RechneKostenUm(
    TWaehrung von, TWaehrung nach, const std::function<double(double)>& umrechnen)
{
    if (!Offen() || !FAbfragen->Db.transaction())
        return { Fehler(Offen() ? FAbfragen->Db.lastError().text() : QStringLiteral("nicht geöffnet")) };
    QSqlQuery q(FAbfragen->Db);
    const auto abbrechen = [&] {
        const TErgebnis grund { Fehler(q.lastError().text()) };
        q.finish();
        FAbfragen->Db.rollback();
        return grund;
    };
    // All read first: the rows change under the query otherwise.
    std::vector<std::pair<qint64, QVariant>> zeilen;
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, kosten FROM verbindungen WHERE waehrung = ?"));
    q.addBindValue(WaehrungsKennung(von));
    if (!q.exec())
        return abbrechen();
    while (q.next())
        zeilen.emplace_back(q.value(0).toLongLong(), q.value(1));
    q.finish();
    if (!q.prepare(QStringLiteral("UPDATE verbindungen SET kosten = ?, waehrung = ? WHERE id = ?")))
        return abbrechen();
    for (const auto& [id, kosten] : zeilen) {
        q.bindValue(0, kosten.isNull() ? kosten : QVariant(umrechnen(kosten.toDouble())));
        q.bindValue(1, WaehrungsKennung(nach));
        q.bindValue(2, id);
        if (!q.exec())
            return abbrechen();
    }
    q.finish();
    if (!FAbfragen->Db.commit()) {
        const TErgebnis grund { Fehler(FAbfragen->Db.lastError().text()) };
        FAbfragen->Db.rollback();
        return grund;
    }
    return {};
}

TErgebnis TVerlauf::UebernimmZeilen(const QString& quelle)
{
    if (!Offen())
        return { Fehler(QStringLiteral("nicht geöffnet")) };
    // ATTACH would make an empty database of a missing file.
    if (!QFileInfo(quelle).isFile())
        return { QStringLiteral("%1 fehlt").arg(quelle) };
    QSqlQuery q(FAbfragen->Db);
    q.prepare(QStringLiteral("ATTACH ? AS sicherung"));
    q.addBindValue(quelle);
    if (!q.exec())
        return { Fehler(q.lastError().text()) };
    QString grund;
    if (!FAbfragen->Db.transaction()) {
        grund = Fehler(FAbfragen->Db.lastError().text());
    }
    else if (!q.exec(QStringLiteral("DELETE FROM main.verbindungen"))
        || !q.exec(
            QStringLiteral("INSERT INTO main.verbindungen (id, %1) SELECT id, %1 FROM sicherung.verbindungen")
                .arg(Spalten))) {
        grund = Fehler(q.lastError().text());
        FAbfragen->Db.rollback();
    }
    else if (!FAbfragen->Db.commit()) {
        grund = Fehler(FAbfragen->Db.lastError().text());
        FAbfragen->Db.rollback();
    }
    q.exec(QStringLiteral("DETACH sicherung"));
    return { grund };
}

std::vector<TMonatsWerte> TVerlauf::Gruppiert(
    const QString& benutzer, const QString& von, const QString& bis, int stelle, size_t anzahl) const
{
    std::vector<TMonatsWerte> werte(anzahl);
    if (!Offen())
        return werte;
    QSqlQuery q(FAbfragen->Db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT CAST(substr(beginn, %1, 2) AS INTEGER), count(*), total(sekunden), "
                             "total(%2) FROM verbindungen WHERE benutzer = ? AND beginn >= ? AND beginn < ? "
                             "GROUP BY 1")
                  .arg(stelle)
                  .arg(Kosten()));
    q.addBindValue(benutzer);
    q.addBindValue(von);
    q.addBindValue(bis);
    if (!q.exec())
        return werte;
    while (q.next()) {
        const int nummer = q.value(0).toInt();
        if (nummer >= 1 && size_t(nummer) <= anzahl)
            werte[size_t(nummer - 1)] = { q.value(1).toInt(), q.value(2).toDouble(), q.value(3).toDouble() };
    }
    return werte;
}

std::array<TMonatsWerte, 12> TVerlauf::Monatswerte(const QString& benutzer, int jahr) const
{
    const std::vector<TMonatsWerte> monate
        = Gruppiert(benutzer, JahresAnfang(jahr), JahresAnfang(jahr + 1), 6, 12);
    std::array<TMonatsWerte, 12> werte {};
    std::copy(monate.begin(), monate.end(), werte.begin());
    return werte;
}

std::vector<TMonatsWerte> TVerlauf::Tageswerte(const QString& benutzer, int jahr, int monat) const
{
    const QDate erster(jahr, monat, 1);
    if (!erster.isValid())
        return {};
    return Gruppiert(benutzer, erster.toString(QStringLiteral("yyyy-MM-dd")),
        erster.addMonths(1).toString(QStringLiteral("yyyy-MM-dd")), 9, size_t(erster.daysInMonth()));
}

std::vector<TVerlaufsEintrag> TVerlauf::Verbindungen(
    const QString& benutzer, TDateTime von, TDateTime bis) const
{
    std::vector<TVerlaufsEintrag> liste;
    if (!Offen())
        return liste;
    QSqlQuery q(FAbfragen->Db);
    q.setForwardOnly(true);
    // The cost in the currency in force, in the place of the stored one.
    QString spalten = Spalten;
    spalten.replace(QStringLiteral("kosten, waehrung"),
        Kosten() + QStringLiteral(", '%1'").arg(WaehrungsKennung(Waehrung)));
    q.prepare(QStringLiteral("SELECT %1 FROM verbindungen WHERE benutzer = ? AND beginn >= ? AND beginn < ? "
                             "ORDER BY beginn, id")
                  .arg(spalten));
    q.addBindValue(benutzer);
    q.addBindValue(VerlaufZeitText(von));
    q.addBindValue(VerlaufZeitText(bis));
    if (!q.exec())
        return liste;
    while (q.next()) {
        TVerlaufsEintrag e;
        e.Benutzer = q.value(0).toString();
        const std::optional<TDateTime> beginn = VerlaufZeit(q.value(1).toString());
        const std::optional<TDateTime> ende = VerlaufZeit(q.value(2).toString());
        if (!beginn || !ende)
            continue; // a row written by hand in another form
        e.Beginn = *beginn;
        e.Ende = *ende;
        e.Sekunden = q.value(3).toDouble();
        e.Kosten = q.value(4).toDouble();
        e.Waehrung = q.value(5).toString();
        e.Tarif = q.value(6).toString();
        e.RxBytes = Bytes(q.value(7));
        e.TxBytes = Bytes(q.value(8));
        e.Quelle = q.value(9).toString();
        e.Wiederhergestellt = q.value(10).toInt() != 0;
        liste.push_back(std::move(e));
    }
    return liste;
}

std::optional<std::pair<int, int>> TVerlauf::Jahre(const QString& benutzer) const
{
    if (!Offen())
        return std::nullopt;
    // Two queries: SQLite finds a lone min() or max() in the index, both together only by
    // reading every row of the user.
    const auto jahr = [&](const QString& funktion) {
        QSqlQuery q(FAbfragen->Db);
        q.prepare(QStringLiteral("SELECT %1(beginn) FROM verbindungen WHERE benutzer = ?").arg(funktion));
        q.addBindValue(benutzer);
        return q.exec() && q.next() ? q.value(0).toString().left(4).toInt() : 0;
    };
    const int von = jahr(QStringLiteral("min"));
    const int bis = jahr(QStringLiteral("max"));
    if (von <= 0 || bis < von)
        return std::nullopt;
    return std::make_pair(von, bis);
}

QString VerlaufPfad()
{
    return DatenVerzeichnis() + QLatin1Char('/') + VerlaufDateiName;
}

TVerlauf& Verlauf()
{
    // Never destroyed at exit: Qt SQL's own list of connections is gone by then. The
    // close sequence closes it.
    static TVerlauf* verlauf = nullptr;
    const QString pfad = VerlaufPfad();
    if (!verlauf || verlauf->Pfad() != pfad) {
        delete verlauf;
        verlauf = new TVerlauf(pfad);
    }
    return *verlauf;
}
