#include "bench/generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

// The benchmark's conflict and occupancy figures only mean something when
// its bookings obey the program's rules.
TEST(BenchGenerator, StaysOfOneToFourteenNightsAtNoonThatNeverOverlapOnAPlace)
{
    bench::Random random(7);
    const double first = 43000, last = 43000 + 3650;
    const std::vector<bench::Booking> bookings = bench::makeBookings(random, 30, 10000, 500, first, last);
    ASSERT_EQ(bookings.size(), 10000u);
    std::map<int, std::vector<const bench::Booking*>> byPlace;
    for (size_t i = 0; i < bookings.size(); ++i) {
        const bench::Booking& b = bookings[i];
        const double nights = b.end - b.start;
        EXPECT_GE(nights, 1);
        EXPECT_LE(nights, 14);
        EXPECT_EQ(nights, std::floor(nights));
        EXPECT_EQ(b.start - std::floor(b.start), 0.5);
        EXPECT_GE(b.start, first);
        EXPECT_LE(b.end, last + 0.5);
        EXPECT_GE(b.customer, 1);
        EXPECT_LE(b.customer, 500);
        if (i > 0) {
            EXPECT_LE(bookings[i - 1].start, b.start);
        }
        byPlace[b.place].push_back(&b);
    }
    ASSERT_EQ(byPlace.size(), 30u);
    for (const auto& [place, list] : byPlace) {
        EXPECT_GE(list.size(), 333u);
        for (size_t i = 1; i < list.size(); ++i)
            EXPECT_LE(list[i - 1]->end, list[i]->start) << "place " << place;
    }
}

TEST(BenchGenerator, SameSeedSameBookingsAndAShortPeriodHoldsOneNightEach)
{
    bench::Random a(42), b(42);
    const auto first = bench::makeBookings(a, 3, 50, 10, 100, 400);
    const auto second = bench::makeBookings(b, 3, 50, 10, 100, 400);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].place, second[i].place);
        EXPECT_EQ(first[i].start, second[i].start);
        EXPECT_EQ(first[i].customer, second[i].customer);
    }
    // Ten days cannot take 20 stays of a place: ten one-night stays fill it.
    bench::Random c(1);
    const auto tight = bench::makeBookings(c, 1, 20, 5, 100, 110);
    ASSERT_EQ(tight.size(), 10u);
    for (size_t i = 0; i < tight.size(); ++i)
        EXPECT_EQ(tight[i].start, 100.5 + static_cast<double>(i));
}

}  // namespace
