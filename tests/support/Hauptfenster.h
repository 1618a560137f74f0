// The main window started the real way on what a test prepared in memory.
#pragma once

#include "app/Haupt.h"
#include "store/Daten.h"
#include "store/Startablauf.h"
#include "store/Tarife.h"
#include "support/TestDialoge.h"

#include <memory>

// Saves the record and the tariffs, answers the start user's password and runs the
// window's start-up on them. The current user and tariff the test chose stay chosen,
// and the start's own boxes (no tariff chosen, ...) are not kept in the dialogs'
// record. Nothing when a save fails.
inline std::unique_ptr<TForm1> StarteHauptfenster(TTestDialoge& dialoge)
{
    if (!SpeichereDaten().Ok || !SpeichereTarife().Ok)
        return nullptr;
    const int benutzer = AktBenutzer;
    const TTarif tarif = AktTarif;
    const size_t gezeigt = dialoge.Protokoll.size();
    if (const int u = AnzumeldenderBenutzer(); HatKennwort(u))
        dialoge.Eingaben.push_front(Daten.Benutzer[u].Kennwort.Text());
    auto form = std::make_unique<TForm1>();
    dialoge.Protokoll.erase(dialoge.Protokoll.begin() + qsizetype(gezeigt), dialoge.Protokoll.end());
    if (benutzer != 0) {
        AktBenutzer = uint8_t(benutzer);
        AktTarif = tarif;
    }
    return form;
}
