#include "runtime/Dialoge.h"

namespace {
QString titel = QStringLiteral("Kostenwolf");
std::unique_ptr<TDialoge> installiert;

// Before the program main installs its boxes: never a blocking box, the default
// answer to every question.
class TKeineDialoge : public TDialoge {
public:
    void ShowMessage(const QString&) override { }
    int MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons knoepfe) override
    {
        return (knoepfe & mbNo) ? mrNo : mrOk;
    }
    QString InputBox(const QString&, const QString&, const QString& vorgabe, bool) override
    {
        return vorgabe;
    }
    std::optional<QString> InputQuery(const QString&, const QString&, const QString&, bool) override
    {
        return std::nullopt;
    }
    void Fehler(const QString&) override { }
    bool PrintDialog(QPrinter&) override { return false; }
    QString SaveDialog(TSaveDialogOptionen&) override { return {}; }
    QString OpenDialog(TSaveDialogOptionen&) override { return {}; }
};
} // namespace

QString AnwendungsTitel()
{
    return titel;
}

void SetzeAnwendungsTitel(const QString& neu)
{
    titel = neu;
}

QString MessageDlgCaption(TMsgDlgType typ)
{
    switch (typ) {
    case mtWarning:
        return QStringLiteral("Warnung");
    case mtError:
        return QStringLiteral("Fehler");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Bestätigen");
    case mtCustom:
        break;
    }
    return AnwendungsTitel();
}

void InstalliereDialoge(std::unique_ptr<TDialoge> dialoge)
{
    installiert = std::move(dialoge);
}

TDialoge& Dialoge()
{
    if (!installiert)
        installiert = std::make_unique<TKeineDialoge>();
    return *installiert;
}

void ShowMessage(const QString& text)
{
    Dialoge().ShowMessage(text);
}

int MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe)
{
    return Dialoge().MessageDlg(text, typ, knoepfe);
}

QString InputBox(const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    return Dialoge().InputBox(caption, prompt, vorgabe, passwort);
}

std::optional<QString> InputQuery(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    return Dialoge().InputQuery(caption, prompt, vorgabe, passwort);
}

void FehlerMeldung(const QString& text)
{
    Dialoge().Fehler(text);
}
