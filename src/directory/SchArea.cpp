#include "directory/SchArea.h"

#include "core/Env.h"
#include "core/Main.h"
#include "platform/Cp932.h"
#include "util/MsgBoxPos.h"

#include "platform/dic/wqarea17/WqareaFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

std::atomic<bool> SearchStopFlag{false};

const std::array<THitColumn, HitColumnCount> HitColumnCatalogue = {{
    {u"電話番号", false},
    {u"代表電話", false},
    {u"FAX番号", false},
    {u"郵便番号", true},
    {u"住所カナ", true},
    {u"都道府県", false},
    {u"住所１", true},
    {u"住所２", true},
    {u"市町村コード", true},
    {u"会社名カナ", true},
    {u"会社名", true},
    {u"名前カナ", true},
    {u"名前", true},
    {u"個人会社区分", true},
    {u"初期掲載年月", false},
}};

QString AreaDataFolder(int Area)
{
    if (Area < 1 || Area > AreaCount)
        return {};
    const auto a = static_cast<std::size_t>(Area);
    if (AreaOnDisk[a])
        return AreaDiskFolder[a] + AreaSubFolders[a];
    QString root = SearchDataPath;
    if (!root.endsWith(u'/'))
        root += u'/';
    return root + QStringLiteral("Murven19/") + AreaSubFolders[a];
}

QString AreaDicFolder()
{
    return AppPath + QStringLiteral("Dic/");
}

bool CheckAreaData(int Area, QWidget *Owner)
{
    if (Area < 1 || Area > AreaCount)
        return false;
    if (QFileInfo(AreaDataFolder(Area)).isDir())
        return true;
    const auto a = static_cast<std::size_t>(Area);
    const QString text = AreaOnDisk[a] ? AreaCaptions[a] + QStringLiteral("版の電話帳データがHDD内に見つかりません  \r\n"
                                                                          "確認してください  ")
                                       : QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  ");
    ShowMessageBoxAt(Owner, text, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    return false;
}

bool CheckAreaDataFile(int Area, QWidget *Owner)
{
    if (Area < 1 || Area > AreaCount)
        return false;
    const QString file = AreaDataFolder(Area) + QString::fromLatin1(WqareaDataFileName);
    const int format = WqareaFileFormatAt(QFile::encodeName(file).toStdString());
    if (WqareaFormatKnown(format))
        return true;
    const QString region = AreaCaptions[static_cast<std::size_t>(Area)];
    const QString text =
        format > WqareaSchemaVersion
            ? region + QStringLiteral("版の電話帳データは新しい形式のため読めません  \r\n") + QDir::toNativeSeparators(file)
                  + QStringLiteral("  \r\nプログラムを更新してください  ")
            : region + QStringLiteral("版の電話帳データが読めません  \r\n") + QDir::toNativeSeparators(file)
                  + QStringLiteral("  \r\nファイルが壊れているか、電話帳データではありません  ");
    ShowMessageBoxAt(Owner, text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    return false;
}

QByteArray FilterNameText(const QString &Name)
{
    // Character by character, so one character without a Shift-JIS form
    // never turns into a '?' that would match other names.
    QString kept;
    for (qsizetype i = 0; i < Name.size();) {
        const qsizetype len = Name.at(i).isHighSurrogate() && i + 1 < Name.size() ? 2 : 1;
        const QStringView ch = QStringView(Name).mid(i, len);
        if (Cp932::canEncode(ch))
            kept += ch;
        i += len;
    }
    const QByteArray bytes = Cp932::encode(kept);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes.at(i));
        if (Cp932::isLeadByte(c) && i + 1 < bytes.size()) {
            out += bytes.at(i);
            out += bytes.at(i + 1);
            ++i;
        } else if ((c >= 32 && c <= 127) || (c >= 161 && c <= 223)) {
            out += bytes.at(i);
        }
    }
    return Cp932::truncated(out, AreaNameMaxBytes);
}

void SetConditionMonths(TAreaSearchCondition &Condition, int FromYear, int FromMonth, int ToYear, int ToMonth)
{
    std::memset(Condition.MonthFrom, 0, sizeof Condition.MonthFrom);
    std::memset(Condition.MonthTo, 0, sizeof Condition.MonthTo);
    if (FromYear == 0)
        return;
    char from[16];
    char to[16];
    std::snprintf(from, sizeof from, "%.4d%.2d", FromYear, FromMonth);
    std::snprintf(to, sizeof to, "%.4d%.2d", ToYear, ToMonth);
    const bool swap = std::strcmp(from, to) > 0;
    std::memcpy(Condition.MonthFrom, swap ? to : from, 6);
    std::memcpy(Condition.MonthTo, swap ? from : to, 6);
}

bool SetFolderField(char (&Field)[256], const QString &Folder)
{
    const QByteArray bytes = QFile::encodeName(Folder);
    std::memset(Field, 0, sizeof Field);
    if (bytes.size() >= static_cast<qsizetype>(sizeof Field))
        return false;
    std::memcpy(Field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

int AreaSearchCallback(std::int32_t, std::int32_t)
{
    return SearchStopFlag.load(std::memory_order_acquire) ? 0 : -1;
}
