#include "SenderFixture.h"
#include "FakeHyphen.h"
#include "core/WqhypWrapper.h"
#include "dialogs/Sender.h"
#include "core/HisInfo.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/Screenshot.h"
#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/UnreadableNotices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>

namespace {

class SenderFormTest : public SenderFixture
{
protected:
    void TearDown() override
    {
        form.reset();
        SenderFixture::TearDown();
    }
    TSenderForm &open(qint32 SenderNo = 0)
    {
        form = std::make_unique<TSenderForm>(nullptr);
        form->SenderNo = SenderNo;
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }
    template <typename T> T *child(const char *Name) const { return form->findChild<T *>(QLatin1String(Name)); }
    QString text(const char *Name) const { return child<QLineEdit>(Name)->text(); }
    QList<TSenderData> stored() const { return ReadAllSenders(table()); }

    ScriptedMessageBoxes boxes;
    std::unique_ptr<TSenderForm> form;
};

TEST_F(SenderFormTest, firstUseCreatesSender1AsRecordOneAndTheDefault)
{
    open();
    const QList<TSenderData> all = stored();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].RecNo, 1);
    EXPECT_EQ(all[0].Title, QStringLiteral("差出人1"));
    EXPECT_TRUE(all[0].NamePrint);
    EXPECT_EQ(DefaultSenderNo, 1);
    EXPECT_EQ(text("edTitle"), QStringLiteral("差出人1"));
    EXPECT_TRUE(child<QCheckBox>("ckbDefault")->isChecked());
    saveScreenshot(form.get(), QStringLiteral("SenderForm_firstUse"));
}

TEST_F(SenderFormTest, newProposesTheFirstFreeNumberFromTheRecordCount)
{
    addSender(1, titled(QStringLiteral("差出人1")));
    addSender(2, titled(QStringLiteral("差出人3")));
    addSender(3, titled(QStringLiteral("差出人4")));
    open(1);
    child<QPushButton>("bbtnNew")->click();
    EXPECT_EQ(text("edTitle"), QStringLiteral("差出人5"));
    EXPECT_EQ(stored().size(), 4);
    EXPECT_EQ(form->SenderNo, 4);
    EXPECT_EQ(child<QLabel>("lblNo")->text(), QStringLiteral("4"));
}

TEST_F(SenderFormTest, deletingTheOnlyRecordClearsItInstead)
{
    TSenderData d = titled(QStringLiteral("自宅"));
    d.Name = QStringLiteral("山田 太郎");
    d.Tel = QStringLiteral("0312345678");
    addSender(7, d);
    open(7);
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    const QList<TSenderData> all = stored();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].RecNo, 1);
    EXPECT_EQ(all[0].Title, QStringLiteral("差出人1"));
    EXPECT_TRUE(all[0].Name.isEmpty());
    EXPECT_TRUE(all[0].Tel.isEmpty());
    EXPECT_EQ(form->SenderNo, 1);
    EXPECT_EQ(DefaultSenderNo, 1);
    EXPECT_EQ(text("edTitle"), QStringLiteral("差出人1"));
}

TEST_F(SenderFormTest, answeringNoDeletesNothing)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    open(1);
    boxes.enqueue(IDNO);
    child<QPushButton>("bbtnDelete")->click();
    EXPECT_EQ(stored().size(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("差出人'A'を削除します")));
}

TEST_F(SenderFormTest, deletingTheDefaultMakesTheNextShownRecordTheDefault)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    addSender(3, titled(QStringLiteral("C")));
    DefaultSenderNo = 2;
    open(2);
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(form->SenderNo, 3);
    EXPECT_EQ(DefaultSenderNo, 3);
    EXPECT_EQ(text("edTitle"), QStringLiteral("C"));
}

// Deleting the last of three shows the one before it, never the first.
struct DeleteLastCase {
    const char *name;
    qint32 defaultBefore;
    qint32 defaultAfter;
};

class DeleteLast : public SenderFormTest, public ::testing::WithParamInterface<DeleteLastCase>
{
};

TEST_P(DeleteLast, showsTheSecondOfThree)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    addSender(3, titled(QStringLiteral("C")));
    DefaultSenderNo = GetParam().defaultBefore;
    open(3);
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(form->SenderNo, 2);
    EXPECT_EQ(text("edTitle"), QStringLiteral("B"));
    EXPECT_EQ(DefaultSenderNo, GetParam().defaultAfter);
}

INSTANTIATE_TEST_SUITE_P(Defaults, DeleteLast,
                         ::testing::Values(DeleteLastCase{"theDeletedWasTheDefault", 3, 2},
                                           DeleteLastCase{"theFirstStaysTheDefault", 1, 1}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(SenderFormTest, aRecordWithFourContactTogglesShowsOnlyTheFirstTwo)
{
    TSenderData d = titled(QStringLiteral("A"));
    d.AdditionPrint = {true, true, true, true};
    addSender(1, d);
    open(1);
    const std::array expected{true, true, false, false};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(child<QToolButton>(qPrintable(QStringLiteral("sbtnAdditionPrint%1").arg(i + 1)))->isChecked(),
                  expected[size_t(i)])
            << i;
    EXPECT_EQ(form->AdditionPrintCount(), 2);
}

TEST_F(SenderFormTest, pressingAThirdContactToggleReleasesTheHighestOther)
{
    TSenderData d = titled(QStringLiteral("A"));
    d.AdditionPrint = {true, true, false, false};
    addSender(1, d);
    open(1);
    child<QToolButton>("sbtnAdditionPrint3")->click();
    EXPECT_TRUE(child<QToolButton>("sbtnAdditionPrint1")->isChecked());
    EXPECT_FALSE(child<QToolButton>("sbtnAdditionPrint2")->isChecked());
    EXPECT_TRUE(child<QToolButton>("sbtnAdditionPrint3")->isChecked());
    EXPECT_EQ(form->AdditionPrintCount(), 2);
}

TEST_F(SenderFormTest, telephoneIsShownHyphenatedAndStoredAsDigits)
{
    SetWqhypForTesting(&FakeTokyoHyphen);
    TSenderData d = titled(QStringLiteral("A"));
    d.Tel = QStringLiteral("0312345678");
    d.Head[0] = QStringLiteral("TEL");
    d.Addition[0] = QStringLiteral("0312345678");
    addSender(1, d);
    open(1);
    EXPECT_EQ(text("edTel"), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(text("edAddition1"), QStringLiteral("03-1234-5678"));
    child<QLineEdit>("edAdrs3")->setText(QStringLiteral("101号"));
    ASSERT_TRUE(form->SaveRecord());
    SetWqhypForTesting(nullptr);
    const TSenderData saved = stored().first();
    EXPECT_EQ(saved.Tel, QStringLiteral("0312345678"));
    EXPECT_EQ(saved.Addition[0], QStringLiteral("0312345678"));
    EXPECT_EQ(saved.Adrs3, QStringLiteral("101号"));
}

TEST_F(SenderFormTest, postcodeOfSevenDigitsIsShownWithItsHyphen)
{
    TSenderData d = titled(QStringLiteral("A"));
    d.Pos = QStringLiteral("1000014");
    addSender(1, d);
    open(1);
    EXPECT_EQ(text("edPos"), QStringLiteral("100-0014"));
}

// The telephone and fax edits take thirteen characters for the hyphens, the
// postcode edit eight; the record keeps eleven and seven digits. More digits
// are refused on saving with a word, never cut off unseen.
struct DigitsCase {
    const char *name;
    const char *edit;
    const char *typed;
};

class SenderDigits : public SenderFormTest, public ::testing::WithParamInterface<DigitsCase>
{
};

TEST_P(SenderDigits, moreDigitsThanTheRecordKeepsAreRefusedNotCut)
{
    addSender(1, titled(QStringLiteral("A")));
    open(1);
    QLineEdit *edit = child<QLineEdit>(GetParam().edit);
    edit->setFocus();
    QTest::keyClicks(edit, QString::fromLatin1(GetParam().typed));
    ASSERT_EQ(edit->text(), QString::fromLatin1(GetParam().typed));
    child<QPushButton>("btnChoice")->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(boxes.count(), 1);
    const TSenderData saved = stored().first();
    EXPECT_TRUE(saved.Tel.isEmpty() && saved.Fax.isEmpty() && saved.Pos.isEmpty());
    EXPECT_EQ(edit->text(), QString::fromLatin1(GetParam().typed));
}

INSTANTIATE_TEST_SUITE_P(Fields, SenderDigits,
                         ::testing::Values(DigitsCase{"telephone", "edTel", "0901234567890"},
                                           DigitsCase{"fax", "edFax", "090123456789"},
                                           DigitsCase{"postcode", "edPos", "12345678"}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(SenderFormTest, elevenTelephoneDigitsAndSevenPostcodeDigitsAreKept)
{
    addSender(1, titled(QStringLiteral("A")));
    open(1);
    QTest::keyClicks(child<QLineEdit>("edTel"), QStringLiteral("090-1234-5678"));
    QTest::keyClicks(child<QLineEdit>("edPos"), QStringLiteral("1000014"));
    ASSERT_TRUE(form->SaveRecord());
    EXPECT_EQ(stored().first().Tel, QStringLiteral("09012345678"));
    EXPECT_EQ(stored().first().Pos, QStringLiteral("1000014"));
}

// What Sender.ini says must hold after the program is killed with the
// window open: a deleted default is never named, a deleted number never
// given again.
qint32 senderIniValue(const char *Key)
{
    return TMemIniFile(SenderIniFileName()).ReadInteger(QStringLiteral("SENDER"), QLatin1String(Key), -1);
}

TEST_F(SenderFormTest, deletingTheDefaultStoresTheNewDefaultAtOnce)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    DefaultSenderNo = 1;
    open(1);
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    ASSERT_EQ(DefaultSenderNo, 2);
    EXPECT_EQ(senderIniValue("Default"), 2);
}

TEST_F(SenderFormTest, checkingDefaultStoresItAtOnce)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    DefaultSenderNo = 1;
    open(2);
    child<QCheckBox>("ckbDefault")->click();
    EXPECT_EQ(senderIniValue("Default"), 2);
}

TEST_F(SenderFormTest, aNumberFreedByDeletingTheLastSenderIsNotGivenAgainAfterAKill)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    addSender(3, titled(QStringLiteral("C")));
    open(3);
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    ASSERT_EQ(stored().size(), 2);
    form.reset(); // killed: the window never closed
    open(1);
    child<QPushButton>("bbtnNew")->click();
    EXPECT_EQ(stored().last().RecNo, 4);
    EXPECT_EQ(form->SenderNo, 4);
}

TEST_F(SenderFormTest, aDefaultNamingNoRecordFallsToTheFirst)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    {
        TMemIniFile ini(SenderIniFileName());
        ini.WriteInteger(QStringLiteral("SENDER"), QStringLiteral("Default"), 9);
        ini.WriteInteger(QStringLiteral("SENDER"), QStringLiteral("LastNo"), 9);
        ASSERT_TRUE(ini.UpdateFile());
    }
    open(2);
    EXPECT_EQ(DefaultSenderNo, 1);
}

// Sender.ini always holds both numbers: one cut short is kept aside and
// named, never written over with a default the user did not choose.
struct CutSenderIni {
    const char *name;
    QByteArray bytes;
};

class SenderIniCut : public SenderFormTest, public ::testing::WithParamInterface<CutSenderIni> {};

TEST_P(SenderIniCut, isKeptAsideAndNamedNotOverwritten)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    writeBytes(SenderIniFileName(), GetParam().bytes);
    RecordedUnreadableNotices notices;
    open(2);
    child<QPushButton>("btnClose")->click();
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told().first().file, SenderIniFileName());
    const QStringList copies = keptAsideCopies(SenderIniFileName());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copies.first())));
    EXPECT_EQ(senderIniValue("Default"), 1);
    EXPECT_EQ(senderIniValue("LastNo"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SenderIniCut,
    ::testing::Values(CutSenderIni{"inTheDefaultKey", "[SENDER]\r\nDefa"},
                      CutSenderIni{"beforeTheLastNumber", "[SENDER]\r\nDefault=2\r\n"},
                      CutSenderIni{"inTheLastNumber", "[SENDER]\r\nDefault=2\r\nLastNo="},
                      CutSenderIni{"inTheSection", "[SEN"},
                      CutSenderIni{"empty", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SenderFormTest, aCutSenderIniThatCannotBeMovedIsNeverWrittenOver)
{
    addSender(1, titled(QStringLiteral("A")));
    const QByteArray cut = "[SENDER]\r\nDefa";
    writeBytes(SenderIniFileName(), cut);
    RecordedUnreadableNotices notices;
    RefusedMovesAside refused;
    open(1);
    child<QPushButton>("btnClose")->click();
    EXPECT_TRUE(sameBytes(cut, fileBytes(SenderIniFileName())));
    bool named = false;
    for (const TMessageBoxRequest &box : boxes.shown())
        named = named || box.text.contains(QDir::toNativeSeparators(SenderIniFileName()));
    EXPECT_TRUE(named);
}

// The department typed is saved with the record, then moved to the top of
// the department history. A history file that cannot be written is named;
// it never escapes the button and the record stays saved.
TEST_F(SenderFormTest, aDepartmentHistoryThatCannotBeWrittenIsNamedAndTheRecordIsKept)
{
    DMMurven19->CreateDatabase();
    DMMurven19->Connect();
    ASSERT_TRUE(DMMurven19->DptmntHistory()->IsLoaded());
    addSender(1, titled(QStringLiteral("A")));
    open(1);
    child<QComboBox>("cbxDptmnt")->setEditText(QStringLiteral("営業部"));
    SafeFile::setFailureHook([](SafeFile::Step Step) { return Step == SafeFile::Step::RenameTemporary; });
    EXPECT_NO_THROW(child<QPushButton>("btnChoice")->click());
    SafeFile::setFailureHook({});
    EXPECT_EQ(stored().first().Dptmnt, QStringLiteral("営業部"));
    const QString file = DMMurven19->DptmntHistory()->FileName();
    EXPECT_TRUE(std::any_of(boxes.shown().begin(), boxes.shown().end(),
                            [&file](const TMessageBoxRequest &R) { return R.text.contains(file); }));
}

// Every way of leaving a record keeps what was typed into it.
struct LeaveCase {
    const char *name;
    std::function<void(TSenderForm &)> leave;
};

class SenderLeaving : public SenderFormTest, public ::testing::WithParamInterface<LeaveCase>
{
};

TEST_P(SenderLeaving, keepsTheTypedEdit)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    open(1);
    QLineEdit *address = child<QLineEdit>("edAdrs2");
    address->setFocus();
    QTest::keyClicks(address, QStringLiteral("1-2-3"));
    GetParam().leave(*form);
    EXPECT_EQ(stored().first().Adrs2, QStringLiteral("1-2-3"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, SenderLeaving,
    ::testing::Values(
        LeaveCase{"next", [](TSenderForm &F) { F.findChild<QToolButton *>(QStringLiteral("sbtnNext"))->click(); }},
        LeaveCase{"last", [](TSenderForm &F) { F.findChild<QToolButton *>(QStringLiteral("sbtnLast"))->click(); }},
        LeaveCase{"newRecord", [](TSenderForm &F) { F.findChild<QPushButton *>(QStringLiteral("bbtnNew"))->click(); }},
        LeaveCase{"choose", [](TSenderForm &F) { F.findChild<QPushButton *>(QStringLiteral("btnChoice"))->click(); }},
        LeaveCase{"closeButton",
                  [](TSenderForm &F) { F.findChild<QPushButton *>(QStringLiteral("btnClose"))->click(); }},
        LeaveCase{"escape", [](TSenderForm &F) { QTest::keyClick(&F, Qt::Key_Escape); }},
        LeaveCase{"closeBox", [](TSenderForm &F) { F.close(); }}),
    [](const auto &Info) { return std::string(Info.param.name); });

class DuplicateTitle : public SenderFormTest
{
protected:
    void SetUp() override
    {
        SenderFormTest::SetUp();
        addSender(1, titled(QStringLiteral("自宅")));
        addSender(2, titled(QStringLiteral("会社")));
        open(1);
        QLineEdit *title = child<QLineEdit>("edTitle");
        title->setFocus();
        title->selectAll();
        // Typed as one committed text, as the input method hands it over.
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("会社"));
        QCoreApplication::sendEvent(title, &typed);
        boxes.clear();
    }
    bool toldDuplicate() const
    {
        return boxes.count() > 0 && boxes.last().text.startsWith(QStringLiteral("おなじ登録名が存在します"));
    }
};

TEST_F(DuplicateTitle, blocksMovingToTheNextRecord)
{
    child<QToolButton>("sbtnNext")->click();
    EXPECT_TRUE(toldDuplicate());
    EXPECT_EQ(form->SenderNo, 1);
    EXPECT_EQ(stored().first().Title, QStringLiteral("自宅"));
}

TEST_F(DuplicateTitle, blocksChoosingTheSender)
{
    child<QPushButton>("btnChoice")->click();
    EXPECT_TRUE(toldDuplicate());
    EXPECT_TRUE(form->isVisible());
    EXPECT_NE(form->result(), 1);
    EXPECT_EQ(stored().first().Title, QStringLiteral("自宅"));
}

TEST_F(DuplicateTitle, blocksClosingTheWindow)
{
    child<QPushButton>("btnClose")->click();
    EXPECT_TRUE(toldDuplicate());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SenderFormTest, chooseSavesTheEditAndClosesWithTheShownSender)
{
    addSender(1, titled(QStringLiteral("自宅")));
    addSender(2, titled(QStringLiteral("会社")));
    open(1);
    child<QToolButton>("sbtnNext")->click();
    child<QLineEdit>("edName")->setText(QStringLiteral("山田 花子"));
    child<QPushButton>("btnChoice")->click();
    EXPECT_EQ(form->result(), 1);
    EXPECT_EQ(form->SenderNo, 2);
    EXPECT_EQ(stored()[1].Name, QStringLiteral("山田 花子"));
}

TEST_F(SenderFormTest, closingWritesTheDefaultAndLastNumberToSenderIni)
{
    addSender(4, titled(QStringLiteral("A")));
    open(4);
    child<QPushButton>("btnClose")->click();
    EXPECT_FALSE(form->isVisible());
    LoadDefaultSenderNo();
    EXPECT_EQ(DefaultSenderNo, 4);
}

TEST_F(SenderFormTest, homeAndCorporateChoicesExcludeEachOther)
{
    addSender(1, titled(QStringLiteral("A")));
    open(1);
    auto *home = child<QCheckBox>("ckbHome");
    auto *corp = child<QCheckBox>("ckbCorp");
    home->click();
    EXPECT_TRUE(child<QToolButton>("sbtnNamePrint")->isEnabled());
    corp->click();
    EXPECT_FALSE(home->isChecked());
    EXPECT_FALSE(child<QToolButton>("sbtnNamePrint")->isEnabled());
    ASSERT_TRUE(form->SaveRecord());
    EXPECT_EQ(stored().first().SelectInfo, 2);
}

// The picture a print toggle shows in its present state.
QImage shownPicture(const QToolButton *Button)
{
    return Button->icon()
        .pixmap(QSize(16, 16), QIcon::Normal, Button->isChecked() ? QIcon::On : QIcon::Off)
        .toImage();
}

bool hasRed(const QImage &Image)
{
    for (int y = 0; y < Image.height(); ++y) {
        for (int x = 0; x < Image.width(); ++x) {
            const QColor c = Image.pixelColor(x, y);
            if (c.alpha() > 128 && c.red() > 160 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    }
    return false;
}

class SenderPrintToggle : public SenderFormTest, public ::testing::WithParamInterface<const char *>
{};

// A name that prints shows a printer, one that does not the printer crossed
// out in red: a toggle switched off by mistake is seen at once.
TEST_P(SenderPrintToggle, showsAPrinterWhenTheNamePrintsAndACrossedOneWhenNot)
{
    addSender(1, titled(QStringLiteral("A")));
    open(1);
    child<QCheckBox>("ckbHome")->click(); // the name toggles work with 連名を印刷する
    auto *toggle = child<QToolButton>(GetParam());
    ASSERT_NE(toggle, nullptr);
    ASSERT_TRUE(toggle->isEnabled());
    ASSERT_TRUE(toggle->isChecked()); // a new sender prints every name
    ASSERT_FALSE(toggle->icon().isNull());
    const QImage printing = shownPicture(toggle);
    EXPECT_FALSE(hasRed(printing));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle->isChecked());
    const QImage notPrinting = shownPicture(toggle);
    EXPECT_NE(notPrinting, printing);
    EXPECT_TRUE(hasRed(notPrinting));
    if (std::string(GetParam()) == "sbtnJointPrint1")
        saveScreenshot(form.get(), QStringLiteral("SenderForm_jointName1Off"));
    ASSERT_TRUE(form->SaveRecord());
    const TSenderData saved = stored().first();
    const bool prints = std::string(GetParam()) == "sbtnNamePrint" ? saved.NamePrint : saved.JointPrint[size_t(GetParam()[14] - '1')];
    EXPECT_FALSE(prints);
}

INSTANTIATE_TEST_SUITE_P(Toggles, SenderPrintToggle,
                         ::testing::Values("sbtnNamePrint", "sbtnJointPrint1", "sbtnJointPrint2", "sbtnJointPrint3",
                                           "sbtnJointPrint4", "sbtnJointPrint5"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace

#include "platform/SqlCipher.h"

namespace {

// A sender table that refuses one kind of change, as a damaged or locked
// file would.
class RefusingTable : public SenderFormTest
{
protected:
    void refuse(const char *Operation)
    {
        const QString sql = QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON Data "
                                           "BEGIN SELECT RAISE(ABORT, 'refused'); END;")
                                .arg(QLatin1String(Operation));
        QString error;
        sqlite3 *db = SqlCipher::open(table().TableName(), TablePassword, false, &error);
        ASSERT_NE(db, nullptr) << qPrintable(error);
        EXPECT_TRUE(SqlCipher::exec(db, sql.toUtf8().constData(), &error)) << qPrintable(error);
        SqlCipher::close(db);
    }
    bool told(const char16_t *Start) const
    {
        return boxes.count() > 0 && boxes.last().text.startsWith(QString::fromUtf16(Start)) &&
               boxes.last().flags == unsigned(MB_ICONERROR);
    }
};

// The table cannot be read any more (its file replaced or damaged under the
// window): every button says so; nothing is thrown through the window.
TEST_F(RefusingTable, aTableThatCannotBeReadIsReportedNotThrown)
{
    addSender(1, titled(QStringLiteral("A")));
    addSender(2, titled(QStringLiteral("B")));
    open(1);
    {
        QString error;
        sqlite3 *db = SqlCipher::open(table().TableName(), TablePassword, false, &error);
        ASSERT_NE(db, nullptr) << qPrintable(error);
        EXPECT_TRUE(SqlCipher::exec(db, "ALTER TABLE Data RENAME TO Gone", &error)) << qPrintable(error);
        SqlCipher::close(db);
    }
    child<QLineEdit>("edTitle")->setText(QStringLiteral("C"));
    EXPECT_NO_THROW(child<QToolButton>("sbtnNext")->click());
    EXPECT_NO_THROW(child<QPushButton>("bbtnNew")->click());
    EXPECT_NO_THROW(child<QPushButton>("btnChoice")->click());
    EXPECT_GE(boxes.count(), 1);
}

TEST_F(RefusingTable, failedSaveKeepsTheEditAndSaysSo)
{
    addSender(1, titled(QStringLiteral("自宅")));
    open(1);
    refuse("UPDATE");
    child<QLineEdit>("edName")->setText(QStringLiteral("山田 太郎"));
    EXPECT_FALSE(form->SaveRecord());
    EXPECT_TRUE(told(u"保存できませんでした"));
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(text("edName"), QStringLiteral("山田 太郎"));
    EXPECT_TRUE(stored().first().Name.isEmpty());
}

// A table that refuses every write must not hold the window open for ever:
// closing offers to drop the edit, and only a yes drops it.
struct RefusedCloseCase {
    const char *name;
    int answer;
    bool closed;
};

class RefusedClose : public RefusingTable, public ::testing::WithParamInterface<RefusedCloseCase>
{
};

TEST_P(RefusedClose, closingOffersToDropTheEdit)
{
    addSender(1, titled(QStringLiteral("自宅")));
    open(1);
    refuse("UPDATE");
    child<QLineEdit>("edName")->setText(QStringLiteral("山田 太郎"));
    boxes.enqueue(IDOK);
    boxes.enqueue(GetParam().answer);
    child<QPushButton>("btnClose")->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.shown().first().text.startsWith(QStringLiteral("保存できませんでした")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("変更を破棄して閉じますか")));
    EXPECT_EQ(form->isVisible(), !GetParam().closed);
    EXPECT_TRUE(stored().first().Name.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, RefusedClose,
                         ::testing::Values(RefusedCloseCase{"yesDropsTheEditAndCloses", IDYES, true},
                                           RefusedCloseCase{"noKeepsTheWindowOpen", IDNO, false}),
                         [](const auto &Info) { return std::string(Info.param.name); });

// A title to correct is no table failure: closing is not offered.
TEST_F(RefusingTable, anEmptyTitleStillKeepsTheWindowOpenWithoutTheOffer)
{
    addSender(1, titled(QStringLiteral("自宅")));
    open(1);
    child<QLineEdit>("edTitle")->setText(QString());
    child<QLineEdit>("edName")->setText(QStringLiteral("山田 太郎"));
    child<QPushButton>("btnClose")->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("登録名を入力してください")));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(RefusingTable, failedNewAddsNothingAndSaysSo)
{
    addSender(1, titled(QStringLiteral("自宅")));
    open(1);
    refuse("INSERT");
    child<QPushButton>("bbtnNew")->click();
    EXPECT_TRUE(told(u"差出人情報の作成に失敗しました"));
    EXPECT_EQ(stored().size(), 1);
    EXPECT_EQ(form->SenderNo, 1);
    EXPECT_EQ(text("edTitle"), QStringLiteral("自宅"));
}

TEST_F(RefusingTable, failedDeleteKeepsTheRecordAndSaysSo)
{
    addSender(1, titled(QStringLiteral("自宅")));
    addSender(2, titled(QStringLiteral("会社")));
    open(1);
    refuse("DELETE");
    boxes.enqueue(IDYES);
    child<QPushButton>("bbtnDelete")->click();
    EXPECT_TRUE(told(u"削除できませんでした"));
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(form->SenderNo, 1);
}

// A sender the disk refuses is reported with the cause to mend, and the
// typed edit stays until it can be stored.
struct SenderDiskCase {
    const char *name;
    TDiskFault fault;
    const char16_t *cause;
};
void PrintTo(const SenderDiskCase &c, std::ostream *os) { *os << c.name; }
class SenderDiskFault : public SenderFormTest, public ::testing::WithParamInterface<SenderDiskCase> {};

TEST_P(SenderDiskFault, choosingNamesTheCauseAndKeepsTheEdit)
{
    addSender(1, titled(QStringLiteral("自宅")));
    open(1);
    {
        ScopedFailingDisk disk(QFileInfo(table().TableName()).absolutePath(), GetParam().fault);
        TypeCharacters(child<QLineEdit>("edName"), QStringLiteral("山田 太郎"));
        child<QPushButton>("btnChoice")->click();
    }
    ASSERT_EQ(boxes.count(), 1);
    const QString shown = boxes.last().text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("保存できませんでした  \r\n\r\n"))) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(shown);
    EXPECT_FALSE(shown.contains(QStringLiteral("見つかりません"))) << qPrintable(shown);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(text("edName"), QStringLiteral("山田 太郎"));
    EXPECT_TRUE(stored().first().Name.isEmpty());
    // Mended, the same press stores it.
    child<QPushButton>("btnChoice")->click();
    EXPECT_EQ(stored().first().Name, QStringLiteral("山田 太郎"));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, SenderDiskFault,
    ::testing::Values(SenderDiskCase{"folderNotWritable", TDiskFault::FolderNotWritable,
                                     u"ファイルのあるフォルダーに書き込む権限がありません。"},
                      SenderDiskCase{"readOnlyDisk", TDiskFault::ReadOnlyDisk,
                                     u"ディスクが読み取り専用のため、書き込めません。"},
                      SenderDiskCase{"diskFull", TDiskFault::DiskFull, u"ディスクの空き容量が足りません。"}),
    [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(RefusingTable, firstUseThatCannotCreateTheFirstSenderSaysSo)
{
    refuse("INSERT");
    form = std::make_unique<TSenderForm>(nullptr);
    EXPECT_TRUE(told(u"差出人情報の作成に失敗しました"));
    EXPECT_TRUE(stored().isEmpty());
}

} // namespace
