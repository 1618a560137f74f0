// Named controls: every control carries the design's name as its objectName, so tests
// and the windows themselves can find it by that name.
#pragma once

#include <QString>

template <typename T> T* Benannt(T* objekt, const char* name)
{
    objekt->setObjectName(QLatin1String(name));
    return objekt;
}

// Each window class has one global pointer (Form1 … Form4) that names the first window
// of its kind while it lives; the constructor registers, the destructor deregisters.
template <typename T> void MeldeFensterAn(T*& global, T* fenster)
{
    if (!global)
        global = fenster;
}
template <typename T> void MeldeFensterAb(T*& global, T* fenster)
{
    if (global == fenster)
        global = nullptr;
}
