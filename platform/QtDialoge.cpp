#include "platform/QtDialoge.h"

#include "runtime/Shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QWidget* Elternfenster()
{
    return QApplication::activeWindow();
}

int ZeigeBox(const QString& caption, const QString& text, QMessageBox::Icon icon, TMsgDlgButtons knoepfe)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, Elternfenster());
    struct Knopf {
        TMsgDlgBtn art;
        const char* text;
        QMessageBox::ButtonRole rolle;
        int ergebnis;
    };
    const Knopf alle[] = {
        { mbYes, "&Ja", QMessageBox::YesRole, mrYes },
        { mbNo, "&Nein", QMessageBox::NoRole, mrNo },
        { mbOK, "OK", QMessageBox::AcceptRole, mrOk },
        { mbCancel, "Abbrechen", QMessageBox::RejectRole, mrCancel },
    };
    std::vector<std::pair<QAbstractButton*, int>> ergebnisse;
    for (const Knopf& k : alle)
        if (knoepfe & k.art)
            ergebnisse.emplace_back(box.addButton(QString::fromUtf8(k.text), k.rolle), k.ergebnis);
    if (ergebnisse.empty())
        ergebnisse.emplace_back(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), mrOk);
    box.setDefaultButton(static_cast<QPushButton*>(ergebnisse.front().first));
    box.exec();
    for (const auto& [knopf, ergebnis] : ergebnisse)
        if (box.clickedButton() == knopf)
            return ergebnis;
    return (knoepfe & mbCancel) ? mrCancel : (knoepfe & mbNo) ? mrNo : mrOk;
}

} // namespace

void TQtDialoge::ShowMessage(const QString& text)
{
    ZeigeBox(AnwendungsTitel(), text, QMessageBox::NoIcon, mbOK);
}

int TQtDialoge::MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (typ) {
    case mtWarning:
        icon = QMessageBox::Warning;
        break;
    case mtError:
        icon = QMessageBox::Critical;
        break;
    case mtInformation:
        icon = QMessageBox::Information;
        break;
    case mtConfirmation:
        icon = QMessageBox::Question;
        break;
    case mtCustom:
        break;
    }
    return ZeigeBox(MessageDlgCaption(typ), text, icon, knoepfe);
}

QString TQtDialoge::InputBox(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    return InputQuery(caption, prompt, vorgabe, passwort).value_or(vorgabe);
}

std::optional<QString> TQtDialoge::InputQuery(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    QDialog dialog(Elternfenster());
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(prompt, &dialog));
    auto* zeile = new QLineEdit(vorgabe, &dialog);
    zeile->setMaxLength(255);
    if (passwort)
        zeile->setEchoMode(QLineEdit::Password);
    layout->addWidget(zeile);
    auto* knoepfe = new QDialogButtonBox(&dialog);
    knoepfe->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    knoepfe->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    QObject::connect(knoepfe, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(knoepfe, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(knoepfe);
    dialog.setMinimumWidth(300);
    zeile->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return zeile->text();
}

void TQtDialoge::Fehler(const QString& text)
{
    ZeigeBox(AnwendungsTitel(), text, QMessageBox::Critical, mbOK);
}

bool TQtDialoge::PrintDialog(QPrinter& drucker)
{
    QPrintDialog dialog(&drucker, Elternfenster());
    return dialog.exec() == QDialog::Accepted;
}

namespace {
// "Name (*.ext)|*.ext|..." into Qt's "Name (*.ext)" list and the patterns beside it
void TeileFilter(const QString& text, QStringList& filter, QStringList& muster)
{
    const QStringList teile = text.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < teile.size(); i += 2) {
        filter << teile[i];
        muster << teile[i + 1];
    }
}
} // namespace

QString TQtDialoge::SaveDialog(TSaveDialogOptionen& optionen)
{
    QStringList filter, muster;
    TeileFilter(optionen.Filter, filter, muster);
    QFileDialog dialog(Elternfenster(), optionen.Titel, optionen.InitialDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filter);
    QString vorgabe = optionen.DefaultExt;
    vorgabe.remove(QStringLiteral("*.")).remove(QLatin1Char('.'));
    // A name typed without an extension gets the one of the chosen filter, so that a file
    // saved as CSV is not called .txt.
    const auto endungFuer = [&](int index) {
        const QString m = muster.value(index);
        const QString endung = m.mid(2);
        if (!m.startsWith(QStringLiteral("*.")) || endung.isEmpty() || endung.contains(QLatin1Char('*'))
            || endung.contains(QLatin1Char('?')) || endung.contains(QLatin1Char(';')))
            return vorgabe;
        return endung;
    };
    const int erster
        = optionen.FilterIndex >= 1 && optionen.FilterIndex <= filter.size() ? optionen.FilterIndex : 1;
    if (!filter.isEmpty())
        dialog.selectNameFilter(filter[erster - 1]);
    dialog.setDefaultSuffix(filter.isEmpty() ? vorgabe : endungFuer(erster - 1));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&](const QString& gewaehlt) { dialog.setDefaultSuffix(endungFuer(int(filter.indexOf(gewaehlt)))); });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(optionen.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const qsizetype gewaehlt = filter.indexOf(dialog.selectedNameFilter());
    if (gewaehlt >= 0)
        optionen.FilterIndex = int(gewaehlt) + 1;
    return dialog.selectedFiles().constFirst();
}

QString TQtDialoge::OpenDialog(TSaveDialogOptionen& optionen)
{
    QStringList filter, muster;
    TeileFilter(optionen.Filter, filter, muster);
    QFileDialog dialog(Elternfenster(), optionen.Titel, optionen.InitialDir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void InstalliereDesktopDienste()
{
    InstalliereDialoge(std::make_unique<TQtDialoge>());
    InstalliereShellOeffner([](const QString& ziel) { return QDesktopServices::openUrl(QUrl(ziel)); });
}
