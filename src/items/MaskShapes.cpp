#include "items/MaskShapes.h"

#include "platform/Folders.h"

#include <QFile>
#include <QList>

namespace {

std::vector<TMaskShape> &library()
{
    static std::vector<TMaskShape> shapes;
    return shapes;
}

QString &loadError()
{
    static QString error;
    return error;
}

[[noreturn]] void fail(int Line, const QString &Why)
{
    throw EMaskShapeError(QStringLiteral("マスク図形のファイルの %1 行目: %2").arg(Line).arg(Why));
}

} // namespace

std::vector<TMaskShape> ParseMaskShapes(const QByteArray &Text)
{
    std::vector<TMaskShape> shapes;
    const QList<QByteArray> lines = Text.split('\n');
    bool inShape = false;
    bool open = false; // a subpath started and not yet closed
    TMaskShape current;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        const QByteArray &cmd = words[0];
        if (cmd == "shape") {
            if (inShape)
                fail(lineNo, QStringLiteral("前の図形が end で終わっていません。"));
            bool ok = false;
            const int number = words.size() >= 2 ? words[1].toInt(&ok) : 0;
            if (!ok || number != int(shapes.size()) + 1)
                fail(lineNo, QStringLiteral("図形の番号は %1 のはずです。").arg(shapes.size() + 1));
            current = TMaskShape{number, words.size() >= 3 ? QString::fromUtf8(words[2]) : QString(), {}};
            inShape = true;
            continue;
        }
        if (!inShape)
            fail(lineNo, QStringLiteral("図形の外に命令があります。"));
        if (cmd == "end") {
            if (open)
                fail(lineNo, QStringLiteral("輪郭が Z で閉じられていません。"));
            if (current.Path.isEmpty())
                fail(lineNo, QStringLiteral("図形に輪郭がありません。"));
            shapes.push_back(current);
            inShape = false;
            continue;
        }
        if (cmd == "Z") {
            if (!open || words.size() != 1)
                fail(lineNo, QStringLiteral("閉じる輪郭がありません。"));
            current.Path.closeSubpath();
            open = false;
            continue;
        }
        const qsizetype want = cmd == "M" || cmd == "L" ? 2 : cmd == "C" ? 6 : -1;
        if (want < 0)
            fail(lineNo, QStringLiteral("不明な命令 %1 です。").arg(QString::fromUtf8(cmd)));
        if (words.size() - 1 != want)
            fail(lineNo, QStringLiteral("座標の数が違います。"));
        QList<QPointF> points;
        for (qsizetype k = 1; k < words.size(); k += 2) {
            bool okx = false, oky = false;
            const double x = words[k].toDouble(&okx), y = words[k + 1].toDouble(&oky);
            if (!okx || !oky)
                fail(lineNo, QStringLiteral("座標が数ではありません。"));
            if (x < 0 || x > 1 || y < 0 || y > 1)
                fail(lineNo, QStringLiteral("座標が 0 から 1 の範囲を外れています。"));
            points.append(QPointF(x, y));
        }
        if (cmd == "M") {
            if (open)
                fail(lineNo, QStringLiteral("輪郭が Z で閉じられていません。"));
            current.Path.moveTo(points[0]);
            open = true;
        } else if (!open) {
            fail(lineNo, QStringLiteral("M で始まっていない輪郭です。"));
        } else if (cmd == "L") {
            current.Path.lineTo(points[0]);
        } else {
            current.Path.cubicTo(points[0], points[1], points[2]);
        }
    }
    if (inShape)
        fail(int(lines.size()), QStringLiteral("最後の図形が end で終わっていません。"));
    return shapes;
}

QString DefaultMaskFilePath()
{
    return Folders::programFolder() + QStringLiteral("Common/Mask/masks.txt");
}

void LoadMaskFiles(const QString &Path)
{
    library().clear();
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        throw EMaskShapeError(QStringLiteral("マスク図形のファイル %1 が読めません: %2").arg(Path, file.errorString()));
    // A shape file is a few kilobytes; anything far larger is not ours.
    if (file.size() > 1024 * 1024)
        throw EMaskShapeError(QStringLiteral("マスク図形のファイル %1 が大きすぎます。").arg(Path));
    std::vector<TMaskShape> shapes = ParseMaskShapes(file.readAll());
    if (shapes.empty())
        throw EMaskShapeError(QStringLiteral("マスク図形のファイル %1 に図形がありません。").arg(Path));
    library() = std::move(shapes);
}

void LoadProgramMaskFiles()
{
    loadError().clear();
    const QString path = DefaultMaskFilePath();
    try {
        LoadMaskFiles(path);
    } catch (const EMaskShapeError &error) {
        library().clear();
        loadError() = error.Message();
        // A line number alone does not say which file it is in.
        if (!loadError().contains(path))
            loadError() = path + QStringLiteral("\r\n") + loadError();
    }
}

QString MaskFilesError()
{
    return loadError();
}

void SetMaskFiles(std::vector<TMaskShape> Shapes)
{
    library() = std::move(Shapes);
}

void FreeMaskFiles()
{
    library().clear();
}

int MaskFileCount()
{
    return int(library().size());
}

const QPainterPath *MaskShapeAt(int Index)
{
    if (Index < 0 || Index >= int(library().size()))
        return nullptr;
    return &library()[size_t(Index)].Path;
}
