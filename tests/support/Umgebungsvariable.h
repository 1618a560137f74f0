// An environment variable set (or removed) for one test, the previous state back
// afterwards.
#pragma once

#include <QByteArray>
#include <optional>

class TUmgebungsvariable {
public:
    TUmgebungsvariable(const char* name, std::optional<QByteArray> wert)
        : FName(name)
        , FGesetzt(qEnvironmentVariableIsSet(name))
        , FVorher(qgetenv(name))
    {
        Setze(wert);
    }
    ~TUmgebungsvariable() { Setze(FGesetzt ? std::optional(FVorher) : std::nullopt); }
    TUmgebungsvariable(const TUmgebungsvariable&) = delete;
    TUmgebungsvariable& operator=(const TUmgebungsvariable&) = delete;

    void Setze(const std::optional<QByteArray>& wert)
    {
        if (wert)
            qputenv(FName, *wert);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    bool FGesetzt;
    QByteArray FVorher;
};
