// The connection log against SQLite itself, on the same schema and settings:
// - writing one connection (with the look whether it is there) against a bare insert
//   and commit of the same row: at most 1.5 times;
// - what the year view reads when it opens (years, twelve months, the days of a month)
//   from 10 years x 4 users x 600 connections a month against one bare aggregate query
//   of the months: at most 3 times;
// - the move to Euro of that log (its copy, then every row to the cent) against SQLite's
//   own copy and one bare UPDATE rounding in SQL: at most 3 times.
#include "Verhaeltnisse.h"
#include "core/EuroUmstellung.h"
#include "core/Jahresbericht.h"
#include "store/Verlauf.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

QTemporaryDir& Verzeichnis()
{
    static QTemporaryDir dir;
    return dir;
}

TVerlaufsEintrag Eintrag(const QString& benutzer, TDateTime beginn, int nummer)
{
    TVerlaufsEintrag e;
    e.Benutzer = benutzer;
    e.Beginn = beginn;
    e.Sekunden = 60 + nummer % 3000;
    e.Ende = beginn + e.Sekunden / 86'400;
    e.Kosten = 0.06 * (1 + nummer % 50);
    e.Tarif = QStringLiteral("Tag");
    return e;
}

// A fresh log with its schema, for both sides of the write.
QString NeuerVerlauf(const QString& name)
{
    const QString pfad = Verzeichnis().filePath(name);
    QFile::remove(pfad);
    TVerlauf verlauf(pfad);
    if (!verlauf.Oeffne().Ok)
        std::abort();
    return pfad;
}

void Basis_EinfuegenUndCommit(benchmark::State& state)
{
    const QString pfad = NeuerVerlauf(QStringLiteral("basis.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("basis"));
        db.setDatabaseName(pfad);
        if (!db.open())
            std::abort();
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        q.prepare(
            QStringLiteral("INSERT INTO verbindungen (benutzer, beginn, ende, sekunden, kosten, waehrung, "
                           "tarif, rx_bytes, tx_bytes, quelle, wiederhergestellt) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        int n = 0;
        const TDateTime anfang = EncodeDate(2026, 1, 1);
        for (auto _ : state) {
            ++n;
            const TVerlaufsEintrag e = Eintrag(QStringLiteral("Anna"), anfang + n * 0.01, n);
            db.transaction();
            q.bindValue(0, e.Benutzer);
            q.bindValue(1, VerlaufZeitText(e.Beginn));
            q.bindValue(2, VerlaufZeitText(e.Ende));
            q.bindValue(3, e.Sekunden);
            q.bindValue(4, e.Kosten);
            q.bindValue(5, e.Waehrung);
            q.bindValue(6, e.Tarif);
            q.bindValue(7, QVariant(QMetaType(QMetaType::LongLong)));
            q.bindValue(8, QVariant(QMetaType(QMetaType::LongLong)));
            q.bindValue(9, e.Quelle);
            q.bindValue(10, 0);
            if (!q.exec() || !db.commit())
                std::abort();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("basis"));
}

void Verlauf_Schreiben(benchmark::State& state)
{
    TVerlauf verlauf(NeuerVerlauf(QStringLiteral("schreiben.sqlite")));
    verlauf.Oeffne();
    int n = 0;
    const TDateTime anfang = EncodeDate(2026, 1, 1);
    for (auto _ : state) {
        ++n;
        if (!verlauf.Schreibe(Eintrag(QStringLiteral("Anna"), anfang + n * 0.01, n)))
            std::abort();
    }
}

// 10 years x 4 users x 600 connections a month, written once.
const QString& GrosserVerlauf()
{
    static const QString pfad = [] {
        const QString p = NeuerVerlauf(QStringLiteral("gross.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuellen"));
            db.setDatabaseName(p);
            if (!db.open())
                std::abort();
            QSqlQuery q(db);
            db.transaction();
            q.prepare(QStringLiteral(
                "INSERT INTO verbindungen (benutzer, beginn, ende, sekunden, kosten, waehrung, "
                "tarif, quelle, wiederhergestellt) VALUES (?, ?, ?, ?, ?, 'DM', 'Tag', "
                "'Messung', 0)"));
            int n = 0;
            for (int u = 1; u <= 4; ++u)
                for (int jahr = 2016; jahr < 2026; ++jahr)
                    for (int monat = 1; monat <= 12; ++monat)
                        for (int k = 0; k < 600; ++k) {
                            const TVerlaufsEintrag e = Eintrag(QStringLiteral("Benutzer %1").arg(u),
                                EncodeDate(jahr, monat, 1 + k % 28) + (k % 20) / 24.0, ++n);
                            q.addBindValue(e.Benutzer);
                            q.addBindValue(VerlaufZeitText(e.Beginn));
                            q.addBindValue(VerlaufZeitText(e.Ende));
                            q.addBindValue(e.Sekunden);
                            q.addBindValue(e.Kosten);
                            if (!q.exec())
                                std::abort();
                        }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fuellen"));
        return p;
    }();
    return pfad;
}

void Basis_Monatsaggregat(benchmark::State& state)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("aggregat"));
        db.setDatabaseName(GrosserVerlauf());
        if (!db.open())
            std::abort();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(
            QStringLiteral("SELECT substr(beginn, 6, 2), count(*), total(sekunden), total(kosten) FROM "
                           "verbindungen WHERE benutzer = ? AND beginn >= ? AND beginn < ? GROUP BY 1"));
        for (auto _ : state) {
            q.bindValue(0, QStringLiteral("Benutzer 3"));
            q.bindValue(1, QStringLiteral("2021-01-01"));
            q.bindValue(2, QStringLiteral("2022-01-01"));
            if (!q.exec())
                std::abort();
            double summe = 0;
            while (q.next())
                summe += q.value(3).toDouble();
            benchmark::DoNotOptimize(summe);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("aggregat"));
}

void Jahresuebersicht_Daten(benchmark::State& state)
{
    TVerlauf verlauf(GrosserVerlauf());
    if (!verlauf.Oeffne().Ok)
        std::abort();
    const QString benutzer = QStringLiteral("Benutzer 3");
    for (auto _ : state) {
        benchmark::DoNotOptimize(verlauf.Jahre(benutzer));
        const TJahresbericht bericht = BaueJahresbericht(verlauf, benutzer, 2021);
        benchmark::DoNotOptimize(bericht.Summe.Kosten);
        benchmark::DoNotOptimize(verlauf.Tageswerte(benutzer, 2021, 12));
    }
}

// A fresh DM copy of the big log for each round, made outside the time taken.
QString FrischerDmVerlauf(benchmark::State& state)
{
    state.PauseTiming();
    const QString pfad = Verzeichnis().filePath(QStringLiteral("euro.sqlite"));
    for (const QString& name : { pfad, pfad + QStringLiteral(".dm") })
        QFile::remove(name);
    if (!QFile::copy(GrosserVerlauf(), pfad))
        std::abort();
    state.ResumeTiming();
    return pfad;
}

void Basis_KopieUndUpdate(benchmark::State& state)
{
    for (auto _ : state) {
        const QString pfad = FrischerDmVerlauf(state);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("euro"));
            db.setDatabaseName(pfad);
            if (!db.open())
                std::abort();
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("VACUUM INTO '%1.dm'").arg(pfad)) || !db.transaction()
                || !q.exec(QStringLiteral("UPDATE verbindungen SET kosten = round(kosten / 1.95583, 2), "
                                          "waehrung = 'EUR' WHERE waehrung = 'DM'"))
                || !db.commit())
                std::abort();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("euro"));
    }
}

void Verlauf_InEuro(benchmark::State& state)
{
    const TEuroSchritt schritt = VerlaufEuroSchritt();
    for (auto _ : state) {
        const QString pfad = FrischerDmVerlauf(state);
        if (!schritt.Sichere(pfad, pfad + QStringLiteral(".dm")).Ok() || !schritt.RechneUm(pfad).Ok())
            std::abort();
    }
}

BENCHMARK(Basis_EinfuegenUndCommit)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Verlauf_Schreiben)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Basis_Monatsaggregat)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Jahresuebersicht_Daten)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Basis_KopieUndUpdate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Verlauf_InEuro)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter({ { "Verlauf_Schreiben", "Basis_EinfuegenUndCommit", 1.5 },
        { "Jahresuebersicht_Daten", "Basis_Monatsaggregat", 3.0 },
        { "Verlauf_InEuro", "Basis_KopieUndUpdate", 3.0 } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
