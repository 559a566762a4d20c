// The record form's picks as a user sees and keeps them: the print toggles
// of the names show whether each name prints, and a pick not yet saved
// survives a reload of the list it was picked from.
#include "DtInqiryFixture.h"

#include "core/AppSub.h"
#include "support/Screenshot.h"
#include "util/MsgBoxPos.h"

#include <QIcon>
#include <QImage>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>

namespace {

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

class RecordFormPrintToggle : public RecordFormTest, public ::testing::WithParamInterface<const char *>
{};

// Joint names 1 and 2 typed in, so that their toggles can print.
TEST_P(RecordFormPrintToggle, showsAPrinterWhenTheNamePrintsAndACrossedOneWhenNot)
{
    openRow(0);
    setText(QStringLiteral("nmedtJoint1"), QStringLiteral("花子"));
    setText(QStringLiteral("nmedtJoint2"), QStringLiteral("次郎"));
    auto *toggle = child<QToolButton>(QLatin1String(GetParam()));
    ASSERT_NE(toggle, nullptr);
    if (!toggle->isChecked())
        QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_TRUE(toggle->isChecked());
    ASSERT_FALSE(toggle->icon().isNull());
    const QImage printing = shownPicture(toggle);
    EXPECT_FALSE(hasRed(printing));
    QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_FALSE(toggle->isChecked());
    const QImage notPrinting = shownPicture(toggle);
    EXPECT_NE(notPrinting, printing);
    EXPECT_TRUE(hasRed(notPrinting));
    if (std::string(GetParam()) == "sbtnJointPrint1")
        saveScreenshot(form.data(), QStringLiteral("RecordForm_jointName1Off"));
}

INSTANTIATE_TEST_SUITE_P(Toggles, RecordFormPrintToggle, ::testing::Values("sbtnJointPrint1", "sbtnJointPrint2"),
                         [](const auto &info) { return std::string(info.param); });

// The name itself (本) prints: its toggle shows the printer.
TEST_F(RecordFormTest, theOwnersToggleShowsThePrinter)
{
    openRow(0);
    auto *toggle = child<QToolButton>(QStringLiteral("sbtnJointPrintM"));
    ASSERT_TRUE(toggle->isChecked());
    ASSERT_FALSE(toggle->icon().isNull());
    EXPECT_FALSE(hasRed(shownPicture(toggle)));
}

qint32 storedInteger(qint32 RecNo, const char *Field)
{
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    if (!table.FindKey({QVariant(RecNo)}))
        return -1;
    return table.FieldByName(QLatin1String(Field)).AsInteger();
}

// A list of the form, the pick a user makes in it, the reload that other
// windows cause, and what 変更 then stores.
struct ReloadCase {
    const char *name;
    const char *Combo;
    int PickedIndex;
    const char *Field;
    qint32 Stored; // the value the pick stands for
    std::function<void(TAddressList &, TDataInquiry &)> Reload;
};

class PickAcrossReload : public RecordFormTest, public ::testing::WithParamInterface<ReloadCase>
{};

// The sender list is reloaded when the senders are edited in a print editor
// (差出人の編集), the group list when the group names are.
TEST_P(PickAcrossReload, staysPickedCountsAsAChangeAndIsSavedBy変更)
{
    const ReloadCase &c = GetParam();
    openRow(1);
    const qint32 recNo = form->GetCurrentRecNo();
    QComboBox *box = combo(QLatin1String(c.Combo));
    ASSERT_GT(box->count(), c.PickedIndex);
    box->setCurrentIndex(c.PickedIndex);
    const QString picked = box->currentText();
    ASSERT_TRUE(form->IsChanged());
    c.Reload(*list, *form);
    EXPECT_EQ(box->currentText(), picked);
    EXPECT_TRUE(form->IsChanged());
    click(QStringLiteral("btnUpdate"));
    EXPECT_EQ(storedInteger(recNo, c.Field), c.Stored);
    EXPECT_FALSE(form->IsChanged());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PickAcrossReload,
    ::testing::Values(ReloadCase{"senders", "cbxSender", 1, "Sender", 10,
                                 [](TAddressList &l, TDataInquiry &) { l.LoadSenderList(); }},
                      ReloadCase{"groups", "cbxGroup", 2, "Group", 2,
                                 [](TAddressList &, TDataInquiry &f) { f.RefreshGroups(); }}),
    [](const auto &info) { return std::string(info.param.name); });

// Closing the form after the reload still asks about the pick.
TEST_F(RecordFormTest, closingAfterASenderReloadStillAsksAboutThePickedSender)
{
    openRow(1);
    combo(QStringLiteral("cbxSender"))->setCurrentIndex(1);
    list->LoadSenderList();
    boxes.enqueue(IDCANCEL);
    form->close();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(form->isVisible());
}

// A sender that is saved stays the saved state across the reload: no question.
TEST_F(RecordFormTest, aSavedSenderAcrossAReloadIsNoChange)
{
    writeField(2, "Sender", 10);
    openRow(1);
    ASSERT_EQ(combo(QStringLiteral("cbxSender"))->currentIndex(), 1);
    list->LoadSenderList();
    EXPECT_EQ(combo(QStringLiteral("cbxSender"))->currentIndex(), 1);
    EXPECT_FALSE(form->IsChanged());
}

} // namespace
