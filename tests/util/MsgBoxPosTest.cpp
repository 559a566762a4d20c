#include "support/ScriptedMessageBoxes.h"
#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QRect kWorkArea(0, 0, 1024, 768);

TEST(MessageBoxPosition, centresOverALargerOwner)
{
    const QRect owner(100, 100, 400, 300);
    const QPoint p = MessageBoxPosition(mbpCenterOnOwner, owner, QSize(201, 101), {}, kWorkArea);
    // Differences 199 and 199 round toward zero: 99.
    EXPECT_EQ(p, QPoint(199, 199));
    const QRect box(p, QSize(201, 101));
    EXPECT_LE(std::abs(box.center().x() - owner.center().x()), 1);
    EXPECT_LE(std::abs(box.center().y() - owner.center().y()), 1);
}

TEST(MessageBoxPosition, overlapsASmallerOwnerEquallyOnBothSides)
{
    const QRect owner(300, 300, 100, 50);
    const QPoint p = MessageBoxPosition(mbpCenterOnOwner, owner, QSize(200, 150), {}, kWorkArea);
    EXPECT_EQ(p, QPoint(250, 250));
}

TEST(MessageBoxPosition, staysInsideTheWorkArea)
{
    // Owner hanging over the right and bottom edges.
    EXPECT_EQ(MessageBoxPosition(mbpCenterOnOwner, QRect(900, 700, 300, 200), QSize(200, 100), {}, kWorkArea),
              QPoint(824, 668));
    // Owner smaller than the box near the top-left corner: no negative position.
    EXPECT_EQ(MessageBoxPosition(mbpCenterOnOwner, QRect(0, 0, 50, 20), QSize(200, 100), {}, kWorkArea),
              QPoint(0, 0));
    // A box larger than the work area keeps its top-left corner visible.
    EXPECT_EQ(MessageBoxPosition(mbpAtPoint, {}, QSize(2000, 1000), QPoint(10, 10), kWorkArea), QPoint(0, 0));
    // At a point, as given when it fits.
    EXPECT_EQ(MessageBoxPosition(mbpAtPoint, {}, QSize(200, 100), QPoint(40, 30), kWorkArea), QPoint(40, 30));
    // Without a work area nothing is clamped.
    EXPECT_EQ(MessageBoxPosition(mbpCenterOnOwner, QRect(0, 0, 50, 20), QSize(200, 100), {}, QRect()),
              QPoint(-75, -40));
}

struct FlagCase {
    unsigned flags;
    int enterAnswer;
};

class MessageBoxDefaults : public ::testing::TestWithParam<FlagCase>
{
};

TEST_P(MessageBoxDefaults, sinkSeesTheRequestAndEnterPicksTheDefaultButton)
{
    ScriptedMessageBoxes boxes;
    QWidget owner;
    owner.setGeometry(200, 200, 400, 300);
    const int r = ShowMessageBoxAt(&owner, QStringLiteral("名称を入力してください  "), ProductCaption(),
                                   GetParam().flags, mbpCenterOnOwner, 0, 0);
    EXPECT_EQ(r, GetParam().enterAnswer);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(boxes.last().flags, GetParam().flags);
    EXPECT_EQ(boxes.last().owner, &owner);
}

INSTANTIATE_TEST_SUITE_P(UsedFlags, MessageBoxDefaults,
                         ::testing::Values(FlagCase{0x40, IDOK}, FlagCase{0x10, IDOK}, FlagCase{0x30, IDOK},
                                           FlagCase{0x24, IDYES}, FlagCase{0x124, IDNO}, FlagCase{0x23, IDYES},
                                           FlagCase{0x123, IDNO}, FlagCase{0x134, IDNO}, FlagCase{0x1, IDOK},
                                           FlagCase{0x2, IDABORT}, FlagCase{0x5, IDRETRY}));

TEST(MessageBoxSink, returnsScriptedAnswersInOrder)
{
    ScriptedMessageBoxes boxes;
    boxes.enqueue(IDCANCEL);
    boxes.enqueue(IDNO);
    EXPECT_EQ(ShowMessageBoxAt(nullptr, QStringLiteral("a"), ProductCaption(), 0x23, mbpSystem, 0, 0), IDCANCEL);
    EXPECT_EQ(ShowMessageBoxAt(nullptr, QStringLiteral("b"), ProductCaption(), 0x23, mbpSystem, 0, 0), IDNO);
    EXPECT_EQ(ShowMessageBoxAt(nullptr, QStringLiteral("c"), ProductCaption(), 0x23, mbpSystem, 0, 0), IDYES);
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_TRUE(boxes.shown().at(2).position.isNull()); // mode 2: the window system decides
}

// The real box: placed where computed, buttons mapped to the identifiers,
// the active window and focus restored afterwards.
class RealMessageBox : public ::testing::Test
{
protected:
    // Presses the button whose text starts with `prefix` in the first visible box.
    static void pressLater(const QString &prefix, QRect *geometry, QString *text)
    {
        QTimer::singleShot(50, [=] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(w);
                if (!box || !box->isVisible())
                    continue;
                *geometry = box->frameGeometry();
                *text = box->text();
                for (QAbstractButton *b : box->buttons())
                    if (b->text().startsWith(prefix)) {
                        b->click();
                        return;
                    }
            }
        });
    }
};

TEST_F(RealMessageBox, isCentredOverItsOwnerAndReportsTheButtonPressed)
{
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    QLineEdit *edit = new QLineEdit(&owner);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);

    QRect shownAt;
    QString shownText;
    pressLater(QStringLiteral("いいえ"), &shownAt, &shownText);
    const int r = ShowMessageBoxAt(edit, QStringLiteral("削除しますか？  \r\n元に戻せません  "), ProductCaption(),
                                   0x124, mbpCenterOnOwner, 0, 0);
    EXPECT_EQ(r, IDNO);
    EXPECT_EQ(shownText, QStringLiteral("削除しますか？  \n元に戻せません  "));
    ASSERT_TRUE(shownAt.isValid());
    EXPECT_LE(std::abs(shownAt.center().x() - owner.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(shownAt.center().y() - owner.frameGeometry().center().y()), 1);
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), &owner);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(RealMessageBox, atAPointPutsTheTopLeftCornerThere)
{
    QRect shownAt;
    QString shownText;
    pressLater(QStringLiteral("OK"), &shownAt, &shownText);
    EXPECT_EQ(ShowMessageBoxAt(nullptr, QStringLiteral("x"), ProductCaption(), 0x40, mbpAtPoint, 30, 40), IDOK);
    EXPECT_EQ(shownAt.topLeft(), QPoint(30, 40));
}

} // namespace
