// A system bus of the test's own (never the machine's) with a NetworkManager stand-in
// on it: python3-dbusmock's template and calls to put up devices and connections.
// Everything it starts is ended with it.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Values of NetworkManager's D-Bus API the tests use.
namespace Nm {
constexpr uint Ethernet = 1;
constexpr uint Wlan = 2;
constexpr uint Modem = 8;
constexpr uint GemessenJa = 1;
constexpr uint GemessenNein = 2;
constexpr uint GemessenVermutlichJa = 3;
constexpr uint GemessenVermutlichNein = 4;
constexpr uint WirdAufgebaut = 1;
constexpr uint Steht = 2;
constexpr uint WirdAbgebaut = 3;
}

class TNetworkManagerAttrappe {
public:
    // Starts the bus; Fehler() tells why when it did not come up.
    TNetworkManagerAttrappe();
    ~TNetworkManagerAttrappe();
    TNetworkManagerAttrappe(const TNetworkManagerAttrappe&) = delete;
    TNetworkManagerAttrappe& operator=(const TNetworkManagerAttrappe&) = delete;

    // What DBUS_SYSTEM_BUS_ADDRESS must say for a program to use this bus.
    QString Adresse() const { return FAdresse; }
    // The test's own connection to the bus.
    QDBusConnection Bus() const;
    QString Fehler() const { return FFehler; }

    // NetworkManager onto the bus and off again; both wait until the bus has seen it.
    bool Starte();
    bool Beende();
    // Stops and resumes the stand-in's process: its name stays, it does not answer.
    void Anhalten();
    void Fortsetzen();

    QString Geraet(const QString& name, const QString& schnittstelle, uint typ, uint gemessen);
    QString Aktiv(const QString& name, const QString& typ, const QString& geraet, uint zustand);
    void Zustand(const QString& aktiv, uint zustand, const QString& adresse = {});
    void Entferne(const QString& aktiv);
    // NetworkManager's list of active connections as an array of arrays: the wrong type.
    void Verschachtelt(const QString& aktiv);
    // A device's statistics: the first call gives it that interface, refreshing never
    // until asked to; later calls set its counters.
    void Statistik(const QString& geraet, qulonglong empfangen, qulonglong gesendet);

private:
    bool Rufe(const QString& methode, const QVariantList& argumente, QString* ergebnis = nullptr);

    QTemporaryDir FVerzeichnis;
    QProcess FDaemon;
    std::unique_ptr<QProcess> FNm;
    QString FAdresse;
    QString FVerbindungsname;
    QString FFehler;
};
