// Printing, saving and the banner of the report window, through the real print path
// (to PDF) and real files, read back with Debian's pdftotext and unrtf.
#include "core/CsvExport.h"
#include "platform/QtDialoge.h"
#include "report/Konto.h"
#include "report/Werbebanner.h"
#include "runtime/Shell.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

namespace {

void Eintrag(int monat, TDateTime datum, double kosten, const QString& tarif)
{
    TMonat& m = Daten.Benutzer[1].Monate[monat];
    TVerbindung& v = m.Verbindungen[AnzahlVerbindungen(m)];
    v.Tarif.Setze(tarif);
    v.Datum = datum;
    v.Dauer = EncodeTime(0, 10, 0, 0);
    v.Kosten = kosten;
}

TDateTime Am(int jahr, int monat, int tag, int stunde = 12)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, 0, 0, 0);
}

QString Programm(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

QString Ausgabe(const QString& programm, const QStringList& argumente, bool latin1 = false)
{
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForFinished(30'000))
        return QStringLiteral("<%1 hängt>").arg(programm);
    const QByteArray roh = p.readAllStandardOutput();
    return latin1 ? QString::fromLatin1(roh) : QString::fromUtf8(roh);
}

// The words of a PDF with their positions, from pdftotext -bbox.
struct TWort {
    QString text;
    double x, y;
};

QList<TWort> PdfWoerter(const QString& pdf)
{
    const QString html = Ausgabe(Programm("pdftotext"), { "-bbox", pdf, "-" });
    static const QRegularExpression muster(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    QList<TWort> woerter;
    // Pages follow each other downwards, 10,000 points apart.
    const QStringList seiten = html.split(QStringLiteral("<page "));
    for (qsizetype seite = 1; seite < seiten.size(); ++seite)
        for (auto it = muster.globalMatch(seiten[seite]); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(3);
            text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
            woerter.append(
                { text, m.captured(1).toDouble(), m.captured(2).toDouble() + 10'000.0 * double(seite) });
        }
    return woerter;
}

// Words joined into lines by their top edge, top to bottom. pdftotext reads wide gaps as
// column breaks, so the words come sorted by position rather than in its order.
struct TPdfZeile {
    QString text;
    double x, y;
};

QList<TPdfZeile> PdfZeilen(const QString& pdf)
{
    QList<TWort> woerter = PdfWoerter(pdf);
    std::stable_sort(woerter.begin(), woerter.end(),
        [](const TWort& a, const TWort& b) { return qAbs(a.y - b.y) >= 1.0 ? a.y < b.y : a.x < b.x; });
    QList<TPdfZeile> zeilen;
    for (const TWort& w : woerter) {
        if (!zeilen.isEmpty() && qAbs(zeilen.last().y - w.y) < 1.0)
            zeilen.last().text += QLatin1Char(' ') + w.text;
        else
            zeilen.append({ w.text, w.x, w.y });
    }
    return zeilen;
}

} // namespace

class TestKontoAusgabe : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<TForm4> fenster;

    QString Ansicht() const { return fenster->Memo1->toPlainText(); }
    void Waehle(const QString& name)
    {
        fenster->TreeView1->setCurrentItem(fenster->TreeView1->findItems(name, Qt::MatchExactly).value(0));
        QVERIFY(fenster->TreeView1->currentItem());
    }
    QString DruckeNach(const QString& name)
    {
        const QString pdf = umgebung->Pfad(name);
        DialogWaehltDatei(pdf);
        umgebung->Dialoge->Druckantworten = { true };
        QTest::mouseClick(fenster->Button1, Qt::LeftButton);
        return pdf;
    }
    // The print dialog, when it shows, sends the job to this file.
    void DialogWaehltDatei(const QString& pdf)
    {
        umgebung->Dialoge->BeiAnzeige = [this, pdf](const TDialogAufruf& aufruf) {
            if (aufruf.art != TDialogAufruf::Drucken)
                return;
            fenster->Drucker().setOutputFormat(QPrinter::PdfFormat);
            fenster->Drucker().setOutputFileName(pdf);
        };
    }
    void AnsichtUnveraendert(const QString& vorher)
    {
        QCOMPARE(Ansicht(), vorher);
        QCOMPARE(fenster->Memo1->font().pointSize(), 8);
        QCOMPARE(fenster->Memo1->document()->defaultFont().pointSize(), 8);
    }

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        Daten.BenutzerAnzahl = 1;
        AktBenutzer = 1;
        Eintrag(12, Am(2026, 12, 24), 0.5, QStringLiteral("Weihnachtstarif"));
        Eintrag(12, Am(2026, 12, 24, 18), 1.25, QStringLiteral("Weihnachtstarif"));
        Eintrag(12, Am(2026, 12, 31), 2.0, QStringLiteral("Silvester für Nachtschwärmer"));
        Eintrag(1, Am(2027, 1, 2), 0.75, QStringLiteral("Neujahr"));
        SetzeUhr(Am(2027, 1, 15));
        fenster = std::make_unique<TForm4>();
        fenster->show();
    }

    void cleanup()
    {
        fenster.reset();
        umgebung.reset();
    }

    void saveDialogProposesNameAndYear()
    {
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        QTest::mouseClick(fenster->Button2, Qt::LeftButton); // cancelled: no answer scripted
        Waehle(QStringLiteral("Januar"));
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);

        const auto& protokoll = umgebung->Dialoge->Protokoll;
        QCOMPARE(protokoll.size(), size_t(2));
        QCOMPARE(protokoll[0].art, TDialogAufruf::Speichern);
        QCOMPARE(protokoll[0].vorgabe, QStringLiteral("Dezember2026"));
        QCOMPARE(protokoll[0].text, QStringLiteral("Text-Datei (*.txt)|*.txt|CSV-Datei (*.csv)|*.csv"));
        QCOMPARE(protokoll[1].vorgabe, QStringLiteral("Januar2027"));
        QCOMPARE(fenster->SaveDialog1.DefaultExt, QStringLiteral("txt"));
        Waehle(QStringLiteral("Dezember"));
        QCOMPARE(Ansicht(), vorher);
    }

    void printsHeadingAndIndentedLinesToPdf()
    {
        if (Programm("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        const QString pdf = DruckeNach(QStringLiteral("dezember.pdf"));
        QCOMPARE(umgebung->Dialoge->Protokoll.back().art, TDialogAufruf::Drucken);
        QVERIFY2(
            umgebung->Dialoge->Meldungen().isEmpty(), qPrintable(umgebung->Dialoge->Meldungen().join('|')));
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(fenster->Drucker().docName(), QStringLiteral("Dezember2026"));

        const QList<TPdfZeile> zeilen = PdfZeilen(pdf);
        QStringList texte;
        for (const TPdfZeile& z : zeilen)
            texte << z.text;
        QStringList erwartet { QStringLiteral("Dezember 2026") };
        for (const QString& zeile : vorher.split('\n'))
            erwartet << zeile.simplified();
        QCOMPARE(texte, erwartet);

        // An empty line above the heading and one below it; the report lines indented.
        const double zeilenabstand = zeilen[2].y - zeilen[1].y; // in points
        QVERIFY(zeilenabstand > 0);
        QVERIFY2(zeilen[1].y - zeilen[0].y > 1.8 * zeilenabstand, "no empty line below the heading");
        const double oben = 10'000 + fenster->Drucker().pageLayout().paintRectPoints().top();
        QVERIFY2(zeilen[0].y - oben > 0.8 * zeilenabstand, "no empty line above the heading");
        QVERIFY2(zeilenabstand > 10.5 && zeilenabstand < 13.5, "not printed in 10 points");
        QVERIFY(zeilen[2].text.startsWith("Datum:"));
        QVERIFY(zeilen[2].x > zeilen[0].x + 3); // two blanks before every report line
        QVERIFY(zeilen[1].x > zeilen[2].x + 3); // and the day line keeps its own two

        AnsichtUnveraendert(vorher);
    }

    void printsAFullMonthOverSeveralPagesWithoutLosingALine()
    {
        if (Programm("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        for (int i = 0; i < MaxVerbindungen; ++i)
            Eintrag(3, Am(2026, 3, 1 + i / 20, 1 + i % 20), 0.01 * i, QStringLiteral("Tarif %1").arg(i));
        Waehle(QStringLiteral("März"));
        const QString vorher = Ansicht();
        const QString pdf = DruckeNach(QStringLiteral("maerz.pdf"));

        QStringList texte;
        for (const TPdfZeile& z : PdfZeilen(pdf))
            texte << z.text;
        QStringList erwartet { QStringLiteral("März 2026") };
        for (const QString& zeile : vorher.split('\n'))
            erwartet << zeile.simplified();
        QCOMPARE(texte.size(), 631);
        QCOMPARE(texte, erwartet);
        const QString info = Ausgabe(Programm("pdfinfo"), { pdf });
        QVERIFY2(QRegularExpression("Pages:\\s+([2-9]|\\d\\d)").match(info).hasMatch(), qPrintable(info));
        AnsichtUnveraendert(vorher);
    }

    void printsAnEmptyMonthAsHeadingAlone()
    {
        if (Programm("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Waehle(QStringLiteral("Februar"));
        QCOMPARE(Ansicht(), QString());
        const QString pdf = DruckeNach(QStringLiteral("februar.pdf"));
        const QList<TPdfZeile> zeilen = PdfZeilen(pdf);
        QCOMPARE(zeilen.size(), 1);
        QCOMPARE(zeilen[0].text, QStringLiteral("Februar 2026"));
        Waehle(QStringLiteral("Januar"));
        const QString januar = DruckeNach(QStringLiteral("januar.pdf"));
        QCOMPARE(PdfZeilen(januar).value(0).text, QStringLiteral("Januar 2027"));
    }

    void printDialogProposesTheMonthsFile()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("printers are installed: the dialog proposes one of them, not a file");
        InstalliereDialoge(std::make_unique<TQtDialoge>());
        // Reads what the dialog's file line shows once it is open, then cancels it.
        const auto vorschlag = [this](const QString& monat) {
            Waehle(monat);
            QString text = QStringLiteral("(kein Druckdialog)");
            QTimer warten;
            QObject::connect(&warten, &QTimer::timeout, [&] {
                auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                if (const auto* zeile = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                    text = zeile->text();
                dialog->reject();
            });
            warten.start(20);
            QTest::mouseClick(fenster->Button1, Qt::LeftButton);
            return text;
        };

        const QString dezember = vorschlag(QStringLiteral("Dezember"));
        QVERIFY2(dezember.endsWith(QStringLiteral("/Dezember2026.pdf")), qPrintable(dezember));
        // After a job into a file, the next month goes beside it, not over it.
        fenster->Drucker().setOutputFileName(umgebung->Pfad(QStringLiteral("Januar2027.pdf")));
        QCOMPARE(vorschlag(QStringLiteral("November")), umgebung->Pfad(QStringLiteral("November2026.pdf")));
    }

    void printingCancelledOrFailingLeavesTheViewAlone()
    {
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        const QString pdf = umgebung->Pfad(QStringLiteral("nie.pdf"));
        DialogWaehltDatei(pdf);
        umgebung->Dialoge->Druckantworten = { false };
        QTest::mouseClick(fenster->Button1, Qt::LeftButton);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(umgebung->Dialoge->Meldungen().isEmpty());
        AnsichtUnveraendert(vorher);

        const QString unmoeglich = umgebung->Pfad(QStringLiteral("fehlt/nie.pdf"));
        DialogWaehltDatei(unmoeglich);
        umgebung->Dialoge->Druckantworten = { true };
        QTest::mouseClick(fenster->Button1, Qt::LeftButton);
        QCOMPARE(umgebung->Dialoge->Protokoll.back().art, TDialogAufruf::Fehlerbox);
        QCOMPARE(umgebung->Dialoge->Meldungen(),
            QStringList {
                QStringLiteral("Der Monat konnte nicht gedruckt werden (Drucker: %1).").arg(unmoeglich) });
        AnsichtUnveraendert(vorher);
    }

    void savesRtfThatWordProcessorsRead()
    {
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        const QString datei = umgebung->Pfad(QStringLiteral("Dezember2026.txt"));
        {
            QFile alt(datei);
            QVERIFY(alt.open(QIODevice::WriteOnly));
            alt.write(QByteArray(50'000, 'a')); // longer than the report: nothing of it may stay
        }
        umgebung->Dialoge->Dateinamen = { datei };
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);
        QVERIFY2(
            umgebung->Dialoge->Meldungen().isEmpty(), qPrintable(umgebung->Dialoge->Meldungen().join('|')));
        AnsichtUnveraendert(vorher);

        QFile f(datei);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray rtf = f.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(!rtf.contains("aaaa"));
        QVERIFY(rtf.contains("MS Sans Serif"));
        QVERIFY(rtf.contains("\\fs16"));

        if (Programm("unrtf").isEmpty())
            QSKIP("unrtf is not installed");
        // unrtf's text mode writes Latin-1 and folds runs of blanks into one.
        const QString text = Ausgabe(Programm("unrtf"), { "--text", datei }, true);
        const qsizetype start = text.indexOf(QStringLiteral("-----------------\n"));
        QVERIFY(start >= 0);
        QStringList absaetze = text.mid(start).section('\n', 1).split('\n');
        while (!absaetze.isEmpty() && absaetze.last().isEmpty())
            absaetze.removeLast();
        QStringList erwartet { QString(), QStringLiteral("Dezember 2026"), QString() };
        erwartet += vorher.split('\n');
        QCOMPARE(absaetze.size(), erwartet.size());
        for (qsizetype i = 0; i < erwartet.size(); ++i)
            QCOMPARE(absaetze[i].simplified(), erwartet[i].simplified());
        QVERIFY(text.contains(QStringLiteral("Silvester für Nachtschwärmer")));
    }

    void savesCsvByTheSecondFilterOrByTheName()
    {
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        const QByteArray csv = MonatAlsCsv(Daten.Benutzer[1].Monate[12]);
        QVERIFY(csv.contains("Silvester für Nachtschwärmer"));
        const auto inhalt = [](const QString& pfad) {
            QFile f(pfad);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
        };

        // The CSV filter chosen: CSV, even where the name says otherwise.
        const QString gefiltert = umgebung->Pfad(QStringLiteral("Dezember2026.txt"));
        umgebung->Dialoge->Dateinamen = { gefiltert };
        umgebung->Dialoge->Filterwahlen = { CsvFilter };
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);
        QCOMPARE(inhalt(gefiltert), csv);
        QCOMPARE(fenster->SaveDialog1.FilterIndex, CsvFilter); // offered first next time

        // The text filter chosen: a name ending in .csv still gets CSV, any other RTF.
        const QString benannt = umgebung->Pfad(QStringLiteral("Dezember2026.CSV"));
        const QString rtf = umgebung->Pfad(QStringLiteral("Dezember2026.rtf.txt"));
        umgebung->Dialoge->Dateinamen = { benannt, rtf };
        umgebung->Dialoge->Filterwahlen = { 1, 1 };
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);
        QCOMPARE(inhalt(benannt), csv);
        QVERIFY(inhalt(rtf).startsWith("{\\rtf1"));
        QVERIFY2(
            umgebung->Dialoge->Meldungen().isEmpty(), qPrintable(umgebung->Dialoge->Meldungen().join('|')));
        AnsichtUnveraendert(vorher);
    }

    void uncreatableFileIsReportedAndTheViewStays()
    {
        Waehle(QStringLiteral("Dezember"));
        const QString vorher = Ansicht();
        const QString datei = umgebung->Pfad(QStringLiteral("kein Ordner/Dezember2026.txt"));
        umgebung->Dialoge->Dateinamen = { datei };
        QTest::mouseClick(fenster->Button2, Qt::LeftButton);
        QCOMPARE(umgebung->Dialoge->Meldungen(),
            QStringList { QStringLiteral("Datei %1 kann nicht erstellt werden").arg(datei) });
        QCOMPARE(umgebung->Dialoge->Protokoll.back().art, TDialogAufruf::Fehlerbox);
        AnsichtUnveraendert(vorher);
    }

    void bannerAsksAndOpensMail()
    {
        const QImage bild = fenster->Werbebanner->pixmap().toImage();
        QCOMPARE(bild.size(), QSize(640, 93));
        QCOMPARE(fenster->Werbebanner->cursor().shape(), Qt::PointingHandCursor);
        const QColor ecke = bild.pixelColor(2, 2);
        QVERIFY(ecke.blue() > ecke.red() && ecke.blue() > ecke.green());
        bool gelb = false;
        for (int y = 0; y < bild.height() && !gelb; ++y)
            for (int x = 0; x < bild.width() && !gelb; ++x) {
                const QColor c = bild.pixelColor(x, y);
                gelb = c.red() > 200 && c.green() > 180 && c.blue() < 80;
            }
        QVERIFY2(gelb, "no yellow lettering");

        umgebung->Dialoge->Knopfantworten = { mrNo, mrYes };
        QTest::mouseClick(fenster->Werbebanner, Qt::LeftButton);
        QVERIFY(umgebung->Shell->isEmpty());
        QTest::mouseClick(fenster->Werbebanner, Qt::LeftButton);
        QCOMPARE(*umgebung->Shell, QStringList { QStringLiteral("mailto:") + HerstellerEMail() });

        const auto& frage = umgebung->Dialoge->Protokoll.back();
        QCOMPARE(frage.art, TDialogAufruf::Frage);
        QCOMPARE(frage.caption, QStringLiteral("Bestätigen"));
        QCOMPARE(frage.typ, mtConfirmation);
        QCOMPARE(frage.knoepfe, mbYes | mbNo);
        QCOMPARE(frage.text,
            QStringLiteral(
                "Diese Werbung ist günstiger als Sie denken. Das Programm ist bis jetzt ca. 5000 Mal "
                "heruntergeladen worden. Für genauere Informationen senden Sie uns bitte eine E-Mail. "
                "Möchten Sie dies jetzt tun?"));
        QVERIFY(HerstellerEMail().contains('@'));
    }
};

QTEST_MAIN(TestKontoAusgabe)
#include "tst_kontoausgabe.moc"
