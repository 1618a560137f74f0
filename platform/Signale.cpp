#include "platform/Signale.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Paar[2] = { -1, -1 };
std::function<void()> Aktion;

void Signal(int)
{
    const int fehler = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(Paar[0], &c, 1);
    errno = fehler;
}

} // namespace

bool LeiteBeendenSignaleUm(std::function<void()> beenden)
{
    Aktion = std::move(beenden);
    if (Paar[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Paar) != 0)
            return false;
        auto* melder = new QSocketNotifier(Paar[1], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(melder, &QSocketNotifier::activated, melder, [] {
            char puffer[16];
            while (::read(Paar[1], puffer, sizeof puffer) > 0) { }
            if (Aktion)
                Aktion();
        });
    }
    struct sigaction aktion = {};
    aktion.sa_handler = Signal;
    sigemptyset(&aktion.sa_mask);
    aktion.sa_flags = SA_RESTART;
    // A closed terminal (SIGHUP) must not cost the running connection; started with
    // nohup, SIGHUP stays ignored as asked.
    struct sigaction bisher = {};
    const bool hupIgnoriert = ::sigaction(SIGHUP, nullptr, &bisher) == 0 && bisher.sa_handler == SIG_IGN;
    return ::sigaction(SIGTERM, &aktion, nullptr) == 0 && ::sigaction(SIGINT, &aktion, nullptr) == 0
        && (hupIgnoriert || ::sigaction(SIGHUP, &aktion, nullptr) == 0);
}
