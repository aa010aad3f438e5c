#include "editor/AnnotationGeometry.h"

#include <gtest/gtest.h>

TEST(AnnotationGeometry, RoomStartsOneSpaceAfterTheLineAndNeedsMoreThan60)
{
    // Line ends at 112; a space of 7 puts the text at 119; 8 stay free before the edge.
    const QRectF line(12, 30, 100, 14);
    EXPECT_FALSE(AnnotationGeometry::room(line, 7, 119 + 8 + 60));
    const std::optional<QRectF> room = AnnotationGeometry::room(line, 7, 119 + 8 + 61);
    ASSERT_TRUE(room);
    EXPECT_EQ(*room, QRectF(119, 30, 61, 14));
    EXPECT_FALSE(AnnotationGeometry::room(QRectF(12, 30, 100, 0), 7, 1000));
}

TEST(AnnotationGeometry, AreaIsTheTextButNeverWiderThanTheRoom)
{
    const QRectF room(119.4, 30, 200.5, 14);
    EXPECT_EQ(AnnotationGeometry::area(room, 80.2), QRect(119, 30, 81, 14));
    EXPECT_EQ(AnnotationGeometry::area(room, 900), QRect(119, 30, 200, 14));
}
