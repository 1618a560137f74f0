// The account report window: the current user's connections of one month with day sums
// and the month total, printing and saving the shown month, and the banner.
#pragma once

#include "runtime/Dialoge.h"
#include "runtime/Ereignisse.h"

#include <QDialog>
#include <memory>

class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QTextDocument;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TWerbebanner;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QTreeWidget* TreeView1;
    QFrame* Panel2;
    QTextEdit* Memo1;
    QFrame* Panel1;
    TWerbebanner* Werbebanner;
    QPushButton* BitBtn1;
    QLabel* Label1;
    // Under the month total: where the current month is heading; empty for other months.
    QLabel* HochrechnungLabel;
    // Below it: the month's data volume, where bytes of it are known.
    QLabel* VolumenLabel;
    QPushButton* Button1;
    QPushButton* Button2;
    // The options the save dialog is shown with; the file name is preset anew each time.
    TSaveDialogOptionen SaveDialog1;

    // The printer the print dialog sets up; made on first use and kept, so the choices
    // made in the dialog hold for the next print.
    QPrinter& Drucker();

    // Builds the report of the month selected in TreeView1 into Memo1 and Label1.
    void MonatAnzeigen();
    // The text of the month shown, with the heading and the blank lines above it that a
    // printout or export carries; 'einruecken' puts two blanks before each report line.
    QStringList AusgabeZeilen(bool einruecken) const;
    // The document that gets printed: a copy of the view's text, never the view itself.
    std::unique_ptr<QTextDocument> DruckDokument() const;

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void TreeView1Change(QObject* Sender, QTreeWidgetItem* Node);
    void BitBtn1Click(QObject* Sender);
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void WerbebannerClick(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The panel below the report: banner, OK, the month total with the forecast and
    // the volume, print and save.
    void BauePanel1();

    std::unique_ptr<QPrinter> drucker;
};

// The one report window; the program main creates it.
extern TForm4* Form4;

// The month whose report is shown, 1..12; set by every build of the report.
extern int GewaehlterMonat;

// The save dialog's second filter writes the month as CSV; so does a name ending in
// ".csv" whichever filter was left chosen. Everything else is the RTF export.
constexpr int CsvFilter = 2;
bool AlsCsvGewaehlt(int filterIndex, const QString& pfad);
