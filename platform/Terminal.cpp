#include "platform/Terminal.h"

#include <QByteArray>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int TerminalFd = -1;
termios TerminalVorher {};

// A signal while the echo is off must not leave the terminal blind.
void StelleTerminalWiederHer(int signal)
{
    if (TerminalFd >= 0)
        ::tcsetattr(TerminalFd, TCSANOW, &TerminalVorher);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::optional<QByteArray> LiesZeile(int fd)
{
    QByteArray zeile;
    for (;;) {
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0 || c == '\n')
            break;
        if (zeile.size() < 4096)
            zeile += c;
    }
    if (zeile.endsWith('\r'))
        zeile.chop(1);
    return zeile;
}

} // namespace

std::optional<QString> LiesVerdeckt(const QString& frage)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    termios vorher {};
    if (::tcgetattr(fd, &vorher) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    TerminalFd = fd;
    TerminalVorher = vorher;
    const int signale[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };
    for (int s : signale)
        std::signal(s, StelleTerminalWiederHer);
    termios still = vorher;
    still.c_lflag &= ~tcflag_t(ECHO);
    still.c_lflag |= ECHONL; // the Enter key still moves to the next line
    // Echo goes off before the prompt appears: switching drops what was typed ahead, so
    // an answer to the prompt must come after it.
    ::tcsetattr(fd, TCSAFLUSH, &still);
    const QByteArray text = frage.toLocal8Bit();
    (void)!::write(fd, text.constData(), size_t(text.size()));

    const std::optional<QByteArray> zeile = LiesZeile(fd);

    ::tcsetattr(fd, TCSAFLUSH, &vorher);
    for (int s : signale)
        std::signal(s, SIG_DFL);
    TerminalFd = -1;
    ::close(fd);
    if (!zeile)
        return std::nullopt;
    return QString::fromLocal8Bit(*zeile);
}

std::optional<QString> LiesZeileVonStdin()
{
    const std::optional<QByteArray> zeile = LiesZeile(STDIN_FILENO);
    if (!zeile)
        return std::nullopt;
    return QString::fromLocal8Bit(*zeile);
}
