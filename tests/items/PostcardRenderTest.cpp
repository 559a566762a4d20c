#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "support/Screenshot.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

constexpr int kDpi = 300;

// A postcard (100 x 148 mm, 378 x 559 page pixels) with the recipient's
// postcode, address, company and name, and the sender's address, name and
// postcode, all in vertical writing with the faces' real metrics and glyphs.
struct TSamplePostcard {
    TPosRect postcode;
    TAddressRect address;
    TCorpRect company;
    TNameRect name;
    TAddressRect senderAddress;
    TNameRect senderName;
    TPosRect senderPostcode;

    QList<TMetaRect *> items()
    {
        return {&postcode, &address, &company, &name, &senderAddress, &senderName, &senderPostcode};
    }

    TSamplePostcard()
    {
        const TReferenceDevice device = TReferenceDevice::printer({kDpi, kDpi});
        postcode.SetRect({166, 45, 346, 75});
        postcode.SetPostcode(QStringLiteral("1000014"));
        address.SetRect({300, 95, 350, 440});
        address.SetAddressLine(0, u(u"東京都千代田区"));
        address.SetAddressLine(1, u(u"永田町一丁目７番１号　国会前ビル１２階"));
        company.SetRect({250, 110, 292, 440});
        company.SetText(u(u"山田商事株式会社"));
        name.SetRect({150, 95, 240, 490});
        name.SetNameKind(1);
        name.SetName(u(u"山田 太郎"));
        name.SetHonor(u(u"様"));
        senderAddress.SetRect({80, 330, 120, 505});
        senderAddress.SetSender(true);
        senderAddress.SetAddressLine(0, u(u"大阪府大阪市北区"));
        senderAddress.SetAddressLine(1, u(u"梅田三丁目１番３号"));
        senderName.SetRect({35, 330, 75, 505});
        senderName.SetSender(true);
        senderName.SetNameKind(1);
        senderName.SetName(u(u"佐藤 花子"));
        senderPostcode.SetRect({20, 515, 110, 535});
        senderPostcode.SetSender(true);
        senderPostcode.SetPostcode(QStringLiteral("5300001"));
        for (TMetaRect *i : items()) {
            i->SetReferenceDevice(device);
            i->RescaleFont(TTenthMm(1480));
        }
    }

    QImage render()
    {
        QImage page(PageToDots(TPagePx(378), kDpi), PageToDots(TPagePx(559), kDpi), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        for (TMetaRect *i : items()) {
            i->CalcPrintRect({}, {{kDpi, kDpi}, 0, 0}, true);
            i->Rebuild(true);
            i->Print(painter, 0, 0);
        }
        painter.end();
        return page;
    }
};

bool isInk(QRgb P)
{
    return qGray(P) < 128;
}

QRect toQRect(const TDotRect &R)
{
    return QRect(R.Left, R.Top, R.width(), R.height());
}

// The bands of x (left to right) in which Area holds ink, runs closer
// than MergeGap counted as one.
QList<std::pair<int, int>> inkBands(const QImage &Page, const QRect &Area, int MergeGap)
{
    QList<std::pair<int, int>> bands;
    for (int x = Area.left(); x <= Area.right(); ++x) {
        bool ink = false;
        for (int y = Area.top(); y <= Area.bottom() && !ink; ++y)
            ink = isInk(Page.pixel(x, y));
        if (!ink)
            continue;
        if (!bands.isEmpty() && x - bands.last().second <= MergeGap)
            bands.last().second = x;
        else
            bands.append({x, x});
    }
    return bands;
}

// The first and last rows of Area that hold ink.
std::pair<int, int> inkRows(const QImage &Page, const QRect &Area)
{
    int first = -1, last = -1;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (isInk(Page.pixel(x, y))) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

class PostcardRenderTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        card = new TSamplePostcard;
        page = new QImage(card->render());
        ASSERT_FALSE(saveScreenshot(*page, QStringLiteral("postcard_items_300dpi")).isEmpty());
    }
    static void TearDownTestSuite()
    {
        delete page;
        delete card;
    }
    static TSamplePostcard *card;
    static QImage *page;
};

TSamplePostcard *PostcardRenderTest::card = nullptr;
QImage *PostcardRenderTest::page = nullptr;

TEST_F(PostcardRenderTest, addressStandsInTwoColumnsTheFirstOnTheRightFromTheTop)
{
    const QRect area = toQRect(card->address.GetPrintRect());
    const auto bands = inkBands(*page, area, 3);
    ASSERT_EQ(bands.size(), 2);
    const auto first = inkRows(*page, QRect(QPoint(bands[1].first, area.top()), QPoint(bands[1].second, area.bottom())));
    const auto second = inkRows(*page, QRect(QPoint(bands[0].first, area.top()), QPoint(bands[0].second, area.bottom())));
    // The first column starts near the top; the second ends near the bottom.
    EXPECT_LT(first.first - area.top(), 40);
    EXPECT_LT(area.bottom() - second.second, 40);
    EXPECT_GT(second.first, first.first);
}

TEST_F(PostcardRenderTest, nameIsOneColumnCentredInItsItem)
{
    const QRect area = toQRect(card->name.GetPrintRect());
    const auto bands = inkBands(*page, area, 3);
    ASSERT_EQ(bands.size(), 1);
    const int centre = (bands[0].first + bands[0].second) / 2;
    EXPECT_NEAR(centre, area.center().x(), 10);
    // Spread along nearly the whole item, the honorific at its foot.
    const auto rows = inkRows(*page, area);
    EXPECT_GT(rows.second - rows.first, area.height() * 3 / 4);
}

TEST_F(PostcardRenderTest, companyLineIsOneColumn)
{
    const auto bands = inkBands(*page, toQRect(card->company.GetPrintRect()), 3);
    EXPECT_EQ(bands.size(), 1);
}

// Seven digits, each inside its printed box: the boxes' centres lie at the
// box pitches (7.0, 7.0, 7.6, 6.8, 6.8, 6.8 mm) from the first one's.
TEST_F(PostcardRenderTest, postcodeDigitsStandInTheirSevenBoxes)
{
    const QRect area = toQRect(card->postcode.GetPrintRect());
    const auto bands = inkBands(*page, area, 1);
    ASSERT_EQ(bands.size(), 7);
    const double scale = double(area.width()) / (477.0 / 254 * kDpi);
    double boxLeft = area.left() + (area.width() - 477.0 / 254 * kDpi * scale) / 2;
    const int pitches[] = {70, 70, 76, 68, 68, 68, 57};
    for (int i = 0; i < 7; ++i) {
        const double centre = boxLeft + 57.0 / 254 * kDpi * scale / 2;
        EXPECT_NEAR((bands[i].first + bands[i].second) / 2.0, centre, 12) << "digit " << i;
        boxLeft += pitches[i] / 254.0 * kDpi * scale;
    }
}

TEST_F(PostcardRenderTest, senderBlockHasAddressColumnsRightOfTheName)
{
    const auto address = inkBands(*page, toQRect(card->senderAddress.GetPrintRect()), 3);
    const auto name = inkBands(*page, toQRect(card->senderName.GetPrintRect()), 3);
    ASSERT_FALSE(address.isEmpty());
    ASSERT_EQ(name.size(), 1);
    EXPECT_GT(address.first().first, name.last().second);
}

TEST_F(PostcardRenderTest, nothingIsDrawnOutsideTheItems)
{
    QImage rest = *page;
    QPainter p(&rest);
    for (TMetaRect *i : card->items())
        p.fillRect(toQRect(i->GetPrintRect()), Qt::white);
    p.end();
    int ink = 0;
    for (int y = 0; y < rest.height(); ++y)
        for (int x = 0; x < rest.width(); ++x)
            ink += isInk(rest.pixel(x, y));
    EXPECT_EQ(ink, 0);
}

} // namespace
