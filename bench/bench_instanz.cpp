// A later start's hand-over to the running instance: lock, connect, message, answer,
// unlock. Measured against the running program's Qt server and against a bare server
// that answers from a blocking thread, with the same client; the bare socket round trip
// without the lock is shown for its share. Target: the Qt server costs a later start at
// most 2 times what the bare server does.
#include "Verhaeltnisse.h"
#include "platform/InstanzNachricht.h"
#include "platform/InstanzServer.h"
#include "process/InstanceManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

QString Ordner(const char* name)
{
    static QTemporaryDir dir;
    const QString pfad = dir.filePath(QString::fromLatin1(name));
    QDir().mkpath(pfad);
    return pfad;
}

// Answers every message with 1 from a plain blocking thread.
class TRoherServer {
public:
    explicit TRoherServer(const QString& pfad)
    {
        adresse.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(pfad);
        std::memcpy(adresse.sun_path, name.constData(), size_t(name.size()));
        horcher = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(horcher, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) != 0
            || ::listen(horcher, 8) != 0)
            std::abort();
        faden = std::thread([this] { Bediene(); });
    }
    ~TRoherServer()
    {
        ::shutdown(horcher, SHUT_RDWR);
        faden.join();
        ::close(horcher);
        ::unlink(adresse.sun_path);
    }
    sockaddr_un adresse {};

private:
    void Bediene()
    {
        for (;;) {
            const int fd = ::accept(horcher, nullptr, nullptr);
            if (fd < 0)
                return;
            TNachrichtLeser leser;
            char puffer[256];
            while (leser.Zustand() == TNachrichtLeser::Unvollstaendig) {
                const ssize_t n = ::read(fd, puffer, size_t(qMin<qsizetype>(sizeof puffer, leser.Fehlend())));
                if (n <= 0)
                    break;
                leser.Lies(QByteArray(puffer, n));
            }
            const QByteArray antwort = KodiereAntwort(1);
            if (::write(fd, antwort.constData(), size_t(antwort.size())) != antwort.size())
                std::abort();
            ::close(fd);
        }
    }
    int horcher = -1;
    std::thread faden;
};

void Basis_SocketRundreise(benchmark::State& state)
{
    TRoherServer server(Ordner("roh") + QStringLiteral("/server"));
    const QByteArray nachricht = KodiereNachricht({ 0, "abc" });
    for (auto _ : state) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        char antwort[4];
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&server.adresse), sizeof server.adresse) != 0
            || ::write(fd, nachricht.constData(), size_t(nachricht.size())) != nachricht.size()
            || ::read(fd, antwort, 4) != 4)
            std::abort();
        ::close(fd);
    }
}

void Basis_UebergabeAnRohenServer(benchmark::State& state)
{
    const QString ordner = Ordner("basis");
    TRoherServer server(TInstanceManager(ordner).ServerPfad());
    for (auto _ : state)
        if (TInstanceManager(ordner).Starte("abc") != TInstanceManager::Uebergeben)
            std::abort();
}

void Uebergabe(benchmark::State& state)
{
    const QString ordner = Ordner("waechter");
    // The running instance serves from an event loop; here that loop runs on its own thread.
    QThread faden;
    auto* kontext = new QObject;
    kontext->moveToThread(&faden);
    QObject::connect(&faden, &QThread::finished, kontext, &QObject::deleteLater);
    faden.start();
    TInstanzServer* server = nullptr;
    QMetaObject::invokeMethod(
        kontext,
        [&] {
            server = new TInstanzServer;
            server->BeiNachricht = [](const TCopyData&) { return 1; };
            if (!server->Lausche(TInstanceManager(ordner).ServerPfad()))
                std::abort();
        },
        Qt::BlockingQueuedConnection);
    for (auto _ : state)
        if (TInstanceManager(ordner).Starte("abc") != TInstanceManager::Uebergeben)
            std::abort();
    QMetaObject::invokeMethod(
        kontext, [&] { delete server; }, Qt::BlockingQueuedConnection);
    faden.quit();
    faden.wait();
}

BENCHMARK(Basis_SocketRundreise)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Basis_UebergabeAnRohenServer)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Uebergabe)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter({ { "Uebergabe", "Basis_UebergabeAnRohenServer", 2.0 } });
    reporter.Zusatz = [](std::map<std::string, double>& zeiten) {
        std::printf("%-22s %.3f x %-30s (Anteil von Sperre und Prüfungen)\n", "Uebergabe",
            zeiten["Uebergabe"] / zeiten["Basis_SocketRundreise"], "Basis_SocketRundreise");
    };
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
