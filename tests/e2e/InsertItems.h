#pragma once

// The user's insertion road shared by the inserted-item tests: 挿入 ->
// 差出人情報, イラスト (a 400 x 300 picture saved into Folder), QRコード and
// 図形, in this order, each through its own command and dialog.

#include "editors/ItemCommands.h"
#include "editors/PrintEditor.h"

#include <QAction>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Runs Command and appends the item it added to Added (nothing when the
// command found no place and inserted nothing).
inline void insertByCommand(TPrintEditor &Editor, const char *Command, QList<const TDrawRect *> &Added)
{
    const size_t before = Editor.Document().Items.size();
    Editor.findChild<QAction *>(QLatin1String(Command))->trigger();
    if (Editor.Document().Items.size() == before + 1)
        Added << Editor.Document().Items.back().get();
}

// The sender block, a picture, a QR code and a figure; the items inserted.
inline QList<const TDrawRect *> insertFourItems(TPrintEditor &Editor, const QTemporaryDir &Folder)
{
    QList<const TDrawRect *> added;
    insertByCommand(Editor, "actInsertSender", added);

    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(0, 90, 0));
    const QString picture = Folder.filePath(QStringLiteral("photo.bmp"));
    EXPECT_TRUE(image.save(picture));
    Editor.findChild<TItemCommands *>()->ChooseImageFile = [picture] { return picture; };
    insertByCommand(Editor, "actInsertIllust", added);

    Editor.ExecDialog = [](QDialog &D) {
        auto *memo = D.findChild<QPlainTextEdit *>(QStringLiteral("memText"));
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("https://example.jp/murven"));
        D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        return D.result();
    };
    insertByCommand(Editor, "actInsertQRCode", added);

    Editor.ExecDialog = [](QDialog &D) {
        D.accept();
        return D.result();
    };
    insertByCommand(Editor, "actInsertFigure", added);
    return added;
}
