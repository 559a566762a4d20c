#include "dialogs/PrtSub.h"

#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

// Both print dialogs take their offset bars from AddShiftControls, so what a
// bar position means is checked here once.
struct ShiftCase
{
    int Vert;
    int Horz;
    QPoint Offset;
    const char *VertDir;
    const char *VertAmount;
    const char *HorzDir;
    const char *HorzAmount;
};

const ShiftCase kShiftCases[] = {
    {500, 500, {0, 0}, "上：", "0.0 mm", "左：", "0.0 mm"},
    {620, 500, {0, 120}, "下：", "12.0 mm", "左：", "0.0 mm"},
    {500, 0, {-500, 0}, "上：", "0.0 mm", "左：", "50.0 mm"},
    {495, 1000, {500, -5}, "上：", "0.5 mm", "右：", "50.0 mm"},
};

TEST(ShiftControls, BarsRestOnTheCentreUnderTheirComponentNames)
{
    QGroupBox box;
    const TShiftControls c = AddShiftControls(&box);
    EXPECT_EQ(box.findChild<QScrollBar *>(QStringLiteral("scbVert")), c.Vert);
    EXPECT_EQ(box.findChild<QScrollBar *>(QStringLiteral("scbHorz")), c.Horz);
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("lblVert")), c.VertDir);
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("lblOffsetV")), c.VertAmount);
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("lblHorz")), c.HorzDir);
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("lblOffsetH")), c.HorzAmount);
    EXPECT_EQ(c.Offset(), QPoint(0, 0));
    EXPECT_EQ(c.Vert->maximum(), 1000);
}

TEST(ShiftControls, OffsetAndLabelsFollowTheBars)
{
    QGroupBox box;
    const TShiftControls c = AddShiftControls(&box);
    for (const ShiftCase &k : kShiftCases) {
        c.Vert->setValue(k.Vert);
        c.Horz->setValue(k.Horz);
        c.ShowShift();
        EXPECT_EQ(c.Offset(), k.Offset) << k.Vert << "," << k.Horz;
        EXPECT_EQ(c.VertDir->text(), QString::fromUtf8(k.VertDir)) << k.Vert;
        EXPECT_EQ(c.VertAmount->text(), QString::fromUtf8(k.VertAmount)) << k.Vert;
        EXPECT_EQ(c.HorzDir->text(), QString::fromUtf8(k.HorzDir)) << k.Horz;
        EXPECT_EQ(c.HorzAmount->text(), QString::fromUtf8(k.HorzAmount)) << k.Horz;
    }
}

} // namespace
