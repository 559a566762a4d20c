#include "editors/PrintEditors.h"

#include "editors/DesignForm.h"
#include "editors/EditorHost.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"

#include <QTimer>

namespace {

// The paper a new window starts on: the first of its kind in the shipped
// catalogue (the vertical postcard, the first A4 label and card sheets,
// the first design paper). A catalogue without it leaves the page empty
// until the user chooses a paper.
constexpr int kFirstPostcard = 0;
constexpr int kFirstLabel = 14;
constexpr int kFirstCard = 24;
constexpr int kFirstDesign = 0;

} // namespace

bool ShowEditorStartMenu = true;

QWidget *CreatePrintEditor(TPrintEditorKind Kind, QWidget *Owner)
{
    TPrintEditor *editor = nullptr;
    int paper = 0;
    switch (Kind) {
    case TPrintEditorKind::AddressSide:
        editor = new TLayoutForm(Owner, MainListHost());
        paper = kFirstPostcard;
        break;
    case TPrintEditorKind::Label:
        editor = new TLabelForm(Owner, MainListHost());
        paper = kFirstLabel;
        break;
    case TPrintEditorKind::Card: {
        auto *form = new TLabelForm(Owner, MainListHost());
        form->SetCardMode(true);
        editor = form;
        paper = kFirstCard;
        break;
    }
    case TPrintEditorKind::Design:
        editor = new TDesignForm(Owner, MainListHost());
        paper = kFirstDesign;
        break;
    }
    if (!editor)
        return nullptr;
    (void)editor->NewLayout(paper, true);
    // The menu waits until the window is up, over it.
    if (ShowEditorStartMenu)
        QTimer::singleShot(0, editor, &TPrintEditor::RunStartMenu);
    return editor;
}

void RegisterPrintEditors()
{
    PrintEditorOpener = CreatePrintEditor;
}
