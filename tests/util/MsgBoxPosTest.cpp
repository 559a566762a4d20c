#include "support/RowName.h"
#include "support/WindowManagerRun.h"
#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

struct PlaceCase { const char *name; int mode; QRect owner; QSize box; QPoint point; QRect workArea; QPoint expected; };

class MessageBoxPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(MessageBoxPlacement, centresRoundingTowardZeroAndStaysInsideTheWorkArea)
{
    const PlaceCase &c = GetParam();
    EXPECT_EQ(MessageBoxPosition(c.mode, c.owner, c.box, c.point, c.workArea), c.expected);
}

const QRect kWorkArea(0, 0, 1024, 768);

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageBoxPlacement,
    ::testing::Values(
        // Differences 199 and 199 round toward zero: 99.
        PlaceCase{"largerOwner", mbpCenterOnOwner, {100, 100, 400, 300}, {201, 101}, {}, kWorkArea, {199, 199}},
        PlaceCase{"overTheEdges", mbpCenterOnOwner, {900, 700, 300, 200}, {200, 100}, {}, kWorkArea, {824, 668}},
        PlaceCase{"nearTheOrigin", mbpCenterOnOwner, {0, 0, 50, 20}, {200, 100}, {}, kWorkArea, {0, 0}},
        PlaceCase{"noWorkArea", mbpCenterOnOwner, {0, 0, 50, 20}, {200, 100}, {}, QRect(), {-75, -40}}),
    rowName);

// Presses the button whose text starts with `prefix` in the first visible box.
void pressLater(const QString &prefix, QRect *geometry, QString *text)
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

TEST(RealMessageBox, isCentredOverItsOwnerAndReportsTheButtonPressed)
{
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    QLineEdit *edit = new QLineEdit(&owner);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    edit->setFocus();

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

// On a desktop the window manager frames the box with a title bar only
// once it is shown: the framed box, not the box it was placed as, stands in
// the middle of its owner.
TEST(FramedMessageBox, isCentredWithItsTitleBarOverItsOwner)
{
    if (!UnderWindowManager()) {
        GTEST_SKIP() << "needs a window manager; run by FramedMessageBoxUnderAWindowManager";
    }
    ASSERT_TRUE(WaitForWindowManager()) << "no window manager frames the windows";
    QWidget owner;
    owner.setGeometry(150, 120, 700, 500);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    const QRect ownerFrame = owner.frameGeometry();
    QRect framed;
    std::function<void()> answer = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        // Framed once the title bar stands above the box.
        if (!box || box->frameGeometry().height() <= box->geometry().height()) {
            QTimer::singleShot(20, answer);
            return;
        }
        QTimer::singleShot(300, box, [&framed, box] {
            framed = box->frameGeometry();
            box->buttons().first()->click();
        });
    };
    QTimer::singleShot(0, answer);
    ShowMessageBoxAt(&owner, QStringLiteral("削除しました  "), ProductCaption(), MB_OK | MB_ICONINFORMATION,
                     mbpCenterOnOwner, 0, 0);
    ASSERT_TRUE(framed.isValid());
    EXPECT_LE(std::abs(framed.center().x() - ownerFrame.center().x()), 1)
        << framed.x() << "," << framed.y() << " " << framed.width() << "x" << framed.height();
    EXPECT_LE(std::abs(framed.center().y() - ownerFrame.center().y()), 1)
        << framed.x() << "," << framed.y() << " " << framed.width() << "x" << framed.height();
}

TEST(FramedMessageBoxUnderAWindowManager, isCentredWithItsTitleBarOverItsOwner)
{
    if (UnderWindowManager()) {
        GTEST_SKIP() << "the child runs the case itself";
    }
    const TWindowManagerRun run = RunUnderWindowManager(QStringLiteral("FramedMessageBox.*"));
    if (!run.Ran) {
        GTEST_SKIP() << run.SkipReason.toStdString();
    }
    EXPECT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_TRUE(run.Output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << run.Output.toStdString();
}

// A long message (a cause with its detail) is wrapped by the box as it is
// shown, narrower than it measured before: it is still centred.
TEST(RealMessageBox, aLongMessageIsCentredAsItIsShownWrapped)
{
    QWidget owner;
    owner.setGeometry(200, 100, 900, 600);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    const QString detail = QStringLiteral("ファイルが読み取り専用のため、書き込めません。ファイルの読み取り専用の設定を外してから、"
                                          "やり直してください。（詳細：「/home/user/Documents/宛名印刷/年賀状/2027/"
                                          "取引先一覧_最新版_確認済み.pdf」に書き込めません：Permission denied）");
    QRect shownAt;
    QString shownText;
    pressLater(QStringLiteral("OK"), &shownAt, &shownText);
    ShowMessageBoxAt(&owner, QStringLiteral("印刷を開始できませんでした  \r\n") + detail, ProductCaption(), MB_ICONERROR,
                     mbpCenterOnOwner, 0, 0);
    ASSERT_TRUE(shownAt.isValid());
    EXPECT_LE(std::abs(shownAt.center().x() - owner.frameGeometry().center().x()), 1)
        << shownAt.x() << "," << shownAt.y() << " " << shownAt.width() << "x" << shownAt.height();
    EXPECT_LE(std::abs(shownAt.center().y() - owner.frameGeometry().center().y()), 1);
}

// The flag combinations the windows pass: the real box shows the icon and
// the buttons they ask for, and Enter answers with the default button.
// buttons: captions joined by "|".
struct FlagCase { unsigned flags; QMessageBox::Icon icon; const char16_t *buttons, *defaultButton; int enterAnswer; };

class RealMessageBoxFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(RealMessageBoxFlags, showTheIconAndButtonsAskedForAndEnterPicksTheDefault)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton, caption;
    // Answers the box once it is up, however long that takes.
    std::function<void()> answer = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            QTimer::singleShot(20, answer);
            return;
        }
        icon = box->icon();
        caption = box->windowTitle();
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Return);
    };
    QTimer::singleShot(20, answer);
    EXPECT_EQ(ShowMessageBoxAt(nullptr, QStringLiteral("x"), ProductCaption(), GetParam().flags, mbpSystem, 0, 0),
              GetParam().enterAnswer);
    EXPECT_EQ(icon, GetParam().icon);
    EXPECT_EQ(caption, QStringLiteral("ピルカノス2014"));
    buttons.sort();
    QStringList expected = QString::fromUtf16(GetParam().buttons).split(QLatin1Char('|'));
    expected.sort();
    EXPECT_EQ(buttons, expected);
    EXPECT_EQ(defaultButton, QString::fromUtf16(GetParam().defaultButton));
}

INSTANTIATE_TEST_SUITE_P(
    UsedFlags, RealMessageBoxFlags,
    ::testing::Values(FlagCase{0x40, QMessageBox::Information, u"OK", u"OK", IDOK},
                      FlagCase{0x10, QMessageBox::Critical, u"OK", u"OK", IDOK},
                      FlagCase{0x24, QMessageBox::Question, u"はい(&Y)|いいえ(&N)", u"はい(&Y)", IDYES},
                      FlagCase{0x124, QMessageBox::Question, u"はい(&Y)|いいえ(&N)", u"いいえ(&N)", IDNO},
                      FlagCase{0x123, QMessageBox::Question, u"はい(&Y)|いいえ(&N)|キャンセル", u"いいえ(&N)", IDNO},
                      FlagCase{0x134, QMessageBox::Warning, u"はい(&Y)|いいえ(&N)", u"いいえ(&N)", IDNO}));

// The narrowest boxes the windows show: a short text with and without an
// icon, one or three buttons. Each is as wide as its title bar needs to
// show "ピルカノス2014" whole: the caption in bold beside the window's icon
// and the three buttons a window system may put there, each about as wide
// as the bar is high.
struct NarrowCase { const char *name; const char16_t *text; unsigned flags; };
void PrintTo(const NarrowCase &c, std::ostream *os) { *os << c.name; }

class NarrowMessageBox : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowMessageBox, isAtLeastAsWideAsItsCaption)
{
    int width = 0;
    int needed = 0;
    std::function<void()> measure = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            QTimer::singleShot(20, measure);
            return;
        }
        QFont title = QApplication::font("QMdiSubWindowTitleBar");
        title.setBold(true);
        needed = QFontMetrics(title).horizontalAdvance(box->windowTitle())
                 + 4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
        width = box->frameGeometry().width();
        QTest::keyClick(box, Qt::Key_Escape);
    };
    QTimer::singleShot(20, measure);
    (void)ShowMessageBoxAt(nullptr, QString::fromUtf16(GetParam().text), ProductCaption(), GetParam().flags,
                           mbpSystem, 0, 0);
    ASSERT_GT(needed, 0);
    EXPECT_GE(width, needed);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, NarrowMessageBox,
    ::testing::Values(NarrowCase{"oneLetterNoIcon", u"x", 0x0},
                      NarrowCase{"shortNotice", u"該当なし  ", 0x40},
                      NarrowCase{"shortQuestion", u"削除しますか？  ", 0x123}),
    rowName);

} // namespace
