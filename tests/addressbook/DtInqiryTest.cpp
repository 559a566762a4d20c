#include "DtInqiryFixture.h"

#include "core/AppSub.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "widgets/ByteLimitValidator.h"
#include "support/KeyInput.h"

#include <QApplication>
#include <QClipboard>
#include <QToolButton>
#include <QTreeWidget>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kCodeChars = QStringLiteral("顧客コードは、以下の半角文字で入力してください  \r\n　　英数字  \r\n"
                                          "　　スペース  \r\n　　ハイフン（ - ）  \r\n　　スラッシュ（ / ）  ");
const QString kCodeUsed = QStringLiteral("入力した顧客コードは既に使われています  \r\n別のコードに変更してください  ");
const QString kTelChars = QStringLiteral("電話番号は半角数字かハイフンのみが有効です  ");
const QString kPosChars = QStringLiteral("正しい郵便番号を入力してください  ");
const QString kPosCount = QStringLiteral("正しい桁数の郵便番号を入力してください  ");

QString tooLong(const QString &field)
{
    return field + QStringLiteral("の桁数が多すぎます  \r\n11桁以内で入力してください  ");
}

struct ValidationCase {
    const char *Control;
    QString Input;
    QString Message; // empty: passes
};

class RecordFormValidation : public RecordFormTest, public ::testing::WithParamInterface<ValidationCase>
{
};

} // namespace

TEST_P(RecordFormValidation, checksTheFieldWithItsMessage)
{
    const ValidationCase &c = GetParam();
    openNew();
    setText(QString::fromLatin1(c.Control), c.Input);
    const bool passed = form->CheckInputData(true);
    EXPECT_EQ(passed, c.Message.isEmpty());
    if (c.Message.isEmpty()) {
        EXPECT_EQ(boxes.count(), 0);
        return;
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, c.Message);
    EXPECT_EQ(QApplication::focusWidget(), edit(QString::fromLatin1(c.Control)));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RecordFormValidation,
    ::testing::Values(ValidationCase{"edtCustomCode", QStringLiteral("ＡＢ１"), kCodeChars},
                      ValidationCase{"edtCustomCode", QStringLiteral("Ab 1-2/3"), QString()},
                      ValidationCase{"edtCustomCode", QStringLiteral("C003"), kCodeUsed},
                      ValidationCase{"edtTel", QStringLiteral("(03)1234-5678"), kTelChars},
                      ValidationCase{"edtTel", QStringLiteral("03123456789"), QString()},
                      ValidationCase{"edtTel", QStringLiteral("031234567890"), tooLong(QStringLiteral("電話番号"))},
                      ValidationCase{"edtFax", QStringLiteral("0-31234567890"), tooLong(QStringLiteral("FAX番号"))},
                      ValidationCase{"edtPos", QStringLiteral("123-4567"), QString()},
                      ValidationCase{"edtPos", QStringLiteral("1234"), kPosCount},
                      ValidationCase{"edtPos", QStringLiteral("123456"), kPosCount},
                      ValidationCase{"edtPos", QStringLiteral("〒1234567"), kPosChars}));

TEST_F(RecordFormTest, customCodeOfTheShownRecordItselfIsNotTakenAsUsed)
{
    openRow(2); // C003
    EXPECT_TRUE(form->CheckInputData(false));
    setText(QStringLiteral("edtCustomCode"), QStringLiteral("C001"));
    EXPECT_FALSE(form->CheckInputData(false));
    EXPECT_EQ(boxes.last().text, kCodeUsed);
}

TEST_F(RecordFormTest, textEditsTakeNoMoreBytesThanTheirField)
{
    openNew();
    const struct {
        const char *Name;
        int Bytes;
    } limits[] = {{"edtCustomCode", 20}, {"edtTdfkn", 8}, {"edtAdrs3", 116}, {"nmedtNameKana", 25}};
    for (const auto &limit : limits) {
        QLineEdit *e = edit(QString::fromLatin1(limit.Name));
        e->setFocus();
        e->clear();
        e->insert(QString(limit.Bytes / 2 + 3, QChar(u'亜'))); // no half-width form in a reading either
        EXPECT_LE(Cp932::encode(e->text()).size(), limit.Bytes) << limit.Name;
        EXPECT_GE(Cp932::encode(e->text()).size(), limit.Bytes - 1) << limit.Name;
    }
    // A wide name holds 15 UTF-16 units: its "@" form fills the 75-byte field.
    QLineEdit *name = edit(QStringLiteral("nmedtNameKanji"));
    name->setFocus();
    name->insert(QString(20, QChar(u'名')));
    EXPECT_EQ(EncodeUnicodeField(name->text()).size(), 75);
}

TEST_F(RecordFormTest, showingARecordAndReadingItBackKeepsEveryEditedField)
{
    openNew();
    TAddressData data;
    data.Group = 2;
    data.CustomCode = QByteArray("X-1");
    data.Tel = QByteArray("0312345678");
    data.TelDiv = 3;
    data.Pos = QByteArray("1234567");
    data.PubDate = QByteArray("200104");
    data.Tdfkn = Cp932::encode(QStringLiteral("東京都"));
    data.PrivCorp = false;
    data.CorpKanji = Cp932::encode(QStringLiteral("株式会社テスト"));
    data.NameKanji = EncodeUnicodeField(QStringLiteral("髙橋"));
    data.Joint2 = EncodeUnicodeField(QStringLiteral("花子"));
    data.JointHonor2 = Cp932::encode(QStringLiteral("様"));
    data.JointOwner = 2;
    data.JointPrint2 = true;
    data.PrintTarget = 2;
    data.Sender = 10;
    data.Keyword7 = QByteArray("k7");
    data.Note = QStringList{QStringLiteral("一行目"), QStringLiteral("二行目")};
    data.ExtLink = QStringList{QStringLiteral("https://example.jp/")};
    data.SymbolMark = Cp932::encode(QStringLiteral("★"));
    data.SymbolColor = 0x0000FF;
    form->ShowAddressData(data);

    EXPECT_EQ(edit(QStringLiteral("edtPos"))->text(), QStringLiteral("123-4567"));
    // Every field comes back as it went in, the untouched ones included.
    TAddressData back = form->GetFormData();
    back.RecNo = data.RecNo;
    back.AddDateTime = data.AddDateTime;
    back.UpdDateTime = data.UpdDateTime;
    EXPECT_TRUE(back == data);
}

TEST_F(RecordFormTest, aSenderThatIsGoneShowsTheStandardSender)
{
    openRow(0);
    TAddressData data;
    data.Sender = 99;
    form->StartInquiry(data);
    EXPECT_EQ(combo(QStringLiteral("cbxSender"))->currentIndex(), 0);
    EXPECT_EQ(form->Sender(), 0);
    EXPECT_FALSE(form->IsChanged()) << "the record takes the standard sender too";
}

TEST_F(RecordFormTest, emptyingAJointNameReleasesItsHonorificPrintButtonAndOwnership)
{
    openNew();
    QLineEdit *joint3 = edit(QStringLiteral("nmedtJoint3"));
    QComboBox *honor3 = combo(QStringLiteral("cbxJointHonor3"));
    auto *print3 = child<QToolButton>(QStringLiteral("sbtnJointPrint3"));
    print3->click();
    EXPECT_FALSE(print3->isChecked()) << "no joint name 3: the button springs back";
    joint3->setText(QStringLiteral("三郎"));
    emit joint3->editingFinished();
    EXPECT_TRUE(honor3->isEnabled());
    honor3->setEditText(QStringLiteral("様"));
    QComboBox *owner = combo(QStringLiteral("cbxJointOwner"));
    ASSERT_EQ(owner->count(), 2);
    EXPECT_EQ(owner->itemText(1), QStringLiteral("三郎"));
    owner->setCurrentIndex(1);
    emit owner->activated(1);
    EXPECT_EQ(form->JointOwner(), 3);
    print3->click();
    EXPECT_TRUE(print3->isChecked()) << "the owner is always printed";

    joint3->setText(QString());
    EXPECT_FALSE(honor3->isEnabled());
    EXPECT_TRUE(honor3->currentText().isEmpty());
    EXPECT_FALSE(print3->isChecked());
    emit joint3->editingFinished();
    EXPECT_EQ(owner->count(), 1);
    EXPECT_EQ(form->JointOwner(), 0);
}

// A joint name typed in is printed: its print button goes down with the
// first character. A button the user then lets up stays up while the name
// is edited; a record shown keeps its own marks.
TEST_F(RecordFormTest, aJointNameTypedInIsTickedForPrinting)
{
    openNew();
    QLineEdit *joint2 = edit(QStringLiteral("nmedtJoint2"));
    auto *print2 = child<QToolButton>(QStringLiteral("sbtnJointPrint2"));
    ASSERT_FALSE(print2->isChecked());
    joint2->setFocus();
    TypeCharacters(joint2, QStringLiteral("花"));
    EXPECT_TRUE(print2->isChecked());
    EXPECT_EQ(print2->property("glyph").toString(), QStringLiteral("PRINTER"));
    print2->click();
    TypeCharacters(joint2, QStringLiteral("子"));
    EXPECT_FALSE(print2->isChecked()) << "the user's choice is kept while the name is edited";

    TAddressData data;
    data.Joint2 = EncodeUnicodeField(u"次郎");
    data.JointPrint2 = false;
    form->ShowAddressData(data);
    EXPECT_FALSE(print2->isChecked()) << "a record shown keeps its own marks";
}

TEST_F(RecordFormTest, copyWalksTheItemListInItsOrderWithTheLastReturn)
{
    openRow(0);
    TCopyItemEntries items = form->CopyItemList();
    for (TCopyItemEntry &item : items)
        item.Copy = false;
    form->SetCopyItems(items, true);
    click(QStringLiteral("btnCopy"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("\r\n"));
    form->SetCopyItems(items, false);
    EXPECT_EQ(form->CopyText(), QString());

    // Name first, then the telephone: the order of the list, not of the ids.
    std::swap(items[2], items[20]);
    items[2].Copy = items[20].Copy = true;
    items[37].Copy = true; // 印刷指定
    form->SetCopyItems(items, true);
    EXPECT_EQ(form->CopyText(), QStringLiteral("名前1,0311110001,指定なし\r\n"));
    // The setting is kept in the settings file at once.
    const TMemIniFile ini(SettingsFileName());
    EXPECT_TRUE(ini.ReadString(QStringLiteral("DATA INQUIRY"), QStringLiteral("CopyItemIndex"), QString())
                    .startsWith(QStringLiteral("0,1,20,3,")));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("DATA INQUIRY"), QStringLiteral("LastReturn"), false));
}

struct CopyIndexCase {
    QString Index;
    QString Copy;
    bool Defaults;
};

class StoredCopyItems : public ::testing::TestWithParam<CopyIndexCase>
{
};

QString numbers(int from, int to, const QString &replaceLast = QString())
{
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QString::number(i);
    if (!replaceLast.isEmpty())
        list.last() = replaceLast;
    return list.join(QLatin1Char(','));
}

TEST_P(StoredCopyItems, fallBackToTheDefaultsUnlessAPermutation)
{
    const CopyIndexCase &c = GetParam();
    const TCopyItemEntries items = ParseCopyItems(c.Index, c.Copy);
    if (c.Defaults) {
        for (int i = 0; i < 54; ++i) {
            EXPECT_EQ(items[size_t(i)].Id, i);
            EXPECT_TRUE(items[size_t(i)].Copy);
        }
    } else {
        EXPECT_EQ(items[0].Id, 53);
        EXPECT_EQ(items[53].Id, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, StoredCopyItems,
    ::testing::Values(CopyIndexCase{numbers(0, 52), numbers(0, 53), true},
                      CopyIndexCase{numbers(0, 53, QStringLiteral("0")), QString(), true},
                      CopyIndexCase{QStringLiteral("53,") + numbers(1, 52) + QStringLiteral(",0"), QString(), false}));

TEST_F(RecordFormTest, theEleventhExternalLinkIsRefused)
{
    openNew();
    for (int i = 1; i <= 10; ++i)
        EXPECT_TRUE(form->AddExtLink(QStringLiteral("https://example.jp/%1").arg(i)));
    EXPECT_FALSE(child<QPushButton>(QStringLiteral("bbtnAddLink"))->isEnabled());
    EXPECT_FALSE(form->AddExtLink(QStringLiteral("https://example.jp/11")));
    EXPECT_EQ(form->ExtLinks().size(), 10);

    // 解除 renumbers and selects the link now at that place.
    auto *links = child<QTreeWidget>(QStringLiteral("lvExtLink"));
    links->setCurrentItem(links->topLevelItem(3));
    click(QStringLiteral("bbtnDelLink"));
    EXPECT_EQ(links->topLevelItemCount(), 9);
    EXPECT_EQ(links->topLevelItem(3)->text(0), QStringLiteral("4"));
    EXPECT_EQ(links->currentItem()->text(1), QStringLiteral("https://example.jp/5"));
    EXPECT_TRUE(child<QPushButton>(QStringLiteral("bbtnAddLink"))->isEnabled());
    EXPECT_FALSE(form->AddExtLink(QStringLiteral("HTTPS://EXAMPLE.JP/1"))) << "same link in other case";
    EXPECT_FALSE(form->AddExtLink(QStringLiteral("/写真/😀.jpg"))) << "a path Shift-JIS cannot spell";
    EXPECT_EQ(ShownInputRefusedHint(), QStringLiteral("この文字は保存できません: 😀"));
    EXPECT_EQ(links->topLevelItemCount(), 9);
}

// ---------------------------------------------------------------------------
// The form follows the main list through every kind of refresh.

namespace {

enum class TListChange {
    Filter,
    FilterCleared,
    Group1,
    Descending,
    Duplicates,
    DeleteInList,
};

struct FollowCase {
    const char *Name;
    TListChange Change;
    qint32 Shown;         // RecNo the form shows before the change
    const char *Position; // as the form shows it after the change
    qint32 Prior;         // RecNo 前 goes to; 0: 先頭 and 前 disabled
    qint32 Next;          // RecNo 次 goes to; 0: 次 and 最後 disabled
};

class RecordFormFollowsList : public RecordFormTest, public ::testing::WithParamInterface<FollowCase>
{
protected:
    // Marks that make the changes move the records: 目印 on 1, 3, 5; group 1
    // on 2, 4, 5; telephone pairs 2 + 4 and 1 + 5, record 3 without a twin.
    void prepareBook()
    {
        for (const qint32 recNo : {1, 5})
            writeField(recNo, "Keyword1", QStringLiteral("目印"));
        for (const qint32 recNo : {2, 4, 5})
            writeField(recNo, "Group", 1);
        for (const qint32 recNo : {2, 4})
            writeField(recNo, "Tel", QStringLiteral("0300000000"));
        for (const qint32 recNo : {1, 5})
            writeField(recNo, "Tel", QStringLiteral("0399999999"));
        list->RefreshList(false, true, false);
    }

    QToolButton *move(const char *name) const { return child<QToolButton>(QString::fromLatin1(name)); }
    void clickMove(const char *name) const { QTest::mouseClick(move(name), Qt::LeftButton); }

    void apply(TListChange change)
    {
        auto *group = list->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
        switch (change) {
        case TListChange::Filter: list->ApplyCondition(markedCondition()); break;
        case TListChange::FilterCleared:
            list->ApplyCondition(markedCondition());
            action("actCancelSearch")->trigger();
            break;
        case TListChange::Group1: group->setCurrentIndex(2); break;
        case TListChange::Descending:
            QTest::mouseClick(list->findChild<QToolButton *>(QStringLiteral("sbtnSortDirection")), Qt::LeftButton);
            break;
        case TListChange::Duplicates: list->ApplyDuplicateItems(1, 0); break;
        case TListChange::DeleteInList:
            list->SelectRow(1, true, false);
            boxes.enqueue(IDYES);
            action("actDelete")->trigger();
            break;
        }
    }
};

} // namespace

TEST_P(RecordFormFollowsList, positionButtonsAndUpdateFollowTheNewRows)
{
    const FollowCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(prepareBook());
    ASSERT_NO_FATAL_FAILURE(openRow(list->IndexOfRecNo(c.Shown)));
    ASSERT_NO_FATAL_FAILURE(apply(c.Change));

    const int row = list->IndexOfRecNo(c.Shown);
    EXPECT_EQ(position().toStdString(), c.Position);
    EXPECT_EQ(list->InquiryRow(), row) << "the shown record stays linked to its row";
    EXPECT_EQ(move("sbtnFirst")->isEnabled(), c.Prior != 0);
    EXPECT_EQ(move("sbtnPrior")->isEnabled(), c.Prior != 0);
    EXPECT_EQ(move("sbtnNext")->isEnabled(), c.Next != 0);
    EXPECT_EQ(move("sbtnLast")->isEnabled(), c.Next != 0);

    // 変更 stores the shown record and stays on it; a hidden record leaves
    // the list's selection alone.
    const int last = list->GetRowCount() - 1;
    list->SelectRow(last, true, false);
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("３階"));
    QTest::mouseClick(child<QPushButton>(QStringLiteral("btnUpdate")), Qt::LeftButton);
    flushDeletes();
    ASSERT_FALSE(form.isNull()) << "変更 closed the form";
    EXPECT_EQ(stored(c.Shown, "Adrs3"), Cp932::encode(QStringLiteral("３階")));
    EXPECT_EQ(form->GetCurrentRecNo(), c.Shown);
    EXPECT_FALSE(form->IsChanged());
    EXPECT_EQ(position().toStdString(), c.Position);
    EXPECT_EQ(selectedRows(), QList<int>{row < 0 ? last : row});
    EXPECT_EQ(boxes.count(), c.Change == TListChange::DeleteInList ? 1 : 0);

    if (c.Prior) {
        clickMove("sbtnPrior");
        EXPECT_EQ(form->GetCurrentRecNo(), c.Prior);
        clickMove("sbtnNext");
        EXPECT_EQ(form->GetCurrentRecNo(), c.Shown);
    }
    if (c.Next) {
        clickMove("sbtnNext");
        EXPECT_EQ(form->GetCurrentRecNo(), c.Next);
        EXPECT_EQ(list->InquiryRow(), list->IndexOfRecNo(c.Next));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RecordFormFollowsList,
    ::testing::Values(FollowCase{"filterMoves", TListChange::Filter, 3, "2 / 3", 1, 5},
                      FollowCase{"filterHides", TListChange::Filter, 4, "--- / 3", 0, 1},
                      FollowCase{"filterCleared", TListChange::FilterCleared, 4, "4 / 5", 3, 5},
                      FollowCase{"groupHides", TListChange::Group1, 3, "--- / 3", 0, 2},
                      FollowCase{"descending", TListChange::Descending, 4, "2 / 5", 5, 3},
                      FollowCase{"duplicatesMove", TListChange::Duplicates, 4, "2 / 4", 2, 1},
                      FollowCase{"duplicatesHide", TListChange::Duplicates, 3, "--- / 4", 0, 2},
                      FollowCase{"deleteInList", TListChange::DeleteInList, 4, "3 / 4", 3, 5}),
    [](const ::testing::TestParamInfo<FollowCase> &info) { return std::string(info.param.Name); });

// The record form's "…" beside the group opens グループ名の設定 over the
// form itself: a dialog owned by the main window would raise that window
// over the form and leave the form behind it. The name typed there is the
// form's group list's at once.
TEST_F(RecordFormTest, groupNameDialogFromTheFormBelongsToTheForm)
{
    openRow(0);
    ASSERT_TRUE(form);
    QWidget *owner = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        owner = dialog->parentWidget();
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("edtGroup1"));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        TypeCharacters(edit, QStringLiteral("同窓会"));
        dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
    });
    click(QStringLiteral("bbtnEditGroup"));
    EXPECT_EQ(owner, form.data());
    EXPECT_TRUE(combo(QStringLiteral("cbxGroup"))->itemText(1).endsWith(QStringLiteral("同窓会")))
        << qPrintable(combo(QStringLiteral("cbxGroup"))->itemText(1));
}

// A company reading typed past its field brings up the hint under it, which
// stands over 部署 and 役職. One click on either box still lands there: the
// window system hands that click to the hint, as an X server does, and the
// box takes the focus and the typing.
class RecordFormHintClickTest : public RecordFormTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(RecordFormHintClickTest, oneClickThroughTheHintOfAFullFieldReachesTheBoxBeneath)
{
    openNew();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    click(QStringLiteral("sbtnCorp"));
    QLineEdit *reading = edit(QStringLiteral("edtCorpKana"));
    QTest::mouseClick(reading, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), reading);
    TypeCharacters(reading, QString(81, QChar(u'ｱ')));
    QWidget *hint = ShownInputHintWidget();
    ASSERT_NE(hint, nullptr);

    QComboBox *box = combo(QString::fromLatin1(GetParam()));
    const QPoint at = box->lineEdit()->mapToGlobal(QPoint(4, box->lineEdit()->height() / 2));
    ASSERT_TRUE(hint->frameGeometry().contains(at)) << "the hint no longer covers the box";
    QTest::mouseClick(hint, Qt::LeftButton, Qt::NoModifier, hint->mapFromGlobal(at));
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(ShownInputHintWidget(), nullptr);
    TypeCharacters(QApplication::focusWidget(), QStringLiteral("営業"));
    EXPECT_EQ(box->currentText(), QStringLiteral("営業"));
    EXPECT_EQ(reading->text(), QString(80, QChar(u'ｱ')));
}

INSTANTIATE_TEST_SUITE_P(Boxes, RecordFormHintClickTest, ::testing::Values("cbxDptmnt", "cbxPost"));
