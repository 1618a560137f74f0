#include "process/InstanceManager.h"

#include "platform/InstanzClient.h"
#include "platform/InstanzServer.h"
#include "platform/InstanzSperre.h"
#include "platform/Laufzeitverzeichnis.h"
#include "platform/Startfehler.h"
#include "platform/posix/Dateien.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// The names a running instance is known by: a mutex and a window of this class and title.
const char* const MutexName = "Kostenwolf";
const char* const FensterKlasse = "TInstanceManager";
const char* const FensterTitel = "Kostenwolf";

} // namespace

TInstanceManager::TInstanceManager(const QString& ordner)
    : verzeichnis(ordner)
{
}

TInstanceManager::~TInstanceManager()
{
    Beende();
}

QString TInstanceManager::SperrPfad() const
{
    return QDir(verzeichnis).filePath(QString::fromLatin1(MutexName) + QStringLiteral(".lock"));
}

int TInstanceManager::LaengsterName()
{
    return int(qMax(qstrlen(MutexName) + 5, qstrlen(FensterKlasse) + 1 + qstrlen(FensterTitel)));
}

QString TInstanceManager::ServerPfad() const
{
    return QDir(verzeichnis)
        .filePath(QStringLiteral("%1-%2").arg(QLatin1String(FensterKlasse), QLatin1String(FensterTitel)));
}

TInstanceManager::TStart TInstanceManager::Starte(const QByteArray& erstesArgument)
{
    sperre = std::make_unique<TInstanzSperre>(SperrPfad());
    switch (sperre->Warte(Sperrwartezeit)) {
    case TInstanzSperre::Erhalten:
        break;
    case TInstanzSperre::Zeitueberschreitung:
        fehlertext = QStringLiteral("%1 bleibt gesperrt").arg(sperre->Pfad());
        return Zeitueberschreitung;
    case TInstanzSperre::Fehler:
        fehlertext = sperre->Fehlertext();
        return Fehler;
    }

    const TUebergabe uebergabe
        = UebergibAnInstanz(ServerPfad(), TCopyData { 0, erstesArgument }, Antwortwartezeit);
    switch (uebergabe.Ergebnis) {
    case TUebergabe::KeinServer:
        // Holding the lock, nobody can be setting up a server: a socket file that refuses
        // connections was left by an instance that died.
        QFile::remove(ServerPfad());
        return ErsteInstanz;
    case TUebergabe::Beantwortet:
        sperre->Freigeben();
        return uebergabe.Antwort > 0 ? Uebergeben : NichtBestaetigt;
    case TUebergabe::KeineAntwort:
        sperre->Freigeben();
        fehlertext = uebergabe.Fehlertext;
        return Zeitueberschreitung;
    case TUebergabe::Fehler:
        break;
    }
    sperre->Freigeben();
    fehlertext = uebergabe.Fehlertext;
    return Fehler;
}

bool TInstanceManager::Registriere()
{
    if (server)
        return true;
    auto* neu = new TInstanzServer(QCoreApplication::instance());
    // A hand-over is acknowledged; the running instance makes no other use of it.
    neu->BeiNachricht = [](const TCopyData&) { return qint32(1); };
    if (!neu->Lausche(ServerPfad())) {
        fehlertext = neu->Fehlertext();
        delete neu;
        if (sperre)
            sperre->Freigeben();
        return false;
    }
    server = neu;
    if (sperre)
        sperre->Freigeben();
    return true;
}

void TInstanceManager::Beende()
{
    delete server.data();
}

bool TInstanceManager::Registriert() const
{
    return server && server->Lauscht();
}

namespace {

std::unique_ptr<TInstanceManager> Waechter;

const QString KeinSchutz
    = QStringLiteral("Der Schutz vor einem zweiten Start kann nicht eingerichtet werden: %1");

} // namespace

std::optional<int> InstanceManagerStart(int argc, char** argv)
{
    const TLaufzeitverzeichnis ort = Laufzeitverzeichnis(TInstanceManager::LaengsterName());
    if (ort.Pfad.isEmpty())
        return MeldeStartfehler(KeinSchutz.arg(ort.Fehler));

    Waechter = std::make_unique<TInstanceManager>(ort.Pfad);
    const QByteArray argument = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    switch (Waechter->Starte(argument)) {
    case TInstanceManager::ErsteInstanz:
        break;
    case TInstanceManager::NichtBestaetigt:
        Waechter.reset();
        break;
    case TInstanceManager::Uebergeben:
        return 0;
    case TInstanceManager::Zeitueberschreitung:
        return MeldeStartfehler(
            QStringLiteral("Kostenwolf läuft bereits, antwortet aber nicht: %1").arg(Waechter->Fehlertext()));
    case TInstanceManager::Fehler:
        return MeldeStartfehler(KeinSchutz.arg(Waechter->Fehlertext()));
    }

    // An instance started with another runtime folder (another XDG_RUNTIME_DIR, say)
    // has a socket this start cannot see; its hold on the data folder still shows. A
    // data file linked from another data folder is held through the folder it is in.
    // A folder that cannot be made cannot be locked either: the lock below says why.
    (void)LegePrivatenOrdnerAn(DatenVerzeichnis());
    for (const QString& ordner : DatenOrdner()) {
        QString grund;
        switch (SperreDatenverzeichnis(ordner, Waechter ? Waechter->Sperrwartezeit : 5000, &grund)) {
        case TDatenSperre::Gehalten:
            break;
        case TDatenSperre::Belegt:
            return MeldeStartfehler(QStringLiteral("Kostenwolf läuft bereits mit den Daten in %1, ist aber "
                                                   "von hier aus nicht erreichbar.")
                                        .arg(QDir::toNativeSeparators(ordner)));
        case TDatenSperre::NichtMoeglich:
            return MeldeStartfehler(
                QStringLiteral("Der Datenordner %1 kann nicht gesperrt werden (%2); ohne "
                               "Sperre könnte ein zweites Kostenwolf dieselben Daten nutzen.")
                    .arg(QDir::toNativeSeparators(ordner), grund));
        }
    }
    return std::nullopt;
}

std::optional<int> InstanceManagerRegistriere()
{
    if (Waechter && !Waechter->Registriere())
        return MeldeStartfehler(KeinSchutz.arg(Waechter->Fehlertext()));
    return std::nullopt;
}
