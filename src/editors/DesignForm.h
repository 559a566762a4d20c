#pragma once

#include "editors/PrintEditor.h"

// The design editor: the message side on design paper. The main list never
// tells it of record changes.
class TDesignForm : public TPrintEditor
{
    Q_OBJECT

public:
    explicit TDesignForm(QWidget *Owner, TEditorHost &Host);
};
