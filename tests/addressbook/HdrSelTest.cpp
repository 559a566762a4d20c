#include "addressbook/HdrSel.h"

#include "core/Env.h"
#include "core/Inquiry.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The catalogue's records with widths of their own (10 × row + 7), so a
// test sees whether widths travel with their records.
TColumnRecords markedRecords()
{
    TColumnRecords records = DefaultColumnRecords();
    for (TColumnRecord &r : records)
        r.Width = 10 * r.DefIndex + 7;
    return records;
}

class HeaderSelectTest : public ::testing::Test
{
protected:
    void open(const TColumnRecords &records)
    {
        m_dialog = std::make_unique<THeaderSelect>();
        m_dialog->SetColumns(records);
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    QListWidget *list() const { return m_dialog->findChild<QListWidget *>("lvHeader"); }
    void click(const char *name) const
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    // Focuses row `row` with the keyboard, as a user would.
    void focusRow(int row) const
    {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list(), Qt::Key_Down);
        ASSERT_EQ(list()->currentRow(), row);
    }
    TColumnRecords result() const
    {
        TColumnRecords records{};
        m_dialog->GetColumns(records);
        return records;
    }

    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<THeaderSelect> m_dialog;
};

struct Moved {
    const char *name;
    int row;
    const char *button;
    int target;
};
void PrintTo(const Moved &m, std::ostream *os) { *os << m.name; }
class MoveRow : public HeaderSelectTest, public ::testing::WithParamInterface<Moved>
{
};

TEST_P(MoveRow, carriesCaptionCheckMarkAndRecordAlong)
{
    const Moved &m = GetParam();
    open(markedRecords());
    const QString caption = list()->item(m.row)->text();
    focusRow(m.row);
    click(m.button);
    EXPECT_EQ(list()->currentRow(), m.target);
    EXPECT_TRUE(list()->item(m.target)->isSelected());
    EXPECT_EQ(list()->item(m.target)->text(), caption);

    TColumnRecords expected = markedRecords();
    auto first = expected.begin();
    if (m.target < m.row)
        std::rotate(first + m.target, first + m.row, first + m.row + 1);
    else
        std::rotate(first + m.row, first + m.row + 1, first + m.target + 1);
    EXPECT_EQ(result(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MoveRow,
                         ::testing::Values(Moved{"toTop", 17, "bbtnTop", 0},
                                           Moved{"toBottom", 10, "bbtnBottom", ListColumnCount - 1}),
                         [](const ::testing::TestParamInfo<Moved> &info) { return std::string(info.param.name); });

TEST_F(HeaderSelectTest, okWithNoRowCheckedIsRefused)
{
    TColumnRecords records = markedRecords();
    for (TColumnRecord &r : records)
        r.Shown = false;
    records[1].Shown = true;
    open(records);
    focusRow(1);
    QTest::keyClick(list(), Qt::Key_Space);
    ASSERT_EQ(list()->item(1)->checkState(), Qt::Unchecked);
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("表示する項目は１つ以上選択してください  "));
    EXPECT_TRUE(m_dialog->isVisible());
}

// Enter in the list leads to OK, the default button (not 最上段): Return
// there takes the columns.
TEST_F(HeaderSelectTest, enterInTheListLeadsToOkAndReturnThereAccepts)
{
    open(markedRecords());
    auto *ok = m_dialog->findChild<QPushButton *>("btnOk");
    EXPECT_TRUE(ok->isDefault());
    focusRow(1);
    QTest::keyClick(list(), Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

TEST_F(HeaderSelectTest, restoringShownSetAndOrderKeepsTheWidths)
{
    // A user's order (reversed), everything shown.
    TColumnRecords records = markedRecords();
    std::reverse(records.begin(), records.end());
    for (TColumnRecord &r : records)
        r.Shown = true;
    open(records);
    focusRow(5);
    click("bbtnReView");
    click("bbtnReSort");
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("No."));
    TColumnRecords expected = markedRecords(); // default order and shown set, own widths
    EXPECT_EQ(result(), expected);
}

// Where the style puts the check box of a row, worked out the way the view
// paints it: the delegate fills the option from the item, the style places
// the indicator in the row's rectangle.
QRect checkBoxRect(QListWidget *list, int row)
{
    struct Options : QStyledItemDelegate {
        using QStyledItemDelegate::initStyleOption;
    } delegate;
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.font = list->font();
    option.rect = list->visualItemRect(list->item(row));
    delegate.initStyleOption(&option, list->model()->index(row, 0));
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
}

// The faces a row's caption is drawn in, and the height of the tallest: a
// face standing in for glyphs the font lacks has metrics of its own.
struct CaptionFaces {
    QStringList families;
    qreal height = 0;
};
CaptionFaces captionFaces(QListWidget *list, int row)
{
    QTextLayout layout(list->item(row)->text(), list->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    CaptionFaces faces;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        faces.families << run.rawFont().familyName();
        faces.height = std::max(faces.height, run.rawFont().ascent() + run.rawFont().descent());
    }
    return faces;
}

// Also the second process of looksAlikeUnderCAndJapaneseLocales, which reads
// the face and row height it reports.
TEST_F(HeaderSelectTest, rowsAreEvenAndHoldTheirCaptionsAndCheckBoxes)
{
    open(markedRecords());
    // the face as drawn, under its own name: the database lists some faces
    // under a name of the locale's language
    const QString face = QRawFont::fromFont(QApplication::font()).familyName();
    EXPECT_TRUE(QFontDatabase::writingSystems(face).contains(QFontDatabase::Japanese)) << face.toStdString();
    const int rowHeight = list()->visualItemRect(list()->item(0)).height();
    for (int row = 0; row < list()->count(); ++row) {
        const QRect rect = list()->visualItemRect(list()->item(row));
        EXPECT_EQ(rect.height(), rowHeight) << row;
        // one face for Latin letters, kana and kanji alike
        const CaptionFaces faces = captionFaces(list(), row);
        for (const QString &family : faces.families)
            EXPECT_EQ(family.toStdString(), face.toStdString()) << row;
        EXPECT_GE(rect.height(), faces.height) << row;
        const QRect box = checkBoxRect(list(), row);
        EXPECT_TRUE(rect.contains(box)) << row;
        for (int other : {row - 1, row + 1}) {
            if (QListWidgetItem *neighbour = list()->item(other)) {
                EXPECT_FALSE(list()->visualItemRect(neighbour).intersects(box)) << row << " " << other;
            }
        }
    }
    // the font file by its name table, which reads the same in every locale
    const QByteArray names = QRawFont::fromFont(QApplication::font()).fontTable("name");
    std::cout << "font=" << QCryptographicHash::hash(names, QCryptographicHash::Sha1).toHex().toStdString()
              << " row=" << rowHeight << " (" << face.toStdString() << ")" << std::endl;
}

// The dialog is measured in a second process per locale: the face chosen
// for a locale is fixed when the process starts. The Japanese locale need
// not be installed: fontconfig takes the language from the variables.
TEST(HeaderSelectLocale, looksAlikeUnderCAndJapaneseLocales)
{
    std::vector<std::string> reports;
    for (const QString &locale : {QStringLiteral("C.UTF-8"), QStringLiteral("ja_JP.UTF-8")}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QStringLiteral("LC_ALL"), locale);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=HeaderSelectTest.rowsAreEvenAndHoldTheirCaptionsAndCheckBoxes")});
        ASSERT_TRUE(child.waitForFinished(60000)) << locale.toStdString();
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_EQ(child.exitCode(), 0) << locale.toStdString() << "\n" << out.toStdString();
        reports.push_back(QRegularExpression(QStringLiteral("font=\\S+ row=\\d+")).match(out).captured().toStdString());
    }
    EXPECT_FALSE(reports[0].empty());
    EXPECT_EQ(reports[0], reports[1]);
}

} // namespace
