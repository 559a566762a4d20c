#include "addressbook/AdrsSch.h"
#include "NarrowDownItems.h"

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/OrdinaryUser.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"
#include "widgets/TntStdCtrls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray sj(const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8)); }
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

// A dialog over a temporary data folder and settings root, with no data module
// (so the history pick lists are empty) and scripted message boxes.
class FilterDialog : public ::testing::Test
{
public:
    void SetUp() override
    {
        m_savedKeyword = KeywordNames[1];
        m_savedDM = DMMurven19;
        DMMurven19 = nullptr;
        QDir().mkpath(DataRoot);
        QDir().mkpath(DataPath);
        KeywordNames[1] = u("取引先");
    }
    void TearDown() override
    {
        dialog.reset();
        KeywordNames[1] = m_savedKeyword;
        DMMurven19 = m_savedDM;
    }

    void open(int viewType, const TNarrowDownCondition &condition = {})
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("ADRS SCH"), QStringLiteral("ViewType"), viewType);
        ASSERT_TRUE(ini.UpdateFile());
        dialog = std::make_unique<TAddressSearch>(nullptr);
        dialog->SetCondition(condition);
        dialog->show();
    }
    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void chooseItem(int item) { child<QComboBox>("cbxItem")->setCurrentIndex(item); }
    // The month range from year/month to year/month, as the lists show them.
    void chooseMonths(const char *fromYear, const char *fromMonth, const char *toYear, const char *toMonth)
    {
        chooseItem(4);
        child<QComboBox>("cbxFromYear")->setCurrentText(u(fromYear));
        child<QComboBox>("cbxFromMonth")->setCurrentText(u(fromMonth));
        child<QComboBox>("cbxToYear")->setCurrentText(u(toYear));
        child<QComboBox>("cbxToMonth")->setCurrentText(u(toMonth));
    }
    void type(const char *name, const char *text)
    {
        auto *w = child<QWidget>(name);
        if (auto *combo = qobject_cast<QComboBox *>(w))
            w = combo->lineEdit();
        TypeCharacters(w, u(text));
    }
    TNarrowDownCondition condition() const
    {
        TNarrowDownCondition c;
        dialog->GetCondition(c);
        return c;
    }
    QStringList row(int i) const
    {
        QTreeWidgetItem *r = child<QTreeWidget>("lvCondition")->topLevelItem(i);
        return r ? QStringList{r->text(0), r->text(1), r->text(2)} : QStringList{};
    }
    bool shown(const char *name) const { return child<QWidget>(name)->isVisibleTo(dialog.get()); }
    QString ptnPath() const { return DataPath + QStringLiteral("Search.ptn"); }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TAddressSearch> dialog;

private:
    QString m_savedKeyword;
    TDMMurven19 *m_savedDM = nullptr;
};

TEST_F(FilterDialog, contentLimitsCountBytesOrNameCharacters)
{
    open(0);
    chooseItem(0); // 顧客コード: 20 bytes
    type("edtContent", "ああああああああああああ");
    EXPECT_EQ(child<TTntEdit>("edtContent")->text(), u("ああああああああああ"));
    chooseItem(17); // 連名1: 11 characters
    type("edtContentTnt", "ああああああああああああ");
    EXPECT_EQ(child<TTntEdit>("edtContentTnt")->text().size(), 11);
    type("cbxPattern", "パターン名前が三十バイトを超えると入らない");
    EXPECT_EQ(Cp932::encode(child<QComboBox>("cbxPattern")->currentText()).size(), 30);
}

// ---- building conditions --------------------------------------------------

struct BuildCase {
    const char *behaviour;
    std::function<void(FilterDialog &)> input;
    TNarrowDownItem expected;
    QStringList row;
};

class BuildsCondition : public FilterDialog, public ::testing::WithParamInterface<BuildCase>
{
};

TEST_P(BuildsCondition, fromTheEditingArea)
{
    open(1);
    GetParam().input(*this);
    click("bbtnAdd");
    ASSERT_EQ(condition().Items.size(), 1);
    EXPECT_EQ(condition().Items[0], GetParam().expected);
    EXPECT_EQ(row(0), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BuildsCondition,
    ::testing::Values(
        BuildCase{"phoneLosesHyphens",
                  [](FilterDialog &f) {
                      f.chooseItem(1);
                      f.type("edtContent", "03-1234-5678");
                  },
                  textItem(1, "0312345678", 0), {u("電話番号"), u("0312345678"), u("前方一致")}},
        BuildCase{"emptyContentIsBlank", [](FilterDialog &f) { f.chooseItem(0); }, textItem(0, "", -1),
                  {u("顧客コード"), u("＜空白＞"), QString()}},
        BuildCase{"nameIsStoredInAtForm",
                  [](FilterDialog &f) {
                      f.chooseItem(13);
                      f.type("edtContentTnt", "山田");
                      f.child<QComboBox>("cbxCondition")->setCurrentIndex(2);
                  },
                  textItem(13, EncodeUnicodeField(u("山田")), 2), {u("名前"), u("山田"), u("後方一致")}},
        BuildCase{"representativePhoneNegated",
                  [](FilterDialog &f) {
                      f.chooseItem(2);
                      QTest::mouseClick(f.child<QCheckBox>("chkNotCondition"), Qt::LeftButton);
                  },
                  choiceItem(2, 0, true), {u("代表電話"), u("代表"), u("以外")}},
        BuildCase{"defaultMonthRangeCoversEveryListedMonth", [](FilterDialog &f) { f.chooseItem(4); },
                  monthItem(199501, 201312), {u("初期掲載年月"), u("1995年01月～2013年12月"), QString()}},
        BuildCase{"backwardMonthRangeIsStoredSwapped",
                  [](FilterDialog &f) { f.chooseMonths("2010年", "3月", "2001年", "5月"); },
                  monthItem(200105, 201003), {u("初期掲載年月"), u("2001年05月～2010年03月"), QString()}},
        BuildCase{"monthRangeAcrossTheYearEnd",
                  [](FilterDialog &f) { f.chooseMonths("2009年", "12月", "2010年", "1月"); },
                  monthItem(200912, 201001), {u("初期掲載年月"), u("2009年12月～2010年01月"), QString()}}),
    [](const auto &info) { return std::string(info.param.behaviour); });

TEST_F(FilterDialog, duplicateAddChangesNothingAndTheEleventhCannotBeAdded)
{
    open(1);
    chooseItem(0);
    type("edtContent", "A");
    click("bbtnAdd");
    click("bbtnAdd");
    EXPECT_EQ(condition().Items.size(), 1);
    for (char c = 'B'; c <= 'J'; ++c) {
        child<TTntEdit>("edtContent")->setText(QString(QLatin1Char(c)));
        click("bbtnAdd");
    }
    EXPECT_EQ(condition().Items.size(), 10);
    EXPECT_FALSE(child<QPushButton>("bbtnAdd")->isEnabled());
    child<TTntEdit>("edtContent")->setText(QStringLiteral("K"));
    click("bbtnAdd");
    EXPECT_EQ(condition().Items.size(), 10);
}

TEST_F(FilterDialog, listButtonsChangeDeleteAndClearTheSelectedRows)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0), textItem(0, "B", 0), textItem(0, "C", 0)};
    open(1, c);
    auto *list = child<QTreeWidget>("lvCondition");
    list->topLevelItem(1)->setSelected(true);
    child<TTntEdit>("edtContent")->setText(QStringLiteral("X"));
    click("bbtnUpdate");
    EXPECT_EQ(condition().Items[1], textItem(0, "X", 0));
    EXPECT_EQ(row(1)[1], QStringLiteral("X"));

    list->topLevelItem(0)->setSelected(true);
    EXPECT_FALSE(child<QPushButton>("bbtnUpdate")->isEnabled()) << "two rows selected";
    click("bbtnDelete");
    ASSERT_EQ(condition().Items.size(), 1);
    EXPECT_EQ(condition().Items[0], textItem(0, "C", 0));
    EXPECT_TRUE(list->topLevelItem(0)->isSelected());

    click("bbtnClear");
    EXPECT_TRUE(condition().Items.isEmpty());
    EXPECT_EQ(boxes.count(), 0);
}

// ---- the filter in and out ------------------------------------------------

TEST_F(FilterDialog, setConditionShowsTheFilterAndGetConditionReturnsIt)
{
    TNarrowDownCondition c;
    c.Items = {textItem(13, EncodeUnicodeField(u("山田")), 0), choiceItem(9, 1, false)};
    c.MatchAll = false;
    open(1, c);
    EXPECT_TRUE(child<QRadioButton>("rbOr")->isChecked());
    EXPECT_EQ(row(0), (QStringList{u("名前"), u("山田"), u("前方一致")}));
    EXPECT_EQ(row(1), (QStringList{u("個人会社区分"), u("会社"), QString()}));
    EXPECT_EQ(child<TTntEdit>("edtContentTnt")->text(), u("山田"));
    EXPECT_EQ(condition(), c);
}

TEST_F(FilterDialog, normalViewNarrowsToTheSingleEditedCondition)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0), textItem(0, "B", 0)};
    open(0, c);
    chooseItem(7);
    type("edtContent", "100-0001");
    click("btnView");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(condition().Items.size(), 1);
    EXPECT_EQ(condition().Items[0], textItem(7, "1000001", 0));
}

TEST_F(FilterDialog, clearingTheFilterAcceptsWithNoConditions)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0)};
    open(0, c);
    click("btnClear");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(condition().IsEmpty());
}

TEST_F(FilterDialog, viewSwitchIsRememberedInTheSettings)
{
    open(0);
    EXPECT_FALSE(shown("lvCondition"));
    click("btnViewSwitch");
    EXPECT_TRUE(shown("lvCondition"));
    dialog.reset();
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadInteger(QStringLiteral("ADRS SCH"), QStringLiteral("ViewType"), 0), 1);
}

// ---- patterns -------------------------------------------------------------

TEST_F(FilterDialog, patternsAreSavedShownAndDeleted)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0)};
    c.MatchAll = false;
    open(1, c);
    click("bbtnSavePattern");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u("保存するにはパターン名を入力してください  "));

    type("cbxPattern", " 東京 ");
    click("bbtnSavePattern");
    EXPECT_EQ(boxes.count(), 1);
    QList<TSearchPattern> stored = ReadSearchPatterns(ptnPath());
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].Name, sj("東京"));
    EXPECT_EQ(stored[0].Condition, c);
    EXPECT_TRUE(child<QPushButton>("bbtnViewPattern")->isEnabled());

    dialog->SetCondition({});
    child<QComboBox>("cbxPattern")->setEditText(u("大阪"));
    click("bbtnViewPattern");
    EXPECT_EQ(boxes.last().text, u("指定したパターン名は保存されていません  "));
    child<QComboBox>("cbxPattern")->setEditText(u("東京"));
    click("bbtnViewPattern");
    EXPECT_EQ(condition(), c);

    boxes.enqueue(IDNO);
    click("bbtnDeletePattern");
    EXPECT_EQ(boxes.last().text, u("選択しているパターンを削除します  \r\nよろしいですか？  "));
    EXPECT_EQ(boxes.last().flags, 0x24u);
    EXPECT_TRUE(QFile::exists(ptnPath()));
    boxes.enqueue(IDYES);
    click("bbtnDeletePattern");
    EXPECT_FALSE(QFile::exists(ptnPath())) << "no patterns left";
    EXPECT_FALSE(child<QPushButton>("bbtnDeletePattern")->isEnabled());
}

TEST_F(FilterDialog, the256thPatternIsRefusedWithAMessage)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0)};
    QList<TSearchPattern> full;
    for (int i = 0; i < MaxSearchPatterns; ++i)
        full.append({QByteArray::number(i), c});
    ASSERT_TRUE(WriteSearchPatterns(ptnPath(), full));
    const QByteArray before = fileBytes(ptnPath());
    open(1, c);
    type("cbxPattern", "new");
    click("bbtnSavePattern");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u("パターンは255件まで保存できます  "));
    EXPECT_TRUE(sameBytes(before, fileBytes(ptnPath())));

    child<QComboBox>("cbxPattern")->setEditText(QStringLiteral("7"));
    click("bbtnSavePattern");
    EXPECT_EQ(boxes.count(), 1) << "an existing name is overwritten";
}

// A pattern file its user set read-only: saving or deleting a pattern keeps
// it as it was and the dialog names the cause.
TEST_F(FilterDialog, aPatternFileSetReadOnlyStaysAndTheDialogSaysWhy)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0)};
    ASSERT_TRUE(WriteSearchPatterns(ptnPath(), {{sj("東京"), c}}));
    const QByteArray before = fileBytes(ptnPath());
    ASSERT_TRUE(QFile::setPermissions(ptnPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        open(1, c);
        type("cbxPattern", "大阪");
        click("bbtnSavePattern");
        boxes.enqueue(IDYES);
        child<QComboBox>("cbxPattern")->setEditText(u("東京"));
        click("bbtnDeletePattern");
    }
    QStringList told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.startsWith(u("パターンが保存できませんでした")))
            told << box.text;
    ASSERT_EQ(told.size(), 2) << qPrintable(boxes.count() > 0 ? boxes.last().text : QString());
    for (const QString &text : told)
        EXPECT_TRUE(text.contains(u("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(text);
    EXPECT_TRUE(sameBytes(before, fileBytes(ptnPath())));
}

// A damaged pattern file: the dialog opens with no patterns, the user is told
// once which file it was and where it is kept, and saving a pattern makes a
// new file beside the untouched copy.
TEST_F(FilterDialog, aDamagedPatternFileIsKeptAsideAndTheDialogStartsWithoutPatterns)
{
    TNarrowDownCondition c;
    c.Items = {textItem(0, "A", 0)};
    ASSERT_TRUE(WriteSearchPatterns(ptnPath(), {{sj("東京"), c}, {QByteArray("B"), c}}));
    const QByteArray damaged = fileBytes(ptnPath()).chopped(2);
    writeBytes(ptnPath(), damaged);

    open(1, c);
    EXPECT_EQ(child<QComboBox>("cbxPattern")->count(), 0);
    EXPECT_FALSE(child<QPushButton>("bbtnViewPattern")->isEnabled());
    ASSERT_EQ(boxes.count(), 1);
    QString copy;
    ASSERT_TRUE(keptAsideAndNamed(ptnPath(), damaged, boxes.last().text, &copy));

    type("cbxPattern", "大阪");
    click("bbtnSavePattern");
    EXPECT_EQ(boxes.count(), 1);
    const QList<TSearchPattern> stored = ReadSearchPatterns(ptnPath());
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].Name, sj("大阪"));
    EXPECT_TRUE(sameBytes(damaged, fileBytes(copy))) << "the copy is never written";
}

} // namespace
