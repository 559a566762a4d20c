#include "dialogs/DsnFmt.h"

#include "PaperFixture.h"
#include "support/Screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

namespace {

class DesignDialog : public PaperDialogFixture
{
protected:
    void open(int index)
    {
        dialog = std::make_unique<TNewDesignDialog>(nullptr);
        dialog->resize(520, 320);
        dialog->ShowFormat(index);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    template <typename T>
    T *child(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    const TDesignFormat &record(int i) const { return dialog->Catalogue().Records.at(i); }

    std::unique_ptr<TNewDesignDialog> dialog;
};

} // namespace

TEST_F(DesignDialog, landscapeVariantOpensOnItsGroupWithLandscapeChecked)
{
    open(5);
    EXPECT_EQ(child<QComboBox>("cbxKind")->currentIndex(), record(4).Kind);
    EXPECT_EQ(child<QListWidget>("lbFormat")->currentItem()->text(), record(4).NameText());
    EXPECT_TRUE(child<QRadioButton>("rbHorz")->isChecked());
    EXPECT_EQ(dialog->SelectedIndex(), 5);
    saveScreenshot(dialog.get(), QStringLiteral("NewDesignDialog"));
}

TEST_F(DesignDialog, switchingKindTakesItsFirstPaperAsTheRadiosStand)
{
    open(3); // a plain paper, landscape
    auto *kind = child<QComboBox>("cbxKind");
    kind->setCurrentIndex(0);
    emit kind->activated(0);
    EXPECT_EQ(record(dialog->SelectedIndex()).Kind, 0);
    EXPECT_EQ(dialog->SelectedIndex(), 1); // the first postcard's landscape twin
}

TEST_F(DesignDialog, orientationRadioPicksTheVariant)
{
    open(2);
    QTest::mouseClick(child<QRadioButton>("rbHorz"), Qt::LeftButton);
    EXPECT_EQ(dialog->SelectedIndex(), 3);
    EXPECT_EQ(dialog->GetFormat().Width, record(2).Height);
    EXPECT_EQ(child<QLabel>("lblSize")->text(),
              QString::asprintf("%.1f x %.1f mm", record(3).Width / 10.0, record(3).Height / 10.0));
}

TEST_F(DesignDialog, otherNameInTheListIsChosen)
{
    open(2);
    child<QListWidget>("lbFormat")->setCurrentRow(1);
    EXPECT_EQ(record(dialog->SelectedIndex()).NameText(), child<QListWidget>("lbFormat")->item(1)->text());
    EXPECT_EQ(record(dialog->SelectedIndex()).Landscape, 0);
}

TEST_F(DesignDialog, previewHasThePapersShapeWithinFourFifthsOfTheArea)
{
    open(2);
    auto *card = child<QWidget>("pnlCard");
    auto *area = child<QWidget>("pnlImage");
    const double paper = static_cast<double>(record(2).Width) / record(2).Height;
    EXPECT_NEAR(static_cast<double>(card->width()) / card->height(), paper, 0.02);
    EXPECT_LE(card->height(), qRound(area->height() * 0.8) + 1);
    EXPECT_LE(card->width(), qRound(area->width() * 0.8) + 1);
}

TEST_F(DesignDialog, missingCatalogueLeavesTheListEmptyWithoutAMessage)
{
    useOwnProgramFolder();
    open(0);
    EXPECT_EQ(child<QListWidget>("lbFormat")->count(), 0);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DesignDialog, damagedCatalogueIsNamedToTheUser)
{
    const QString common = useOwnProgramFolder();
    QFile shipped(QStringLiteral(MURVEN_PAPER_BUILD_DIR "/Dsn.fmt"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    writeFile(common + QStringLiteral("Dsn.fmt"), shipped.readAll().left(100));
    open(0);
    EXPECT_EQ(child<QListWidget>("lbFormat")->count(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("Dsn.fmt")));
    EXPECT_EQ(boxes.last().flags & MB_ICONMASK, unsigned(MB_ICONERROR));
}
