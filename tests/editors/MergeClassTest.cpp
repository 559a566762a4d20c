#include "EditorsFixture.h"
#include "editors/MergeFormat.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/BarRect.h"
#include "items/CorpRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"

#include <functional>
#include <memory>

namespace {

template <class T> std::unique_ptr<TDrawRect> make(bool Sender)
{
    auto item = std::make_unique<T>();
    if constexpr (requires { item->SetSender(Sender); })
        item->SetSender(Sender);
    return item;
}

struct MergeClassCase {
    const char *name;
    std::function<std::unique_ptr<TDrawRect>(bool)> create;
    TMergeClass expected;
    // Whether the item really is of the class the merge takes it for: the
    // merge treats it as one without asking again.
    std::function<bool(TDrawRect *)> isExpectedClass;
};

template <class T> bool is(TDrawRect *Item)
{
    return dynamic_cast<T *>(Item) != nullptr;
}

class MergeClassOfItem : public ::testing::TestWithParam<std::tuple<MergeClassCase, bool>>
{
};

TEST_P(MergeClassOfItem, namesTheItemsOwnClassForRecipientAndSender)
{
    const auto &[c, sender] = GetParam();
    const std::unique_ptr<TDrawRect> item = c.create(sender);
    EXPECT_EQ(MergeClassOf(*item), c.expected);
    EXPECT_TRUE(c.isExpectedClass(item.get()));
}

const MergeClassCase kMergeClassCases[] = {
    {"postcode", make<TPosRect>, TMergeClass::Postcode, is<TPosRect>},
    {"address", make<TAddressRect>, TMergeClass::Address, is<TAddressRect>},
    {"name", make<TNameRect>, TMergeClass::Name, is<TNameRect>},
    {"companyLine", make<TCorpRect>, TMergeClass::Corp, is<TCorpRect>},
    {"customerBarcode", make<TBarcodeRect>, TMergeClass::Barcode, is<TBarcodeRect>},
    {"senderBlock", make<TSenderRect>, TMergeClass::SenderBlock, is<TSenderRect>},
    {"addition", make<TAdditionRect>, TMergeClass::Addition, is<TAdditionRect>},
    // The kinds a merge leaves alone.
    {"qrCode", make<TQRCodeRect>, TMergeClass::Other, is<TQRCodeRect>},
    {"word", make<TWordRect>, TMergeClass::Other, is<TWordRect>},
    {"figure", make<TFigureRect>, TMergeClass::Other, is<TFigureRect>},
    {"illust", make<TIllustRect>, TMergeClass::Other, is<TIllustRect>},
};

INSTANTIATE_TEST_SUITE_P(Items, MergeClassOfItem,
                         ::testing::Combine(::testing::ValuesIn(kMergeClassCases), ::testing::Bool()),
                         [](const auto &Info) {
                             return std::string(std::get<0>(Info.param).name) +
                                    (std::get<1>(Info.param) ? "Sender" : "Recipient");
                         });

TAddressText recordAt(const QString &Postcode, const QString &Address)
{
    TAddressText record;
    record.Pos = Postcode;
    record.Tdfkn = QStringLiteral("東京都");
    record.Adrs1 = Address;
    record.NameKanji = QStringLiteral("佐藤 花子");
    return record;
}

// Items the user adds or replaces between two records are filled by the
// next merge as the ones the layout started with.
TEST(MergeClassOfItem, mergeFillsItemsAddedAndReplacedBetweenRecords)
{
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::AddressSide);
    const TAddressText first = recordAt(QStringLiteral("1000001"), QStringLiteral("千代田区千代田1"));
    MergeRecord(document, &first, nullptr);

    size_t addressIndex = document.Items.size();
    for (size_t i = 0; i < document.Items.size(); ++i)
        if (document.Items[i]->GetKind() == TDrawRectKind::RecipientAddress)
            addressIndex = i;
    ASSERT_LT(addressIndex, document.Items.size());
    auto replaced = std::make_unique<TAddressRect>();
    auto *address = replaced.get();
    document.Items[addressIndex] = std::move(replaced);
    auto added = std::make_unique<TPosRect>();
    auto *postcode = added.get();
    document.Items.push_back(std::move(added));

    const TAddressText second = recordAt(QStringLiteral("5300001"), QStringLiteral("大阪市北区梅田1"));
    MergeRecord(document, &second, nullptr);
    EXPECT_TRUE(address->GetAddressLine(0).contains(QStringLiteral("梅田"))) << qPrintable(address->GetAddressLine(0));
    EXPECT_TRUE(postcode->GetPostcode().contains(QStringLiteral("530"))) << qPrintable(postcode->GetPostcode());
}

} // namespace
