// Tells the program when a dial-up connection comes up and goes down: polls the RAS
// connection list once a second and raises OnConnect on the change to online and
// OnDisconnect on the change to offline.
#pragma once

#include "runtime/Bytestand.h"
#include "runtime/Ereignisse.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

class QTimer;

class TInternetDetect : public QObject {
    Q_OBJECT
public:
    // Polling starts at once, whether or not the owner has finished building.
    explicit TInternetDetect(QObject* AOwner);
    ~TInternetDetect() override;

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;

    // The poll period in milliseconds. A value below 1 stops polling, as the class
    // library's timer does, rather than polling without pause.
    int CheckInterval() const { return FCheckInterval; }
    void SetCheckInterval(int wert);

    // The state and address text found by the last poll. Writing either only stores
    // it: the next poll compares against the stored Connected.
    bool Connected() const { return FConnected; }
    void SetConnected(bool wert) { FConnected = wert; }
    QString IP() const { return FIP; }
    void SetIP(const QString& wert) { FIP = wert; }

    // The received and sent bytes of the connection found online, read anew at each
    // call; none while offline or when its source cannot tell.
    std::optional<TBytestand> Bytes() const;

    // One poll; Sender is handed on to DoConnect or DoDisconnect.
    void CheckConnection(QObject* Sender);

    virtual void DoConnect(QObject* Sender);
    virtual void DoDisconnect(QObject* Sender);

private:
    int FCheckInterval = 1000;
    bool FConnected = false;
    QString FIP = QStringLiteral("127.0.0.1");
    std::uint32_t FVerbindung = 0; // handle of the connection found online
    QTimer* FTimer = nullptr;
};
