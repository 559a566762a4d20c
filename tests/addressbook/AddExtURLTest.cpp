#include "addressbook/AddExtURL.h"

#include "support/ScriptedMessageBoxes.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

TCapturedWindow window(const QString &title, QList<TCapturedWindow::TChild> children)
{
    return {title, std::move(children)};
}

struct Capture {
    const char *name;
    QList<TCapturedWindow> windows;
    QString url;
};
void PrintTo(const Capture &c, std::ostream *os) { *os << c.name; }
class BrowserCapture : public ::testing::TestWithParam<Capture>
{
};

TEST_P(BrowserCapture, takesTheFirstBrowserAddress)
{
    EXPECT_EQ(FindBrowserURL(GetParam().windows), GetParam().url);
}

const TCapturedWindow::TChild kEdit{QStringLiteral("Edit"), QStringLiteral("http://a.example/  ")};

INSTANTIATE_TEST_SUITE_P(
    Table, BrowserCapture,
    ::testing::Values(
        Capture{"firstOfTwoBrowsers",
                {window(QStringLiteral("A - Mozilla Firefox"), {{QStringLiteral("MozillaEdit"), "http://first/"}}),
                 window(QStringLiteral("B - Google Chrome"), {{QStringLiteral("Edit"), "http://second/"}})},
                QStringLiteral("http://first/")},
        Capture{"searchTermSkipped",
                {window(QStringLiteral("Chrome"), {{QStringLiteral("Edit"), "天気"}, {"Edit", "Http://x/"}}),
                 window(QStringLiteral("Chrome"), {{QStringLiteral("Static"), "http://label/"}, kEdit})},
                QStringLiteral("http://a.example/")},
        Capture{"notABrowser", {window(QStringLiteral("メモ帳"), {kEdit})}, QString()}),

    [](const ::testing::TestParamInfo<Capture> &info) { return std::string(info.param.name); });

class AddExtURLTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        dialog.reset();
        SetWindowListSource({});
    }
    void open()
    {
        dialog = std::make_unique<TAddExtURL>(nullptr);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    TTntEdit *edit() const { return dialog->findChild<TTntEdit *>("edtURL"); }
    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(name); }

    ScriptedMessageBoxes boxes;
    std::unique_ptr<TAddExtURL> dialog;
};

TEST_F(AddExtURLTest, captureIsDisabledWhereNoWindowListCanBeRead)
{
    open();
    EXPECT_FALSE(button("bbtnGetURL")->isEnabled());
}

TEST_F(AddExtURLTest, captureFillsTheEditAndEmptiesItWhenNoBrowserIsOpen)
{
    QList<TCapturedWindow> windows{window(QStringLiteral("Firefox"), {kEdit})};
    SetWindowListSource([&windows] { return windows; });
    open();
    QTest::mouseClick(button("bbtnGetURL"), Qt::LeftButton);
    EXPECT_EQ(edit()->GetText(), QStringLiteral("http://a.example/"));

    windows.clear();
    QTest::mouseClick(button("bbtnGetURL"), Qt::LeftButton);
    EXPECT_TRUE(edit()->GetText().isEmpty());
}

TEST_F(AddExtURLTest, registerNeedsTextAndGivesItTrimmed)
{
    open();
    QTest::keyClicks(edit(), QStringLiteral("   "));
    QTest::mouseClick(button("btnAdd"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());

    QTest::keyClicks(edit(), QStringLiteral("http://b.example/ "));
    QTest::mouseClick(button("btnAdd"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->URL(), QStringLiteral("http://b.example/"));
    EXPECT_EQ(dialog->GetURL(), QByteArray("http://b.example/"));
    EXPECT_EQ(boxes.count(), 0);
}

} // namespace
