// The first record of a new book, the way the manual tells it: 照会 opens
// the record form, the record is typed in and added with 登録.
#include "UserRoad.h"
#include "core/AppSub.h"

#include <QAction>

namespace {

class FirstRecord : public UserRoadFixture
{};

TEST_F(FirstRecord, inAnEmptyBookInquiryOpensTheFormOnANewRecordThatIsAdded)
{
    ASSERT_EQ(list->GetRowCount(), 0);
    QAction *inquiry = action("actInquiry");
    ASSERT_TRUE(inquiry->isEnabled());
    inquiry->trigger();
    QWidget *form = DataInquiry;
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アドレス帳情報登録"));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", QStringLiteral("山田 太郎")));
    ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("東京都")));
    ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
    ASSERT_EQ(rowsShown(1), 1);
    TAddressData stored;
    ASSERT_TRUE(list->GetRecordAt(0, stored));
    EXPECT_EQ(DecodeUnicodeField(stored.NameKanji.Bytes()), QStringLiteral("山田 太郎"));
    // With a record, 照会 shows it again.
    EXPECT_TRUE(inquiry->isEnabled());
}

} // namespace
