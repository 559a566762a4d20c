#include "editors/DesignForm.h"

TDesignForm::TDesignForm(QWidget *Owner, TEditorHost &Host) : TPrintEditor(TLayoutKind::Design, Host, Owner)
{
    setObjectName(QStringLiteral("DesignForm"));
    setWindowTitle(QStringLiteral("文面印刷"));
}
