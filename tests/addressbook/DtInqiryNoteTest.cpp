// The record form's note (備考) keeps its line breaks exactly: what is typed
// is stored (each Return as CR LF, one at the end too), what is stored is
// shown (each break as one line break of the edit), and a 変更 that only adds
// or takes a break is a change that is saved.
#include "DtInqiryFixture.h"

#include "platform/Cp932.h"
#include "support/KeyInput.h"
#include "support/RowName.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

namespace {

QByteArray sjis(const char16_t *text) { return Cp932::encode(QString::fromUtf16(text)); }

class RecordFormNote : public RecordFormTest
{
protected:
    QPlainTextEdit *note() const { return child<QPlainTextEdit>(QStringLiteral("mmoNote")); }

    // Control's page brought up and the focus put into it.
    void focusOnItsPage(QWidget *Control) const
    {
        for (QTabWidget *pages : form->findChildren<QTabWidget *>())
            for (int i = 0; i < pages->count(); ++i)
                if (pages->widget(i)->isAncestorOf(Control))
                    pages->setCurrentIndex(i);
        Control->setFocus();
    }

    // The caret put at the note's end, as a person clicks below its last
    // line (Ctrl+End).
    void enterNoteAtItsEnd() const
    {
        focusOnItsPage(note());
        QTest::keyClick(note(), Qt::Key_End, Qt::ControlModifier);
    }

    // Types Text into the note key by key: Return for each "\n".
    void typeNote(const QString &Text) const
    {
        enterNoteAtItsEnd();
        const QStringList lines = Text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(note(), Qt::Key_Return);
            TypeCharacters(note(), lines[i]);
        }
    }

    // Record RecNo opened again in a new form from the list's rows.
    void reopen(qint32 RecNo)
    {
        if (form) {
            form->SetSkipConfirm(true);
            form->close();
        }
        flushDeletes();
        list->RefreshList(true, true, false);
        for (int row = 0; row < list->GetRowCount(); ++row) {
            TAddressData data;
            ASSERT_TRUE(list->GetRecordAt(row, data));
            if (data.RecNo == RecNo) {
                ASSERT_NO_FATAL_FAILURE(openRow(row));
                return;
            }
        }
        FAIL() << "record " << RecNo << " is not listed";
    }
};

// ---- Typed into a new record, 登録, opened again ------------------------------

struct TypedNote {
    const char *name;
    const char16_t *typed;  // "\n": Return
    const char *stored;     // the memo's bytes (CP932), each Return a CR LF
};

void PrintTo(const TypedNote &c, std::ostream *os) { *os << c.name; }

class RecordFormTypedNote : public RecordFormNote, public ::testing::WithParamInterface<TypedNote>
{
};

TEST_P(RecordFormTypedNote, isStoredAsTypedAndShownSoWhenOpenedAgain)
{
    const TypedNote &c = GetParam();
    const QString typed = QString::fromUtf16(c.typed);
    openNew();
    QLineEdit *name = edit(QStringLiteral("nmedtNameKanji"));
    name->setFocus();
    TypeCharacters(name, QStringLiteral("備考 太郎"));
    ASSERT_NO_FATAL_FAILURE(typeNote(typed));
    ASSERT_EQ(note()->toPlainText(), typed) << "the edit holds the keys pressed";
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(bookCount(), kBookRows + 1);
    const qint32 recNo = lastRecNo();
    EXPECT_EQ(stored(recNo, "Note"), Cp932::encode(QString::fromUtf8(c.stored)));

    ASSERT_NO_FATAL_FAILURE(reopen(recNo));
    EXPECT_EQ(note()->toPlainText(), typed);
    EXPECT_EQ(note()->blockCount(), typed.count(u'\n') + 1) << "one line of the edit for each line typed";
    EXPECT_FALSE(form->IsChanged()) << "opening a record changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Notes, RecordFormTypedNote,
    ::testing::Values(TypedNote{"twoLinesAndABreakAtTheEnd", u"一行目のメモ\n二行目のメモ\n",
                                "一行目のメモ\r\n二行目のメモ\r\n"},
                      TypedNote{"twoLinesWithoutABreakAtTheEnd", u"一行目のメモ\n二行目のメモ",
                                "一行目のメモ\r\n二行目のメモ"},
                      TypedNote{"oneLineWithoutABreak", u"メモ", "メモ"},
                      TypedNote{"oneLineAndABreak", u"メモ\n", "メモ\r\n"},
                      TypedNote{"twoBreaksAtTheEnd", u"メモ\n\n", "メモ\r\n\r\n"},
                      TypedNote{"emptyLineInTheMiddle", u"a\n\nb", "a\r\n\r\nb"},
                      TypedNote{"emptyFirstLine", u"\nメモ", "\r\nメモ"},
                      TypedNote{"oneBreakAlone", u"\n", "\r\n"},
                      TypedNote{"threeBreaksAlone", u"\n\n\n", "\r\n\r\n\r\n"},
                      TypedNote{"blanksAroundTheLinesKept", u" a \n b \n", " a \r\n b \r\n"}),
    rowName);

// ---- A stored note opened, a break added or taken, 変更 ----------------------------

struct ChangedNote {
    const char *name;
    const char *before; // stored bytes of record 2's note
    Qt::Key key;        // pressed once at the note's end
    const char *after;  // stored after 変更
};

void PrintTo(const ChangedNote &c, std::ostream *os) { *os << c.name; }

class RecordFormNoteBreakChange : public RecordFormNote, public ::testing::WithParamInterface<ChangedNote>
{
};

TEST_P(RecordFormNoteBreakChange, isAChangeAndIsSaved)
{
    const ChangedNote &c = GetParam();
    writeField(2, "Note", QString::fromUtf8(c.before));
    list->RefreshList(true, true, false);
    openRow(1);
    ASSERT_EQ(form->GetCurrentRecNo(), 2);
    ASSERT_FALSE(form->IsChanged());
    enterNoteAtItsEnd();
    QTest::keyClick(note(), c.key);
    EXPECT_TRUE(form->IsChanged());
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(2, "Note"), Cp932::encode(QString::fromUtf8(c.after)));
    ASSERT_NO_FATAL_FAILURE(reopen(2));
    QString shown = QString::fromUtf8(c.after);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(note()->toPlainText(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, RecordFormNoteBreakChange,
    ::testing::Values(ChangedNote{"breakAddedAtTheEnd", "一行目のメモ\r\n二行目のメモ", Qt::Key_Return,
                                  "一行目のメモ\r\n二行目のメモ\r\n"},
                      ChangedNote{"secondBreakAddedAtTheEnd", "メモ\r\n", Qt::Key_Return, "メモ\r\n\r\n"},
                      ChangedNote{"breakTakenFromTheEnd", "メモ\r\n", Qt::Key_Backspace, "メモ"},
                      ChangedNote{"lastOfTwoBreaksTaken", "メモ\r\n\r\n", Qt::Key_Backspace, "メモ\r\n"},
                      ChangedNote{"breakAddedToABreakAlone", "\r\n", Qt::Key_Return, "\r\n\r\n"},
                      ChangedNote{"breakTakenFromTwoAlone", "\r\n\r\n", Qt::Key_Backspace, "\r\n"},
                      ChangedNote{"lastBreakTakenLeavesNoNote", "\r\n", Qt::Key_Backspace, ""}),
    rowName);

// A break added together with a keyword is saved with it.
TEST_F(RecordFormNote, breakAddedBesideAKeywordIsSavedWithIt)
{
    writeField(2, "Note", QStringLiteral("メモ"));
    list->RefreshList(true, true, false);
    openRow(1);
    ASSERT_EQ(form->GetCurrentRecNo(), 2);
    enterNoteAtItsEnd();
    QTest::keyClick(note(), Qt::Key_Return);
    QLineEdit *keyword = edit(QStringLiteral("edtKeyword1"));
    focusOnItsPage(keyword);
    TypeCharacters(keyword, QStringLiteral("済"));
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(2, "Keyword1"), sjis(u"済"));
    EXPECT_EQ(stored(2, "Note"), sjis(u"メモ\r\n"));
}

// Leaving the note adds nothing to it: a note typed without a break at its
// end is stored without one.
TEST_F(RecordFormNote, leavingTheNoteAddsNoBreak)
{
    writeField(2, "Note", QStringLiteral("メモ"));
    list->RefreshList(true, true, false);
    openRow(1);
    enterNoteAtItsEnd();
    TypeCharacters(note(), QStringLiteral("追記"));
    focusOnItsPage(edit(QStringLiteral("edtKeyword1")));
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(note(), &out);
    EXPECT_EQ(note()->toPlainText(), QStringLiteral("メモ追記"));
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(stored(2, "Note"), sjis(u"メモ追記"));
}

// ---- Notes another writer stored with other line breaks ----------------------------

struct StoredNote {
    const char *name;
    QByteArray stored;
    const char16_t *shown;
};

void PrintTo(const StoredNote &c, std::ostream *os) { *os << c.name; }

class RecordFormStoredNote : public RecordFormNote, public ::testing::WithParamInterface<StoredNote>
{
protected:
    void SetUp() override
    {
        RecordFormNote::SetUp();
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({QVariant(2)}));
        table.Edit();
        table.FieldByName(QStringLiteral("Note")).SetAsBytes(GetParam().stored);
        table.Post();
        list->RefreshList(true, true, false);
    }
};

TEST_P(RecordFormStoredNote, showsEachBreakAsOneLineBreak)
{
    openRow(1);
    ASSERT_EQ(form->GetCurrentRecNo(), 2);
    EXPECT_EQ(note()->toPlainText(), QString::fromUtf16(GetParam().shown));
    EXPECT_FALSE(form->IsChanged());
}

TEST_P(RecordFormStoredNote, isKeptByteForByteWhenAnotherFieldChanges)
{
    openRow(1);
    QLineEdit *tel = edit(QStringLiteral("edtTel"));
    tel->setFocus();
    tel->selectAll();
    TypeCharacters(tel, QStringLiteral("0399998888"));
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(stored(2, "Tel"), QByteArray("0399998888"));
    EXPECT_EQ(stored(2, "Note"), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, RecordFormStoredNote,
    ::testing::Values(StoredNote{"crLfWithOneAtTheEnd", sjis(u"行1\r\n行2\r\n"), u"行1\n行2\n"},
                      StoredNote{"lineFeedsWithOneAtTheEnd", sjis(u"行1\n行2\n"), u"行1\n行2\n"},
                      StoredNote{"carriageReturnsWithOneAtTheEnd", sjis(u"行1\r行2\r"), u"行1\n行2\n"},
                      StoredNote{"mixedBreaks", sjis(u"a\nb\r\nc\rd"), u"a\nb\nc\nd"},
                      StoredNote{"lineFeedsAlone", QByteArray("\n\n"), u"\n\n"},
                      StoredNote{"crLfAlone", QByteArray("\r\n"), u"\n"},
                      StoredNote{"emptyLineInTheMiddle", QByteArray("a\r\n\r\nb"), u"a\n\nb"}),
    rowName);

} // namespace
