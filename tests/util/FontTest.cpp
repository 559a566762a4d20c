#include "util/Font.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontDatabase>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

TEST(ApplicationFont, isTheFirstInstalledGothicFaceAtThePlatformSize)
{
    const QString face = SetApplicationFont();
    EXPECT_TRUE(face == QStringLiteral("IPAexGothic") || face == QString::fromUtf16(u"IPAexゴシック"))
        << face.toStdString();
    EXPECT_EQ(QApplication::font().family(), face);
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), face);
    EXPECT_EQ(QApplication::font().pointSizeF(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF());
}

TEST(FontAttributes, styleBitsRoundTripThroughBothFontKinds)
{
    for (int bits = 0; bits < 16; ++bits) {
        TFont t;
        ASSERT_TRUE(SetFontAttributes(&t, SHIFTJIS_CHARSET, QStringLiteral("ＭＳ ゴシック"), 12, bits));
        EXPECT_EQ(FontStyleToBits(t), bits);
        QFont q;
        ASSERT_TRUE(SetFontAttributes(&q, SHIFTJIS_CHARSET, QStringLiteral("ＭＳ ゴシック"), 12, bits));
        EXPECT_EQ(FontStyleToBits(q), bits);
        EXPECT_EQ(FontStyleToBits(t.toQFont()), bits);
    }
}

TEST(FontAttributes, windowsFaceNamesResolveToInstalledJapaneseFaces)
{
    TFont t;
    t.Name = QStringLiteral("ＭＳ 明朝");
    const QFontInfo info(t.toQFont());
    EXPECT_TRUE(QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::Japanese))
        << info.family().toStdString();
}

TEST(FontOrientation, verticalAddsTheMarkerOnceOnlyForShiftJisFaces)
{
    TFont t;
    t.Name = QStringLiteral("IPAexMincho");
    SetFontVertical(t);
    SetFontVertical(t);
    EXPECT_EQ(t.Name, QStringLiteral("@IPAexMincho"));
    EXPECT_EQ(t.Escapement, 2700);
    SetFontHorizontal(t);
    EXPECT_EQ(t.Name, QStringLiteral("IPAexMincho"));
    EXPECT_EQ(t.Escapement, 0);
    t.Charset = ANSI_CHARSET;
    SetFontVertical(t);
    EXPECT_EQ(t.Name, QStringLiteral("IPAexMincho"));
}

} // namespace
