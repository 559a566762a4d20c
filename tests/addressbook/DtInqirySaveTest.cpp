#include "DtInqiryFixture.h"

#include "addressbook/DtInqiryTel.h"
#include "core/AppSub.h"
#include "core/HisInfo.h"
#include "platform/Cp932.h"
#include "support/FailingDisk.h"
#include "support/KeyInput.h"
#include "util/MsgBoxPos.h"
#include "widgets/ByteLimitValidator.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <cstring>

#include <sqlcipher/sqlite3.h>

namespace {

const QString kPendingNew = QStringLiteral(
    "入力途中のデータがあります  \r\n\r\nアドレス帳に保存する場合は「はい」  \r\n破棄する場合は「いいえ」  \r\n"
    "中止する場合は「キャンセル」  \r\n\r\nを押してください  ");
const QString kPendingShown = QStringLiteral(
    "照会中のデータが変更されています  \r\n\r\nアドレス帳に保存する場合は「はい」  \r\n破棄する場合は「いいえ」  "
    "\r\n中止する場合は「キャンセル」  \r\n\r\nを押してください  ");
const QString kLimit = QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  ");

// Every field of the form stored as Shift-JIS bytes, with a text it takes.
const struct {
    const char *Name;
    const char16_t *Text;
} kByteFields[] = {
    {"edtCustomCode", u"A1"},  {"edtTel", u"03"},          {"edtFax", u"06"},
    {"edtPortable1", u"090"},  {"edtPortable2", u"080"},   {"edtPos", u"1234"},
    {"edtTdfkn", u"東京都"},   {"edtAdrs1", u"櫻"},        {"edtAdrs2", u"欅"},
    {"edtAdrs3", u"檜"},       {"edtAdrsKana", u"ｻｸﾗ"},    {"nmedtCorpKanji", u"会社"},
    {"edtCorpKana", u"ｶｲｼｬ"},  {"cbxDptmnt", u"部"},       {"cbxPost", u"課長"},
    {"nmedtNameKana", u"ﾅﾏｴ"}, {"cbxHonor", u"様"},        {"edtURL", u"http://a"},
    {"edtEMail1", u"a@b"},     {"edtEMail2", u"c@d"},      {"cbxJointHonor1", u"様"},
    {"cbxJointHonor5", u"殿"}, {"edtKeyword1", u"鍵"},     {"edtKeyword5", u"①"},
    {"cbxKeyword6", u"～"},    {"cbxKeyword8", u"黑"},     {"mmoNote", u"備考"},
};

} // namespace

TEST_F(RecordFormTest, everyByteFieldRefusesWhatShiftJisLacksAndTheRecordHoldsNoQuestionMark)
{
    openNew();
    click(QStringLiteral("sbtnCorp"));
    for (int n = 1; n <= 5; ++n)
        setText(QStringLiteral("nmedtJoint%1").arg(n), QStringLiteral("連名"));
    auto *pages = child<QTabWidget>(QStringLiteral("pgcInquiry"));
    const QString refused = QStringLiteral("この文字は保存できません: ");
    for (const auto &field : kByteFields) {
        QWidget *w = child(QString::fromLatin1(field.Name));
        if (auto *c = qobject_cast<QComboBox *>(w))
            w = c->lineEdit();
        for (int page = 0; page < pages->count(); ++page) {
            if (pages->widget(page)->isAncestorOf(w))
                pages->setCurrentIndex(page);
        }
        w->setFocus();
        const QString ok = QString::fromUtf16(field.Text);
        TypeCharacters(w, ok + QStringLiteral("𠮷😀"));
        EXPECT_EQ(ShownInputRefusedHint(), refused + QStringLiteral("😀")) << field.Name;
        // A paste goes in without what cannot be stored.
        const QString middle = ok.right(1);
        PasteText(w, QStringLiteral("𠮷") + middle + QStringLiteral("😀"));
        EXPECT_EQ(ShownInputRefusedHint(), refused + QStringLiteral("𠮷 😀")) << field.Name;
        CommitThroughInputMethod(w, QStringLiteral("♥"));
        EXPECT_EQ(ShownInputRefusedHint(), refused + QStringLiteral("♥")) << field.Name;
        const QString shown = qobject_cast<QLineEdit *>(w) ? qobject_cast<QLineEdit *>(w)->text()
                                                           : qobject_cast<QPlainTextEdit *>(w)->toPlainText();
        EXPECT_EQ(shown, ok + middle) << field.Name;
    }
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(bookCount(), kBookRows + 1);
    const qint32 recNo = lastRecNo();
    TTable &table = *DMMurven19->AdrsTable();
    for (int f = 0; f < table.FieldCount(); ++f) {
        const QByteArray name = table.Fields(f).FieldName().toLatin1();
        const TFieldType type = table.Fields(f).DataType();
        if (type == TFieldType::ftString || type == TFieldType::ftMemo) {
            EXPECT_FALSE(stored(recNo, name.constData()).contains('?')) << name.constData();
        }
    }
    EXPECT_EQ(stored(recNo, "Adrs1"), Cp932::encode(QStringLiteral("櫻櫻")));
    EXPECT_EQ(stored(recNo, "Keyword8"), Cp932::encode(QStringLiteral("黑黑")));
}

struct UnstorableSave {
    const char *Control;
    const char *Field;
    const char16_t *Caption;
};

void PrintTo(const UnstorableSave &c, std::ostream *os) { *os << c.Control; }

class RecordFormUnstorableSave : public RecordFormTest, public ::testing::WithParamInterface<UnstorableSave>
{
protected:
    // Sets the control's text as the program does, past the edit's check.
    void setProgrammatically(const QString &text)
    {
        QWidget *w = child(QString::fromLatin1(GetParam().Control));
        if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            memo->setPlainText(text);
        else if (auto *c = qobject_cast<QComboBox *>(w))
            c->setEditText(text);
        else
            qobject_cast<QLineEdit *>(w)->setText(text);
    }
    void expectRefusal()
    {
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, QStringLiteral("「%1」に保存できない文字があります  \r\n"
                                                    "この文字は保存できません: 𠮷  ")
                                         .arg(QString::fromUtf16(GetParam().Caption)));
        EXPECT_TRUE(child(QString::fromLatin1(GetParam().Control))->hasFocus());
    }
};

TEST_P(RecordFormUnstorableSave, appendIsRefusedNamingTheFieldAndKeepsTheInput)
{
    openNew();
    setProgrammatically(QStringLiteral("東𠮷"));
    click(QStringLiteral("btnAdd"));
    expectRefusal();
    EXPECT_EQ(bookCount(), kBookRows);
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(form->IsChanged());
}

TEST_P(RecordFormUnstorableSave, updateIsRefusedAndTheStoredRecordStaysAsItWas)
{
    openRow(2);
    const QByteArray before = stored(3, GetParam().Field);
    const QByteArray stamp = stored(3, "UpdDateTime");
    setProgrammatically(QStringLiteral("東𠮷"));
    click(QStringLiteral("btnUpdate"));
    expectRefusal();
    EXPECT_EQ(stored(3, GetParam().Field), before);
    EXPECT_EQ(stored(3, "UpdDateTime"), stamp);
}

INSTANTIATE_TEST_SUITE_P(Fields, RecordFormUnstorableSave,
                         ::testing::Values(UnstorableSave{"edtAdrs1", "Adrs1", u"住所１"},
                                           UnstorableSave{"mmoNote", "Note", u"備考"}),
                         [](const auto &info) { return std::string(info.param.Field); });

TEST_F(RecordFormTest, namesKeepCharactersShiftJisLacksInTheAtForm)
{
    openNew();
    QLineEdit *name = edit(QStringLiteral("nmedtNameKanji"));
    name->setFocus();
    TypeCharacters(name, QStringLiteral("𠮷田😀"));
    EXPECT_EQ(name->text(), QStringLiteral("𠮷田😀"));
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(lastRecNo(), "NameKanji"), EncodeUnicodeField(QStringLiteral("𠮷田😀")));
}

TEST_F(RecordFormTest, numbersTypedOrPastedFullWidthAreStoredHalfWidth)
{
    openNew();
    const struct {
        const char *Control;
        const char *Field;
        const char16_t *Typed;
        const char16_t *Shown;
        const char *Stored;
    } numbers[] = {
        {"edtTel", "Tel", u"０３－１２３４ー５６７８", u"03-1234-5678", "0312345678"},
        {"edtFax", "Fax", u"０６‐１１１１―２２２２", u"06-1111-2222", "0611112222"},
        {"edtPortable1", "Portable1", u"０９０−１２３４－５６７８", u"090-1234-5678", "09012345678"},
        {"edtPos", "Pos", u"１２３－４５６７", u"123-4567", "1234567"},
    };
    for (const auto &n : numbers) {
        QLineEdit *e = edit(QString::fromLatin1(n.Control));
        e->setFocus();
        TypeCharacters(e, QString::fromUtf16(n.Typed));
        EXPECT_EQ(e->text(), QString::fromUtf16(n.Shown)) << n.Control;
    }
    QLineEdit *mobile2 = edit(QStringLiteral("edtPortable2"));
    mobile2->setFocus();
    PasteText(mobile2, QStringLiteral("０８０－９８７６－５４３２"));
    EXPECT_EQ(mobile2->text(), QStringLiteral("080-9876-5432"));
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    const qint32 recNo = lastRecNo();
    for (const auto &n : numbers)
        EXPECT_EQ(stored(recNo, n.Field), QByteArray(n.Stored)) << n.Field;
    EXPECT_EQ(stored(recNo, "Portable2"), QByteArray("08098765432"));
}

TEST_F(RecordFormTest, appendStoresNumbersAsDigitsSelectsTheNewRowAndCloses)
{
    openNew();
    setText(QStringLiteral("edtTel"), QStringLiteral("03-1234-5678"));
    setText(QStringLiteral("edtPos"), QStringLiteral("123-4567"));
    setText(QStringLiteral("nmedtNameKanji"), QStringLiteral("  新規 太郎 "));
    setText(QStringLiteral("edtAdrs1"), QStringLiteral(" 千代田区 "));
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(bookCount(), kBookRows + 1);
    const qint32 recNo = lastRecNo();
    EXPECT_EQ(stored(recNo, "Tel"), QByteArray("0312345678"));
    EXPECT_EQ(stored(recNo, "Pos"), QByteArray("1234567"));
    EXPECT_EQ(stored(recNo, "NameKanji"), EncodeUnicodeField(QStringLiteral("新規 太郎")));
    EXPECT_EQ(stored(recNo, "Adrs1"), Cp932::encode(QStringLiteral("千代田区")));
    EXPECT_EQ(selectedRows(), QList<int>{list->IndexOfRecNo(recNo)});
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(DataInquiry, nullptr);
}

TEST_F(RecordFormTest, appendFromAShownRecordStoresACopyAndShowsIt)
{
    openRow(1);
    setText(QStringLiteral("edtCustomCode"), QString()); // a copy may not take the code
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(bookCount(), kBookRows + 1);
    const qint32 recNo = lastRecNo();
    EXPECT_EQ(stored(recNo, "Tel"), stored(2, "Tel"));
    EXPECT_EQ(form->GetCurrentRecNo(), recNo);
    EXPECT_EQ(selectedRows(), QList<int>{list->IndexOfRecNo(recNo)});
}

TEST_F(RecordFormTest, updateWritesTheRecordAndTheListFollows)
{
    openRow(2);
    QSignalSpy changed(list.get(), &TAddressList::RecordsChanged);
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("３階"));
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(3, "Adrs3"), Cp932::encode(QStringLiteral("３階")));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().first().value<QList<qint32>>(), QList<qint32>{3});
    EXPECT_EQ(selectedRows(), QList<int>{2});
    EXPECT_FALSE(form->IsChanged());
}

TEST_F(RecordFormTest, deleteAsksThenRemovesTheRecordAndCloses)
{
    openRow(1);
    QSignalSpy deleted(list.get(), &TAddressList::RecordsDeleted);
    click(QStringLiteral("btnDelete")); // No is the default answer
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(bookCount(), kBookRows);

    boxes.enqueue(IDYES);
    click(QStringLiteral("btnDelete"));
    EXPECT_EQ(bookCount(), kBookRows - 1);
    EXPECT_EQ(stored(2, "Tel"), QByteArray("<missing>"));
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(list->GetRowCount(), kBookRows - 1);
    EXPECT_EQ(selectedRows(), QList<int>{1});
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(boxes.count(), 2) << "closing after a delete asks nothing more";
}

struct PendingCase {
    bool Confirmation;
    int Answer; // 0: none asked
    bool Moved;
    bool Saved;
};

class PendingNavigation : public RecordFormTest, public ::testing::WithParamInterface<PendingCase>
{
};

TEST_P(PendingNavigation, aChangedRecordIsSettledBeforeMoving)
{
    const PendingCase &c = GetParam();
    AddressConfirmation = c.Confirmation;
    openRow(0);
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("変更"));
    if (c.Answer)
        boxes.enqueue(c.Answer);
    child<QToolButton>(QStringLiteral("sbtnNext"))->click();
    if (c.Answer) {
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, kPendingShown);
        EXPECT_EQ(boxes.last().flags, 0x23u);
    } else {
        EXPECT_EQ(boxes.count(), 0);
    }
    EXPECT_EQ(form->GetCurrentRecNo(), c.Moved ? 2 : 1);
    EXPECT_EQ(stored(1, "Adrs3"), c.Saved ? Cp932::encode(QStringLiteral("変更")) : QByteArray());
    if (!c.Moved) {
        EXPECT_EQ(edit(QStringLiteral("edtAdrs3"))->text(), QStringLiteral("変更"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, PendingNavigation,
                         ::testing::Values(PendingCase{true, IDCANCEL, false, false},
                                           PendingCase{true, IDNO, true, false},
                                           PendingCase{true, IDYES, true, true},
                                           PendingCase{false, 0, true, true}));

TEST_F(RecordFormTest, closingAChangedNewFormAsksAndCancelKeepsIt)
{
    openNew();
    setText(QStringLiteral("nmedtNameKanji"), QStringLiteral("途中"));
    boxes.enqueue(IDCANCEL);
    form->close();
    flushDeletes();
    ASSERT_FALSE(form.isNull());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kPendingNew);
    EXPECT_EQ(edit(QStringLiteral("nmedtNameKanji"))->text(), QStringLiteral("途中"));
    boxes.enqueue(IDYES);
    form->close();
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(bookCount(), kBookRows + 1);
}

TEST_F(RecordFormTest, withoutConfirmationAnInvalidPendingEditKeepsTheFormOpen)
{
    AddressConfirmation = false;
    openNew();
    setText(QStringLiteral("edtTel"), QStringLiteral("(03)1234"));
    form->close();
    flushDeletes();
    ASSERT_FALSE(form.isNull());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話番号は半角数字かハイフンのみが有効です  "));
    EXPECT_EQ(bookCount(), kBookRows);
}

TEST_F(RecordFormTest, theRecordLimitCountsTheBookNotTheFilteredRows)
{
    list->ApplyCondition(markedCondition()); // record 3 only
    ASSERT_EQ(list->GetRowCount(), 1);
    TDataInquiry::RecordLimit = kBookRows;
    openNew();
    setText(QStringLiteral("nmedtNameKanji"), QStringLiteral("上限"));
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kLimit);
    EXPECT_EQ(bookCount(), kBookRows);
    EXPECT_FALSE(form.isNull());
    EXPECT_EQ(edit(QStringLiteral("nmedtNameKanji"))->text(), QStringLiteral("上限"));

    // The pending-edit guard does not drop an input it could not store.
    boxes.enqueue(IDYES);
    form->close();
    flushDeletes();
    EXPECT_FALSE(form.isNull());
}

// Another program appends a record while the form is open: the limit counts
// the records the book holds when 登録 writes, not the ones this window saw.
TEST_F(RecordFormTest, theRecordLimitCountsTheRecordAnotherProgramAdded)
{
    TDataInquiry::RecordLimit = kBookRows + 1;
    openNew();
    alterBook("INSERT INTO Data(NameKanji) VALUES(X'8ab4');");
    setText(QStringLiteral("nmedtNameKanji"), QStringLiteral("上限"));
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kLimit);
    QString error;
    sqlite3 *db = SqlCipher::open(DMMurven19->AdrsTable()->TableName(), TablePassword, false, &error);
    ASSERT_NE(db, nullptr) << qPrintable(error);
    sqlite3_stmt *statement = nullptr;
    int held = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Data;", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        held = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    SqlCipher::close(db);
    EXPECT_EQ(held, kBookRows + 1) << "the form added past the limit";
    EXPECT_FALSE(form.isNull());
    EXPECT_EQ(edit(QStringLiteral("nmedtNameKanji"))->text(), QStringLiteral("上限"));
}

// An update refused by a locked table and a delete refused by the file are
// reported and lose nothing.
TEST_F(RecordFormTest, refusedWritesAreReportedAndTheInputStays)
{
    openRow(1);
    TTable other;
    openElsewhere(other);
    other.BeginBatch(); // holds the write lock
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("書けない"));
    click(QStringLiteral("btnUpdate"));
    other.EndBatch();
    other.Close();
    alterBook("CREATE TRIGGER keep2 BEFORE DELETE ON Data WHEN old.RecNo = 2 "
              "BEGIN SELECT RAISE(ABORT, 'read-only'); END;");
    boxes.enqueue(IDYES);
    click(QStringLiteral("btnDelete"));
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("update error\r\n\r\n")))
        << qPrintable(boxes.shown()[0].text);
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral("使用中"))) << qPrintable(boxes.shown()[0].text);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("delete error\r\n\r\n")))
        << qPrintable(boxes.last().text);
    EXPECT_EQ(bookCount(), kBookRows);
    EXPECT_EQ(stored(2, "Adrs3"), QByteArray());
    flushDeletes();
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(form->GetCurrentRecNo(), 2);
    EXPECT_EQ(edit(QStringLiteral("edtAdrs3"))->text(), QStringLiteral("書けない"));
    EXPECT_TRUE(form->IsChanged());
    EXPECT_EQ(DMMurven19->AdrsTable()->State(), TTable::TState::dsBrowse);
    // Once the lock is gone the same input is stored.
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(stored(2, "Adrs3"), Cp932::encode(QStringLiteral("書けない")));
}

// A record the book refuses is reported with the cause the user can mend,
// and the typed record stays in the form until it can be stored.
namespace {

class RecordFormSaveFailure;
struct SaveFailureCase {
    const char *name;
    // Makes the book refuse writing; dropping the returned object mends it.
    std::shared_ptr<void> (*refuse)(RecordFormSaveFailure &);
    const char16_t *cause;
};
void PrintTo(const SaveFailureCase &c, std::ostream *os) { *os << c.name; }

class RecordFormSaveFailure : public RecordFormTest, public ::testing::WithParamInterface<SaveFailureCase>
{
public:
    static QString bookFolder() { return AdrsPath + QStringLiteral("Book1"); }
    static QString bookFile() { return bookFolder() + QStringLiteral("/Adrs.DB"); }

    // The disk fault from the start: the main list opens the book on it, as
    // after starting the program.
    std::shared_ptr<void> listOpenedOn(const QString &path, TDiskFault fault)
    {
        list.reset();
        auto held = std::make_shared<ScopedFailingDisk>(path, fault);
        openList();
        EXPECT_EQ(list->GetRowCount(), kBookRows);
        return held;
    }
    static std::shared_ptr<void> faultFromNow(const QString &path, TDiskFault fault)
    {
        return std::make_shared<ScopedFailingDisk>(path, fault);
    }
    // Another window or program writing the book: it holds the write lock.
    static std::shared_ptr<void> writerElsewhere()
    {
        auto other = std::make_shared<TTable>();
        openElsewhere(*other);
        other->BeginBatch();
        return std::shared_ptr<void>(other.get(), [other](void *) {
            other->EndBatch();
            other->Close();
        });
    }
};

TEST_P(RecordFormSaveFailure, namesTheCauseAndKeepsTheTypedRecord)
{
    std::shared_ptr<void> refusal = GetParam().refuse(*this);
    ASSERT_FALSE(HasFailure());
    openNew();
    TypeCharacters(edit(QStringLiteral("nmedtNameKanji")), QStringLiteral("保存 花子"));
    TypeCharacters(edit(QStringLiteral("edtAdrs1")), QStringLiteral("港区"));
    click(QStringLiteral("btnAdd"));

    ASSERT_EQ(boxes.count(), 1);
    const QString text = boxes.last().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("add error\r\n\r\n"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Adrs.DB"))) << qPrintable(text);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    flushDeletes();
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(edit(QStringLiteral("nmedtNameKanji"))->text(), QStringLiteral("保存 花子"));
    EXPECT_EQ(edit(QStringLiteral("edtAdrs1"))->text(), QStringLiteral("港区"));
    EXPECT_TRUE(form->IsChanged());
    EXPECT_EQ(DMMurven19->AdrsTable()->State(), TTable::TState::dsBrowse);
    EXPECT_EQ(bookCount(), kBookRows);

    // Mended (the list started again, as a user does after mending a disk),
    // the same press stores what was typed.
    refusal.reset();
    list.reset();
    ASSERT_NO_FATAL_FAILURE(openList());
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 1);
    ASSERT_EQ(bookCount(), kBookRows + 1);
    EXPECT_EQ(stored(lastRecNo(), "Adrs1"), Cp932::encode(QStringLiteral("港区")));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RecordFormSaveFailure,
    ::testing::Values(
        SaveFailureCase{"folderNotWritable",
                        [](RecordFormSaveFailure &) {
                            return RecordFormSaveFailure::faultFromNow(RecordFormSaveFailure::bookFolder(),
                                                                       TDiskFault::FolderNotWritable);
                        },
                        u"ファイルのあるフォルダーに書き込む権限がありません。"},
        SaveFailureCase{"bookOpenedFromAReadOnlyDisk",
                        [](RecordFormSaveFailure &t) {
                            return t.listOpenedOn(RecordFormSaveFailure::bookFolder(), TDiskFault::ReadOnlyDisk);
                        },
                        u"ディスクが読み取り専用のため、書き込めません。"},
        SaveFailureCase{"diskTurnedReadOnlyWhileTheBookIsOpen",
                        [](RecordFormSaveFailure &) {
                            return RecordFormSaveFailure::faultFromNow(RecordFormSaveFailure::bookFolder(),
                                                                       TDiskFault::ReadOnlyDisk);
                        },
                        u"ディスクが読み取り専用のため、書き込めません。"},
        SaveFailureCase{"fileSetReadOnly",
                        [](RecordFormSaveFailure &t) {
                            return t.listOpenedOn(RecordFormSaveFailure::bookFile(), TDiskFault::FileReadOnly);
                        },
                        u"ファイルの読み取り専用の設定を外してから"},
        SaveFailureCase{"diskFull",
                        [](RecordFormSaveFailure &) {
                            return RecordFormSaveFailure::faultFromNow(RecordFormSaveFailure::bookFolder(),
                                                                       TDiskFault::DiskFull);
                        },
                        u"ディスクの空き容量が足りません。"},
        SaveFailureCase{"lockedByAnotherProgram",
                        [](RecordFormSaveFailure &) { return RecordFormSaveFailure::writerElsewhere(); },
                        u"ほかのプログラムかほかの画面がファイルを使用中です。"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

TEST_F(RecordFormTest, sameNumberIsAskedOnlyForTheFirstNumberFoundOnItsOwnIndex)
{
    AddressSameNum = true;
    openNew();
    // A fax equal to another record's telephone is no same number.
    setText(QStringLiteral("edtFax"), QStringLiteral("0311110001"));
    child<QCheckBox>(QStringLiteral("chkContinualAdd"))->setChecked(true);
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(bookCount(), kBookRows + 1);
    EXPECT_TRUE(edit(QStringLiteral("edtFax"))->text().isEmpty()) << "continual add starts a fresh form";
    EXPECT_FALSE(form->IsChanged());

    setText(QStringLiteral("edtTel"), QStringLiteral("0311110002"));
    setText(QStringLiteral("edtFax"), QStringLiteral("0311110001"));
    boxes.enqueue(IDNO);
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("既に同一の電話番号のデータが登録されています  \r\n登録しますか？  "));
    EXPECT_EQ(bookCount(), kBookRows + 1);
    EXPECT_EQ(edit(QStringLiteral("edtTel"))->text(), QStringLiteral("0311110002"));
}

TEST_F(RecordFormTest, savingTeachesTheHistoriesTheEnteredWords)
{
    openNew();
    click(QStringLiteral("sbtnCorp"));
    setComboText(QStringLiteral("cbxDptmnt"), QStringLiteral("営業部"));
    setComboText(QStringLiteral("cbxHonor"), QStringLiteral("御中"));
    setText(QStringLiteral("nmedtJoint1"), QStringLiteral("花子"));
    setComboText(QStringLiteral("cbxJointHonor1"), QStringLiteral("様"));
    setComboText(QStringLiteral("cbxKeyword7"), QStringLiteral("常連"));
    child<QCheckBox>(QStringLiteral("chkContinualAdd"))->setChecked(true);
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(bookCount(), kBookRows + 1);
    THistoryData &honor = *DMMurven19->HonorHistory();
    ASSERT_EQ(honor.GetCount(), 2);
    EXPECT_EQ(honor.GetText(0), Cp932::encode(QStringLiteral("様")));
    EXPECT_EQ(honor.GetText(1), Cp932::encode(QStringLiteral("御中")));
    EXPECT_EQ(DMMurven19->KeywordHistory(2)->GetText(0), Cp932::encode(QStringLiteral("常連")));
    EXPECT_EQ(combo(QStringLiteral("cbxKeyword7"))->itemText(0), QStringLiteral("常連"));

    // Typed again: moved to the top, never listed twice.
    click(QStringLiteral("sbtnCorp"));
    setComboText(QStringLiteral("cbxHonor"), QStringLiteral("御中"));
    click(QStringLiteral("btnAdd"));
    ASSERT_EQ(honor.GetCount(), 2);
    EXPECT_EQ(honor.GetText(0), Cp932::encode(QStringLiteral("御中")));
}

TEST_F(RecordFormTest, batchChangeOfTheShownRecordReachesTheForm)
{
    openRow(0);
    TAddressData data;
    data.Group = 3;
    data.Keyword2 = QByteArray("kw");
    data.SymbolColor = 0x123456;
    data.UpdDateTime = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    std::array<bool, 16> flags{};
    flags[0] = flags[7] = true;
    form->ApplyBatchChange(data, flags);
    EXPECT_EQ(combo(QStringLiteral("cbxGroup"))->currentIndex(), 3);
    EXPECT_EQ(edit(QStringLiteral("edtKeyword2"))->text(), QStringLiteral("kw"));
    EXPECT_EQ(form->GetFormData().SymbolColor, 0x7FDF3F) << "colour not flagged";
    EXPECT_EQ(edit(QStringLiteral("edtUpdDateTime"))->text(), QStringLiteral(" 2024/05/06 07:08:09"));
    EXPECT_FALSE(form->IsChanged()) << "the book record took the same values";
}

TEST_F(RecordFormTest, updateNeitherChecksTheLimitNorAsksAboutSameNumbers)
{
    AddressSameNum = true;
    TDataInquiry::RecordLimit = 1;
    openRow(3);
    setText(QStringLiteral("edtTel"), QStringLiteral("0311110001")); // record 1's number
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(4, "Tel"), QByteArray("0311110001"));
}

TEST_F(RecordFormTest, aFilledDirectoryRecordCountsAsChangedWithoutTheSnapshot)
{
    AddressOutOfTarget = false;
    form = GetDataInquiry();
    TAddressData hit;
    hit.Tel = QByteArray("0312345678");
    form->StartRegister(hit);
    form->show();
    EXPECT_TRUE(form->IsChanged());
    EXPECT_FALSE(child<QWidget>(QStringLiteral("btnUpdate"))->isEnabled());
}

// What a listing does not give stays as a new record starts: the addressee's
// name printed and the new records' colour, for a person and a company alike.
TEST_F(RecordFormTest, aRegisteredDirectoryListingKeepsTheNewRecordsPrintMarkAndColour)
{
    AddressOutOfTarget = false;
    for (const int kind : {99, 1}) {
        SCOPED_TRACE(kind);
        TTelRecord listing{};
        std::strcpy(listing.Phone, "0398760000");
        listing.ListingKind = kind;
        const QByteArray name = Cp932::encode(QStringLiteral("見本太郎"));
        std::memcpy(listing.Name, name.constData(), static_cast<std::size_t>(name.size()));
        form = GetDataInquiry();
        form->StartRegister(AddressFromTelRecord(listing), CorpKanjiFromTelRecord(listing));
        form->show();
        click(QStringLiteral("btnAdd"));
        ASSERT_EQ(boxes.count(), 0);
        TAddressData saved;
        ASSERT_TRUE(FindAddressData(*DMMurven19->AdrsTable(), lastRecNo(), saved));
        EXPECT_EQ(saved.PrivCorp, kind == 99);
        EXPECT_TRUE(saved.JointPrint);
        EXPECT_EQ(saved.SymbolColor, NewSymbolColor);
    }
}

TEST_F(RecordFormTest, aDirectoryCompanyNamePastTheRecordsWidthIsShownAndStoredWhole)
{
    AddressOutOfTarget = false;
    TTelRecord listing{};
    std::strcpy(listing.Phone, "0398760000");
    listing.ListingKind = 1;
    const QString listed = QStringLiteral("(株)") + QString(53, QChar(u'架'));
    const QByteArray bytes = Cp932::encode(listed);
    std::memcpy(listing.Name, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const QString whole = QStringLiteral("株式会社") + QString(53, QChar(u'架')); // 114 bytes
    form = GetDataInquiry();
    form->StartRegister(AddressFromTelRecord(listing), CorpKanjiFromTelRecord(listing));
    form->show();
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("nmedtCorpKanji"))->text(), whole);
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(lastRecNo(), "CorpKanji"), Cp932::encode(whole));
}

// A listing taken as it is counts as unchanged, but a company name shortened
// past the record's 112 bytes is the user's edit: closing asks, and "yes"
// stores the name as the user left it.
TEST_F(RecordFormTest, aDirectoryCompanyNameShortenedPastTheRecordsWidthIsAskedAboutAndStored)
{
    TTelRecord listing{};
    std::strcpy(listing.Phone, "0398760000");
    listing.ListingKind = 1;
    const QByteArray bytes = Cp932::encode(QStringLiteral("(株)") + QString(53, QChar(u'架')));
    std::memcpy(listing.Name, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    form = GetDataInquiry();
    form->StartRegister(AddressFromTelRecord(listing), CorpKanjiFromTelRecord(listing));
    form->show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(form->IsChanged()); // the listing alone, with the snapshot
    QLineEdit *corp = edit(QStringLiteral("nmedtCorpKanji"));
    corp->setFocus();
    QTest::keyClick(corp, Qt::Key_End);
    QTest::keyClick(corp, Qt::Key_Backspace);
    const QString shortened = QStringLiteral("株式会社") + QString(52, QChar(u'架')); // 112 bytes
    ASSERT_EQ(corp->text(), shortened);
    boxes.enqueue(IDYES);
    form->close();
    flushDeletes();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, kPendingNew);
    EXPECT_TRUE(form.isNull());
    ASSERT_EQ(bookCount(), kBookRows + 1);
    EXPECT_EQ(stored(lastRecNo(), "CorpKanji"), Cp932::encode(shortened));
}
