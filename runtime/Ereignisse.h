// The event types of the class library. Events are std::function members named as in
// the design (OnConnect...), raised through virtual Do... methods that call them only
// when assigned.
#pragma once

#include <QObject>
#include <functional>

using TNotifyEvent = std::function<void(QObject* Sender)>;

enum class TShift { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = int; // set of TShift bits
inline TShiftState operator|(TShift a, TShift b)
{
    return int(a) | int(b);
}
inline TShiftState operator|(TShiftState a, TShift b)
{
    return a | int(b);
}
inline bool Enthaelt(TShiftState menge, TShift s)
{
    return (menge & int(s)) != 0;
}

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseEvent
    = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
