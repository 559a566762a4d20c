#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(Colors, blueLivesInTheHighByte)
{
    EXPECT_EQ(ColorToQColor(clBlue), QColor(0, 0, 255));
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(QColorToColor(QColor(0x56, 0x34, 0x12)), 0x123456);
    for (TColor c : {clBlack, clWhite, clNavy, clTeal, 0x0A0B0C})
        EXPECT_EQ(QColorToColor(ColorToQColor(c)), c);
}

TEST(Colors, systemColoursFollowThePalette)
{
    EXPECT_TRUE(IsSystemColor(clWindow));
    EXPECT_FALSE(IsSystemColor(clWhite));
    EXPECT_EQ(ColorToQColor(clWindow), QGuiApplication::palette().color(QPalette::Base));
    EXPECT_EQ(ColorToQColor(clWindowText), QGuiApplication::palette().color(QPalette::Text));
}

TEST(Colors, hexTextKeepsTheStoredByteOrder)
{
    EXPECT_EQ(ColorToHex(clBlue), QStringLiteral("FF0000"));
    EXPECT_EQ(ColorToHex(clBlack), QStringLiteral("000000"));
    EXPECT_EQ(HexToColor(QStringLiteral("ff0000")), clBlue);
    EXPECT_EQ(HexToColor(QStringLiteral("zz"), clWhite), clWhite);
    EXPECT_EQ(HexToColor(QStringLiteral("1000000"), clWhite), clWhite);
}

} // namespace
