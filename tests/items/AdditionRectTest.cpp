#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/AdditionRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

std::unique_ptr<TAdditionRect> addition(const QString &Caption, const QString &Content, bool Horizontal = true)
{
    auto a = std::make_unique<TAdditionRect>();
    a->SetAddKind(3);
    a->SetHorizontal(Horizontal);
    a->SetCaption(Caption);
    a->SetContent(Content);
    layOut(*a, {0, 0, 300, 40});
    return a;
}

TEST(AdditionRectTest, captionTwoSpacesAndValueOnOneLine)
{
    const auto a = addition(u(u"電話"), QStringLiteral("03-1234-5678"));
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Text, u(u"電話  03-1234-5678"));
    EXPECT_EQ(ops[0]->Font.Height, -21);
    EXPECT_EQ(ops[0]->Origin, QPoint(4, (32 - 21) / 2 + 4));
}

TEST(AdditionRectTest, emptyCaptionPrintsTheValueAlone)
{
    const auto a = addition(QString(), QStringLiteral("03-1234-5678"));
    ASSERT_EQ(textOps(*a).size(), 1);
    EXPECT_EQ(textOps(*a)[0]->Text, QStringLiteral("03-1234-5678"));
}

TEST(AdditionRectTest, emptyValuePrintsNothingEvenWithACaption)
{
    EXPECT_TRUE(textOps(*addition(u(u"電話"), QString())).isEmpty());
}

TEST(AdditionRectTest, longTextShrinksToTheBox)
{
    // 20 full-width characters of 21 into 292: -14.
    const auto a = addition(QString(), u(u"一二三四五六七八九十一二三四五六七八九十"));
    EXPECT_EQ(textOps(*a)[0]->Font.Height, -14);
}

TEST(AdditionRectTest, clearContentKeepsTheOwnTextOfKindZeroOnly)
{
    TAdditionRect own;
    own.SetContent(u(u"年賀"));
    own.ClearContent();
    EXPECT_EQ(own.GetContent(), u(u"年賀"));
    TAdditionRect merged;
    merged.SetAddKind(5);
    merged.SetCaption(u(u"電話"));
    merged.SetContent(QStringLiteral("03"));
    merged.ClearContent();
    EXPECT_TRUE(merged.GetContent().isEmpty());
    EXPECT_TRUE(merged.GetCaption().isEmpty());
}

struct AdditionStreamCase {
    const char *name;
    qint32 version;
    QByteArray bytes;
    quint8 kind;
    bool visible;
    qint32 level;
};

class AdditionStreamTest : public ::testing::TestWithParam<AdditionStreamCase> {};

TEST_P(AdditionStreamTest, readsKindVisibilityAndLevelOfItsVersion)
{
    const AdditionStreamCase &c = GetParam();
    TItemReader r(c.bytes, {c.version});
    TAdditionRect a;
    a.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(a.GetAddKind(), c.kind);
    EXPECT_EQ(a.IsVisible(), c.visible);
    EXPECT_EQ(a.GetSizeLevel(), c.level);
}

// Before 201 the visibility byte follows the text fields; before 103 there is no kind.
const QByteArray kOldText = hexBytes(kItemRect) + hexBytes(kItemFont) + hexBytes("01");

INSTANTIATE_TEST_SUITE_P(
    Versions, AdditionStreamTest,
    ::testing::Values(AdditionStreamCase{"v102HasNoKindAndIsKind19", 102, kOldText + hexBytes("00"), 19, false, 3},
                      AdditionStreamCase{"v200Kind3BecomesKind11", 200, kOldText + hexBytes("00 01 03"), 11, true, 3},
                      AdditionStreamCase{"v200Kind8BecomesKind19", 200, kOldText + hexBytes("00 01 08"), 19, true, 3},
                      AdditionStreamCase{"v200Kind2StaysKind2", 200, kOldText + hexBytes("00 01 02"), 2, true, 3},
                      AdditionStreamCase{"v500Kind3StaysKind3", 500,
                                         hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) +
                                             hexBytes("01 00 03 02000000"),
                                         3, true, 2}),
    rowName);

TEST(AdditionStreamTest, ownTextOfKindZeroRoundTripsByteForByte)
{
    // Kind 0 with "abc", level 4.
    const QByteArray bytes =
        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 01 00 00 03000000 9E9D9C 04000000");
    TItemReader r(bytes, {});
    TAdditionRect a;
    a.LoadFromStream(r);
    EXPECT_EQ(a.GetContent(), QStringLiteral("abc"));
    TItemWriter w;
    a.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

TEST(AdditionStreamTest, ownTextLongerThanTheStreamIsAFormatError)
{
    const QByteArray bytes =
        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 01 00 00 FFFFFF7F 9E9D9C");
    TItemReader r(bytes, {});
    TAdditionRect a;
    EXPECT_THROW(a.LoadFromStream(r), EItemFormatError);
}

} // namespace
