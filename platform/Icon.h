// The class library's icon object. Its picture is shared between icons that were
// assigned to each other, and the shared picture has a 32-bit handle by which the
// shell layer finds it again (NOTIFYICONDATA carries only the handle).
#pragma once

#include <QIcon>
#include <cstdint>
#include <memory>

using HICON = uint32_t;

class TIcon {
public:
    TIcon();
    explicit TIcon(const QIcon& bild);
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    // Takes the other icon's picture; both then share it and its handle.
    void Assign(const TIcon& quelle);
    // Takes a new picture with a handle of its own.
    void Assign(const QIcon& bild);

    QIcon Bild() const;
    HICON Handle() const;
    bool Empty() const { return Bild().isNull(); }

private:
    struct TBild;
    std::shared_ptr<TBild> bild;
};

// The picture behind a handle; a null icon once no TIcon holds that picture any more.
QIcon IconZuHandle(HICON handle);
