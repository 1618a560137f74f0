#include "platform/Icon.h"

#include <map>

namespace {

std::map<HICON, QIcon>& Bilder()
{
    // Never destroyed: icons held by static objects may outlive any static map.
    static auto* bilder = new std::map<HICON, QIcon>;
    return *bilder;
}

HICON naechsterHandle = 0x20000;

} // namespace

struct TIcon::TBild {
    HICON Handle;

    explicit TBild(const QIcon& icon)
        : Handle(naechsterHandle)
    {
        naechsterHandle += 4;
        Bilder()[Handle] = icon;
    }
    ~TBild() { Bilder().erase(Handle); }
    TBild(const TBild&) = delete;
    TBild& operator=(const TBild&) = delete;
};

TIcon::TIcon()
    : bild(std::make_shared<TBild>(QIcon()))
{
}

TIcon::TIcon(const QIcon& icon)
    : bild(std::make_shared<TBild>(icon))
{
}

TIcon::~TIcon() = default;

void TIcon::Assign(const TIcon& quelle)
{
    bild = quelle.bild;
}

void TIcon::Assign(const QIcon& icon)
{
    bild = std::make_shared<TBild>(icon);
}

QIcon TIcon::Bild() const
{
    return IconZuHandle(bild->Handle);
}

HICON TIcon::Handle() const
{
    return bild->Handle;
}

QIcon IconZuHandle(HICON handle)
{
    const auto it = Bilder().find(handle);
    return it == Bilder().end() ? QIcon() : it->second;
}
