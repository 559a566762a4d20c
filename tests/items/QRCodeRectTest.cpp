#include "StreamBytes.h"
#include "items/BarRect.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <qrencode.h>

#include <gtest/gtest.h>

namespace {

TEST(QRFieldTest, backslashIsDoubledOnceAndSeparatorsEscaped)
{
    EXPECT_EQ(EscapeQRField(QStringLiteral("A;B:C"), false), QStringLiteral("A\\;B\\:C"));
    EXPECT_EQ(EscapeQRField(QStringLiteral("a\\b"), false), QStringLiteral("a\\\\b"));
    EXPECT_EQ(EscapeQRField(QStringLiteral("a,b"), false), QStringLiteral("a,b"));
    EXPECT_EQ(EscapeQRField(QStringLiteral("a,b"), true), QStringLiteral("a\\,b"));
}

struct PayloadCase {
    const char *name;
    std::function<void(TQRCodeRect &)> fill;
    const char *expected;
};

class QRPayloadTest : public testing::TestWithParam<PayloadCase> {};

TEST_P(QRPayloadTest, buildsTheCarriersFormat)
{
    TQRCodeRect item;
    GetParam().fill(item);
    EXPECT_EQ(item.BuildQRPayload(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QRPayloadTest,
    testing::Values(
        PayloadCase{"textAsItStands", [](TQRCodeRect &q) { q.SetText(QStringLiteral("a;b\\")); }, "a;b\\"},
        PayloadCase{"mecardEscapesTheNameAndEndsInTwoSemicolons",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneDocomo);
                        q.SetName(QStringLiteral("a,b"));
                        q.SetTel(0, QStringLiteral("1"));
                    },
                    "MECARD:N:a\\,b;TEL:1;;"},
        PayloadCase{"mecardAllFieldsInOrder",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneDocomo);
                        q.SetName(QStringLiteral("A;B:C"));
                        q.SetKana(QStringLiteral("k"));
                        q.SetTel(0, QStringLiteral("1"));
                        q.SetTel(1, QStringLiteral("2"));
                        q.SetMail(0, QStringLiteral("x@y"));
                        q.SetMail(1, QStringLiteral("z@w"));
                        q.SetMemo(QStringLiteral("m,n"));
                    },
                    "MECARD:N:A\\;B\\:C;SOUND:k;TEL:1;TEL:2;EMAIL:x@y;EMAIL:z@w;NOTE:m,n;;"},
        PayloadCase{"mecardEscapesACommaInTheReading",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneDocomo);
                        q.SetName(QStringLiteral("山田太郎"));
                        q.SetKana(QStringLiteral("ヤマダ,タロウ"));
                    },
                    "MECARD:N:山田太郎;SOUND:ヤマダ\\,タロウ;;"},
        PayloadCase{"mecardEmptyIsEmpty", [](TQRCodeRect &q) { q.SetQRKind(TQRKind::PhoneDocomo); }, ""},
        PayloadCase{"softbankSecondTelephoneMovesUp",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneSoftBank);
                        q.SetName(QStringLiteral("a"));
                        q.SetTel(1, QStringLiteral("2"));
                    },
                    "MEMORY:\r\nNAME1:a\r\nTEL1:2\r\n"},
        PayloadCase{"softbankAllFields",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneSoftBank);
                        q.SetName(QStringLiteral("a;"));
                        q.SetKana(QStringLiteral("k"));
                        q.SetTel(0, QStringLiteral("1"));
                        q.SetTel(1, QStringLiteral("2"));
                        q.SetMail(1, QStringLiteral("m"));
                        q.SetMemo(QStringLiteral("memo"));
                    },
                    "MEMORY:memo\r\nNAME1:a;\r\nNAME2:k\r\nTEL1:1\r\nTEL2:2\r\nMAIL1:m\r\n"},
        PayloadCase{"softbankMemoAloneIsEmpty",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::PhoneSoftBank);
                        q.SetMemo(QStringLiteral("memo"));
                    },
                    ""},
        PayloadCase{"matmsgRecipientOnly",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::MailDocomo);
                        q.SetMailTo(QStringLiteral("x"));
                    },
                    "MATMSG:TO:x;;"},
        PayloadCase{"matmsgAll",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::MailDocomo);
                        q.SetMailTo(QStringLiteral("x"));
                        q.SetSubject(QStringLiteral("s:t"));
                        q.SetBody(QStringLiteral("b"));
                    },
                    "MATMSG:TO:x;SUB:s\\:t;BODY:b;;"},
        PayloadCase{"softbankMailBodyBeforeSubject",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::MailSoftBank);
                        q.SetMailTo(QStringLiteral("x"));
                        q.SetSubject(QStringLiteral("s"));
                        q.SetBody(QStringLiteral("b"));
                    },
                    "MAILTO:x\r\nBODY:b\r\nSUBJECT:s\r\n"},
        PayloadCase{"softbankMailWithoutRecipientIsEmpty",
                    [](TQRCodeRect &q) {
                        q.SetQRKind(TQRKind::MailSoftBank);
                        q.SetBody(QStringLiteral("b"));
                    },
                    ""}),
    [](const testing::TestParamInfo<PayloadCase> &info) { return std::string(info.param.name); });

TEST(QRCodeRectTest, settersClearValidOnlyForTheFieldsOfTheKind)
{
    TQRCodeRect item;
    item.SetQRKind(TQRKind::PhoneDocomo);
    item.Rebuild(false);
    ASSERT_TRUE(item.IsValid());
    item.SetText(QStringLiteral("x"));
    EXPECT_TRUE(item.IsValid());
    item.SetMailTo(QStringLiteral("x"));
    EXPECT_TRUE(item.IsValid());
    item.SetName(QStringLiteral("n"));
    EXPECT_FALSE(item.IsValid());
    item.Rebuild(false);
    item.SetQRKind(TQRKind::Text);
    EXPECT_FALSE(item.IsValid());
}

TEST(QRCodeRectTest, moduleGridIsLibqrencodesMatrixAndSizeFollowsThePitch)
{
    TQRCodeRect item;
    item.SetRect({0, 0, 0, 0});
    item.SetText(QStringLiteral("住所録 123"));
    item.Rebuild(false);
    const QByteArray sjis = QByteArray("\x8F\x5A\x8F\x8A\x98\x5E\x20\x31\x32\x33");
    QRcode *code = QRcode_encodeString(sjis.constData(), 0, QR_ECLEVEL_M, QR_MODE_KANJI, 1);
    ASSERT_NE(code, nullptr);
    ASSERT_EQ(item.Modules().size(), code->width);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            ASSERT_EQ(item.Modules()[y][x], bool(code->data[y * code->width + x] & 1)) << x << "," << y;
    const int side = (code->width + 8) * 3;
    QRcode_free(code);
    EXPECT_EQ(item.GetRect(), (TPageRect{0, 0, side, side}));
}

TEST(QRCodeRectTest, emptyPayloadIsFilledWithTheLightColour)
{
    TQRCodeRect item;
    item.SetQRKind(TQRKind::MailSoftBank);
    item.SetBody(QStringLiteral("b"));
    item.SetLightColor(0x0000FF); // red in BGR
    item.SetZoom(1);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    item.Draw(p, 0, 0);
    p.end();
    EXPECT_TRUE(item.Modules().isEmpty());
    const TScreenRect r = item.GetDispRect();
    EXPECT_EQ(r.width(), 29 * 3);
    for (int y = r.Top; y < r.Bottom; y += 7)
        for (int x = r.Left; x < r.Right; x += 7)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 0, 0));
}

TEST(QRCodeRectTest, rebuildCentresOnTheOldRectangleAndDraggingOnlyMoves)
{
    TQRCodeRect item;
    item.SetRect({100, 100, 200, 200}); // no code yet: the rectangle keeps its size
    EXPECT_EQ(item.GetRect(), (TPageRect{100, 100, 100, 100}));
    item.SetText(QStringLiteral("x"));
    item.Rebuild(false);
    EXPECT_EQ(item.GetRect(), (TPageRect{100, 100, 187, 187}));
    item.SetCellPitch(1);
    item.Rebuild(false);
    EXPECT_EQ(item.GetRect(), (TPageRect{129, 129, 158, 158})); // (87 - 29) / 2 = 29
    item.SetZoom(2);
    const TScreenRect d = item.GetDispRect();
    item.SetDispRect({d.Left + 10, d.Top, d.Right + 50, d.Bottom + 50});
    EXPECT_EQ(item.GetRect(), (TPageRect{134, 129, 163, 158}));
    EXPECT_EQ(item.GetCursor(d.Left + 12, d.Top + 2), TItemCursor::Default);
}

// A code built at either far corner of the bounds an item may stand in
// grows no further than they reach: it is moved back, its size kept, and
// reads back from its stream where it stands.
TEST(QRCodeRectTest, aCodeGrownAtTheBoundsEdgeStaysInside)
{
    for (const qint32 at : {MaxPaperPagePx, -MaxPaperPagePx}) {
        TQRCodeRect item;
        item.SetRect({at - (at > 0 ? 10 : 0), at - (at > 0 ? 10 : 0), at + (at > 0 ? 0 : 10), at + (at > 0 ? 0 : 10)});
        item.SetText(QStringLiteral("x"));
        item.Rebuild(true);
        const TPageRect r = item.GetRect();
        EXPECT_TRUE(IsItemRectInBounds(r)) << r.Left << "," << r.Top << " " << r.Right << "," << r.Bottom;
        EXPECT_EQ(r.width(), 87);
        EXPECT_EQ(r.height(), 87);
        EXPECT_EQ(at > 0 ? r.Right : r.Left, at);
    }
}

TEST(QRCodeRectTest, turnedCodeIsTheGridTurnedHalfway)
{
    TQRCodeRect plain, turned;
    for (TQRCodeRect *q : {&plain, &turned}) {
        q->SetText(QStringLiteral("MATMSG:TO:x;;"));
        q->SetCellPitch(1);
        q->SetZoom(1);
    }
    turned.SetTurned(true);
    QImage a(60, 60, QImage::Format_RGB32), b(60, 60, QImage::Format_RGB32);
    for (auto [q, img] : {std::pair{&plain, &a}, std::pair{&turned, &b}}) {
        img->fill(Qt::gray);
        QPainter p(img);
        q->Draw(p, 0, 0);
    }
    const int side = plain.GetRect().width();
    ASSERT_EQ(side, turned.GetRect().width());
    EXPECT_EQ(a.copy(0, 0, side, side).mirrored(true, true), b.copy(0, 0, side, side));
}

TEST(QRCodeRectTest, assignCopiesContentButNotTurn)
{
    TQRCodeRect a, b;
    a.SetQRKind(TQRKind::MailDocomo);
    a.SetMailTo(QStringLiteral("to"));
    a.SetCellPitch(5);
    a.SetDarkColor(0x112233);
    a.SetTurned(true);
    a.Rebuild(false);
    b.Assign(a);
    EXPECT_EQ(b.BuildQRPayload(), a.BuildQRPayload());
    EXPECT_EQ(b.GetCellPitch(), 5);
    EXPECT_EQ(b.GetDarkColor(), 0x112233);
    EXPECT_FALSE(b.IsTurned());
    EXPECT_FALSE(b.IsValid());
}

QByteArray xorText(const QByteArray &Bytes)
{
    TItemWriter w;
    w.writeXorBytes(Bytes);
    return w.bytes();
}

TEST(QRCodeRectTest, streamIsByteExactAndRoundTrips)
{
    TQRCodeRect item;
    item.SetQRKind(TQRKind::PhoneSoftBank);
    item.SetName(QStringLiteral("名"));
    item.SetTel(1, QStringLiteral("2"));
    item.SetTurned(true);
    TItemWriter w;
    item.SaveToStream(w);
    QByteArray expected = hexBytes("00000000 00000000 00000000 00000000 01 03000000 00000000 FFFFFF00 02");
    expected += xorText({});
    expected += xorText("\x96\xBC");
    expected += xorText({}) + xorText({}) + xorText("2");
    for (int i = 0; i < 6; ++i)
        expected += xorText({});
    expected += hexBytes("01");
    EXPECT_TRUE(sameBytes(w.bytes(), expected));

    TQRCodeRect back;
    TItemReader r(w.bytes(), {});
    back.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back.BuildQRPayload(), item.BuildQRPayload());
    EXPECT_TRUE(back.IsTurned());
}

TEST(QRCodeRectTest, version300HasNoTurnedByteAndDamagedFieldsAreClamped)
{
    QByteArray bytes = hexBytes("00000000 00000000 1D000000 1D000000 01 63000000 00000000 FFFFFF00 09");
    for (int i = 0; i < 11; ++i)
        bytes += xorText({});
    TQRCodeRect item;
    TItemReader r(bytes, {300});
    item.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(item.IsTurned());
    EXPECT_EQ(item.GetCellPitch(), TQRCodeRect::MaxCellPitch);
    EXPECT_EQ(item.GetQRKind(), TQRKind::MailSoftBank);
    EXPECT_EQ(item.GetRect(), (TPageRect{0, 0, 29, 29}));
    const QByteArray shortBytes = bytes.left(bytes.size() - 1);
    TItemReader shortReader(shortBytes, {600});
    TQRCodeRect other;
    EXPECT_THROW(other.LoadFromStream(shortReader), EItemFormatError);
}

// The printed code must read back with an independent decoder.
TEST(QRCodeRectTest, printedCodeDecodesWithZbar)
{
    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        GTEST_SKIP() << "zbarimg is not installed";
    TQRCodeRect item;
    item.SetQRKind(TQRKind::PhoneDocomo);
    item.SetName(QStringLiteral("山田,太郎"));
    item.SetTel(0, QStringLiteral("03-1234-5678"));
    item.SetMail(0, QStringLiteral("taro@example.jp"));
    item.SetCellPitch(2);
    item.Rebuild(false);
    item.CalcPrintRect({}, TPrinterGeometry{{600, 600}, 0, 0}, true);
    const TDotRect pr = item.GetPrintRect();
    QImage image(pr.width(), pr.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    item.Print(p, 0, 0);
    p.end();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("qr.png"));
    ASSERT_TRUE(image.save(file));
    QProcess proc;
    proc.start(zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                      QStringLiteral("-Sqrcode.enable"), file});
    ASSERT_TRUE(proc.waitForFinished(20000));
    // The decoder reads byte 0x5C of Shift-JIS as the yen sign, as JIS X 0201 has it.
    const QString decoded = QString::fromUtf8(proc.readAllStandardOutput()).trimmed().replace(u'¥', u'\\');
    EXPECT_EQ(decoded, item.BuildQRPayload());
}

} // namespace
