#include "editors/DesignForm.h"

#include "editors/ItemCommands.h"
#include "editors/EditorTextCommands.h"

TDesignForm::TDesignForm(QWidget *Owner, TEditorHost &Host) : TPrintEditor(TLayoutKind::Design, Host, Owner)
{
    setObjectName(QStringLiteral("DesignForm"));
    setWindowTitle(QStringLiteral("文面印刷"));
    setProperty("HelpContext", 91); // the manual page of the design editor
    new TItemCommands(*this, Host);
    new TTextCommands(*this);
}
