// The editors' print-data files: the open and save dialogs of the kind's
// folder, the thumbnail stored for the open dialog, the file edited last
// and the start menu.
#include "editors/PrintEditor.h"

#include "core/Env.h"
#include "dialogs/PrtFiles.h"
#include "dialogs/PrtMenu.h"
#include "dialogs/PrtOpen.h"
#include "items/MetaRect.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalBlocker>

namespace {

// The longer side of a stored thumbnail in pixels.
constexpr int kThumbnailSide = 240;

const QString kLastFile = QStringLiteral("LastFile");
const QString kShowMenu = QStringLiteral("ShowMenu");

} // namespace

QString TPrintEditor::FilesSection() const
{
    switch (m_document.Kind) {
    case TLayoutKind::AddressSide: return QStringLiteral("LAYOUT EDIT");
    case TLayoutKind::Label: return QStringLiteral("LABEL EDIT");
    case TLayoutKind::Card: return QStringLiteral("CARD EDIT");
    case TLayoutKind::Design: break;
    }
    return QStringLiteral("DESIGN EDIT");
}

QString TPrintEditor::PrintDataPath(const QString &Title) const
{
    const std::optional<TDocKindInfo> info = DocKindInfo(int(m_document.Kind));
    return info ? info->Folder + Title + info->Extension : QString();
}

void TPrintEditor::CreateFileActions()
{
    actShowMenu = new QAction(QStringLiteral("起動時にメニューを表示する(&M)"), this);
    actShowMenu->setObjectName(QStringLiteral("actShowMenu"));
    actShowMenu->setCheckable(true);
    actShowMenu->setChecked(TMemIniFile(SettingsFileName()).ReadBool(FilesSection(), kShowMenu, true));
    addAction(actShowMenu);
    if (QMenu *file = menuBar()->findChild<QMenu *>(QStringLiteral("mnuFile"))) {
        QAction *before = file->actions().value(file->actions().indexOf(actClose) - 1);
        file->insertAction(before, actShowMenu);
    }
    connect(actShowMenu, &QAction::toggled, this, [this](bool On) {
        TMemIniFile ini(SettingsFileName());
        ini.WriteBool(FilesSection(), kShowMenu, On);
        QString error;
        if (!ini.UpdateFile(&error))
            ShowMessageBoxAt(this, QStringLiteral("設定を保存できませんでした  \n") + error, ProductCaption(),
                             MB_OK | MB_ICONWARNING, mbpCenterOnOwner, 0, 0);
    });
}

void TPrintEditor::ChangeKind(TLayoutKind Kind)
{
    m_kind = Kind;
    m_document.Kind = Kind;
    // The box shows the new kind's setting; reading it is no change to save.
    const QSignalBlocker quiet(actShowMenu);
    actShowMenu->setChecked(TMemIniFile(SettingsFileName()).ReadBool(FilesSection(), kShowMenu, true));
}

void TPrintEditor::RememberFile(const QString &Path)
{
    TMemIniFile ini(SettingsFileName());
    if (ini.ReadString(FilesSection(), kLastFile, QString()) == Path)
        return;
    ini.WriteString(FilesSection(), kLastFile, Path);
    // Only the start menu's offer depends on it: a failed write costs the
    // user that offer, not data, so it is named once a run, not at each save.
    ini.UpdateFileOrTellOnce();
}

QString TPrintEditor::RunFileDialog(bool Save)
{
    const int kind = int(m_document.Kind);
    const std::optional<TDocKindInfo> info = DocKindInfo(kind);
    if (!info)
        return {};
    if (!Folders::makePrivatePath(info->Folder)) {
        ShowMessageBoxAt(this, QStringLiteral("印刷データのフォルダを作成できませんでした  \n") + info->Folder,
                         ProductCaption(), MB_OK | MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return {};
    }
    const QString current = m_lastFileName.isEmpty() ? QString() : QFileInfo(m_lastFileName).completeBaseName();
    const int paperKind = m_document.Format.Kind == quint8(TPaperKind::Envelope) ? 1 : 0;
    QString title;
    if (Save) {
        TPrintDataSaveDialog dialog(this);
        dialog.SetDocKind(kind);
        dialog.SetPaperKind(paperKind);
        dialog.SetSelectedName(current);
        if (ExecDialog(dialog) == QDialog::Accepted)
            title = dialog.GetTitle();
    } else {
        TPrintDataOpenDialog dialog(this);
        dialog.SetDocKind(kind);
        dialog.SetPaperKind(paperKind);
        dialog.SetSelectedName(current);
        if (ExecDialog(dialog) == QDialog::Accepted)
            title = dialog.GetSelectedName();
    }
    return title.isEmpty() ? QString() : PrintDataPath(title);
}

QByteArray TPrintEditor::MakeThumbnail()
{
    const QSize piece = m_document.PieceSize();
    if (piece.isEmpty())
        return {};
    // A piece drawn at the resolution that makes its longer side the
    // thumbnail's, on white paper, as the open dialog shows it.
    const int dpi = std::max(10, int(kThumbnailSide * 254.0 / std::max(piece.width(), piece.height())));
    const QSize pixels(TenthMmToDots(TTenthMm(piece.width()), dpi), TenthMmToDots(TTenthMm(piece.height()), dpi));
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_document.SetReferenceDevice(TReferenceDevice::printer({dpi, dpi}));
        PaintPiece(painter, m_document, {}, {dpi, dpi});
    }
    // The page view gets its own layout back.
    MergeCurrentRecord();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    return writer.write(image) ? jpeg : QByteArray();
}

void TPrintEditor::RunStartMenu()
{
    // The setting keeps the whole path; the file is looked for under its
    // title in the kind's folder of the data folder in use, which a restore
    // or a change of data folder may have moved since.
    const QString stored = TMemIniFile(SettingsFileName()).ReadString(FilesSection(), kLastFile, QString());
    const QString last = stored.isEmpty() ? QString() : PrintDataPath(QFileInfo(stored).completeBaseName());
    int choice = !last.isEmpty() && QFileInfo::exists(last) ? 2 : 0;
    if (actShowMenu->isChecked()) {
        TPrintMenuDialog menu(this);
        menu.SetDocKind(int(m_document.Kind));
        menu.SetChoice(choice);
        if (ExecDialog(menu) != QDialog::Accepted)
            return;
        choice = menu.GetChoice();
        actShowMenu->setChecked(menu.GetShowMenu());
    }
    switch (choice) {
    case 0: actNew->trigger(); break;
    case 1: actOpen->trigger(); break;
    default: (void)OpenFile(last); break;
    }
}
