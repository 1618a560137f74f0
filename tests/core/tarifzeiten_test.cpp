#include "core/TarifZeiten.h"
#include "store/Regeldatei.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <gtest/gtest.h>

namespace {

class TarifZeiten : public ::testing::Test {
protected:
    TTestumgebung umgebung;

    static void Belege(int slot, const char* name, double preis, double einwahl, double grund)
    {
        Tarife[slot].Name.Setze(QString::fromUtf8(name));
        Tarife[slot].Preis = preis;
        Tarife[slot].Einwahl = einwahl;
        Tarife[slot].Grundpreis = grund;
    }
};

TEST_F(TarifZeiten, EditorZeigtUndLiestDieRegeln)
{
    Belege(1, "Tag", 4.8, 6, 9.9);
    QString fehler;
    // Without a file the editor starts from the minute price.
    std::optional<TTarifregeln> r = ZeitenDesTarifs(1, fehler);
    ASSERT_TRUE(r);
    TZeitenEingabe e = ZeitenEingabeAus(*r);
    EXPECT_EQ(e.StandardPreis, QStringLiteral("0,048"));
    EXPECT_EQ(e.StandardEinheit, QStringLiteral("60"));
    EXPECT_EQ(e.ProVerbindung, QStringLiteral("0,06"));
    e.VolumenPreis = QStringLiteral("0,49");
    e.VolumenBlock = QStringLiteral("1,5 MB");
    e.Inklusivvolumen = QStringLiteral("500 kB");

    e.Zeilen.push_back({ QStringLiteral("monday..friday"), QStringLiteral("21:00"), QStringLiteral("7:59"),
        QStringLiteral("0,03"), QStringLiteral("60"), {} });
    e.Zeilen.push_back({});
    e.Zeilen.push_back({ QStringLiteral("holiday"), {}, {}, QStringLiteral("0,06"), QStringLiteral("7,5"),
        QStringLiteral("600") });
    const TZeitenGelesen gelesen = LiesZeitenEingabe(e);
    ASSERT_TRUE(gelesen.Regeln) << gelesen.Fehler.toStdString();
    ASSERT_EQ(gelesen.Regeln->Regeln.size(), 2u);
    EXPECT_EQ(gelesen.Regeln->Regeln[1].EinheitMs, 7500);
    EXPECT_EQ(gelesen.Regeln->Volumen, (TVolumenpreis { 49, 1'500'000, 500'000 }));
    ASSERT_TRUE(SpeichereZeiten(1, *gelesen.Regeln).Ok);

    r = ZeitenDesTarifs(1, fehler);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Name, QStringLiteral("Tag"));
    r->Name.clear();
    EXPECT_EQ(*r, *gelesen.Regeln);
    EXPECT_EQ(LadeRegelnDesTarifs(QStringLiteral("Tag")).art, TRegelnDesTarifs::Geladen);
    EXPECT_EQ(ZeitenEingabeAus(*r).Inklusivvolumen, QStringLiteral("500 kB"));
    e.VolumenBlock.clear();
    EXPECT_EQ(LiesZeitenEingabe(e).Fehler,
        QStringLiteral("Datenvolumen: Bitte angeben, je wie viele MB oder kB der Preis gilt."));
    e.VolumenPreis.clear();

    e.Zeilen[2].Tage = QStringLiteral("mondag");
    EXPECT_EQ(LiesZeitenEingabe(e).Fehler, QStringLiteral("Zeile 3: unbekannter Tag 'mondag'"));
    e.StandardEinheit = QStringLiteral("0");
    EXPECT_EQ(LiesZeitenEingabe(e).Fehler,
        QStringLiteral("Einheit: eine Einheit muss länger als 0 Sekunden sein, nicht '0'"));
}

TEST_F(TarifZeiten, ImportUndExport)
{
    Belege(1, "Abend", 1, 2, 9.9);
    const QByteArray datei = "name=Abend\nper_connection=0.06\ndefault=(0.12,90)\n"
                             "on (monday..friday) between (21:00..07:59) use (0.03,60)\n";
    TImport import = PruefeImport(datei, QStringLiteral("/tmp/egal.rst"));
    ASSERT_TRUE(import.Regeln) << import.Fehler.toStdString();
    EXPECT_EQ(import.VorhandenerSlot, 1); // the window asks before it replaces
    EXPECT_EQ(FuehreImportAus(import).Slot, 1);
    EXPECT_EQ(Tarife[1].Grundpreis, 9.9);
    EXPECT_EQ(Tarife[1].Preis, 8); // 12 Pf per 90 s
    EXPECT_EQ(Tarife[1].Einwahl, 6);

    // Without a name the file's name names it; a new tariff takes the first free slot.
    import = PruefeImport("default=(0.1,60)\n", QStringLiteral("/tmp/Mein/Nacht.rst"));
    EXPECT_EQ(import.Name, QStringLiteral("Nacht"));
    EXPECT_EQ(import.VorhandenerSlot, 0);
    EXPECT_EQ(FuehreImportAus(import).Slot, 2);

    QString fehler;
    const std::optional<QByteArray> text = ExportText(1, fehler);
    ASSERT_TRUE(text);
    const TRegelnGelesen zurueck = LiesTarifregeln(*text);
    ASSERT_TRUE(zurueck.Regeln);
    EXPECT_EQ(*zurueck.Regeln, *PruefeImport(datei, {}).Regeln);

    // A file with a bad line stores nothing.
    import = PruefeImport("name=Kaputt\ndefault=(0.1,60)\non (mondag) between () use (1,60)\n", {});
    EXPECT_EQ(import.Fehler, QStringLiteral("Zeile 3: unbekannter Tag 'mondag'"));
    EXPECT_EQ(FuehreImportAus(import).Slot, 0);
    EXPECT_EQ(LeseRegeldatei(QStringLiteral("Kaputt")).art, TKleineDatei::Fehlt);

    // All 99 slots used: refused before anything is written.
    for (int k = 3; k <= MaxTarife; ++k)
        Belege(k, QString::number(k).toUtf8().constData(), 1, 0, 0);
    import = PruefeImport("name=Zu viel\ndefault=(0.1,60)\n", {});
    EXPECT_FALSE(FuehreImportAus(import).Fehler.isEmpty());
    EXPECT_EQ(LeseRegeldatei(QStringLiteral("Zu viel")).art, TKleineDatei::Fehlt);
    EXPECT_TRUE(RegelPfad(QStringLiteral("a/b")).endsWith(QStringLiteral("/Tarife/a_b.rst")));
}

} // namespace
