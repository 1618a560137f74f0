// What a link's byte counters read at one moment. Connection sources report it, the
// meter sums it up; both sides use this one shape.
#pragma once

#include <cstdint>

struct TBytestand {
    std::uint64_t Empfangen = 0;
    std::uint64_t Gesendet = 0;

    friend bool operator==(const TBytestand&, const TBytestand&) = default;
};
