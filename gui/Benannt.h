// Named controls: every control carries the design's name as its objectName, so tests
// and the windows themselves can find it by that name.
#pragma once

#include <QString>

template <typename T> T* Benannt(T* objekt, const char* name)
{
    objekt->setObjectName(QLatin1String(name));
    return objekt;
}
