#include "store/Journaldatei.h"

#include "platform/posix/Dateien.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Regeldatei.h"

#include <QFile>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the journal is written in the host's byte order");

namespace {

constexpr char Kennung[4] = { 'K', 'W', 'J', 0x1A };
constexpr size_t OffsetVersion = 4, OffsetBenutzer = 6, OffsetTarifNr = 7, OffsetTarif = 8, OffsetBeginn = 84,
                 OffsetDauer = 92, OffsetEmpfangen = 100, OffsetGesendet = 108, OffsetDatum = 116,
                 OffsetKosten = 124, OffsetPruefsumme = 132;
static_assert(OffsetTarif + sizeof(TTarif) == OffsetBeginn);
static_assert(OffsetPruefsumme + 4 == JournalGroesse);
// Version 1: the same up to the elapsed time, then its checksum; version 2 added the
// bytes, with its checksum at 116.
constexpr size_t PruefsummeVersion1 = 100;
constexpr size_t GroesseVersion1 = 104;
constexpr size_t PruefsummeVersion2 = 116;
constexpr uint64_t Unbekannt = ~uint64_t(0);

// Prices of a million Pfennig a minute or DM a month are no tariff anybody typed; such
// values come from damage and would overflow the pricing.
constexpr double HoechsterPreis = 1e6;
constexpr int64_t HoechsteDauerMs = 366 * MSecsPerDay;
constexpr TDateTime FruehesterBeginn = 2; // 1900-01-01
constexpr TDateTime SpaetesterBeginn = 2'958'466; // 9999-12-31 + 1

constexpr std::array<uint32_t, 256> CrcTabelle()
{
    std::array<uint32_t, 256> t {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

template <typename T> void Lege(QByteArray& ziel, size_t offset, const T& wert)
{
    std::memcpy(ziel.data() + offset, &wert, sizeof wert);
}

template <typename T> T Hole(const QByteArray& quelle, size_t offset)
{
    T wert;
    std::memcpy(&wert, quelle.constData() + offset, sizeof wert);
    return wert;
}

bool SinnvollerPreis(double wert)
{
    return std::isfinite(wert) && std::fabs(wert) <= HoechsterPreis;
}

} // namespace

QString JournalPfad()
{
    return DatenVerzeichnis() + QLatin1Char('/') + JournalName;
}

uint32_t Crc32(const char* daten, size_t anzahl)
{
    static constexpr std::array<uint32_t, 256> tabelle = CrcTabelle();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < anzahl; ++i)
        c = tabelle[(c ^ uint8_t(daten[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

size_t JournalHoechstGroesse()
{
    return JournalGroesse + 4 + RegeldateiHoechstens;
}

QByteArray KodiereJournal(const TJournal& journal)
{
    const bool mitRegeln = !journal.Regeln.isEmpty();
    const size_t pruefsumme
        = mitRegeln ? OffsetPruefsumme + 4 + size_t(journal.Regeln.size()) : OffsetPruefsumme;
    QByteArray bytes(qsizetype(pruefsumme + 4), '\0');
    std::memcpy(bytes.data(), Kennung, sizeof Kennung);
    Lege(bytes, OffsetVersion, mitRegeln ? JournalVersionMitRegeln : JournalVersion);
    Lege(bytes, OffsetBenutzer, uint8_t(journal.Benutzer));
    Lege(bytes, OffsetTarifNr, uint8_t(journal.TarifNr));
    Lege(bytes, OffsetTarif, journal.Tarif);
    Lege(bytes, OffsetBeginn, journal.Beginn);
    Lege(bytes, OffsetDauer, journal.DauerMs);
    Lege(bytes, OffsetEmpfangen, journal.Bytes ? journal.Bytes->Empfangen : Unbekannt);
    Lege(bytes, OffsetGesendet, journal.Bytes ? journal.Bytes->Gesendet : Unbekannt);
    Lege(bytes, OffsetDatum, journal.Datum);
    Lege(bytes, OffsetKosten, journal.Kosten);
    if (mitRegeln) {
        Lege(bytes, OffsetPruefsumme, uint32_t(journal.Regeln.size()));
        std::memcpy(
            bytes.data() + OffsetPruefsumme + 4, journal.Regeln.constData(), size_t(journal.Regeln.size()));
    }
    Lege(bytes, pruefsumme, Crc32(bytes.constData(), pruefsumme));
    return bytes;
}

std::optional<TJournal> DekodiereJournalbytes(
    const QByteArray& bytes, const std::function<bool(const QByteArray&)>& regelnLesbar)
{
    if (size_t(bytes.size()) < GroesseVersion1
        || std::memcmp(bytes.constData(), Kennung, sizeof Kennung) != 0)
        return std::nullopt;
    const uint16_t version = Hole<uint16_t>(bytes, OffsetVersion);
    size_t pruefsumme = version == 1 ? PruefsummeVersion1
        : version == 2               ? PruefsummeVersion2
                                     : OffsetPruefsumme;
    if (version == JournalVersionMitRegeln && size_t(bytes.size()) >= JournalGroesse) {
        const uint32_t laenge = Hole<uint32_t>(bytes, OffsetPruefsumme);
        if (laenge == 0 || laenge > RegeldateiHoechstens)
            return std::nullopt;
        pruefsumme = OffsetPruefsumme + 4 + laenge;
    }
    if (version < 1 || version > JournalVersionMitRegeln || size_t(bytes.size()) != pruefsumme + 4
        || Hole<uint32_t>(bytes, pruefsumme) != Crc32(bytes.constData(), pruefsumme))
        return std::nullopt;

    TJournal j;
    j.Benutzer = Hole<uint8_t>(bytes, OffsetBenutzer);
    j.TarifNr = Hole<uint8_t>(bytes, OffsetTarifNr);
    j.Tarif = Hole<TTarif>(bytes, OffsetTarif);
    j.Beginn = Hole<double>(bytes, OffsetBeginn);
    j.DauerMs = Hole<int64_t>(bytes, OffsetDauer);
    if (version >= 2) {
        const uint64_t empfangen = Hole<uint64_t>(bytes, OffsetEmpfangen);
        const uint64_t gesendet = Hole<uint64_t>(bytes, OffsetGesendet);
        if (empfangen != Unbekannt && gesendet != Unbekannt)
            j.Bytes = TBytestand { empfangen, gesendet };
    }
    if (version >= 3) {
        j.Datum = Hole<double>(bytes, OffsetDatum);
        j.Kosten = Hole<double>(bytes, OffsetKosten);
    }
    if (j.Benutzer < 1 || j.Benutzer > MaxBenutzer || j.TarifNr > MaxTarife || j.Tarif.Name.Laenge > 50)
        return std::nullopt;
    if (!SinnvollerPreis(j.Tarif.Preis) || !SinnvollerPreis(j.Tarif.Grundpreis)
        || !SinnvollerPreis(j.Tarif.Einwahl))
        return std::nullopt;
    if (!(j.Beginn >= FruehesterBeginn && j.Beginn < SpaetesterBeginn))
        return std::nullopt;
    if (j.DauerMs < 0 || j.DauerMs > HoechsteDauerMs)
        return std::nullopt;
    if (j.Protokolliert()
        && (!(j.Datum >= FruehesterBeginn && j.Datum < SpaetesterBeginn) || !SinnvollerPreis(j.Kosten)))
        return std::nullopt;
    if (version == JournalVersionMitRegeln) {
        j.Regeln = bytes.mid(qsizetype(OffsetPruefsumme + 4), qsizetype(pruefsumme - OffsetPruefsumme - 4));
        if (!regelnLesbar || !regelnLesbar(j.Regeln))
            return std::nullopt;
    }
    return j;
}

void EntferneJournal(const QString& pfad)
{
    // One that cannot be removed is at least emptied: the next start then sets it aside
    // instead of logging the connection a second time.
    if (!EntferneDatei(pfad).Ok)
        QFile::resize(pfad, 0);
}
