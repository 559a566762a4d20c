#pragma once

#include "addressbook/PrintEditors.h"

// Lets the main list open the print editors (sets PrintEditorOpener): the
// editors print for the main list's selected rows through MainListHost.
void RegisterPrintEditors();
// The editor window of that kind over the main list, not yet shown.
QWidget *CreatePrintEditor(TPrintEditorKind Kind, QWidget *Owner);
// Whether a new editor window offers its start menu once it is up (on by
// default; tests of the main list's commands switch it off).
extern bool ShowEditorStartMenu;
