// The detailed frames of postcards and envelopes have a frame for the joint
// names beside the name's: a person with five joint names, entered as the
// record form stores them, printed with 書式 → 詳細 (the frames laid out one
// by one) through the wizard; each joint line is measured on the PDF.
#include "PrintedInk.h"
#include "editors/LayoutForm.h"
#include "items/NameRect.h"
#include "support/RowName.h"

#include <QCheckBox>

namespace {

struct JointCase {
    const char *name;
    int paper;
    // The smallest character the user can read on the paper, in mm.
    double readable;
};

class JointFrame : public PrintedInkFixture, public ::testing::TestWithParam<JointCase>
{
protected:
    static constexpr int kRender = 600;

    void detailedFrames(TLayoutForm &Editor)
    {
        Editor.ExecDialog = [](QDialog &Dialog) {
            Dialog.findChild<QCheckBox *>(QStringLiteral("ckbAuto"))->click();
            Dialog.accept();
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
    }
    // The frame of the detail set that holds Role's item.
    static const TDrawRect *itemOfRole(TLayoutDocument &D, int Role)
    {
        for (size_t i = 0; i < D.Items.size() && i < D.ItemRoles.size(); ++i)
            if (D.ItemRoles[i] == Role)
                return D.Items[i].get();
        return nullptr;
    }
};

TEST_P(JointFrame, fiveJointNamesPrintInTheirFrameAtAReadableSize)
{
    const qint32 rec = AddRecord(QStringLiteral("山田 太郎"), QStringLiteral("千代田区永田町一丁目７番１号"), {},
                                 {QStringLiteral("花子"), QStringLiteral("次郎"), QStringLiteral("三郎"),
                                  QStringLiteral("四郎"), QStringLiteral("五郎")});
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    detailedFrames(editor);
    ASSERT_TRUE(editor.Document().Detail);
    // The frame set's roles: name 7, joint names 8.
    const TDrawRect *name = itemOfRole(editor.Document(), 7);
    const TDrawRect *joint = itemOfRole(editor.Document(), 8);
    ASSERT_NE(name, nullptr);
    ASSERT_NE(joint, nullptr) << "the paper's joint frame holds no item";
    const bool vertical = !editor.Document().HorizontalWriting();
    const QImage page = PrintThroughWizard(editor, rec, 600, kRender);
    ASSERT_FALSE(page.isNull());

    // Across the joint frame: one run of ink per joint line.
    const QRect jointDots = MmToDots(ItemMm(*joint), kRender);
    const auto lines = InkRuns(page, kRender, jointDots, !vertical);
    ASSERT_EQ(lines.size(), 5) << "joint lines printed in their frame";
    for (const auto &[from, to] : lines)
        EXPECT_GE(to - from, GetParam().readable) << "a joint line of " << (to - from) << " mm";
    // The name's frame holds the name alone, as large as the frame allows.
    const auto nameLines = InkRuns(page, kRender, MmToDots(ItemMm(*name), kRender), !vertical);
    EXPECT_EQ(nameLines.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(DetailedFrames, JointFrame,
                         ::testing::Values(JointCase{"verticalPostcard", 0, 2.0}, JointCase{"horizontalPostcard", 1, 2.0},
                                           JointCase{"long3VerticalEnvelope", 2, 2.0},
                                           JointCase{"long3HorizontalEnvelope", 3, 2.0},
                                           JointCase{"long3LandscapeEnvelope", 4, 2.0}),
                         rowName);

} // namespace
