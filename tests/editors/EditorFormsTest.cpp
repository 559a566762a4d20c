#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/PDFHelp.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "items/NameRect.h"

#include <QAction>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

enum class Notice { Current, Updated, Deleted };

void notify(TPrintEditorNotice &Editor, Notice Kind)
{
    switch (Kind) {
    case Notice::Current: Editor.NotifyCurrentRecordChanged(); break;
    case Notice::Updated: Editor.NotifyRecordUpdated({1}); break;
    case Notice::Deleted: Editor.NotifyRecordDeleted({1}); break;
    }
}

QString mergedName(TPrintEditor &Editor)
{
    for (auto &item : Editor.Document().Items)
        if (auto *name = dynamic_cast<TNameRect *>(item.get()); name && !name->IsSender())
            return name->GetName();
    return {};
}

struct LayoutNoticeCase {
    const char *name;
    int frames;
    int dataMode;
    Notice notice;
    bool merges;
};

class LayoutFormNotice : public ::testing::TestWithParam<LayoutNoticeCase>
{};

TEST_P(LayoutFormNotice, mergesAgainOnlyWithFiveFramesOutsideSenderMode)
{
    const LayoutNoticeCase &c = GetParam();
    SampleBook book;
    FakeHost host(book.table);
    TLayoutForm form(nullptr, host);
    TLabelGrid grid;
    TLayoutFormat format = catalogueFormat(0, &grid);
    format.Simple.Count = c.frames;
    form.SetLayout(0, format, grid);
    form.SetDataMode(c.dataMode);
    host.Current = 2;
    QSignalSpy merged(&form, &TPrintEditor::LayoutChanged);
    notify(form, c.notice);
    EXPECT_EQ(merged.count(), c.merges ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(EditorForms, LayoutFormNotice,
                         ::testing::Values(LayoutNoticeCase{"sevenFramesCurrent", 7, 0, Notice::Current, true},
                                           LayoutNoticeCase{"fiveFramesCurrent", 5, 0, Notice::Current, true},
                                           LayoutNoticeCase{"fourFramesCurrent", 4, 0, Notice::Current, false},
                                           LayoutNoticeCase{"senderModeCurrent", 7, 2, Notice::Current, false},
                                           LayoutNoticeCase{"sevenFramesUpdated", 7, 0, Notice::Updated, true},
                                           LayoutNoticeCase{"fourFramesUpdated", 4, 0, Notice::Updated, false},
                                           LayoutNoticeCase{"senderModeUpdated", 7, 2, Notice::Updated, false},
                                           LayoutNoticeCase{"sevenFramesDeleted", 7, 0, Notice::Deleted, true},
                                           LayoutNoticeCase{"fourFramesDeleted", 4, 0, Notice::Deleted, false},
                                           LayoutNoticeCase{"senderModeDeleted", 7, 2, Notice::Deleted, false}),
                         [](const ::testing::TestParamInfo<LayoutNoticeCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(LayoutForm, noticeMergesTheNewCurrentRecord)
{
    SampleBook book;
    FakeHost host(book.table);
    TLayoutForm form(nullptr, host);
    TLabelGrid grid;
    form.SetLayout(0, catalogueFormat(0, &grid), grid);
    host.Current = 2;
    form.NotifyCurrentRecordChanged();
    EXPECT_EQ(mergedName(form), QStringLiteral("佐藤 花子"));
}

TEST(LayoutForm, deletedCurrentRecordMergesAsEmpty)
{
    SampleBook book;
    FakeHost host(book.table);
    TLayoutForm form(nullptr, host);
    TLabelGrid grid;
    form.SetLayout(0, catalogueFormat(0, &grid), grid);
    ASSERT_FALSE(mergedName(form).isEmpty());
    host.Current = 99;
    form.NotifyRecordDeleted({1});
    EXPECT_TRUE(mergedName(form).trimmed().isEmpty());
}

class LabelFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TAddressText sender;
        sender.NameKanji = QStringLiteral("差出 太郎");
        host.Sender = sender;
        TLabelGrid grid;
        form.SetLayout(24, catalogueFormat(24, &grid), grid);
    }

    SampleBook book;
    FakeHost host{book.table};
    TLabelForm form{nullptr, host};
};

TEST_F(LabelFormTest, startsInLabelModeOnTheCurrentRecord)
{
    EXPECT_FALSE(form.IsCardMode());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ラベル印刷"));
    EXPECT_EQ(mergedName(form), QStringLiteral("山田 太郎"));
}

TEST_F(LabelFormTest, cardModeCaptionHelpAndSenderData)
{
    form.SetCardMode(true);
    EXPECT_TRUE(form.IsCardMode());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("名刺印刷"));
    EXPECT_EQ(form.HelpContext(), TLabelForm::CardHelpContext);
    EXPECT_EQ(HelpContextOf(&form), TLabelForm::CardHelpContext);
    EXPECT_EQ(mergedName(form), QStringLiteral("差出 太郎"));
}

TEST_F(LabelFormTest, cardModeHintsSpeakOfCards)
{
    form.SetCardMode(true);
    int cardHints = 0;
    for (QAction *action : form.findChildren<QAction *>())
        cardHints += action->statusTip().contains(QStringLiteral("名刺")) ? 1 : 0;
    EXPECT_EQ(cardHints, 7);
}

TEST_F(LabelFormTest, setCardModeFalseDoesNothing)
{
    form.SetCardMode(false);
    EXPECT_FALSE(form.IsCardMode());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ラベル印刷"));
}

TEST_F(LabelFormTest, labelModeNoticeMergesAgain)
{
    host.Current = 3;
    QSignalSpy merged(&form, &TPrintEditor::LayoutChanged);
    form.NotifyCurrentRecordChanged();
    EXPECT_EQ(merged.count(), 1);
    EXPECT_EQ(mergedName(form), QStringLiteral("鈴木 一郎"));
}

TEST_F(LabelFormTest, cardModeIgnoresNotices)
{
    form.SetCardMode(true);
    host.Current = 3;
    QSignalSpy merged(&form, &TPrintEditor::LayoutChanged);
    form.NotifyCurrentRecordChanged();
    form.NotifyRecordUpdated({3});
    form.NotifyRecordDeleted({3});
    EXPECT_EQ(merged.count(), 0);
}

TEST(DesignForm, hasItsCaption)
{
    SampleBook book;
    FakeHost host(book.table);
    TDesignForm form(nullptr, host);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("文面印刷"));
}

} // namespace

// Each editor opens inside the screen's available area even when it asks for
// more (a screen smaller than the editor's own size, a size kept from a larger
// screen): nothing of it is cut off below the screen's edge.
template <typename Form> void expectOpensInsideTheScreen()
{
    SampleBook book;
    FakeHost host(book.table);
    Form form(nullptr, host);
    const QRect area = form.screen()->availableGeometry();
    form.resize(form.width(), area.height() + 240);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(area.contains(form.frameGeometry())) << form.frameGeometry().height() << " in " << area.height();
}

TEST(EditorWindows, addressSideOpensInsideTheScreen) { expectOpensInsideTheScreen<TLayoutForm>(); }
TEST(EditorWindows, labelAndCardOpensInsideTheScreen) { expectOpensInsideTheScreen<TLabelForm>(); }
TEST(EditorWindows, designOpensInsideTheScreen) { expectOpensInsideTheScreen<TDesignForm>(); }
