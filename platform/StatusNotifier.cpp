#include "platform/StatusNotifier.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QtEndian>
#include <atomic>

namespace {

const QString WatcherDienst = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPfad = QStringLiteral("/StatusNotifierWatcher");
const QString ItemPfad = QStringLiteral("/StatusNotifierItem");
const QString NachrichtenDienst = QStringLiteral("org.freedesktop.Notifications");
// A host that hangs must not freeze the program for D-Bus's standard 25 seconds.
constexpr int AntwortFrist = 2000;

} // namespace

// One picture in the bus's layout: width, height, and ARGB32 in network byte order.
struct TSniBild {
    int Breite = 0;
    int Hoehe = 0;
    QByteArray Daten;
};
using TSniBilder = QList<TSniBild>;

struct TSniTooltip {
    QString Symbolname;
    TSniBilder Bilder;
    QString Titel;
    QString Text;
};

Q_DECLARE_METATYPE(TSniBild)
Q_DECLARE_METATYPE(TSniBilder)
Q_DECLARE_METATYPE(TSniTooltip)

QDBusArgument& operator<<(QDBusArgument& argument, const TSniBild& bild)
{
    argument.beginStructure();
    argument << bild.Breite << bild.Hoehe << bild.Daten;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TSniBild& bild)
{
    argument.beginStructure();
    argument >> bild.Breite >> bild.Hoehe >> bild.Daten;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TSniTooltip& tip)
{
    argument.beginStructure();
    argument << tip.Symbolname << tip.Bilder << tip.Titel << tip.Text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TSniTooltip& tip)
{
    argument.beginStructure();
    argument >> tip.Symbolname >> tip.Bilder >> tip.Titel >> tip.Text;
    argument.endStructure();
    return argument;
}

namespace {

void RegistriereTypen()
{
    static const bool einmal = [] {
        qDBusRegisterMetaType<TSniBild>();
        qDBusRegisterMetaType<TSniBilder>();
        qDBusRegisterMetaType<TSniTooltip>();
        return true;
    }();
    (void)einmal;
}

TSniBilder AlsBusBilder(const QIcon& icon)
{
    TSniBilder bilder;
    if (icon.isNull())
        return bilder;
    for (const int kante : { 16, 22, 24, 32, 48, 64 }) {
        const QImage bild = icon.pixmap(QSize(kante, kante)).toImage().convertToFormat(QImage::Format_ARGB32);
        if (bild.isNull())
            continue;
        TSniBild eintrag { bild.width(), bild.height(), {} };
        eintrag.Daten.resize(qsizetype(bild.width()) * bild.height() * 4);
        auto* ziel = reinterpret_cast<quint32*>(eintrag.Daten.data());
        for (int y = 0; y < bild.height(); ++y) {
            const auto* zeile = reinterpret_cast<const quint32*>(bild.constScanLine(y));
            for (int x = 0; x < bild.width(); ++x)
                *ziel++ = qToBigEndian(zeile[x]);
        }
        bilder << eintrag;
    }
    return bilder;
}

} // namespace

// The item's interface on the bus. No menu of its own: the host then asks for the
// context menu by ContextMenu, and the program shows its popup as it does everywhere.
class TStatusNotifierAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ Leer)
    Q_PROPERTY(TSniBilder IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ Leer)
    Q_PROPERTY(TSniBilder OverlayIconPixmap READ KeineBilder)
    Q_PROPERTY(QString AttentionIconName READ Leer)
    Q_PROPERTY(TSniBilder AttentionIconPixmap READ KeineBilder)
    Q_PROPERTY(QString AttentionMovieName READ Leer)
    Q_PROPERTY(TSniTooltip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)

public:
    explicit TStatusNotifierAdaptor(TStatusNotifierItem* item)
        : QDBusAbstractAdaptor(item)
        , item(item)
    {
    }

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName().toLower(); }
    QString Title() const { return item->titel; }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString Leer() const { return {}; }
    TSniBilder IconPixmap() const { return bilder; }
    TSniBilder KeineBilder() const { return {}; }
    // Without pictures of its own: the host asks for it every second, and it shows the
    // item's icon anyway.
    TSniTooltip ToolTip() const { return { QString(), {}, item->tip, {} }; }
    bool ItemIsMenu() const { return false; }

    void NeuesBild()
    {
        bilder = AlsBusBilder(item->bild);
        emit NewIcon();
    }

public slots:
    void Activate(int x, int y) { Melde(TSniKlick::Aktivieren, x, y); }
    void SecondaryActivate(int x, int y) { Melde(TSniKlick::Zweitaktion, x, y); }
    void ContextMenu(int x, int y) { Melde(TSniKlick::Kontextmenue, x, y); }
    void Scroll(int, const QString&) { }

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    TStatusNotifierItem* item;
    TSniBilder bilder;

    void Melde(TSniKlick klick, int x, int y)
    {
        // From the event loop: the host's call is answered first, and a handler may end
        // the item.
        QMetaObject::invokeMethod(
            item,
            [item = item, klick, x, y] {
                if (item->OnKlick)
                    item->OnKlick(klick, x, y);
            },
            Qt::QueuedConnection);
    }
};

TStatusNotifierItem::TStatusNotifierItem(const QString& titel, QObject* parent)
    : QObject(parent)
    , titel(titel)
    , verbindung(QStringLiteral("kostenwolf-leer"))
{
    RegistriereTypen();
    static std::atomic<int> zaehler { 0 };
    const int nummer = ++zaehler;
    // A connection of its own for each item: one connection carries one object under
    // the item's fixed path.
    verbindungsname = QStringLiteral("kostenwolf-sni-%1").arg(nummer);
    verbindung = QDBusConnection::connectToBus(QDBusConnection::SessionBus, verbindungsname);
    dienstname = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(nummer);
    adaptor = new TStatusNotifierAdaptor(this);
    if (!verbindung.isConnected())
        return;
    verbindung.registerObject(ItemPfad, this, QDBusConnection::ExportAdaptors);
    verbindung.registerService(dienstname);
    waechter
        = new QDBusServiceWatcher(WatcherDienst, verbindung, QDBusServiceWatcher::WatchForRegistration, this);
    connect(waechter, &QDBusServiceWatcher::serviceRegistered, this, [this] { MeldeAn(); });
    MeldeAn();
}

TStatusNotifierItem::~TStatusNotifierItem()
{
    if (verbindung.isConnected()) {
        verbindung.unregisterObject(ItemPfad);
        verbindung.unregisterService(dienstname);
    }
    QDBusConnection::disconnectFromBus(verbindungsname);
}

void TStatusNotifierItem::MeldeAn()
{
    QDBusMessage anmeldung = QDBusMessage::createMethodCall(
        WatcherDienst, WatcherPfad, WatcherDienst, QStringLiteral("RegisterStatusNotifierItem"));
    anmeldung << dienstname;
    verbindung.asyncCall(anmeldung, AntwortFrist);
}

void TStatusNotifierItem::SetzeBild(const QIcon& neu)
{
    bild = neu;
    adaptor->NeuesBild();
}

void TStatusNotifierItem::SetzeTip(const QString& text)
{
    if (text == tip)
        return;
    tip = text;
    emit adaptor->NewToolTip();
}

bool TStatusNotifierItem::ZeigeNachricht(const QString& ueberschrift, const QString& text, int millisekunden)
{
    QDBusConnectionInterface* bus = verbindung.isConnected() ? verbindung.interface() : nullptr;
    if (!bus
        || !(bus->isServiceRegistered(NachrichtenDienst)
            || bus->activatableServiceNames().value().contains(NachrichtenDienst)))
        return false;
    QDBusMessage nachricht = QDBusMessage::createMethodCall(NachrichtenDienst,
        QStringLiteral("/org/freedesktop/Notifications"), NachrichtenDienst, QStringLiteral("Notify"));
    nachricht << titel << uint(0) << QStringLiteral("dialog-warning") << ueberschrift << text << QStringList()
              << QVariantMap { { QStringLiteral("urgency"), QVariant::fromValue(uchar(1)) } }
              << millisekunden;
    verbindung.asyncCall(nachricht, AntwortFrist);
    return true;
}

TStatusNotifierBeobachter::TStatusNotifierBeobachter(std::function<void()> geaendert, QObject* parent)
    : QObject(parent)
    , geaendert(std::move(geaendert))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto* waechter = new QDBusServiceWatcher(WatcherDienst, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(waechter, &QDBusServiceWatcher::serviceRegistered, this, &TStatusNotifierBeobachter::Pruefe);
    connect(waechter, &QDBusServiceWatcher::serviceUnregistered, this, &TStatusNotifierBeobachter::Pruefe);
    for (const char* signal : { "StatusNotifierHostRegistered", "StatusNotifierHostUnregistered" })
        bus.connect(QString(), WatcherPfad, WatcherDienst, QLatin1String(signal), this, SLOT(Pruefe()));
    hostDa = StatusNotifierHostDa();
}

void TStatusNotifierBeobachter::Pruefe()
{
    const bool jetzt = StatusNotifierHostDa();
    if (jetzt == hostDa)
        return;
    hostDa = jetzt;
    geaendert();
}

bool StatusNotifierHostDa()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(WatcherDienst))
        return false;
    QDBusMessage frage = QDBusMessage::createMethodCall(
        WatcherDienst, WatcherPfad, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    frage << WatcherDienst << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage antwort = bus.call(frage, QDBus::Block, AntwortFrist);
    if (antwort.type() != QDBusMessage::ReplyMessage || antwort.arguments().isEmpty())
        return false;
    return antwort.arguments().first().value<QDBusVariant>().variant().toBool();
}

#include "StatusNotifier.moc"
