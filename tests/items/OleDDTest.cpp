#include "items/OleDD.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

struct DropResult {
    int filesCalls = 0;
    int textCalls = 0;
    QStringList files;
    QString text;
};

class FileDDTest : public testing::Test {
protected:
    void SetUp() override
    {
        dd.RegisterWindow(&window);
        dd.OnDropFiles = [this](const QStringList &f, int, Qt::DropAction &, QPoint) {
            ++result.filesCalls;
            result.files = f;
        };
        dd.OnDropText = [this](const QString &t, int, Qt::DropAction &, QPoint) {
            ++result.textCalls;
            result.text = t;
        };
    }

    // Enters and drops Data; true when the entry was accepted.
    bool dragAndDrop(QMimeData &Data)
    {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        const bool accepted = enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &Data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
        return accepted;
    }

    QObject window;
    TFileDD dd;
    DropResult result;
};

TEST_F(FileDDTest, somethingWithoutFilesOrTextIsRefusedAndItsDropDoesNothing)
{
    QMimeData data;
    data.setData(QStringLiteral("image/png"), QByteArray("x"));
    EXPECT_FALSE(dragAndDrop(data));
    EXPECT_EQ(result.filesCalls + result.textCalls, 0);
}

TEST_F(FileDDTest, filesAndTextTogetherArriveAsFiles)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.jpg"))});
    data.setText(QStringLiteral("text"));
    EXPECT_TRUE(dragAndDrop(data));
    EXPECT_EQ(result.filesCalls, 1);
    EXPECT_EQ(result.textCalls, 0);
    EXPECT_EQ(result.files, QStringList{QStringLiteral("/tmp/a.jpg")});
}

TEST_F(FileDDTest, fiveFilesArriveOnceInTheirOrder)
{
    QMimeData data;
    QList<QUrl> urls;
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        names.append(QStringLiteral("/tmp/写真%1.bmp").arg(5 - i));
        urls.append(QUrl::fromLocalFile(names.last()));
    }
    data.setUrls(urls);
    EXPECT_TRUE(dragAndDrop(data));
    EXPECT_EQ(result.filesCalls, 1);
    EXPECT_EQ(result.files, names);
}

TEST_F(FileDDTest, textIsTrimmedAndBlankTextArrivesEmpty)
{
    QMimeData data;
    data.setText(QStringLiteral(" \t東京都\r\n"));
    EXPECT_TRUE(dragAndDrop(data));
    EXPECT_EQ(result.text, QStringLiteral("東京都"));
    QMimeData blank;
    blank.setText(QStringLiteral("    "));
    EXPECT_TRUE(dragAndDrop(blank));
    EXPECT_EQ(result.textCalls, 2);
    EXPECT_EQ(result.text, QString());
}

TEST_F(FileDDTest, aRevokedWindowNoLongerTakesDrops)
{
    dd.Revoke();
    QMimeData data;
    data.setText(QStringLiteral("x"));
    dragAndDrop(data);
    EXPECT_EQ(result.textCalls, 0);
}

} // namespace
