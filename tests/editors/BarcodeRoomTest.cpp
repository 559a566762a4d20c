// A label too small for the smallest customer barcode prints none, however
// the layout's items came to be: the label editor's own commands build the
// layout, the run goes through the print wizard to a PDF, and the ink of
// the record printed in the first label must stay on that label.
#include "PrintedInk.h"
#include "editors/LabelForm.h"
#include "items/BarRect.h"
#include "support/RowName.h"

#include <QAction>
#include <QCheckBox>

#include <functional>

namespace {

// The 44-label sheet: 48.3 mm is shorter than the smallest barcode.
constexpr int kSmallLabel = 22;
// The 10-label sheet, whose labels take a barcode.
constexpr int kLargeLabel = 16;

struct RoadCase {
    const char *name;
    std::function<void(TLabelForm &, ScriptedMessageBoxes &)> build;
};

// 書式 → 詳細: 表示情報のレイアウトを自動でおこなう switched, confirmed.
void switchFrames(TLabelForm &Editor, ScriptedMessageBoxes &)
{
    const auto exec = Editor.ExecDialog;
    Editor.ExecDialog = [](QDialog &Dialog) {
        Dialog.findChild<QCheckBox *>(QStringLiteral("ckbAuto"))->click();
        Dialog.accept();
        return Dialog.result();
    };
    Editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
    Editor.ExecDialog = exec;
}

void trigger(TLabelForm &Editor, const char *Action)
{
    QAction *action = Editor.findChild<QAction *>(QLatin1String(Action));
    ASSERT_NE(action, nullptr) << Action;
    ASSERT_TRUE(action->isEnabled()) << Action;
    action->trigger();
}

void setPaper(TLabelForm &Editor, int Paper)
{
    TLabelGrid grid;
    Editor.SetLayout(Paper, catalogueFormat(Paper, &grid), grid);
}

class BarcodeRoom : public PrintedInkFixture, public ::testing::TestWithParam<RoadCase>
{
protected:
    // The ink of the first printed page, in dots at kDpi.
    QImage printFirstRecord(TLabelForm &Editor) { return PrintThroughWizard(Editor, 1, 600, kDpi); }

    static constexpr int kDpi = 100;
};

TEST_P(BarcodeRoom, printsNothingOutsideTheLabel)
{
    TLabelForm editor(nullptr, host);
    ASSERT_NO_FATAL_FAILURE(GetParam().build(editor, boxes));
    ASSERT_EQ(editor.Document().FormatIndex, kSmallLabel);
    const QImage page = printFirstRecord(editor);
    ASSERT_FALSE(page.isNull()) << "nothing printed";
    const QRect cell = editor.Document().CellRect(0);
    auto dots = [](int Tenths) { return int(std::lround(Tenths / 254.0 * kDpi)); };
    // A dot of rasterising around the label.
    const QRect label = QRect(QPoint(dots(cell.left()), dots(cell.top())),
                              QPoint(dots(cell.left() + cell.width()), dots(cell.top() + cell.height())))
                            .adjusted(-1, -1, 1, 1);
    const int onLabel = inkIn(page, label);
    EXPECT_GT(onLabel, 0) << "the record printed nothing";
    EXPECT_EQ(inkIn(page, page.rect()) - onLabel, 0) << "ink outside the first label";
    for (const auto &item : editor.Document().Items) {
        if (item->GetKind() == TDrawRectKind::Barcode) {
            EXPECT_FALSE(item->IsVisible());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    SmallLabel, BarcodeRoom,
    ::testing::Values(RoadCase{"newLayout", [](TLabelForm &E, ScriptedMessageBoxes &) { setPaper(E, kSmallLabel); }},
                      RoadCase{"detailedFrames",
                               [](TLabelForm &E, ScriptedMessageBoxes &B) {
                                   setPaper(E, kSmallLabel);
                                   switchFrames(E, B);
                                   ASSERT_TRUE(E.Document().Detail);
                               }},
                      RoadCase{"detailedFramesAndBack",
                               [](TLabelForm &E, ScriptedMessageBoxes &B) {
                                   setPaper(E, kSmallLabel);
                                   switchFrames(E, B);
                                   switchFrames(E, B);
                                   ASSERT_FALSE(E.Document().Detail);
                               }},
                      RoadCase{"detailedFramesUndoneAndRedone",
                               [](TLabelForm &E, ScriptedMessageBoxes &B) {
                                   setPaper(E, kSmallLabel);
                                   switchFrames(E, B);
                                   trigger(E, "actUndo");
                                   trigger(E, "actRedo");
                                   ASSERT_TRUE(E.Document().Detail);
                               }},
                      RoadCase{"paperChangedFromALargeLabel",
                               [](TLabelForm &E, ScriptedMessageBoxes &) {
                                   setPaper(E, kLargeLabel);
                                   TLabelGrid grid;
                                   E.ChangePaper(kSmallLabel, catalogueFormat(kSmallLabel, &grid), grid);
                               }},
                      RoadCase{"paperChangedWithDetailedFrames",
                               [](TLabelForm &E, ScriptedMessageBoxes &B) {
                                   setPaper(E, kLargeLabel);
                                   switchFrames(E, B);
                                   TLabelGrid grid;
                                   E.ChangePaper(kSmallLabel, catalogueFormat(kSmallLabel, &grid), grid);
                               }}),
    rowName);

} // namespace

namespace {

bool barsShown(TLabelForm &Editor)
{
    for (const auto &item : Editor.Document().Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            return item->IsVisible();
    return false;
}

void changePaper(TLabelForm &Editor, int Paper)
{
    TLabelGrid grid;
    Editor.ChangePaper(Paper, catalogueFormat(Paper, &grid), grid);
}

class PaperRoundTrip : public PrintedInkFixture, public ::testing::Test
{
};

} // namespace

// 用紙の変更 to a label too small for the bars and back: the bars the small
// label hid come back with the paper that takes them, wherever the layout
// began; bars the user hid stay hidden.
TEST_F(PaperRoundTrip, barsAPaperHidComeBackWithAPaperThatTakesThem)
{
    constexpr int kSmallTurned = 23;
    for (const bool startSmall : {false, true}) {
        TLabelForm editor(nullptr, host);
        setPaper(editor, startSmall ? kSmallLabel : kLargeLabel);
        if (startSmall)
            changePaper(editor, kLargeLabel);
        ASSERT_TRUE(barsShown(editor)) << startSmall;
        changePaper(editor, kSmallLabel);
        EXPECT_FALSE(barsShown(editor));
        changePaper(editor, kSmallTurned);
        EXPECT_FALSE(barsShown(editor));
        changePaper(editor, kLargeLabel);
        EXPECT_TRUE(barsShown(editor)) << "after the small labels, started small: " << startSmall;
    }

    TLabelForm editor(nullptr, host);
    setPaper(editor, kLargeLabel);
    for (const auto &item : editor.Document().Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            item->SetVisible(false);
    changePaper(editor, kSmallLabel);
    changePaper(editor, kLargeLabel);
    EXPECT_FALSE(barsShown(editor)) << "the user's hidden bars";
}
