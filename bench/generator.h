#pragma once

#include <cstddef>
#include <random>
#include <vector>

namespace bench {

// mt19937 gives the same sequence everywhere; the mapping to a range is ours,
// so the file does not depend on the standard library's distributions.
class Random {
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    int below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    template <std::size_t N>
    const char* pick(const char* const (&list)[N]) { return list[below(static_cast<int>(N))]; }

private:
    std::mt19937 m_engine;
};

struct Booking {
    int place = 0;      // 1 to places
    int customer = 0;   // 1 to customers
    double start = 0;   // day number, 12:00
    double end = 0;
};

// count bookings spread evenly over the places, each a stay of 1 to 14 nights
// from 12:00 to 12:00 between firstDay and lastDay (whole days), the free days
// spread between them, so no two bookings of a place overlap. In order of
// their start. Fewer when the period cannot hold a night for each.
std::vector<Booking> makeBookings(Random& random, int places, int count, int customers, double firstDay,
                                  double lastDay);

}  // namespace bench
