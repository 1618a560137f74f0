#include "Testumgebung.h"

#include "runtime/Datum.h"
#include "runtime/Format.h"
#include "runtime/Shell.h"
#include "runtime/Waehrung.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/ShellAufzeichnung.h"

#include <QFile>
#include <cstring>

TTestumgebung::TTestumgebung()
{
    qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(Verzeichnis.path()));
    FormatSettings = DeutscheFormate();
    SetzeAnwendungsTitel(QStringLiteral("Kostenwolf"));
    Dialoge = &InstalliereTestDialoge();
    Shell = &ZeichneShellAuf();
    std::memset(&Daten, 0, sizeof Daten);
    std::memset(&Tarife, 0, sizeof Tarife);
    std::memset(&AktTarif, 0, sizeof AktTarif);
    AktBenutzer = 0;
    Waehrung = TWaehrung::DM;
    SetzeUhr(std::nullopt);
}

TTestumgebung::~TTestumgebung()
{
    SetzeUhr(std::nullopt);
    qunsetenv("KOSTENWOLF_DATA_DIR");
}

QProcessEnvironment TTestumgebung::ProgrammUmgebung(const QString& verbindung) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KOSTENWOLF_DATA_DIR"), Verzeichnis.path());
    env.insert(QStringLiteral("KOSTENWOLF_RAS_SIMULATION"),
        verbindung.isEmpty() ? Pfad(QStringLiteral("keine")) : verbindung);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Laufzeit.path());
    return env;
}

std::unique_ptr<TDaten> TTestumgebung::GespeicherteDaten() const
{
    QFile datei(Pfad(QStringLiteral("Daten.kwd")));
    if (!datei.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = datei.readAll();
    if (bytes.size() != qsizetype(sizeof(TDaten)))
        return nullptr;
    auto daten = std::make_unique<TDaten>();
    std::memcpy(daten.get(), bytes.constData(), sizeof(TDaten));
    return daten;
}

int RichteAnnaEin()
{
    int jahr, monat, tag;
    DecodeDate(Now(), jahr, monat, tag);
    Daten.BenutzerAnzahl = 1;
    Daten.StartBenutzer = 1;
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
    Daten.Benutzer[1].TarifNr = 1;
    Daten.Benutzer[1].MonatNr = uint8_t(monat);
    Tarife[1].Name.Setze(QStringLiteral("Tag"));
    Tarife[1].Preis = 6;
    return monat;
}
