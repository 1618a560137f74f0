// Random cases that can be replayed: the seed is KOSTENWOLF_TEST_SEED when that is set,
// a new one otherwise, and it is printed, so that a failing run can be repeated exactly.
#pragma once

#include <QRandomGenerator>
#include <QtGlobal>
#include <cstdint>
#include <cstdio>

inline std::uint32_t Testsaat()
{
    bool gesetzt = false;
    std::uint32_t saat = qEnvironmentVariable("KOSTENWOLF_TEST_SEED").toUInt(&gesetzt);
    if (!gesetzt)
        saat = QRandomGenerator::system()->generate();
    std::fprintf(stderr, "Zufall aus KOSTENWOLF_TEST_SEED=%u\n", unsigned(saat));
    return saat;
}
