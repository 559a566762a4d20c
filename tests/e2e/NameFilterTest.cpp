// The main list's filter (アドレス帳の絞り込み) over names typed into the record
// form: the name item with 前方一致 keeps the names that begin with the text
// typed, not those holding it further on (小山田 一郎, 田中 山田); あいまい keeps
// every name holding it, 後方一致 those ending with it.
#include "UserRoad.h"
#include "addressbook/AdrsSch.h"
#include "support/RowName.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

#include <vector>

namespace {

struct FilterCase {
    const char *name;
    const char16_t *typed;
    const char16_t *match; // as the filter's 条件 list names it
    std::vector<const char16_t *> shown;
};

class NameFilter : public UserRoadFixture, public ::testing::WithParamInterface<FilterCase>
{
protected:
    // The names the list shows, without blanks.
    QStringList shownNames() const
    {
        auto *view = list->findChild<QTableView *>();
        EXPECT_NE(view, nullptr);
        if (!view)
            return {};
        const QAbstractItemModel *model = view->model();
        int column = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == QStringLiteral("名前"))
                column = c;
        EXPECT_GE(column, 0) << "no 名前 column";
        QStringList names;
        static const QRegularExpression blanks(QStringLiteral("\\s"));
        for (int r = 0; r < model->rowCount() && column >= 0; ++r)
            names << model->index(r, column).data().toString().remove(blanks);
        names.sort();
        return names;
    }
};

TEST_P(NameFilter, listShowsTheNamesThatMatch)
{
    for (const char16_t *person : {u"山田 太郎", u"小山田 一郎", u"山田 花子", u"田中 山田"})
        ASSERT_NO_FATAL_FAILURE(enterPerson(QString::fromUtf16(person)));
    const FilterCase &c = GetParam();
    bool filtered = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TAddressSearch *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *item = dialog->findChild<QComboBox *>(QStringLiteral("cbxItem"));
        item->setCurrentIndex(item->findText(QStringLiteral("名前")));
        typeIn(dialog, "edtContentTnt", QString::fromUtf16(c.typed));
        auto *match = dialog->findChild<QComboBox *>(QStringLiteral("cbxCondition"));
        match->setCurrentIndex(match->findText(QString::fromUtf16(c.match)));
        // In the list view the condition goes into the list first.
        if (dialog->findChild<QWidget *>(QStringLiteral("pnlList"))->isVisible())
            press(dialog, "bbtnAdd");
        press(dialog, "btnView");
        filtered = dialog->result() == QDialog::Accepted;
    });
    action("actAdrsSearch")->trigger();
    ASSERT_TRUE(filtered);
    QStringList expected;
    for (const char16_t *name : c.shown)
        expected << QString::fromUtf16(name);
    expected.sort();
    EXPECT_EQ(shownNames(), expected) << shownNames().join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    MainList, NameFilter,
    ::testing::Values(FilterCase{"startsWith", u"山田", u"前方一致", {u"山田太郎", u"山田花子"}},
                      FilterCase{"startsWithItsSecondCharacter", u"田", u"前方一致", {u"田中山田"}},
                      FilterCase{"holds", u"山田", u"あいまい", {u"山田太郎", u"小山田一郎", u"山田花子", u"田中山田"}},
                      FilterCase{"endsWith", u"山田", u"後方一致", {u"田中山田"}},
                      FilterCase{"endsWithTheGivenName", u"郎", u"後方一致", {u"山田太郎", u"小山田一郎"}}),
    rowName);

} // namespace
