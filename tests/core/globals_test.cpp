#include "core/globals.h"

#include <gtest/gtest.h>

TEST(FillingListsGuard, RestoresThePreviousValueWhenNested)
{
    FillingLists = false;
    {
        FillingListsGuard outer;
        EXPECT_TRUE(FillingLists);
        {
            FillingListsGuard inner;
            EXPECT_TRUE(FillingLists);
        }
        EXPECT_TRUE(FillingLists);
    }
    EXPECT_FALSE(FillingLists);
}
