// F1 in each print editor opens the manual at the page about it, and F1 in
// an editor's print preview at the page about previews: the page the viewer
// is asked to open carries the heading the manual's contents give it.

#include "EditorsFixture.h"
#include "FakeHost.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "support/ManualF1.h"

#include <QAction>
#include <QDialog>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

struct EditorPage {
    const char *name;
    std::function<std::unique_ptr<TPrintEditor>(FakeHost &)> make;
    int paper; // catalogue record of its layout
    const char16_t *heading; // as the manual's contents name the page
};

class EditorManualPages : public ::testing::TestWithParam<EditorPage>
{
protected:
    SampleBook book;
    FakeHost host{book.table};
    ManualF1 manual;
};

TEST_P(EditorManualPages, f1OpensThePageAboutTheEditor)
{
    const std::unique_ptr<TPrintEditor> editor = GetParam().make(host);
    TLabelGrid grid;
    editor->SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    EXPECT_EQ(manual.HeadingOpenedByF1In(editor.get()), ManualF1::AsRead(GetParam().heading));
}

std::unique_ptr<TPrintEditor> cardEditor(FakeHost &host)
{
    auto editor = std::make_unique<TLabelForm>(nullptr, host);
    editor->SetCardMode(true);
    return editor;
}

INSTANTIATE_TEST_SUITE_P(
    Editors, EditorManualPages,
    ::testing::Values(
        EditorPage{"addressSide", [](FakeHost &h) { return std::make_unique<TLayoutForm>(nullptr, h); }, 0,
                   u"宛名印刷の画面"},
        EditorPage{"labels", [](FakeHost &h) { return std::make_unique<TLabelForm>(nullptr, h); }, 24,
                   u"ラベル印刷の画面"},
        EditorPage{"cards", cardEditor, 24, u"名刺印刷の画面"},
        EditorPage{"design", [](FakeHost &h) { return std::make_unique<TDesignForm>(nullptr, h); }, 0,
                   u"文面印刷の画面"}),
    [](const ::testing::TestParamInfo<EditorPage> &info) { return std::string(info.param.name); });

TEST(EditorPreview, f1InThePreviewOpensThePageAboutPreviews)
{
    SampleBook book;
    FakeHost host{book.table};
    ManualF1 manual;
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(0, catalogueFormat(0, &grid), grid);
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1};
        return true;
    };
    std::string heading;
    editor.ExecPreview = [&](QDialog &Dialog) { heading = manual.HeadingOpenedByF1In(&Dialog); };
    editor.findChild<QAction *>(QStringLiteral("actPreview"))->trigger();
    EXPECT_EQ(heading, ManualF1::AsRead(u"表示メニューと印刷プレビュー"));
}

} // namespace
