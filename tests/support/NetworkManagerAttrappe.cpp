#include "support/NetworkManagerAttrappe.h"

#include "support/Warten.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <csignal>

namespace {

const QString Name = QStringLiteral("org.freedesktop.NetworkManager");

// The distribution's python, which has dbusmock; a python of a user's own may not.
QString Python()
{
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

} // namespace

TNetworkManagerAttrappe::TNetworkManagerAttrappe()
{
    if (!FVerzeichnis.isValid()) {
        FFehler = QStringLiteral("kein temporäres Verzeichnis");
        return;
    }
    const QString konfiguration = FVerzeichnis.filePath(QStringLiteral("bus.conf"));
    QFile datei(konfiguration);
    if (!datei.open(QIODevice::WriteOnly)) {
        FFehler = datei.errorString();
        return;
    }
    datei.write(
        QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
            .arg(FVerzeichnis.path())
            .toUtf8());
    datei.close();

    FDaemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--config-file=") + konfiguration, QStringLiteral("--nofork"),
            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1") });
    if (!FDaemon.waitForStarted(10000)) {
        FFehler = QStringLiteral("dbus-daemon startet nicht: ") + FDaemon.errorString();
        return;
    }
    while (!FDaemon.canReadLine() && FDaemon.waitForReadyRead(10000)) { }
    FAdresse = QString::fromUtf8(FDaemon.readLine()).trimmed();
    if (FAdresse.isEmpty()) {
        FFehler = QStringLiteral("dbus-daemon nennt keine Adresse");
        return;
    }
    FVerbindungsname = QStringLiteral("kw-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!Bus().isConnected())
        FFehler = QStringLiteral("keine Verbindung zum Testbus: ") + Bus().lastError().message();
}

TNetworkManagerAttrappe::~TNetworkManagerAttrappe()
{
    if (FNm) {
        Fortsetzen();
        FNm->terminate();
        if (!FNm->waitForFinished(5000)) {
            FNm->kill();
            FNm->waitForFinished(5000);
        }
    }
    if (!FVerbindungsname.isEmpty())
        QDBusConnection::disconnectFromBus(FVerbindungsname);
    if (FDaemon.state() != QProcess::NotRunning) {
        FDaemon.terminate();
        if (!FDaemon.waitForFinished(5000)) {
            FDaemon.kill();
            FDaemon.waitForFinished(5000);
        }
    }
}

QDBusConnection TNetworkManagerAttrappe::Bus() const
{
    return QDBusConnection::connectToBus(FAdresse, FVerbindungsname);
}

bool TNetworkManagerAttrappe::Starte()
{
    if (!FFehler.isEmpty())
        return false;
    FNm = std::make_unique<QProcess>();
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    umgebung.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), FAdresse);
    FNm->setProcessEnvironment(umgebung);
    FNm->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FNm->setStandardOutputFile(QProcess::nullDevice()); // its log of every call
    FNm->start(Python(),
        { QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
            QStringLiteral("--template"),
            QStringLiteral(KOSTENWOLF_QUELLEN "/tests/support/networkmanager_attrappe.py") });
    if (!FNm->waitForStarted(10000)) {
        FFehler = QStringLiteral("python3 startet nicht: ") + FNm->errorString();
        return false;
    }
    QDBusConnection bus = Bus();
    if (!WarteBis(
            [&] { return bus.interface()->isServiceRegistered(Name).value(); }, std::chrono::seconds(20))) {
        FFehler = QStringLiteral("NetworkManager-Attrappe erscheint nicht auf dem Bus");
        return false;
    }
    return true;
}

bool TNetworkManagerAttrappe::Beende()
{
    if (!FNm)
        return true;
    Fortsetzen();
    FNm->terminate();
    const bool beendet = FNm->waitForFinished(10000);
    FNm.reset();
    QDBusConnection bus = Bus();
    return beendet && WarteBis([&] { return !bus.interface()->isServiceRegistered(Name).value(); });
}

void TNetworkManagerAttrappe::Anhalten()
{
    if (FNm && FNm->state() == QProcess::Running)
        ::kill(pid_t(FNm->processId()), SIGSTOP);
}

void TNetworkManagerAttrappe::Fortsetzen()
{
    if (FNm && FNm->state() == QProcess::Running)
        ::kill(pid_t(FNm->processId()), SIGCONT);
}

bool TNetworkManagerAttrappe::Rufe(const QString& methode, const QVariantList& argumente, QString* ergebnis)
{
    QDBusMessage ruf = QDBusMessage::createMethodCall(
        Name, QStringLiteral("/org/freedesktop"), QStringLiteral("org.freedesktop.DBus.Mock"), methode);
    ruf.setArguments(argumente);
    const QDBusMessage antwort = Bus().call(ruf, QDBus::Block, 10000);
    if (antwort.type() != QDBusMessage::ReplyMessage) {
        FFehler = methode + QStringLiteral(": ") + antwort.errorMessage();
        return false;
    }
    if (ergebnis && !antwort.arguments().isEmpty())
        *ergebnis = antwort.arguments().first().value<QDBusObjectPath>().path();
    return true;
}

QString TNetworkManagerAttrappe::Geraet(
    const QString& name, const QString& schnittstelle, uint typ, uint gemessen)
{
    QString pfad;
    Rufe(QStringLiteral("AddKwDevice"), { name, schnittstelle, typ, gemessen }, &pfad);
    return pfad;
}

QString TNetworkManagerAttrappe::Aktiv(
    const QString& name, const QString& typ, const QString& geraet, uint zustand)
{
    QString pfad;
    Rufe(QStringLiteral("AddKwActive"), { name, typ, QVariant::fromValue(QDBusObjectPath(geraet)), zustand },
        &pfad);
    return pfad;
}

void TNetworkManagerAttrappe::Zustand(const QString& aktiv, uint zustand, const QString& adresse)
{
    Rufe(QStringLiteral("SetKwActiveState"),
        { QVariant::fromValue(QDBusObjectPath(aktiv)), zustand, adresse });
}

void TNetworkManagerAttrappe::Entferne(const QString& aktiv)
{
    Rufe(QStringLiteral("RemoveKwActive"), { QVariant::fromValue(QDBusObjectPath(aktiv)) });
}

void TNetworkManagerAttrappe::Verschachtelt(const QString& aktiv)
{
    Rufe(QStringLiteral("SetKwNestedActive"), { aktiv });
}

void TNetworkManagerAttrappe::Statistik(const QString& geraet, qulonglong empfangen, qulonglong gesendet)
{
    Rufe(QStringLiteral("SetKwStatistics"),
        { QVariant::fromValue(QDBusObjectPath(geraet)), empfangen, gesendet });
}
