// Return in the address book's dialogs and windows, pressed where a person
// presses it. In these windows Enter walks the fields, each as its window
// lays down, to the button that acts; Return there does what that button
// does: a search, an OK, a saved record. And a focused button takes Return
// itself, never the window's default button behind it.

#include "DtInqiryFixture.h"
#include "addressbook/AddExtURL.h"
#include "addressbook/AdrsCopy.h"
#include "addressbook/AdrsSch.h"
#include "addressbook/BatchChg.h"
#include "addressbook/CopyItemSet.h"
#include "addressbook/DupliSch.h"
#include "addressbook/HdrSel.h"
#include "addressbook/InputList.h"
#include "addressbook/KeywdEdt.h"
#include "addressbook/ListColumns.h"
#include "addressbook/WordSch.h"
#include "support/ReturnWalk.h"
#include "support/RowName.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace {

// The record form's setting, its helpers open to the windows' makers.
class ReturnFixture : public RecordFormTest
{
public:
    using RecordFormTest::flushDeletes;
    using RecordFormTest::form;
    using RecordFormTest::kBookRows;
    using RecordFormTest::list;
    using RecordFormTest::openNew;
    using RecordFormTest::openRow;
};

using WalkCase = TReturnWalk<ReturnFixture>;

template <typename Dialog>
std::shared_ptr<QWidget> plain(ReturnFixture &)
{
    return std::make_shared<Dialog>(nullptr);
}

class ReturnWalks : public TReturnWalks<ReturnFixture>
{
};

TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    walk();
}

std::shared_ptr<QWidget> wordSearch(ReturnFixture &)
{
    return std::make_shared<TWordSearch>(nullptr);
}

std::shared_ptr<QWidget> columns(ReturnFixture &)
{
    auto dialog = std::make_shared<THeaderSelect>(nullptr);
    dialog->SetColumns(DefaultColumnRecords());
    return dialog;
}

std::shared_ptr<QWidget> copyItems(ReturnFixture &)
{
    auto dialog = std::make_shared<TCopyItemSet>(nullptr);
    TCopyItemEntries items{};
    for (int row = 0; row < int(items.size()); ++row)
        items[std::size_t(row)] = {row + 1, row, row % 2 == 0};
    dialog->SetItems(items, false);
    return dialog;
}

// The new-record form with a name typed, as a user starts one.
std::shared_ptr<QWidget> newRecord(ReturnFixture &f)
{
    f.openNew();
    f.form->findChild<QLineEdit *>(QStringLiteral("nmedtNameKanji"))->setText(QStringLiteral("山田太郎"));
    return {f.form.data(), [](QWidget *) {}};
}

// The form on the list's second record, whose honorific the user edits.
std::shared_ptr<QWidget> secondRecord(ReturnFixture &f)
{
    f.openRow(1);
    return {f.form.data(), [](QWidget *) {}};
}

INSTANTIATE_TEST_SUITE_P(
    AddressBook, ReturnWalks,
    ::testing::Values(
        WalkCase{"wordSearch", wordSearch, "edtWord", u"名前3", {"btnSearch"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TWordSearch &>(w).GetWord() != QStringLiteral("名前3"))
                         return ::testing::AssertionFailure() << "the word typed is lost";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"externalLink", plain<TAddExtURL>, "edtURL", u"https://example.jp/a", {"btnAdd"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TAddExtURL &>(w).URL() != QStringLiteral("https://example.jp/a"))
                         return ::testing::AssertionFailure() << "the address typed is lost";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"duplicates", plain<TDuplicateSearch>, "cbxItem1", nullptr, {"cbxItem2", "btnView"}, DialogAccepted},
        WalkCase{"filter", plain<TAddressSearch>, "edtContent", u"目印", {"cbxCondition", "btnView"},
                 DialogAcceptedAnd([](QWidget &w) {
                     TNarrowDownCondition condition;
                     static_cast<TAddressSearch &>(w).GetCondition(condition);
                     if (condition.Items.size() != 1)
                         return ::testing::AssertionFailure() << condition.Items.size() << " conditions";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"columns", columns, "lvHeader", nullptr, {"btnOk"}, DialogAccepted},
        WalkCase{"copyItems", copyItems, "lvCopyItem", nullptr, {"chkLastReturn", "btnOk"}, DialogAccepted},
        WalkCase{"keywordCaptions", plain<TKeywordEdit>, "edtKeyword8", u"趣味", {"cbxKeyword8", "btnOk"},
                 DialogAcceptedAnd([](QWidget &) {
                     if (KeywordNames[8] != QStringLiteral("趣味"))
                         return ::testing::AssertionFailure() << "caption 8 is " << KeywordNames[8].toStdString();
                     return ::testing::AssertionSuccess();
                 })},
        // A name typed and Return adds it; Return in the emptied edit then
        // leads to OK, which keeps the list.
        WalkCase{"inputList", plain<TInputList>, "edtName", u"営業部", {"edtName", "btnOk"},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TInputList &>(w).ChangedMask() != 1)
                         return ::testing::AssertionFailure() << "the department list is not kept";
                     return ::testing::AssertionSuccess();
                 })},
        // The record form: the honorific leads to 登録 (変更 for a stored
        // record), and Return there saves what was typed.
        WalkCase{"newRecord", newRecord, "cbxHonor", u"様", {"btnAdd"},
                 [](QWidget &) {
                     const int count = DMMurven19->AdrsTable()->RecordCount();
                     if (count != ReturnFixture::kBookRows + 1)
                         return ::testing::AssertionFailure() << count << " records in the book";
                     return ::testing::AssertionSuccess();
                 }},
        // The note is the one field of the form that takes line breaks:
        // Return there breaks the line and stays.
        WalkCase{"noteKeepsTheLineBreak", newRecord, "mmoNote", u"一行目", {},
                 [](QWidget &w) {
                     auto *note = w.findChild<QPlainTextEdit *>(QStringLiteral("mmoNote"));
                     if (QApplication::focusWidget() != note)
                         return ::testing::AssertionFailure() << "Return left the note";
                     if (note->toPlainText() != QStringLiteral("一行目\n"))
                         return ::testing::AssertionFailure() << "the note holds " << note->toPlainText().toStdString();
                     if (DMMurven19->AdrsTable()->RecordCount() != ReturnFixture::kBookRows)
                         return ::testing::AssertionFailure() << "Return in the note saved the record";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"storedRecord", secondRecord, "cbxHonor", u"殿", {"btnUpdate"},
                 [](QWidget &) {
                     TTable &table = *DMMurven19->AdrsTable();
                     table.SetIndexName(QString());
                     if (!table.FindKey({QVariant(2)}))
                         return ::testing::AssertionFailure() << "record 2 is gone";
                     const QString honor = table.FieldByName(QStringLiteral("Honor")).AsString();
                     if (honor != QStringLiteral("殿"))
                         return ::testing::AssertionFailure() << "record 2 keeps " << honor.toStdString();
                     return ::testing::AssertionSuccess();
                 }}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<ReturnFixture>;

class ReturnOnAButton : public TReturnOnAButton<ReturnFixture>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
}

std::shared_ptr<QWidget> copyWindow(ReturnFixture &f)
{
    auto *copy = new TAddressCopy(f.list.get());
    return {copy, [](QWidget *w) {
                QPointer<QWidget> kept(w);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                delete kept.data();
            }};
}

std::shared_ptr<QWidget> formOn(ReturnFixture &f, bool stored)
{
    if (f.form) {
        f.form->SetSkipConfirm(true);
        f.form->close();
        ReturnFixture::flushDeletes();
        delete f.form.data();
    }
    if (stored)
        f.openRow(0);
    else
        f.openNew();
    return {f.form.data(), [](QWidget *) {}};
}

INSTANTIATE_TEST_SUITE_P(
    AddressBook, ReturnOnAButton,
    ::testing::Values(ButtonsCase{"newRecord", [](ReturnFixture &f) { return formOn(f, false); }},
                      ButtonsCase{"storedRecord", [](ReturnFixture &f) { return formOn(f, true); }},
                      ButtonsCase{"inputList", plain<TInputList>}, ButtonsCase{"copyItems", copyItems},
                      ButtonsCase{"columns", columns}, ButtonsCase{"wordSearch", wordSearch},
                      ButtonsCase{"externalLink", plain<TAddExtURL>}, ButtonsCase{"filter", plain<TAddressSearch>},
                      ButtonsCase{"duplicates", plain<TDuplicateSearch>},
                      ButtonsCase{"keywordCaptions", plain<TKeywordEdit>},
                      ButtonsCase{"copyBetweenBooks", copyWindow},
                      ButtonsCase{"batchChange",
                                  [](ReturnFixture &f) {
                                      return std::shared_ptr<QWidget>(std::make_shared<TBatchChange>(f.list.get()));
                                  }}),
    rowName);

} // namespace
