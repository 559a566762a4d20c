// The road a user takes through the text export and import: captions typed
// into the keyword and group dialogs, records typed into the record form or
// brought in through the import window, written through the export window,
// and the file read back, or imported again and the records read back.
#include "UserRoad.h"
#include "addressbook/KeywdEdt.h"
#include "core/AppSub.h"
#include "core/GrpEdt.h"
#include "core/Inquiry.h"
#include "exchange/ExportItems.h"
#include "exchange/FImport.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "widgets/TntStdCtrls.h"

#include "support/Cp932Pairs.h"
#include "support/SaveFaultCases.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

namespace {

class ExchangeRoad : public UserRoadFixture
{
protected:
    using UserRoadFixture::UserRoadFixture;

    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        m_importOpener = FileImportOpener;
        m_otherNames = TKeywordEdit::OtherItemNames;
        RegisterFileImport();
    }
    void TearDown() override
    {
        FileImportOpener = m_importOpener;
        TKeywordEdit::OtherItemNames = m_otherNames;
        UserRoadFixture::TearDown();
    }

    // Runs Command of the main list, whose modal dialog of type T Drive
    // handles; a dialog Drive leaves open is cancelled, as a user gives up.
    template<typename T>
    bool inDialog(const char *Command, const std::function<void(T &)> &Drive)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            shown = dialog != nullptr;
            if (!dialog)
                return;
            Drive(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        action(Command)->trigger();
        return shown;
    }

    // Selects all of an edit's text and types Text over it.
    static void retype(QWidget *Dialog, const QString &Name, const QString &Text)
    {
        auto *edit = Dialog->findChild<QLineEdit *>(Name);
        ASSERT_NE(edit, nullptr) << Name.toStdString();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        TypeCharacters(edit, Text);
    }

    // Writes every item with its header through the export window into
    // exportFile(): what the file holds, decoded. The columns stand in
    // catalogue order (全セット), or Reversed, each set by hand from the
    // catalogue's last item to its first.
    QString exportEveryItem(bool Reversed = false)
    {
        action("actExportFile")->trigger();
        EXPECT_NE(FileExport, nullptr);
        if (!FileExport)
            return {};
        TFileExport &window = *FileExport;
        press(&window, "rbNormal");
        if (Reversed) {
            for (int item = ExportItemCount - 1; item >= 0; --item) {
                window.sgDest->selectRow(window.Layout().Count());
                window.sgSrc->selectRow(item);
                press(&window, "bbtnSet");
            }
            EXPECT_EQ(window.Layout().Count(), ExportItemCount);
        } else {
            press(&window, "bbtnAllSet");
        }
        window.chkOutHeader->setChecked(true);
        press(&window, "rbAll");
        press(&window, "btnExport");
        delete FileExport;
        QFile file(exportFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return Cp932::decode(file.readAll());
    }

    // Imports Path through the import window, as it assigns a file with a
    // header line by itself, without the address completion; the number of
    // records the book holds afterwards.
    int importFile(const QString &Path, bool ErrorsExpected = false)
    {
        const bool shown = inDialog<TFileImport>("actImportFile", [&](TFileImport &window) {
            window.edtFile->setText(Path);
            QTest::keyClick(window.edtFile, Qt::Key_Return);
            EXPECT_TRUE(window.FileLoaded());
            EXPECT_TRUE(window.Assignment().AnyAssigned());
            // The window remembers the option of its last completed run.
            if (!window.chkNotAutoSupplement->isChecked())
                press(&window, "chkNotAutoSupplement");
            boxes.enqueue(IDYES);
            press(&window, "btnImport");
        });
        EXPECT_TRUE(shown);
        if (!ErrorsExpected) {
            EXPECT_FALSE(QFile::exists(DataPath + QStringLiteral("InError.txt"))) << "a line was refused";
        }
        return DMMurven19->AdrsTable()->RecordCount();
    }

    // The stored record RecNo, its name fields decoded.
    static QString storedName(qint32 RecNo, const char *Field)
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        EXPECT_TRUE(table.FindKey({RecNo}));
        return DecodeUnicodeField(table.FieldByName(QLatin1String(Field)).AsBytes());
    }

    QString shownMessages() const
    {
        QStringList texts;
        for (const TMessageBoxRequest &box : boxes.shown())
            texts << box.text;
        return texts.join(QStringLiteral(" | "));
    }
    QString lastMessage() const { return boxes.count() ? boxes.last().text : QString(); }

private:
    std::function<bool(QWidget *)> m_importOpener;
    std::function<QStringList(int)> m_otherNames;
};

// ---- Keyword captions ---------------------------------------------------------

struct CaptionCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> typed; // keyword 1..8, caption
    const char16_t *refusal; // a piece of the message, nullptr: accepted
};

void PrintTo(const CaptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class KeywordCaptionRoad : public ExchangeRoad, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(KeywordCaptionRoad, captionThatCannotNameItsColumnIsRefusedWhereItIsTyped)
{
    const CaptionCase &c = GetParam();
    const auto before = KeywordNames;
    const int shownBefore = boxes.count();
    bool stayedOpen = false;
    ASSERT_TRUE(inDialog<TKeywordEdit>("actKeywordEdit", [&](TKeywordEdit &dialog) {
        for (const auto &[keyword, caption] : c.typed)
            retype(&dialog, QStringLiteral("edtKeyword%1").arg(keyword), QString::fromUtf16(caption));
        press(&dialog, "btnOk");
        stayedOpen = dialog.isVisible();
    }));
    if (!c.refusal) {
        EXPECT_FALSE(stayedOpen) << lastMessage().toStdString();
        for (const auto &[keyword, caption] : c.typed)
            EXPECT_EQ(KeywordNames[size_t(keyword)], QString::fromUtf16(caption));
        return;
    }
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.count(), shownBefore + 1);
    EXPECT_TRUE(lastMessage().contains(QString::fromUtf16(c.refusal))) << lastMessage().toStdString();
    EXPECT_EQ(KeywordNames, before) << "a refused caption is not taken";
}

INSTANTIATE_TEST_SUITE_P(
    Captions, KeywordCaptionRoad,
    ::testing::Values(
        CaptionCase{"commaSplitsTheHeader", {{1, u"趣味,特技"}}, u"キーワード項目１に「,」と「\"」は使用できません"},
        CaptionCase{"doubleQuoteHidesTheCommasAfterIt", {{2, u"\"特技"}}, u"キーワード項目２に「,」と「\"」"},
        CaptionCase{"sameCaptionTwice", {{1, u"趣味"}, {2, u"趣味"}}, u"同じキーワード項目名は設定できません"},
        // The export writes captions without blanks and the import compares
        // them in half width: these two name the same column.
        CaptionCase{"sameColumnAfterBlanksAndWidth", {{1, u"趣 味A"}, {5, u"趣味Ａ"}}, u"同じキーワード項目名"},
        CaptionCase{"captionOfTheNotes", {{3, u"備考"}}, u"キーワード項目３の名称「備考」は他の項目の名称と同じ"},
        CaptionCase{"headerNameOfTheTelephone", {{4, u"tel"}}, u"キーワード項目４の名称「tel」は他の項目"},
        CaptionCase{"fixedNameOfAnotherKeyword", {{2, u"キーワード"}}, u"キーワード項目２の名称"},
        CaptionCase{"itemTheImportHasNoRowFor", {{1, u"更新日付"}}, u"キーワード項目１の名称"},
        CaptionCase{"ownFixedNameIsTaken", {{2, u"キーワード２"}, {1, u"キーワード"}}, nullptr},
        CaptionCase{"captionsOfTheirOwnAreTaken", {{1, u"趣味"}, {2, u"特技"}, {3, u"備考欄"}, {4, u"趣味・特技"}},
                    nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

// A caption taken by the dialog names its column in the export and brings
// the column back into its own keyword on import, blanks and all.
TEST_F(ExchangeRoad, typedCaptionsCarryTheKeywordsThroughExportAndImport)
{
    ASSERT_TRUE(inDialog<TKeywordEdit>("actKeywordEdit", [&](TKeywordEdit &dialog) {
        retype(&dialog, QStringLiteral("edtKeyword1"), QStringLiteral("趣 味"));
        retype(&dialog, QStringLiteral("edtKeyword2"), QStringLiteral("備考欄"));
        press(&dialog, "btnOk");
    }));
    ASSERT_EQ(KeywordNames[1], QStringLiteral("趣 味"));
    action("actNumerSearch")->trigger();
    ASSERT_NE(DataInquiry, nullptr);
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "nmedtNameKanji", QStringLiteral("山田 太郎")));
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "edtKeyword1", QStringLiteral("釣り")));
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "edtKeyword2", QStringLiteral("囲碁")));
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "mmoNote", QStringLiteral("メモ")));
    ASSERT_NO_FATAL_FAILURE(press(DataInquiry, "btnAdd"));
    ASSERT_EQ(rowsShown(1), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QString file = exportEveryItem();
    ASSERT_TRUE(file.startsWith(QStringLiteral("レコード番号,"))) << file.toStdString();
    ASSERT_EQ(importFile(exportFile()), 2);
    TTable &table = *DMMurven19->AdrsTable();
    ASSERT_TRUE(table.FindKey({2}));
    EXPECT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Keyword1")).AsBytes()), QStringLiteral("釣り"));
    EXPECT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Keyword2")).AsBytes()), QStringLiteral("囲碁"));
    EXPECT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Note")).AsBytes()), QStringLiteral("メモ"));
}

// ---- Group names --------------------------------------------------------------

struct GroupCase {
    const char *name;
    int group; // 1..10
    const char16_t *typed;
    const char16_t *refusal; // nullptr: accepted
};

void PrintTo(const GroupCase &c, std::ostream *os)
{
    *os << c.name;
}

class GroupNameRoad : public ExchangeRoad, public ::testing::WithParamInterface<GroupCase>
{
};

TEST_P(GroupNameRoad, nameTheImportCannotFindAgainIsRefusedWhereItIsTyped)
{
    const GroupCase &c = GetParam();
    const auto before = GroupNames;
    const int shownBefore = boxes.count();
    bool stayedOpen = false;
    ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
        retype(&dialog, QStringLiteral("edtGroup%1").arg(c.group), QString::fromUtf16(c.typed));
        press(&dialog, "btnOk");
        stayedOpen = dialog.isVisible();
    }));
    if (!c.refusal) {
        EXPECT_FALSE(stayedOpen) << lastMessage().toStdString();
        EXPECT_EQ(GroupNames[size_t(c.group)], QString::fromUtf16(c.typed));
        return;
    }
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.count(), shownBefore + 1);
    EXPECT_TRUE(lastMessage().contains(QString::fromUtf16(c.refusal))) << lastMessage().toStdString();
    EXPECT_EQ(GroupNames, before) << "a refused name is not taken";
}

INSTANTIATE_TEST_SUITE_P(
    Groups, GroupNameRoad,
    ::testing::Values(GroupCase{"nameOfNoGroup", 3, u"指定なし", u"「指定なし」はグループ名に設定できません"},
                      GroupCase{"commaSplitsTheLine", 1, u"友人,知人", u"グループ項目１に「,」と「\"」は使用できません"},
                      GroupCase{"doubleQuoteHidesTheCommas", 10, u"\"VIP\"", u"グループ項目１０に「,」と「\"」"},
                      GroupCase{"nameOfItsOwn", 2, u"友人・知人", nullptr},
                      GroupCase{"noGroupWithinAName", 4, u"指定なし以外", nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

// A record in the tenth group exports that group's name.
TEST_F(ExchangeRoad, recordInTheTenthGroupExportsThatGroupsName)
{
    ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
        retype(&dialog, QStringLiteral("edtGroup10"), QStringLiteral("取引先"));
        press(&dialog, "btnOk");
    }));
    ASSERT_EQ(GroupNames[10], QStringLiteral("取引先"));
    action("actNumerSearch")->trigger();
    ASSERT_NE(DataInquiry, nullptr);
    auto *group = DataInquiry->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
    ASSERT_NE(group, nullptr);
    group->setFocus();
    QTest::keyClick(group, Qt::Key_End); // the last entry: group 10
    ASSERT_EQ(group->currentIndex(), 10);
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "nmedtNameKanji", QStringLiteral("山田 太郎")));
    ASSERT_NO_FATAL_FAILURE(press(DataInquiry, "btnAdd"));
    ASSERT_EQ(rowsShown(1), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QStringList lines = exportEveryItem().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    const QStringList header = lines[0].split(u',');
    const QStringList values = lines[1].split(u',');
    const qsizetype column = header.indexOf(QStringLiteral("グループ名"));
    ASSERT_GE(column, 0);
    EXPECT_EQ(values.value(column), QStringLiteral("取引先")) << lines[1].toStdString();
}

// ---- Captions and group names kept from an older settings file ----------------
//
// The keyword and group dialogs refuse such names now, but settings files
// written before hold them. Records typed into the record form of a book
// with them go out through the export window and, imported through the
// import window into a new book with the same names, come back field for
// field.

struct KeptNamesCase {
    const char *name;
    std::vector<std::pair<int, const char16_t *>> captions; // keyword 1..8
    std::vector<std::pair<int, const char16_t *>> groups;   // group 1..10
    int group; // the group of the first record (0: none)
};

void PrintTo(const KeptNamesCase &c, std::ostream *os)
{
    *os << c.name;
}

const QString kNewBook = QStringLiteral("新しい帳");

// Two books, the second empty: records typed into the first go out through
// the export window and come into the second through the import window.
class NewBookRoad : public ExchangeRoad
{
protected:
    NewBookRoad()
        : ExchangeRoad({{QStringLiteral("テスト"), QStringLiteral("Book1"), AdrsStateUnchanged},
                        {kNewBook, QStringLiteral("Book2"), AdrsStateUnchanged}})
    {
    }

    // Writes the names into the settings files as an older version left them
    // (the keyword captions of the program, the group names of both books),
    // and opens the main list again on Book, which reads them.
    void openWithKeptNames(const QString &Book)
    {
        list.reset();
        TMemIniFile settings(DataPath + QStringLiteral("AdrsList.ini"));
        for (const auto &[keyword, caption] : names.captions)
            settings.WriteString(QStringLiteral("KEYWORD"), QStringLiteral("Name%1").arg(keyword),
                                 QString::fromUtf16(caption));
        ASSERT_TRUE(settings.UpdateFile());
        for (const QString &folder : {QStringLiteral("Book1"), QStringLiteral("Book2")}) {
            TMemIniFile groups(GroupFileName(folder));
            for (const auto &[group, name] : names.groups)
                groups.WriteString(QStringLiteral("GROUP"), QStringLiteral("Group%1").arg(group),
                                   QString::fromUtf16(name));
            ASSERT_TRUE(groups.UpdateFile());
        }
        AdrsName = Book;
        ASSERT_NO_FATAL_FAILURE(openList());
        for (const auto &[keyword, caption] : names.captions)
            ASSERT_EQ(KeywordNames[size_t(keyword)], QString::fromUtf16(caption)) << keyword;
        for (const auto &[group, name] : names.groups)
            ASSERT_EQ(GroupNames[size_t(group)], QString::fromUtf16(name)) << group;
    }

    // A record typed into a new record form: its name, its group chosen in
    // the group list with the keyboard, and the eight keywords.
    void typeGroupedRecord(const QString &Name, int Group, const QStringList &Keywords)
    {
        action("actNumerSearch")->trigger();
        ASSERT_NE(DataInquiry, nullptr);
        ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "nmedtNameKanji", Name));
        auto *group = DataInquiry->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
        ASSERT_NE(group, nullptr);
        group->setFocus();
        QTest::keyClick(group, Qt::Key_Home);
        for (int i = 0; i < Group; ++i)
            QTest::keyClick(group, Qt::Key_Down);
        ASSERT_EQ(group->currentIndex(), Group);
        for (int k = 1; k <= 8; ++k) {
            const QByteArray control = (k <= 5 ? "edtKeyword" : "cbxKeyword") + QByteArray::number(k);
            ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, control.constData(), Keywords.value(k - 1)));
        }
        const int rows = list->GetRowCount();
        ASSERT_NO_FATAL_FAILURE(press(DataInquiry, "btnAdd"));
        ASSERT_EQ(rowsShown(rows + 1), rows + 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The open book's records exported with every item through the export
    // window, imported through the import window into the new book with the
    // same names, and compared there field for field.
    void exportAndImportIntoTheNewBook(bool Reversed = false, bool GroupsByName = false)
    {
        const QStringList typed = bookFields(GroupsByName);
        const int records = list->GetRowCount();
        ASSERT_GT(records, 0);
        const QString file = exportEveryItem(Reversed);
        ASSERT_FALSE(file.isEmpty());
        ASSERT_NO_FATAL_FAILURE(openWithKeptNames(kNewBook));
        ASSERT_EQ(list->GetRowCount(), 0) << "the new book starts empty";
        ASSERT_EQ(importFile(exportFile()), records) << shownMessages().toStdString() << "\n" << file.toStdString();
        const QStringList imported = bookFields(GroupsByName);
        ASSERT_EQ(imported.size(), typed.size()) << file.toStdString();
        int differing = 0;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            if (imported[i] != typed[i]) {
                ADD_FAILURE() << "typed " << typed[i].toStdString() << ", imported " << imported[i].toStdString();
                ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "the exported file:\n" << file.toStdString();
    }

    // Every field of every record of the open book in record-number order,
    // "Field=value", a text as it decodes (with its bytes when they do not
    // encode back), but the update stamp, which an import sets anew; the
    // group by its name when GroupsByName (a new book may give it another
    // place).
    static QStringList bookFields(bool GroupsByName = false)
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        QStringList fields;
        for (table.First(); !table.Eof(); table.Next()) {
            for (int i = 0; i < table.FieldCount(); ++i) {
                const TField &field = table.Fields(i);
                if (field.FieldName() == QStringLiteral("UpdDateTime"))
                    continue;
                QString value;
                switch (field.DataType()) {
                case TFieldType::ftDateTime: value = field.AsDateTime().toString(Qt::ISODateWithMs); break;
                case TFieldType::ftString:
                case TFieldType::ftMemo: {
                    const QByteArray bytes = field.AsBytes();
                    value = Cp932::decode(bytes);
                    if (Cp932::encode(value) != bytes)
                        value += QStringLiteral(" [%1]").arg(QString::fromLatin1(bytes.toHex(' ')));
                    break;
                }
                default: value = QString::number(field.AsInteger()); break;
                }
                if (GroupsByName && field.FieldName() == QStringLiteral("Group"))
                    value = GroupNames.at(size_t(std::clamp(field.AsInteger(), 0, GroupCount)));
                fields << field.FieldName() + u'=' + value;
            }
        }
        return fields;
    }

    // The names the settings files hold (none: the program's defaults).
    KeptNamesCase names{"defaults", {}, {}, 0};
};

// Each case with the columns in catalogue order and reversed: a keyword's
// column is found by its name wherever the user put it.
class KeptNamesRoad : public NewBookRoad, public ::testing::WithParamInterface<std::tuple<KeptNamesCase, bool>>
{
};

TEST_P(KeptNamesRoad, recordsComeBackIntoTheirOwnFieldsThroughExportAndImport)
{
    names = std::get<0>(GetParam());
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(AdrsFolderList[0].Name));
    ASSERT_NO_FATAL_FAILURE(typeGroupedRecord(QStringLiteral("山田 太郎"), names.group,
                                       {QStringLiteral("釣り"), QStringLiteral("囲碁"), QStringLiteral("碁"),
                                        QStringLiteral("将棋"), QStringLiteral("登山"), QStringLiteral("旅行"),
                                        QStringLiteral("読書"), QStringLiteral("料理")}));
    ASSERT_NO_FATAL_FAILURE(typeGroupedRecord(QStringLiteral("鈴木 花子"), 0,
                                       {QStringLiteral("写真"), {}, QStringLiteral("囲碁"), {}, {}, {}, {},
                                        QStringLiteral("茶道")}));
    ASSERT_NO_FATAL_FAILURE(exportAndImportIntoTheNewBook(std::get<1>(GetParam())));
}

// Values that hold the file's separators, typed into the form, come back as
// typed.
TEST_F(NewBookRoad, valuesWithCommasAndDoubleQuotesComeBackAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(AdrsFolderList[0].Name));
    ASSERT_NO_FATAL_FAILURE(typeGroupedRecord(QStringLiteral("山田 太郎"), 1,
                                       {QStringLiteral("釣り,囲碁"), QStringLiteral("\"q\""), QStringLiteral("a\"b"),
                                        QStringLiteral("\""), QStringLiteral(",\","), {}, {},
                                        QStringLiteral("料理\"")}));
    const QStringList typed = bookFields();
    ASSERT_TRUE(typed.contains(QStringLiteral("Keyword1=釣り,囲碁"))) << typed.join(u'\n').toStdString();
    ASSERT_TRUE(typed.contains(QStringLiteral("Keyword2=\"q\"")));
    ASSERT_TRUE(typed.contains(QStringLiteral("Keyword5=,\",")));
    ASSERT_NO_FATAL_FAILURE(exportAndImportIntoTheNewBook());
}

// A record stored with a line break in a one-line field (by an older
// version, or by an import) goes out through the export window on one line
// and comes back through the import window as one record: the break a
// blank, every other field as it was.
struct StoredBreakCase {
    const char *name;
    const char *field;
    bool wide; // kept in the "@" form
    const char16_t *stored;
    const char16_t *back;
};

void PrintTo(const StoredBreakCase &c, std::ostream *os)
{
    *os << c.name;
}

class StoredBreakRoad : public NewBookRoad, public ::testing::WithParamInterface<StoredBreakCase>
{
protected:
    QByteArray form(const char16_t *text) const
    {
        return GetParam().wide ? EncodeUnicodeField(QStringView(text)) : Cp932::encode(QStringView(text));
    }
};

TEST_P(StoredBreakRoad, recordComesBackAsOneRecordWithEveryOtherFieldAsItWas)
{
    const StoredBreakCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(AdrsFolderList[0].Name));
    ASSERT_NO_FATAL_FAILURE(typeGroupedRecord(QStringLiteral("山田 太郎"), 1,
                                       {QStringLiteral("釣り"), QStringLiteral("囲碁"), QStringLiteral("碁"),
                                        QStringLiteral("将棋"), QStringLiteral("登山"), QStringLiteral("旅行"),
                                        QStringLiteral("読書"), QStringLiteral("料理")}));
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    ASSERT_TRUE(table.FindKey({1}));
    table.Edit();
    table.FieldByName(QLatin1String(c.field)).SetAsBytes(form(c.stored));
    table.Post();
    const QString field = QString::fromLatin1(c.field) + u'=';
    QStringList expected = bookFields();
    const qsizetype changed = expected.indexOf(field + Cp932::decode(form(c.stored)));
    ASSERT_GE(changed, 0) << expected.join(u'\n').toStdString();
    expected[changed] = field + Cp932::decode(form(c.back));

    const QString file = exportEveryItem();
    EXPECT_EQ(file.count(u'\n'), 2) << "the header and one record:\n" << file.toStdString();
    EXPECT_EQ(file.count(u'\r'), 2) << file.toStdString();
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(kNewBook));
    ASSERT_EQ(importFile(exportFile()), 1) << shownMessages().toStdString() << "\n" << file.toStdString();
    EXPECT_EQ(bookFields(), expected) << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StoredBreakRoad,
    ::testing::Values(StoredBreakCase{"keywordWithCrLf", "Keyword1", false, u"鍵\r\n錠", u"鍵 錠"},
                      StoredBreakCase{"nameWithALineFeed", "NameKanji", true, u"山田\n太郎", u"山田 太郎"},
                      StoredBreakCase{"addressWithACarriageReturn", "Adrs2", false, u"永田町\r一丁目", u"永田町 一丁目"},
                      StoredBreakCase{"companyWithAnEndOfFileMark", "CorpKanji", false, u"株式会社\x1Aピクス",
                                      u"株式会社 ピクス"}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Names, KeptNamesRoad,
    ::testing::Combine(::testing::Values(
        KeptNamesCase{"keywordCaptionWithAComma", {{1, u"趣味,特技"}}, {}, 1},
        KeptNamesCase{"keywordCaptionWithADoubleQuote", {{1, u"\"趣味"}}, {}, 1},
        KeptNamesCase{"quotedCaptionBesideItsUnquotedTwin", {{2, u"\"q\""}, {8, u"q"}}, {}, 1},
        KeptNamesCase{"captionWithBlanksAtItsEnds", {{3, u" 趣 味 "}, {4, u"趣味 "}}, {}, 1},
        KeptNamesCase{"blankCaptions", {{5, u" "}, {6, u"　"}}, {}, 1},
        KeptNamesCase{"sameCaptionTwice", {{5, u"同じ"}, {7, u"同じ"}}, {}, 1},
        KeptNamesCase{"captionsOfOtherItems", {{1, u"名前"}, {2, u"更新日付"}, {3, u"都道府県"}}, {}, 1},
        KeptNamesCase{"fixedNameOfAnotherKeyword", {{1, u"キーワード２"}, {2, u"電話"}}, {}, 1},
        KeptNamesCase{"captionsInOtherWidthAndCase", {{1, u"abc"}, {2, u"ＡＢＣ"}, {3, u"ｔｅｌ"}}, {}, 1},
        // U+301C and U+FF5E are one character of the code page.
        KeptNamesCase{"captionsAlikeInTheCodePage", {{1, u"①髙"}, {2, u"ａ〜ｂ"}, {3, u"ａ～ｂ"}}, {}, 1},
        KeptNamesCase{"longestCaptions", {{1, u"あいうえお,\""}, {2, u"かきくけこさ"}}, {}, 1},
        KeptNamesCase{"groupNamedAsNoGroup", {}, {{3, u"指定なし"}}, 3},
        KeptNamesCase{"groupNameWithAComma", {}, {{1, u"友人,知人"}}, 1},
        KeptNamesCase{"groupNameWithDoubleQuotes", {}, {{10, u"\"VIP\""}}, 10},
        KeptNamesCase{"groupNameWithBlanksAtItsEnds", {}, {{2, u" 友人 "}, {4, u"友人"}}, 2},
        KeptNamesCase{"groupNameOfCodePageCharacters", {}, {{5, u"〜①髙"}}, 5},
        KeptNamesCase{"longestGroupName", {}, {{6, u"あいうえおかきくけ,\""}}, 6}),
        ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "InReversedColumns" : "");
    });

// ---- Groups and notes typed into one book, brought into a new one ------------
//
// The user names groups in グループ名の設定 and types records into the record
// form, choosing their groups and typing notes that end in line breaks,
// hold nothing else or were pasted with CR LF. Exported through the export
// window and imported through the import window into a new book that has
// none of the names, every record comes back in a group of its name, and
// the record form shows each note as it showed it when it was typed.

struct TypedRecord {
    const char16_t *name;
    int group;
    const char16_t *note; // "\n": Return (or the CR LF pasted)
    bool pasted;
};

class GroupsAndNotesRoad : public NewBookRoad
{
protected:
    // Types Text into the record form's note as a person does: Return for
    // each break, or pasted whole; then the note is left.
    static void typeNote(QWidget *Form, const QString &Text, bool Pasted)
    {
        auto *note = Form->findChild<QPlainTextEdit *>(QStringLiteral("mmoNote"));
        ASSERT_NE(note, nullptr);
        for (QTabWidget *pages : Form->findChildren<QTabWidget *>())
            for (int i = 0; i < pages->count(); ++i)
                if (pages->widget(i)->isAncestorOf(note))
                    pages->setCurrentIndex(i);
        note->setFocus();
        if (Pasted) {
            PasteText(note, Text);
        } else {
            const QStringList lines = Text.split(u'\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(note, Qt::Key_Return);
                TypeCharacters(note, lines[i]);
            }
        }
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(note, &out);
    }

    // A new record typed into the form and added; what its note edit shows.
    QString typeRecordWithNote(const TypedRecord &Record)
    {
        action("actNumerSearch")->trigger();
        EXPECT_NE(DataInquiry, nullptr);
        if (!DataInquiry)
            return {};
        typeIn(DataInquiry, "nmedtNameKanji", QString::fromUtf16(Record.name));
        auto *group = DataInquiry->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
        group->setFocus();
        QTest::keyClick(group, Qt::Key_Home);
        for (int i = 0; i < Record.group; ++i)
            QTest::keyClick(group, Qt::Key_Down);
        EXPECT_EQ(group->currentIndex(), Record.group);
        typeNote(DataInquiry, QString::fromUtf16(Record.note), Record.pasted);
        const QString shown = DataInquiry->findChild<QPlainTextEdit *>(QStringLiteral("mmoNote"))->toPlainText();
        const int rows = list->GetRowCount();
        press(DataInquiry, "btnAdd");
        EXPECT_EQ(rowsShown(rows + 1), rows + 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return shown;
    }

    // Each row of the main list opened in the record form: the name, the
    // group's name chosen there and the note's text once the user has been
    // in the note. Looking asks nothing: the form holds the record as it is
    // stored.
    QList<std::tuple<QString, QString, QString>> shownRecords()
    {
        QList<std::tuple<QString, QString, QString>> records;
        const int asked = boxes.count();
        for (int row = 0; row < list->GetRowCount(); ++row) {
            list->SelectRow(row, true, true);
            action("actInquiry")->trigger();
            EXPECT_NE(DataInquiry, nullptr);
            if (!DataInquiry)
                break;
            auto *note = DataInquiry->findChild<QPlainTextEdit *>(QStringLiteral("mmoNote"));
            typeNote(DataInquiry, QString(), false);
            const int group = DataInquiry->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->currentIndex();
            records.append({DataInquiry->findChild<QLineEdit *>(QStringLiteral("nmedtNameKanji"))->text(),
                            group > 0 ? GroupNames.at(size_t(group)) : QString(), note->toPlainText()});
            DataInquiry->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_EQ(boxes.count(), asked) << lastMessage().toStdString();
        std::sort(records.begin(), records.end());
        return records;
    }
};

TEST_F(GroupsAndNotesRoad, groupsAndNotesTypedIntoTheFormComeBackInANewBook)
{
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(AdrsFolderList[0].Name));
    ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
        retype(&dialog, QStringLiteral("edtGroup1"), QStringLiteral("友人"));
        retype(&dialog, QStringLiteral("edtGroup3"), QStringLiteral("取引先"));
        retype(&dialog, QStringLiteral("edtGroup10"), QStringLiteral("趣味の会"));
        press(&dialog, "btnOk");
    }));
    ASSERT_EQ(GroupNames[3], QStringLiteral("取引先"));
    const TypedRecord typed[] = {
        {u"山田 太郎", 1, u"一行目\n\n", false},     // Return twice at the end
        {u"鈴木 花子", 3, u"\n\n\n", false},         // breaks alone
        {u"佐藤 一郎", 10, u"a\n\nb\n\n", false},    // an empty line inside and one at the end
        {u"田中 次郎", 0, u"x\r\ny\r\n\r\n", true},  // pasted from a program that writes CR LF
        {u"高橋 三郎", 4, u"メモ", false},           // a group under its default name
        {u"伊藤 四郎", 3, u"\n前の行は空\n", false}, // an empty first line
    };
    QList<std::tuple<QString, QString, QString>> before;
    for (const TypedRecord &record : typed) {
        const QString shown = typeRecordWithNote(record);
        ASSERT_FALSE(HasFailure());
        before.append({QString::fromUtf16(record.name),
                       record.group > 0 ? GroupNames.at(size_t(record.group)) : QString(), shown});
    }
    std::sort(before.begin(), before.end());
    EXPECT_EQ(shownRecords(), before) << "the form shows the notes as typed before anything leaves the book";

    ASSERT_NO_FATAL_FAILURE(exportAndImportIntoTheNewBook(false, true));
    EXPECT_EQ(shownRecords(), before);
    // The names came into the new book's groups, where the main list offers them.
    auto *groups = list->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
    ASSERT_NE(groups, nullptr);
    QStringList offered;
    for (int i = 0; i < groups->count(); ++i)
        offered << groups->itemText(i);
    for (const char *name : {"友人", "取引先", "趣味の会", "グループ４"})
        EXPECT_TRUE(offered.join(u'|').contains(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("追加したグループ名 : 友人、取引先、趣味の会")))
        << lastMessage().toStdString();
}

// ---- Groups of a file the user typed ---------------------------------------------

class GroupFileRoad : public ExchangeRoad
{
protected:
    // The user names every group in グループ名の設定.
    void nameEveryGroup()
    {
        ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
            for (int i = 1; i <= GroupCount; ++i)
                retype(&dialog, QStringLiteral("edtGroup%1").arg(i), QStringLiteral("組%1").arg(i));
            press(&dialog, "btnOk");
        }));
        ASSERT_EQ(GroupNames[10], QStringLiteral("組10"));
    }
    // A file another program wrote, with the import's own header names.
    QString writeFile(const QString &Text)
    {
        const QString path = DataPath + QStringLiteral("groups.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(Text));
        return path;
    }
    static int storedGroup(qint32 RecNo)
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        EXPECT_TRUE(table.FindKey({RecNo}));
        return table.FieldByName(QStringLiteral("Group")).AsInteger();
    }
};

TEST_F(GroupFileRoad, rowWhoseGroupFindsNoPlaceIsCountedInTheResultAndNamedInTheErrorFile)
{
    ASSERT_NO_FATAL_FAILURE(nameEveryGroup());
    const auto names = GroupNames;
    const QString path = writeFile(QStringLiteral("グループ名,名前\r\n友人,山田 太郎\r\n組2,鈴木 花子\r\n"));
    ASSERT_EQ(importFile(path, true), 2) << shownMessages().toStdString();
    const QString result = lastMessage();
    EXPECT_TRUE(result.contains(QStringLiteral("読込件数 : 2 件"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("登録件数 : 2 件"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("グループ登録不可件数 : 1 件"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("グループ名を追加できなかった 1 件は「指定なし」で登録し、InError.txt に記録しました")))
        << result.toStdString();
    QFile log(DataPath + QStringLiteral("InError.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(Cp932::decode(log.readAll()),
              QStringLiteral("1,グループ「友人」を追加する空きが無いため指定なしで登録,友人,山田 太郎\r\n"));
    EXPECT_EQ(storedGroup(1), 0);
    EXPECT_EQ(storedGroup(2), 2);
    EXPECT_EQ(GroupNames, names) << "no group was renamed";
}

TEST_F(GroupFileRoad, newGroupsOfATypedFileAreAddedAndSaidSo)
{
    const QString path = writeFile(QStringLiteral("グループ名,名前\r\n友人,山田 太郎\r\n取引先,鈴木 花子\r\n友人,佐藤 一郎\r\n"));
    ASSERT_EQ(importFile(path), 3) << shownMessages().toStdString();
    const QString result = lastMessage();
    EXPECT_TRUE(result.contains(QStringLiteral("登録件数 : 3 件"))) << result.toStdString();
    EXPECT_FALSE(result.contains(QStringLiteral("グループ登録不可件数"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("追加したグループ名 : 友人、取引先"))) << result.toStdString();
    EXPECT_EQ(GroupNames[1], QStringLiteral("友人"));
    EXPECT_EQ(GroupNames[2], QStringLiteral("取引先"));
    // Stored where the group-name editor keeps them: the book opened again reads them.
    LoadGroupNames(AdrsFolderList[AdrsFolderIndex].Folder);
    EXPECT_EQ(GroupNames[1], QStringLiteral("友人"));
    EXPECT_EQ(GroupNames[2], QStringLiteral("取引先"));
    EXPECT_EQ(storedGroup(1), 1);
    EXPECT_EQ(storedGroup(2), 2);
    EXPECT_EQ(storedGroup(3), 1);
}

// A value of the group column with ideographic blanks at its ends (a sheet
// typed with the input method's blank after the word) names the group the
// group-name editor would store for it: that editor takes the blanks away,
// so the book never has a name with them, and a group added with them would
// look like the book's own, hide its records from it and stop the editor
// from saving ("同じグループ名は設定できません").
struct WideBlankGroupCase {
    const char *name;
    const char16_t *value;
    int group; // the group the record is stored in
};

void PrintTo(const WideBlankGroupCase &c, std::ostream *os)
{
    *os << c.name;
}

class WideBlankGroupRoad : public GroupFileRoad, public ::testing::WithParamInterface<WideBlankGroupCase>
{
};

TEST_P(WideBlankGroupRoad, valueWithIdeographicBlanksAtItsEndsNamesTheGroupTheEditorKeeps)
{
    const WideBlankGroupCase &c = GetParam();
    ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
        retype(&dialog, QStringLiteral("edtGroup1"), QStringLiteral("友人"));
        press(&dialog, "btnOk");
    }));
    ASSERT_EQ(GroupNames[1], QStringLiteral("友人"));
    const auto names = GroupNames;
    const QString path =
        writeFile(QStringLiteral("グループ名,名前\r\n%1,山田 太郎\r\n").arg(QString::fromUtf16(c.value)));
    ASSERT_EQ(importFile(path), 1) << shownMessages().toStdString();
    const QString result = lastMessage();
    EXPECT_FALSE(result.contains(QStringLiteral("追加したグループ名"))) << result.toStdString();
    EXPECT_EQ(storedGroup(1), c.group);
    EXPECT_EQ(GroupNames, names) << "no group was added";
    // The group-name editor still saves the names as they stand.
    bool stayedOpen = true;
    ASSERT_TRUE(inDialog<TGruopEdit>("actEditGroup", [&](TGruopEdit &dialog) {
        press(&dialog, "btnOk");
        stayedOpen = dialog.isVisible();
    }));
    EXPECT_FALSE(stayedOpen) << lastMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, WideBlankGroupRoad,
    ::testing::Values(WideBlankGroupCase{"blankAfter", u"友人\u3000", 1},
                      WideBlankGroupCase{"blankBefore", u"\u3000友人", 1},
                      WideBlankGroupCase{"blanksOnBothSides", u"\u3000\u3000友人\u3000", 1},
                      WideBlankGroupCase{"blanksOfBothWidths", u" \u3000友人\u3000 ", 1},
                      WideBlankGroupCase{"noGroupWithABlankAfter", u"指定なし\u3000", 0},
                      WideBlankGroupCase{"ideographicBlanksAlone", u"\u3000\u3000", 0}),
    [](const auto &info) { return std::string(info.param.name); });

// The group names cannot be written: nothing is imported, and the book,
// its names and the error file of the last import stay as they were.
class GroupNamesFaultRoad : public GroupFileRoad, public ::testing::WithParamInterface<SaveFaultCase>
{
};

TEST_P(GroupNamesFaultRoad, importStopsWithTheCauseAndKeepsTheBookAsItWas)
{
    const auto names = GroupNames;
    const QString groupFile = GroupFileName(AdrsFolderList[AdrsFolderIndex].Folder);
    const bool hadFile = QFile::exists(groupFile);
    const QString path = writeFile(QStringLiteral("グループ名,名前\r\n友人,山田 太郎\r\n,鈴木 花子\r\n"));
    // Only the write the run makes fails (the backup before it and the
    // settings after it are written as usual).
    SafeFile::setFailureHook([step = GetParam().step](SafeFile::Step s) { return s == step && TRecordRun::Running(); },
                             GetParam().systemErrno);
    const int records = importFile(path, true);
    SafeFile::setFailureHook({});
    EXPECT_EQ(records, 0);
    const QString result = lastMessage();
    EXPECT_TRUE(result.contains(QStringLiteral("テキストファイルの取り込みができませんでした"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("アドレス帳は取り込み前のままです"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QString::fromUtf16(GetParam().cause))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("Group.dat"))) << result.toStdString();
    EXPECT_EQ(GroupNames, names);
    EXPECT_EQ(QFile::exists(groupFile), hadFile);
    EXPECT_FALSE(QFile::exists(DataPath + QStringLiteral("InError.txt")));
}

INSTANTIATE_TEST_SUITE_P(Faults, GroupNamesFaultRoad, SaveFaultCases(), SaveFaultName);

// ---- A note's line breaks through the record form -------------------------------
//
// What the user types into the record form's note is what the book keeps,
// the export writes and the form shows again: a Return at the end of the
// note is a line of its own (one more TAB in the file), and a note the import
// brought in with lines ending in TABs opens with the caret on its last line.

// The texts under Caption in each record line of an exported file.
QStringList exportedColumn(const QString &File, const QString &Caption)
{
    QStringList lines = File.split(QStringLiteral("\r\n"));
    if (lines.size() < 2)
        return {};
    const qsizetype column = lines.takeFirst().split(u',').indexOf(Caption);
    QStringList texts;
    for (const QString &line : lines)
        if (!line.isEmpty())
            texts << line.split(u',').value(column, QStringLiteral("<none>"));
    return texts;
}

struct NoteRoadCase {
    const char *name;
    const char16_t *typed;    // in the form, "\n": Return
    const char16_t *exported; // the 備考 column
};

void PrintTo(const NoteRoadCase &c, std::ostream *os)
{
    *os << c.name;
}

const NoteRoadCase kNoteRoadCases[] = {
    {"twoLinesAndABreak", u"一行目のメモ\n二行目のメモ\n", u"一行目のメモ\t二行目のメモ\t\t"},
    {"twoLinesWithoutABreak", u"一行目のメモ\n二行目のメモ", u"一行目のメモ\t二行目のメモ"},
    {"twoBreaksAtTheEnd", u"メモ\n\n", u"メモ\t\t\t"},
    {"emptyLineInTheMiddle", u"a\n\nb", u"a\t\tb"},
    {"breaksAlone", u"\n\n", u"\t\t\t"},
};

class TypedNoteRoad : public GroupsAndNotesRoad, public ::testing::WithParamInterface<NoteRoadCase>
{
};

TEST_P(TypedNoteRoad, noteTypedWithReturnsIsExportedAndShownAsTyped)
{
    const NoteRoadCase &c = GetParam();
    const QString typed = QString::fromUtf16(c.typed);
    ASSERT_NO_FATAL_FAILURE(openWithKeptNames(AdrsFolderList[0].Name));
    EXPECT_EQ(typeRecordWithNote({u"山田 太郎", 0, c.typed, false}), typed);
    ASSERT_FALSE(HasFailure());
    const auto shown = shownRecords();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(std::get<2>(shown[0]), typed) << "the form opened again shows the note as typed";
    const QString file = exportEveryItem();
    EXPECT_EQ(exportedColumn(file, QStringLiteral("備考")), QStringList{QString::fromUtf16(c.exported)})
        << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Notes, TypedNoteRoad, ::testing::ValuesIn(kNoteRoadCases),
                         [](const auto &info) { return std::string(info.param.name); });

class ImportedNoteRoad : public GroupFileRoad, public ::testing::WithParamInterface<NoteRoadCase>
{
};

TEST_P(ImportedNoteRoad, importedNoteOpensAsItCameAndSurvivesAChangeAndAnotherExport)
{
    const NoteRoadCase &c = GetParam();
    const QString path = writeFile(QStringLiteral("名前,備考\r\n山田 太郎,%1\r\n").arg(QString::fromUtf16(c.exported)));
    ASSERT_EQ(importFile(path), 1) << shownMessages().toStdString();
    list->SelectRow(0, true, true);
    action("actInquiry")->trigger();
    ASSERT_NE(DataInquiry, nullptr);
    auto *note = DataInquiry->findChild<QPlainTextEdit *>(QStringLiteral("mmoNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->toPlainText(), QString::fromUtf16(c.typed));
    // Another field changed and saved with 変更: the note goes on as it was.
    const int asked = boxes.count();
    ASSERT_NO_FATAL_FAILURE(typeIn(DataInquiry, "edtKeyword1", QStringLiteral("済")));
    ASSERT_NO_FATAL_FAILURE(press(DataInquiry, "btnUpdate"));
    EXPECT_EQ(boxes.count(), asked) << "nothing to ask or refuse: " << lastMessage().toStdString();
    DataInquiry->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TTable &table = *DMMurven19->AdrsTable();
    ASSERT_TRUE(table.FindKey({1}));
    ASSERT_EQ(Cp932::decode(table.FieldByName(QStringLiteral("Keyword1")).AsBytes()), QStringLiteral("済"));
    const QString file = exportEveryItem();
    EXPECT_EQ(exportedColumn(file, QStringLiteral("備考")), QStringList{QString::fromUtf16(c.exported)})
        << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Notes, ImportedNoteRoad, ::testing::ValuesIn(kNoteRoadCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Long names ---------------------------------------------------------------
//
// The record form keeps a name longer than its "@" form can hold (16 to 37
// characters, joint names 12 to 27) in plain Shift-JIS; the import stores it
// the same way, so such a name comes in whole and goes out and back whole.

struct NameCase {
    const char *name;
    int nameLength;
    int jointLength;
    int nameKept;
    int jointKept;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.name;
}

QString kana(int Length)
{
    static const QString pattern =
        QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ");
    return pattern.left(Length);
}

class LongNameRoad : public ExchangeRoad, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(LongNameRoad, namesComeInAndGoOutAndBackAsLongAsTheFieldHoldsThem)
{
    const NameCase &c = GetParam();
    // A file another program wrote, with the import's own header names.
    const QString source = DataPath + QStringLiteral("names.csv");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(QStringLiteral("名前,連名１\r\n") + kana(c.nameLength) + u',' + kana(c.jointLength)
                                 + QStringLiteral("\r\n")));
    }
    ASSERT_EQ(importFile(source), 1);
    EXPECT_EQ(storedName(1, "NameKanji"), kana(c.nameKept));
    EXPECT_EQ(storedName(1, "Joint1"), kana(c.jointKept));

    // The record form shows the whole name.
    list->SelectRow(0, true, true);
    action("actInquiry")->trigger();
    ASSERT_NE(DataInquiry, nullptr);
    EXPECT_EQ(DataInquiry->findChild<QLineEdit *>(QStringLiteral("nmedtNameKanji"))->text(), kana(c.nameKept));
    DataInquiry->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QString exported = exportEveryItem();
    EXPECT_TRUE(exported.contains(u',' + kana(c.nameKept) + u',')) << exported.toStdString();
    EXPECT_TRUE(exported.contains(u',' + kana(c.jointKept) + u',')) << exported.toStdString();
    QFile::remove(DataPath + QStringLiteral("InError.txt"));
    ASSERT_EQ(importFile(exportFile()), 2) << shownMessages().toStdString();
    EXPECT_EQ(storedName(2, "NameKanji"), kana(c.nameKept));
    EXPECT_EQ(storedName(2, "Joint1"), kana(c.jointKept));
}

INSTANTIATE_TEST_SUITE_P(Limits, LongNameRoad,
                         ::testing::Values(NameCase{"lastInTheWideForm", 15, 11, 15, 11},
                                           NameCase{"firstInShiftJis", 16, 12, 16, 12},
                                           NameCase{"longestThatFits", 37, 27, 37, 27},
                                           NameCase{"oneTooManyIsCut", 38, 28, 37, 27}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Every character of the code page -----------------------------------------
//
// A file of names and company names that together hold every character of
// the code page, each spelled as Windows writes it (never in the NEC-selected
// rows, otherwise its lowest pair): imported, the names go in through the
// text the window shows and out through the encoder, the company names as
// their bytes; exported, each comes out in the very bytes it came in with,
// and imported again, each is stored in them.

// The name of every record: Windows' spellings of the pairs, 30 a name.
QList<QByteArray> everyPairInNames()
{
    QList<QByteArray> names;
    QSet<QString> seen;
    QByteArray name;
    ForEachDecodablePair([&](int code, const QByteArray &bytes, const QString &text) {
        if (IsNecSelectedIbmPair(code) || seen.contains(text))
            return;
        seen.insert(text);
        name += bytes;
        if (name.size() == 60) {
            names << name;
            name.clear();
        }
    });
    if (!name.isEmpty())
        names << name;
    return names;
}

// The fields of the data lines of an exported file, as bytes.
QList<QList<QByteArray>> exportedLines(const QString &Path, QList<QByteArray> *Header)
{
    QFile file(Path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Path.toStdString();
    QList<QList<QByteArray>> lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        QByteArray text = line;
        if (text.endsWith('\r'))
            text.chop(1);
        if (!text.isEmpty())
            lines << text.split(',');
    }
    if (!lines.isEmpty() && Header)
        *Header = lines.takeFirst();
    return lines;
}

TEST_F(ExchangeRoad, everyCharacterOfTheCodePageGoesOutAndComesBackInTheBytesItCameInWith)
{
    const QList<QByteArray> names = everyPairInNames();
    ASSERT_GT(names.size(), 250);
    const auto hex = [](const QByteArray &Bytes) { return Bytes.toHex(' ').toStdString(); };
    const auto stored = [](const char *Field) {
        return DMMurven19->AdrsTable()->FieldByName(QLatin1String(Field)).AsBytes().toHex(' ').toStdString();
    };
    const QString source = DataPath + QStringLiteral("every.csv");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(u"名前,会社名\r\n"));
        for (const QByteArray &name : names)
            file.write(name + ',' + name + "\r\n");
    }
    const int count = int(names.size());
    ASSERT_EQ(importFile(source), count) << shownMessages().toStdString();
    TTable &table = *DMMurven19->AdrsTable();
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({i + 1}));
        EXPECT_EQ(stored("NameKanji"), hex(names[i]));
        EXPECT_EQ(stored("CorpKanji"), hex(names[i]));
    }

    (void)exportEveryItem();
    QList<QByteArray> header;
    const QList<QList<QByteArray>> lines = exportedLines(exportFile(), &header);
    const qsizetype nameColumn = header.indexOf(Cp932::encode(u"名前"));
    const qsizetype corpColumn = header.indexOf(Cp932::encode(u"会社名"));
    ASSERT_GE(nameColumn, 0);
    ASSERT_GE(corpColumn, 0);
    ASSERT_EQ(lines.size(), count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(hex(lines[i].value(nameColumn)), hex(names[i]));
        EXPECT_EQ(hex(lines[i].value(corpColumn)), hex(names[i]));
    }

    QFile::remove(DataPath + QStringLiteral("InError.txt"));
    ASSERT_EQ(importFile(exportFile()), 2 * count) << shownMessages().toStdString();
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({count + i + 1}));
        EXPECT_EQ(stored("NameKanji"), hex(names[i]));
        EXPECT_EQ(stored("CorpKanji"), hex(names[i]));
    }
}

// ---- Symbol colour and print marks --------------------------------------------

// The stored integer field of record RecNo.
qint32 storedInteger(qint32 RecNo, const char *Field)
{
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    EXPECT_TRUE(table.FindKey({RecNo}));
    return table.FieldByName(QLatin1String(Field)).AsInteger();
}

struct ColourCase {
    const char *name;
    const char *text;
    qint32 stored;
};

class ColourRoad : public ExchangeRoad, public ::testing::WithParamInterface<ColourCase>
{
};

// A colour is a hexadecimal number of 32 bits however many zeros a file puts
// in front of it; only a text that is no such number takes the new records'
// colour.
TEST_P(ColourRoad, anImportedColourIsTheFilesOwnWhenItFitsInThirtyTwoBits)
{
    const QString source = DataPath + QStringLiteral("colour.csv");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(u"名前,シンボル色\r\n見本,") + GetParam().text + "\r\n");
    }
    ASSERT_EQ(importFile(source), 1) << shownMessages().toStdString();
    EXPECT_EQ(quint32(storedInteger(1, "SymbolColor")), quint32(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Colours, ColourRoad,
                         ::testing::Values(ColourCase{"sixDigits", "FF0000", 0xFF0000},
                                           ColourCase{"eightDigitsAllSet", "FFFFFFFF", -1},
                                           ColourCase{"zerosInFrontOfALowColour", "0000000000FF", 0xFF},
                                           ColourCase{"zerosInFrontOfThirtyTwoBits", "00FFFFFFFF", -1},
                                           ColourCase{"lowerCaseWithZeros", "000000ff00ff", 0xFF00FF},
                                           ColourCase{"justZeros", "0000000000", 0},
                                           ColourCase{"oneBitPastThirtyTwo", "0100000000", NewSymbolColor},
                                           ColourCase{"numberSign", "#FF0000", NewSymbolColor}),
                         [](const auto &info) { return std::string(info.param.name); });

// Marks and colours a file gives its records go out with the export and come
// back with the import of what was exported, each record as it was.
TEST_F(ExchangeRoad, importedColoursAndPrintMarksSurviveExportAndImportAgain)
{
    const QString source = DataPath + QStringLiteral("marks.csv");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::encode(u"名前,シンボルマーク,シンボル色,印刷指定,宛名印刷名前未使用,"
                                 u"連名印刷対象,連名１,連名印刷対象１\r\n"
                                 u"甲,★,00FF00,印刷対象,印刷しない,印刷,花子,\r\n"
                                 u"乙,●,FFFFFFFF,印刷除外,印刷する,,次郎,印刷\r\n"
                                 u"丙,,,指定なし,,印刷,,\r\n"));
    }
    ASSERT_EQ(importFile(source), 3) << shownMessages().toStdString();
    const char *fields[] = {"SymbolColor", "PrintTarget", "IgnoreName", "JointPrint", "JointPrint1"};
    QList<QList<qint32>> first;
    QList<QByteArray> marks;
    for (qint32 recNo = 1; recNo <= 3; ++recNo) {
        QList<qint32> values;
        for (const char *field : fields)
            values << storedInteger(recNo, field);
        first << values;
        DMMurven19->AdrsTable()->FindKey({recNo});
        marks << DMMurven19->AdrsTable()->FieldByName(QStringLiteral("SymbolMark")).AsBytes();
    }
    // What the file gave, as the table holds it.
    EXPECT_EQ(first[0], (QList<qint32>{0x00FF00, 1, 1, 1, 0}));
    EXPECT_EQ(first[1], (QList<qint32>{-1, 2, 0, 1, 1})); // the addressee is always printed
    EXPECT_EQ(first[2], (QList<qint32>{NewSymbolColor, 0, 0, 1, 0}));

    (void)exportEveryItem();
    QFile::remove(DataPath + QStringLiteral("InError.txt"));
    ASSERT_EQ(importFile(exportFile()), 6) << shownMessages().toStdString();
    for (qint32 recNo = 1; recNo <= 3; ++recNo) {
        SCOPED_TRACE(recNo);
        QList<qint32> again;
        for (const char *field : fields)
            again << storedInteger(recNo + 3, field);
        EXPECT_EQ(again, first[recNo - 1]);
        DMMurven19->AdrsTable()->FindKey({recNo + 3});
        EXPECT_EQ(DMMurven19->AdrsTable()->FieldByName(QStringLiteral("SymbolMark")).AsBytes(), marks[recNo - 1]);
    }
}

} // namespace
