#include "support/TestDialoge.h"

TTestDialoge& InstalliereTestDialoge()
{
    auto dialoge = std::make_unique<TTestDialoge>();
    TTestDialoge& ref = *dialoge;
    InstalliereDialoge(std::move(dialoge));
    return ref;
}

void TTestDialoge::Zeige(const TDialogAufruf& aufruf)
{
    Protokoll.push_back(aufruf);
    if (BeiAnzeige)
        BeiAnzeige(aufruf);
}

void TTestDialoge::ShowMessage(const QString& text)
{
    Zeige({ TDialogAufruf::Nachricht, AnwendungsTitel(), text, {}, false, mtCustom, mbOK });
}

int TTestDialoge::MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe)
{
    Zeige({ TDialogAufruf::Frage, MessageDlgCaption(typ), text, {}, false, typ, knoepfe });
    if (Knopfantworten.empty())
        return (knoepfe & mbNo) ? mrNo : mrOk;
    const int antwort = Knopfantworten.front();
    Knopfantworten.pop_front();
    return antwort;
}

QString TTestDialoge::InputBox(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    return InputQuery(caption, prompt, vorgabe, passwort).value_or(vorgabe);
}

std::optional<QString> TTestDialoge::InputQuery(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
{
    Zeige({ TDialogAufruf::Eingabe, caption, prompt, vorgabe, passwort, mtCustom, mbOK | mbCancel });
    if (Eingaben.empty())
        return std::nullopt;
    const std::optional<QString> antwort = Eingaben.front();
    Eingaben.pop_front();
    // The edit line takes at most 255 characters.
    if (!antwort)
        return std::nullopt;
    return antwort->left(255);
}

void TTestDialoge::Fehler(const QString& text)
{
    Zeige({ TDialogAufruf::Fehlerbox, AnwendungsTitel(), text, {}, false, mtError, mbOK });
}

bool TTestDialoge::PrintDialog(QPrinter&)
{
    Zeige({ TDialogAufruf::Drucken, {}, {}, {}, false, mtCustom, mbOK | mbCancel });
    if (Druckantworten.empty())
        return false;
    const bool antwort = Druckantworten.front();
    Druckantworten.pop_front();
    return antwort;
}

QString TTestDialoge::SaveDialog(TSaveDialogOptionen& optionen)
{
    Zeige({ TDialogAufruf::Speichern, optionen.Titel, optionen.Filter, optionen.FileName, false, mtCustom,
        mbOK | mbCancel });
    if (Dateinamen.empty())
        return {};
    const QString antwort = Dateinamen.front();
    Dateinamen.pop_front();
    if (!Filterwahlen.empty()) {
        optionen.FilterIndex = Filterwahlen.front();
        Filterwahlen.pop_front();
    }
    return antwort;
}

QString TTestDialoge::OpenDialog(TSaveDialogOptionen& optionen)
{
    Zeige({ TDialogAufruf::Oeffnen, optionen.Titel, optionen.Filter, optionen.FileName, false, mtCustom,
        mbOK | mbCancel });
    if (Dateinamen.empty())
        return {};
    const QString antwort = Dateinamen.front();
    Dateinamen.pop_front();
    return antwort;
}

QStringList TTestDialoge::Meldungen() const
{
    QStringList texte;
    for (const TDialogAufruf& a : Protokoll)
        if (a.art == TDialogAufruf::Nachricht || a.art == TDialogAufruf::Frage
            || a.art == TDialogAufruf::Fehlerbox)
            texte << a.text;
    return texte;
}
