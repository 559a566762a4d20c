#include "core/VersionInfo.h"

#include "util/MsgBoxPos.h"

#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

#ifndef MURVEN_VERSION_MAJOR
#define MURVEN_VERSION_MAJOR 0
#define MURVEN_VERSION_MINOR 0
#define MURVEN_VERSION_PATCH 0
#define MURVEN_VERSION_TWEAK 0
#endif

const QString PublisherUrl = QStringLiteral("https://pyx-soft.example/");
const QString ProductUrl = QStringLiteral("https://pyx-soft.example/murven19/");

std::array<int, 4> ProgramVersion()
{
    return {MURVEN_VERSION_MAJOR, MURVEN_VERSION_MINOR, MURVEN_VERSION_PATCH, MURVEN_VERSION_TWEAK};
}

QString FormatVersionLabel(const std::array<int, 4> &Version)
{
    if (Version[2] != 0)
        return QStringLiteral("Version %1.%2.%3").arg(Version[0]).arg(Version[1]).arg(Version[2]);
    return QStringLiteral("Version %1.%2").arg(Version[0]).arg(Version[1]);
}

std::optional<TMemoryStatus> ParseMemInfo(QByteArrayView Text)
{
    // Lines "MemTotal:       16318540 kB".
    std::optional<qint64> total;
    std::optional<qint64> available;
    for (const QByteArray &line : Text.toByteArray().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon);
        if (key != "MemTotal" && key != "MemAvailable")
            continue;
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.endsWith(" kB"))
            value.chop(3);
        bool ok = false;
        const qint64 kb = value.trimmed().toLongLong(&ok);
        if (!ok || kb < 0)
            continue;
        (key == "MemTotal" ? total : available) = kb;
    }
    if (!total || !available || *total <= 0)
        return std::nullopt;
    return TMemoryStatus{std::min(*available, *total), *total};
}

std::optional<TMemoryStatus> ReadMemoryStatus()
{
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // /proc files report a size of 0: read until the end.
    return ParseMemInfo(file.readAll());
}

namespace {

QString grouped(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

} // namespace

QString FormatMemoryLabel(const TMemoryStatus &Status)
{
    return QStringLiteral("利用可能なメモリ:  %1 / %2 (KB)").arg(grouped(Status.AvailableKB), grouped(Status.TotalKB));
}

QString FormatMemoryPercent(const TMemoryStatus &Status)
{
    const double percent = Status.TotalKB > 0 ? double(Status.AvailableKB) / double(Status.TotalKB) * 100.0 : 0.0;
    return QStringLiteral("[") + QString::number(percent, 'f', 1) + QStringLiteral(" %]");
}

QString OperatingSystemLabel()
{
    return QSysInfo::prettyProductName() + QStringLiteral("  [") + QSysInfo::kernelType() + QLatin1Char(' ') +
           QSysInfo::kernelVersion() + QStringLiteral("]");
}

TVersionInfo::TVersionInfo(QWidget *Owner)
    : QDialog(Owner)
{
    setObjectName(QStringLiteral("VersionInfo"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    const QIcon windowIcon = Owner && !Owner->windowIcon().isNull() ? Owner->windowIcon()
                                                                     : style()->standardIcon(QStyle::SP_ComputerIcon);
    icon->setPixmap(windowIcon.pixmap(48, 48));
    auto named = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    QLabel *product = named("lblProduct", ProductCaption());
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    product->setFont(big);
    lblVersion = named("lblVersion", FormatVersionLabel(ProgramVersion()));
    QLabel *rights = named("lblCopyright", QStringLiteral("Copyright (C) Pyx. All rights reserved."));
    QLabel *os = named("lblOS", OperatingSystemLabel());
    lblMemory = named("lblMemory", QString());
    pbMemory = new QProgressBar(this);
    pbMemory->setObjectName(QStringLiteral("pbMemory"));
    pbMemory->setTextVisible(false);
    lblPercent = named("lblPercent", QString());
    auto link = [&](const char *name, const QString &caption, const QString &url) {
        QLabel *l = named(name, QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), caption.toHtmlEscaped()));
        l->setTextFormat(Qt::RichText);
        l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        l->setCursor(Qt::PointingHandCursor);
        // The desktop's URL handler; the label never opens anything itself.
        l->setOpenExternalLinks(false);
        connect(l, &QLabel::linkActivated, this, [](const QString &target) { QDesktopServices::openUrl(QUrl(target)); });
        return l;
    };
    QLabel *lblURL = link("lblURL", QStringLiteral("ホームページ"), PublisherUrl);
    QLabel *lblURLApp = link("lblURLApp", QStringLiteral("製品情報ページ"), ProductUrl);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(product), static_cast<QWidget *>(lblVersion), static_cast<QWidget *>(rights)})
        text->addWidget(w);
    text->addSpacing(8);
    text->addWidget(os);
    text->addWidget(lblMemory);
    auto *bar = new QHBoxLayout;
    bar->addWidget(pbMemory, 1);
    bar->addWidget(lblPercent);
    text->addLayout(bar);
    text->addSpacing(8);
    auto *links = new QHBoxLayout;
    links->addWidget(lblURL);
    links->addWidget(lblURLApp);
    links->addStretch();
    text->addLayout(links);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    tmrMemory = new QTimer(this);
    tmrMemory->setObjectName(QStringLiteral("tmrMemory"));
    tmrMemory->setInterval(1000);
    connect(tmrMemory, &QTimer::timeout, this, &TVersionInfo::tmrMemoryTimer);
    tmrMemoryTimer();
    tmrMemory->start();
    adjustSize();
}

void TVersionInfo::tmrMemoryTimer()
{
    const std::optional<TMemoryStatus> status = ReadMemoryStatus();
    if (!status) {
        lblMemory->setText(QStringLiteral("利用可能なメモリ:  不明"));
        lblPercent->clear();
        pbMemory->setValue(0);
        return;
    }
    lblMemory->setText(FormatMemoryLabel(*status));
    // The bar counts in MB so totals above 2 TB in KB still fit an int.
    const auto mb = [](qint64 kb) { return int(std::llround(double(kb) / 1024.0)); };
    pbMemory->setRange(0, std::max(1, mb(status->TotalKB)));
    pbMemory->setValue(mb(status->AvailableKB));
    lblPercent->setText(FormatMemoryPercent(*status));
}
