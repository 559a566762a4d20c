#include "core/GrpEdt.h"

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/WaitCursor.h"
#include "util/WriteFailure.h"
#include "widgets/EnterKey.h"
#include "widgets/TntStdCtrls.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

std::array<QString, GroupCount + 1> GroupNames = {QStringLiteral("指定なし")};

int GroupFileWaitMs = 5000;

namespace {

const QString SecGroup = QStringLiteral("GROUP");

QString fullWidthNumber(int value) { return ToFullWidthW(QString::number(value)); }

QString groupKey(int index) { return QStringLiteral("Group") + QString::number(index); }

const TAdrsFolderInfo *openBook()
{
    return AdrsFolderIndex >= 0 && AdrsFolderIndex < AdrsFolderList.size() ? &AdrsFolderList[AdrsFolderIndex]
                                                                            : nullptr;
}

} // namespace

QString GroupFileName(const QString &folder) { return AdrsPath + folder + QStringLiteral("/Group.dat"); }

QString DefaultGroupName(int index) { return QStringLiteral("グループ") + fullWidthNumber(index); }

namespace {
TGroupNameList readNames(const TMemIniFile &ini)
{
    TGroupNameList names;
    names[0] = QStringLiteral("指定なし");
    for (int i = 1; i <= GroupCount; ++i)
        names[size_t(i)] = Cp932::truncatedToBytes(ini.ReadString(SecGroup, groupKey(i), DefaultGroupName(i)),
                                                   MaxGroupNameBytes);
    return names;
}
} // namespace

TGroupNameList ReadGroupNames(const QString &folder)
{
    return readNames(TMemIniFile(GroupFileName(folder)));
}

void LoadGroupNames(const QString &folder)
{
    GroupNames = ReadGroupNames(folder);
}

bool SaveGroupNameChanges(const QString &folder, const TGroupNameList &Base, TGroupNameList &Names, int *Conflict,
                          QString *error)
{
    if (Conflict)
        *Conflict = 0;
    auto refuse = [&](int place, const QString &reason) {
        if (Conflict)
            *Conflict = place;
        if (error)
            *error = reason;
        return false;
    };
    (void)Folders::makePrivatePath(AdrsPath + folder);
    // Held until the file is replaced: no other program reads the names
    // between this read and this write.
    TFileLock lock(GroupFileName(folder));
    if (!lock.Acquire(GroupFileWaitMs, error))
        return false;
    TMemIniFile ini(GroupFileName(folder));
    const TGroupNameList stored = readNames(ini);
    TGroupNameList merged = stored;
    for (size_t i = 1; i <= GroupCount; ++i) {
        if (Names[i] == Base[i])
            continue;
        if (stored[i] != Base[i] && stored[i] != Names[i])
            return refuse(int(i), QStringLiteral("グループ%1の名前は、ほかの画面かほかのプログラムで「%2」に変更されています")
                                      .arg(fullWidthNumber(int(i)), stored[i]));
        merged[i] = Names[i];
    }
    for (size_t i = 1; i <= GroupCount; ++i) {
        for (size_t j = i + 1; j <= GroupCount; ++j) {
            if (merged[i] != merged[j] || (Names[i] == Base[i] && Names[j] == Base[j]))
                continue;
            // The place this writer named; the other one the file holds.
            const bool mine = Names[j] != Base[j];
            const size_t own = mine ? j : i;
            const size_t other = mine ? i : j;
            return refuse(int(own), QStringLiteral("グループ名「%1」は、ほかの画面かほかのプログラムでグループ%2に設定されています")
                                        .arg(merged[own], fullWidthNumber(int(other))));
        }
    }
    for (int i = 1; i <= GroupCount; ++i)
        ini.WriteString(SecGroup, groupKey(i), merged[size_t(i)]);
    if (!ini.UpdateFile(error))
        return false;
    Names = merged;
    return true;
}

// ---- TGruopEdit ------------------------------------------------------------

TGruopEdit::TGruopEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GruopEdit"));
    // The manual page F1 opens.
    setProperty("HelpContext", HelpContext);
    setWindowTitle(QStringLiteral("グループ名の設定"));

    lblMsg = new QLabel(QStringLiteral("アドレス帳のグループ項目の名称を設定します："), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    auto *grid = new QGridLayout;
    for (int i = 0; i < GroupCount; ++i) {
        auto *label = new QLabel(fullWidthNumber(i + 1) + QStringLiteral("："), this);
        label->setObjectName(QStringLiteral("lblGroup%1").arg(i + 1));
        auto *edit = new TTntEdit(this);
        edit->setObjectName(QStringLiteral("edtGroup%1").arg(i + 1));
        edit->setProperty("Tag", i);
        edit->SetMaxLengthBytes(MaxGroupNameBytes);
        edit->SetText(GroupNames[static_cast<size_t>(i + 1)]);
        edit->installEventFilter(this);
        label->setBuddy(edit);
        grid->addWidget(label, i, 0, Qt::AlignRight);
        grid->addWidget(edit, i, 1);
        m_labels[static_cast<size_t>(i)] = label;
        m_edits[static_cast<size_t>(i)] = edit;
    }

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TGruopEdit::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TGruopEdit::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg);
    layout->addLayout(grid);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    m_base = GroupNames;
    Changed = false;
}

TGruopEdit::~TGruopEdit() = default;

void TGruopEdit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_edits[0]->setFocus();
    // After the window system's own focus handling, which selects the text.
    QMetaObject::invokeMethod(
        this, [this] { m_edits[0]->end(false); }, Qt::QueuedConnection);
}

bool TGruopEdit::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<TTntEdit *>(watched);
    if (edit && event->type() == QEvent::FocusOut) {
        edit->CutToMaxLengthBytes();
    } else if (edit && IsEnterKeyPress(event)) {
        // The last name is the end of the form: Return there is its OK.
        if (edit == m_edits.back()) {
            edit->CutToMaxLengthBytes();
            btnOk->setFocus();
            btnOk->click();
            return true;
        }
        focusNextChild();
        if (auto *next = qobject_cast<TTntEdit *>(focusWidget()))
            next->end(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TGruopEdit::accept()
{
    TWaitCursor wait;
    std::array<QString, GroupCount> names;
    for (int i = 0; i < GroupCount; ++i) {
        TTntEdit *edit = m_edits[static_cast<size_t>(i)];
        edit->CutToMaxLengthBytes();
        names[static_cast<size_t>(i)] = edit->GetText().trimmed();
        if (names[static_cast<size_t>(i)].isEmpty()) {
            ShowMessageBoxAt(this,
                             QStringLiteral("グループ項目") + fullWidthNumber(i + 1) + QStringLiteral("が未入力です  "),
                             ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
            edit->setFocus();
            return;
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        // A group name is a value of the group column of an exported file,
        // which the import looks up among the names: "指定なし" would read as
        // no group, and unquoted a comma splits the line and a double quote
        // hides the commas after it.
        QString refusal;
        if (names[i] == GroupNames[0])
            refusal = QStringLiteral("「") + GroupNames[0] + QStringLiteral("」はグループ名に設定できません  ");
        else if (names[i].contains(u',') || names[i].contains(u'"'))
            refusal = QStringLiteral("グループ項目") + fullWidthNumber(int(i) + 1)
                      + QStringLiteral("に「,」と「\"」は使用できません  ");
        if (!refusal.isEmpty()) {
            ShowMessageBoxAt(this, refusal, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
            m_edits[i]->setFocus();
            m_edits[i]->end(false);
            return;
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = i + 1; j < names.size(); ++j) {
            if (names[i] == names[j]) {
                ShowMessageBoxAt(this, QStringLiteral("同じグループ名は設定できません  "), ProductCaption(),
                                 MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
                m_edits[j]->setFocus();
                m_edits[j]->end(false);
                return;
            }
        }
    }
    const TAdrsFolderInfo *book = openBook();
    QString error;
    if (!book) {
        ShowWriteFailure(this, QStringLiteral("グループ名"), QString(), QStringLiteral("アドレス帳が開かれていません"));
        return;
    }
    // Another window or program may have changed the book's names since this
    // dialog read them: only the names typed here are written over the file's.
    TGroupNameList saved = m_base;
    for (size_t i = 0; i < names.size(); ++i)
        saved[i + 1] = names[i];
    int conflict = 0;
    if (!SaveGroupNameChanges(book->Folder, m_base, saved, &conflict, &error)) {
        if (conflict == 0) {
            // The program goes on with the names the file still holds; the
            // typed ones stay in the edits to be saved again or dropped.
            ShowWriteFailure(this, QStringLiteral("グループ名"), GroupFileName(book->Folder), error);
            return;
        }
        // The other's names are shown where this dialog changed nothing; the
        // name that meets another stays as typed, and a second OK is the
        // user's choice, made knowing the other name.
        const TGroupNameList stored = ReadGroupNames(book->Folder);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == m_base[i + 1])
                m_edits[i]->SetText(stored[i + 1]);
        m_base = stored;
        ShowMessageBoxAt(this, error + QStringLiteral("  \r\nグループ名を確かめてから、もう一度ＯＫを押してください  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        m_edits[size_t(conflict - 1)]->setFocus();
        m_edits[size_t(conflict - 1)]->end(false);
        return;
    }
    bool changed = false;
    for (size_t i = 1; i <= GroupCount; ++i)
        changed = changed || saved[i] != GroupNames[i];
    GroupNames = saved;
    Changed = changed;
    QDialog::accept();
}
