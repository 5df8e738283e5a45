#include "bench/generator.h"

#include <algorithm>
#include <cmath>

namespace bench {

std::vector<Booking> makeBookings(Random& random, int places, int count, int customers, double firstDay,
                                  double lastDay)
{
    std::vector<Booking> out;
    out.reserve(static_cast<size_t>(count));
    const int span = static_cast<int>(lastDay - firstDay);
    for (int place = 1; place <= places; ++place) {
        const int ofPlace = std::min(span, count / places + (place <= count % places ? 1 : 0));
        if (ofPlace <= 0)
            continue;
        std::vector<int> stays(static_cast<size_t>(ofPlace));
        int occupied = 0;
        for (int& s : stays) {
            s = random.between(1, 14);
            occupied += s;
        }
        for (size_t i = 0; occupied > span; i = (i + 1) % stays.size()) {
            if (stays[i] > 1) {
                --stays[i];
                --occupied;
            }
        }
        std::vector<int> weights(static_cast<size_t>(ofPlace) + 1);
        long long weightSum = 0;
        for (int& w : weights) {
            w = random.below(1000);
            weightSum += w;
        }
        const int free = span - occupied;
        double day = firstDay;
        for (int i = 0; i < ofPlace; ++i) {
            day += weightSum > 0 ? std::floor(static_cast<double>(free) * weights[static_cast<size_t>(i)] / weightSum)
                                 : 0.0;
            Booking b;
            b.place = place;
            b.customer = random.between(1, customers);
            b.start = day + 0.5;
            day += stays[static_cast<size_t>(i)];
            b.end = day + 0.5;
            out.push_back(b);
        }
    }
    // Stored in the order they were taken, as a real file grows.
    std::stable_sort(out.begin(), out.end(), [](const Booking& a, const Booking& b) { return a.start < b.start; });
    return out;
}

}  // namespace bench
