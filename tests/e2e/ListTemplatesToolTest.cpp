// The build tool that writes the list print's own templates (Common/
// LstPrint.tpl) from their authored text: a name longer than 一覧表の印刷's
// name box holds (30 characters), which the box would cut, fails the build
// and writes nothing.
#include "UserRoad.h"
#include "exchange/ListPrtLayout.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>

namespace {

class ListTemplatesTool : public UserRoadFixture
{
protected:
    // The tool run over an authored text of one template named Name, into
    // Output; its exit code.
    int build(const QString &Name, const QString &Output)
    {
        const QString source = folder.filePath(QStringLiteral("templates.txt"));
        QFile file(source);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("[%1]\nItemNo=1,19,10,11\nItemSize=4,14,8,78\nItemAlign=2,0,0,0\n").arg(Name).toUtf8());
        file.close();
        QProcess tool;
        tool.start(QStringLiteral(MURVEN_LIST_TEMPLATES_TOOL), {source, Output});
        EXPECT_TRUE(tool.waitForFinished(30000));
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }

    QTemporaryDir folder;
};

TEST_F(ListTemplatesTool, aNameLongerThanTheNameBoxFailsTheBuildAndWritesNothing)
{
    const QString name = QStringLiteral("取引先").repeated(10) + QStringLiteral("様");
    const QString output = folder.filePath(QStringLiteral("LstPrint.tpl"));
    EXPECT_NE(build(name, output), 0);
    EXPECT_FALSE(QFile::exists(output));
}

} // namespace
