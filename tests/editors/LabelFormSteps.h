#pragma once

// The label editor as the label tests set it up, and the steps they share,
// each through its menu command and dialog as the user takes it.

#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/Env.h"
#include "editors/LabelForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>

// A label editor, shown nowhere, over a sample book of its own, on the
// catalogue's paper Paper.
struct LabelFormOnBook {
    explicit LabelFormOnBook(int Paper)
    {
        TLabelGrid grid;
        form.SetLayout(Paper, catalogueFormat(Paper, &grid), grid);
    }

    // The data folder, made before the book and the editor.
    bool dataRoot = QDir().mkpath(DataRoot);
    SampleBook book;
    FakeHost host{book.table};
    TLabelForm form{nullptr, host};
};

// 書式 → 詳細 with the automatic layout switched off.
inline void chooseDetailedFrames(TLabelForm &Form)
{
    Form.ExecDialog = [](QDialog &D) {
        D.findChild<QCheckBox *>(QStringLiteral("ckbAuto"))->click();
        return int(QDialog::Accepted);
    };
    Form.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
}

// 書式 → 付加情報 with four lines shown: TEL, E-Mail1, the first keyword and
// FreeText, a text of the user's own.
inline void chooseFourLines(TLabelForm &Form, const QString &FreeText)
{
    Form.ExecDialog = [FreeText](QDialog &D) {
        const int ids[] = {3, 9, 11, 0};
        for (int i = 0; i < 4; ++i) {
            D.findChild<QCheckBox *>(QStringLiteral("ckbAddition%1").arg(i + 1))->setChecked(true);
            auto *combo = D.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(i + 1));
            if (ids[i]) {
                combo->setCurrentIndex(combo->findData(ids[i]));
            } else {
                combo->setCurrentIndex(-1);
                combo->setEditText(FreeText);
            }
        }
        return int(QDialog::Accepted);
    };
    Form.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
}
