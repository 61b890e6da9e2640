#include "common/ui/Twips.h"

#include <gtest/gtest.h>

// Edges are converted, not sizes, so rounding never opens or closes a gap
// between neighbours (22 twips are 1.47 px at 96 DPI).
TEST(Twips, AnInchIsTheDpiAndNeighboursStayFlushWhenSizesRound)
{
    EXPECT_EQ(twips::toPixels(1440, 120), 120);
    const QRect first = twips::toRect(22, 0, 22, 22, 96);
    EXPECT_EQ(first.x() + first.width(), twips::toRect(44, 0, 22, 22, 96).x());
}
