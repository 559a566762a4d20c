#pragma once

#include "support/ScriptedMessageBoxes.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

// Answers the print wizard an editor shows: picks the range and the limit
// on the data page (names of their radio buttons), lets Fill set the print
// page, then confirms printing (the Yes of the question is queued on
// Boxes). What the wizard showed is kept for the test. (Its own unit: the
// wizard's header and the editors' layout header do not meet.)
struct WizardAnswer
{
    const char *Range = "rbSelect";
    const char *Limit = "rbNone";
    std::function<void(QDialog &)> Fill;
    // Stop after the data page (the dialog is cancelled there).
    bool CancelAfterData = false;
    // Close through the print page's preview button instead of printing.
    bool Preview = false;

    bool Shown = false;
    QString DataCount;       // lblDataNum of the data page
    QList<qint32> PrintList; // the wizard's print list when it closed

    int operator()(QDialog &Dialog, ScriptedMessageBoxes &Boxes);
};

// Types Text into the named edit and leaves it.
void typeInto(QDialog &Dialog, const char *Edit, const QString &Text);
