// "kostenwolf --auf-euro-umstellen": what it answers and with which exit code.
#include "core/EuroUmstellung.h"
#include "process/Euroaufruf.h"
#include "store/Waehrungseinstellung.h"
#include "support/Dateiinhalt.h"
#include "support/Testumgebung.h"

#include <gtest/gtest.h>

namespace {

struct TFall {
    const char* Name;
    QStringList Argumente;
    QByteArray Ini;
    bool ProgrammLaeuft;
    std::optional<bool> Antwort;
    int Code;
    QString Text; // stdout, or stderr on a failure
};

TEST(EuroAufruf, AntwortenUndRueckgabewerte)
{
    const QString option = QStringLiteral("--auf-euro-umstellen");
    const QString ja = QStringLiteral("--ja");
    const TFall faelle[] = {
        { "schon Euro", { option, ja }, "[Allgemein]\nWaehrung=EUR\n", false, {}, EuroFertig,
            BereitsEuroText },
        { "Programm läuft", { option, ja }, {}, true, {}, EuroProgrammLaeuft, ProgrammLaeuftText },
        { "nein gesagt", { option }, {}, false, false, EuroFertig,
            QStringLiteral("Nichts geändert; die Beträge bleiben in DM.") },
        { "ja gesagt", { option }, {}, false, true, EuroFertig,
            QStringLiteral("Alle Beträge sind jetzt in Euro.") },
    };
    for (const TFall& fall : faelle) {
        TTestumgebung umgebung;
        if (!fall.Ini.isEmpty())
            Schreib(umgebung.Pfad(EinstellungsDateiName), fall.Ini);
        QString ausgabe, meldung;
        const TEuroKanaele kanaele { [&](const QString& t) { ausgabe += t; },
            [&](const QString& t) { meldung += t; }, [&](const QString&) { return fall.Antwort; },
            [&](const QString&) { return !fall.ProgrammLaeuft; } };
        EXPECT_EQ(FuehreEuroUmstellungAus(fall.Argumente, umgebung.Verzeichnis.path(), kanaele), fall.Code)
            << fall.Name;
        EXPECT_TRUE((fall.Code == EuroFertig ? ausgabe : meldung).startsWith(fall.Text))
            << fall.Name << ": " << ausgabe.toStdString() << meldung.toStdString();
    }
}

} // namespace
