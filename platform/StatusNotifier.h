// The notification areas of today's desktops (KDE Plasma, Xfce, LXQt, Cinnamon, GNOME
// with the AppIndicator extension) show a program's icon as a StatusNotifierItem: an
// object on the session bus that the area's watcher lists and its host draws, asks for
// the tooltip, and tells of clicks.
//
// Qt decides once per process, when it first makes a tray icon, whether its icons go
// this way or to an XEmbed tray; a watcher that comes up later is never used then. So
// the program keeps an item of its own, and watches the bus for the watcher.
#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QDBusServiceWatcher;
class TStatusNotifierAdaptor;

// What the host reports of the icon.
enum class TSniKlick {
    Aktivieren, // the primary action: a left click on most hosts
    Zweitaktion, // a middle click
    Kontextmenue, // a right click, where the item offers no menu of its own
};

class TStatusNotifierItem : public QObject {
    Q_OBJECT

public:
    // Puts the item on the session bus under a name of its own and registers it with
    // the watcher, now and whenever a watcher comes up again.
    explicit TStatusNotifierItem(const QString& titel, QObject* parent = nullptr);
    ~TStatusNotifierItem() override;
    TStatusNotifierItem(const TStatusNotifierItem&) = delete;
    TStatusNotifierItem& operator=(const TStatusNotifierItem&) = delete;

    void SetzeBild(const QIcon& bild);
    // The hint; empty shows no tooltip.
    void SetzeTip(const QString& text);
    // A desktop notification with the warning sign; false where no notification service
    // runs.
    [[nodiscard]] bool ZeigeNachricht(const QString& titel, const QString& text, int millisekunden);

    QString Dienstname() const { return dienstname; }
    // The host's clicks, with the screen position it names.
    std::function<void(TSniKlick, int x, int y)> OnKlick;

private:
    friend class TStatusNotifierAdaptor;
    QString titel;
    QString tip;
    QIcon bild;
    QString verbindungsname;
    QString dienstname;
    QDBusConnection verbindung;
    TStatusNotifierAdaptor* adaptor = nullptr;
    QDBusServiceWatcher* waechter = nullptr;

    void MeldeAn();
};

// Tells whether a watcher with a host is on the session bus, and when that changes.
class TStatusNotifierBeobachter : public QObject {
    Q_OBJECT

public:
    explicit TStatusNotifierBeobachter(std::function<void()> geaendert, QObject* parent = nullptr);
    bool HostDa() const { return hostDa; }

private slots:
    void Pruefe();

private:
    std::function<void()> geaendert;
    bool hostDa = false;
};

// True when the session bus has a watcher whose host shows the items.
bool StatusNotifierHostDa();
