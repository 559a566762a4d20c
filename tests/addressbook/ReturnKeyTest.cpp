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
#include "support/KeyInput.h"
#include "support/ReturnKey.h"
#include "support/RowName.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

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

using Check = std::function<::testing::AssertionResult(QWidget &)>;

struct WalkCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(ReturnFixture &)> make;
    const char *control;     // where the user stands
    const char16_t *typed;   // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    Check done;              // what the user sees in the end
};

::testing::AssertionResult accepted(QWidget &window)
{
    auto &dialog = static_cast<QDialog &>(window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

template <typename Dialog>
std::shared_ptr<QWidget> plain(ReturnFixture &)
{
    return std::make_shared<Dialog>(nullptr);
}

void PrintTo(const WalkCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnWalks : public ReturnFixture, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    const WalkCase &c = GetParam();
    const std::shared_ptr<QWidget> window = c.make(*this);
    ASSERT_TRUE(ShowActive(window.get()));
    QWidget *control = window->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_TRUE(FocusControl(control)) << c.control;
    if (c.typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        TypeCharacters(QApplication::focusWidget(), QString::fromUtf16(c.typed));
    }
    QStringList stops;
    for (const char *stop : c.stops)
        stops << QLatin1String(stop);
    ASSERT_TRUE(ReturnAlong(control, stops));
    EXPECT_TRUE(c.done(*window));
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
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (static_cast<TWordSearch &>(w).GetWord() != QStringLiteral("名前3"))
                         return ::testing::AssertionFailure() << "the word typed is lost";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"externalLink", plain<TAddExtURL>, "edtURL", u"https://example.jp/a", {"btnAdd"},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (static_cast<TAddExtURL &>(w).URL() != QStringLiteral("https://example.jp/a"))
                         return ::testing::AssertionFailure() << "the address typed is lost";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"duplicates", plain<TDuplicateSearch>, "cbxItem1", nullptr, {"cbxItem2", "btnView"}, accepted},
        WalkCase{"filter", plain<TAddressSearch>, "edtContent", u"目印", {"cbxCondition", "btnView"},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     TNarrowDownCondition condition;
                     static_cast<TAddressSearch &>(w).GetCondition(condition);
                     if (condition.Items.size() != 1)
                         return ::testing::AssertionFailure() << condition.Items.size() << " conditions";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"columns", columns, "lvHeader", nullptr, {"btnOk"}, accepted},
        WalkCase{"copyItems", copyItems, "lvCopyItem", nullptr, {"chkLastReturn", "btnOk"}, accepted},
        WalkCase{"keywordCaptions", plain<TKeywordEdit>, "edtKeyword8", u"趣味", {"cbxKeyword8", "btnOk"},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (KeywordNames[8] != QStringLiteral("趣味"))
                         return ::testing::AssertionFailure() << "caption 8 is " << KeywordNames[8].toStdString();
                     return ::testing::AssertionSuccess();
                 }},
        // A name typed and Return adds it; Return in the emptied edit then
        // leads to OK, which keeps the list.
        WalkCase{"inputList", plain<TInputList>, "edtName", u"営業部", {"edtName", "btnOk"},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (static_cast<TInputList &>(w).ChangedMask() != 1)
                         return ::testing::AssertionFailure() << "the department list is not kept";
                     return ::testing::AssertionSuccess();
                 }},
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

struct ButtonsCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(ReturnFixture &)> make;
};

void PrintTo(const ButtonsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnOnAButton : public ReturnFixture, public ::testing::WithParamInterface<ButtonsCase>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn([this] { return GetParam().make(*this); });
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
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
