// F1 in each window of the address book opens the manual at the page about
// it: the page the viewer is asked to open carries the heading the manual's
// contents give that window (or that part of the record form).

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
#include "addressbook/WordSch.h"
#include "support/ManualF1.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

class AddressBookWindows;

struct WindowPage {
    const char *name;
    // The control F1 is pressed in; nullptr for where its window puts the
    // focus when it opens (the window is then the fixture's last made).
    std::function<QWidget *(AddressBookWindows &)> control;
    const char16_t *heading; // as the manual's contents name the page
};

// The main list open on a book of five records, the windows a case makes,
// and the manual under F1.
class AddressBookWindows : public RecordFormTest
{
public:
    void TearDown() override
    {
        windows.clear();
        RecordFormTest::TearDown();
    }
    template <typename Window>
    QWidget *make()
    {
        windows.push_back(std::make_unique<Window>(nullptr));
        return nullptr;
    }
    // A control of the record form on list row 0, on tab `tab`.
    QWidget *formControl(int tab, const char *name)
    {
        openRow(0);
        child<QTabWidget>(QStringLiteral("pgcInquiry"))->setCurrentIndex(tab);
        return child(QString::fromLatin1(name));
    }

    std::vector<std::unique_ptr<QWidget>> windows;
    ManualF1 manual;
};

class AddressBookManualPages : public AddressBookWindows, public ::testing::WithParamInterface<WindowPage>
{
};

TEST_P(AddressBookManualPages, f1OpensThePageAboutTheWindow)
{
    QWidget *control = GetParam().control(*this);
    const std::string heading = control ? manual.HeadingOpenedByF1(control)
                                    : manual.HeadingOpenedByF1In(windows.empty() ? list.get() : windows.back().get());
    EXPECT_EQ(heading, ManualF1::AsRead(GetParam().heading));
}

using W = AddressBookWindows;

INSTANTIATE_TEST_SUITE_P(
    Windows, AddressBookManualPages,
    ::testing::Values(
        WindowPage{"mainList", [](W &) -> QWidget * { return nullptr; }, u"メイン画面（アドレス帳の一覧）"},
        WindowPage{"recordFormButtons", [](W &f) { return f.formControl(0, "btnClose"); }, u"照会画面のあらまし"},
        WindowPage{"recordFormNames", [](W &f) { return f.formControl(0, "nmedtNameKanji"); },
                   u"照会画面 － メイン（名前と連絡先）"},
        WindowPage{"recordFormTelephone", [](W &f) { return f.formControl(0, "edtTel"); },
                   u"照会画面 － メイン（名前と連絡先）"},
        WindowPage{"recordFormAddress", [](W &f) { return f.formControl(0, "edtAdrs1"); },
                   u"照会画面 － メイン（住所の入力）"},
        WindowPage{"recordFormPostcodeSearch", [](W &f) { return f.formControl(0, "bbtnPosSch"); },
                   u"照会画面 － メイン（住所の入力）"},
        WindowPage{"recordFormSub", [](W &f) { return f.formControl(1, "edtURL"); },
                   u"照会画面 － サブ（メール・URL・連名）"},
        WindowPage{"recordFormMemo", [](W &f) { return f.formControl(2, "mmoNote"); },
                   u"照会画面 － メモ（キーワード・印刷指定）"},
        WindowPage{"recordFormOther", [](W &f) { return f.formControl(3, "lvExtLink"); },
                   u"照会画面 － その他（外部リンク・マーク）"},
        WindowPage{"copyItems", [](W &f) { return f.make<TCopyItemSet>(); }, u"コピーする項目の設定・入力リストの編集"},
        WindowPage{"inputList", [](W &f) { return f.make<TInputList>(); }, u"コピーする項目の設定・入力リストの編集"},
        WindowPage{"copyToAnotherBook", [](W &f) { return f.make<TAddressCopy>(); }, u"他のアドレス帳にコピー"},
        WindowPage{"externalLink", [](W &f) { return f.make<TAddExtURL>(); }, u"外部リンクの登録"},
        WindowPage{"duplicates", [](W &f) { return f.make<TDuplicateSearch>(); }, u"重複データの表示"},
        WindowPage{"columns", [](W &f) { return f.make<THeaderSelect>(); }, u"表示項目の設定"},
        WindowPage{"keywords", [](W &f) { return f.make<TKeywordEdit>(); }, u"キーワード項目の設定・グループ名の設定"},
        WindowPage{"wordSearch", [](W &f) { return f.make<TWordSearch>(); }, u"一覧内のワード検索"},
        WindowPage{"filter", [](W &f) { return f.make<TAddressSearch>(); }, u"絞り込み"},
        WindowPage{"filterAdvanced",
                   [](W &f) -> QWidget * {
                       f.make<TAddressSearch>();
                       f.windows.back()->findChild<QPushButton *>(QStringLiteral("btnViewSwitch"))->click();
                       return nullptr;
                   },
                   u"絞り込み（高度な設定）"},
        WindowPage{"batchChange", [](W &f) { return f.make<TBatchChange>(); }, u"アドレス帳の一括編集"}),
    [](const ::testing::TestParamInfo<WindowPage> &info) { return std::string(info.param.name); });

// The manual's own command opens its contents, whatever window asks.
TEST_F(AddressBookWindows, theHelpMenusCommandOpensTheContents)
{
    EXPECT_EQ(ManualF1::Heading(manual.PageOpenedBy([this] { action("actTopic")->trigger(); })),
              ManualF1::AsRead(u"ピルカノス2014 操作ガイド"));
}

} // namespace
