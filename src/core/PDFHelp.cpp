#include "core/PDFHelp.h"

#include "core/Env.h"
#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

TPDFHelp *PDFHelp = nullptr;

namespace {

struct TViewerName {
    TViewerKind Kind;
    const char *Program;
};
constexpr TViewerName kViewers[] = {
    {TViewerKind::Evince, "evince"}, {TViewerKind::Okular, "okular"},   {TViewerKind::Zathura, "zathura"},
    {TViewerKind::MuPdf, "mupdf"},   {TViewerKind::Opener, "xdg-open"},
};

// Asks the manual for the page of the window F1 was pressed in.
class THelpKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
                if (!key->isAutoRepeat()) {
                    QWidget *widget = QApplication::focusWidget();
                    if (!widget)
                        widget = QApplication::activeModalWidget();
                    if (!widget)
                        widget = QApplication::activeWindow();
                    ShowHelp(HelpContextOf(widget));
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

THelpKeyFilter *helpKeyFilter = nullptr;

} // namespace

TViewer FindViewer(const QString &PathVariable)
{
    const QStringList folders = PathVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const TViewerName &viewer : kViewers) {
        for (const QString &folder : folders) {
            const QFileInfo program(QDir(folder).filePath(QString::fromLatin1(viewer.Program)));
            if (program.isFile() && program.isExecutable())
                return {viewer.Kind, program.absoluteFilePath()};
        }
    }
    return {};
}

int ManualPageIndex(int HelpContext, bool OffsetEnabled, int Offset)
{
    if (HelpContext == 999 || HelpContext < 0)
        return 0;
    return OffsetEnabled && HelpContext >= 1 ? HelpContext + Offset : HelpContext;
}

int PdfPageCount(const QString &Path)
{
    // The manual is a few hundred kilobytes; anything far larger is not it.
    constexpr qint64 largest = 64 * 1024 * 1024;
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largest)
        return 0;
    const QByteArray data = file.readAll();
    // Every page is an object of type /Page; the tree's nodes are /Pages.
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![A-Za-z0-9])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(data)); it.hasNext(); it.next())
        ++count;
    return count;
}

QStringList ViewerArguments(TViewerKind Kind, const QString &Document, int PageIndex)
{
    const QString page = QString::number(PageIndex + 1); // the viewers count from 1
    switch (Kind) {
    case TViewerKind::Evince:
        return {QStringLiteral("-i"), page, Document};
    case TViewerKind::Okular:
        return {QStringLiteral("-p"), page, Document};
    case TViewerKind::Zathura:
        return {QStringLiteral("-P"), page, Document};
    case TViewerKind::MuPdf:
        return {Document, page};
    case TViewerKind::Opener:
        return {Document};
    case TViewerKind::None:
        break;
    }
    return {};
}

int HelpContextOf(const QWidget *Widget)
{
    for (const QWidget *w = Widget; w; w = w->parentWidget()) {
        const QVariant context = w->property("HelpContext");
        if (context.isValid())
            return context.toInt();
    }
    return 0;
}

TPDFHelp::TPDFHelp(QObject *parent)
    : QObject(parent)
{
}

TPDFHelp::~TPDFHelp()
{
    CloseDocument();
}

bool TPDFHelp::CheckReader(const QString &PathVariable)
{
    m_pathVariable = PathVariable;
    const QString path =
        PathVariable.isNull() ? QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH")) : PathVariable;
    m_viewer = FindViewer(path);
    if (m_viewer.Kind == TViewerKind::None) {
        m_notUsable = true;
        m_errorCode = 101;
        m_errorText = QStringLiteral("PDFファイルを表示するソフトが見つかりません  ");
        return false;
    }
    m_notUsable = false;
    m_errorCode = 0;
    m_errorText.clear();
    return true;
}

void TPDFHelp::SetDocument(const QString &Path)
{
    m_document = QFileInfo(Path).isFile() ? Path : QString();
    m_documentPages = m_document.isEmpty() ? 0 : PdfPageCount(m_document);
}

bool TPDFHelp::ViewerRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool TPDFHelp::ShowPage(int HelpContext)
{
    if (m_document.isEmpty() || !QFileInfo(m_document).isFile()) {
        m_errorCode = 201;
        m_errorText = QStringLiteral("『") + m_title + QStringLiteral("』が見つかりません  ");
        ShowMessageBoxAt(nullptr, m_errorText, ProductCaption(), MB_ICONERROR, mbpSystem, 0, 0);
        return false;
    }
    int page = ManualPageIndex(HelpContext, m_offsetEnabled, m_offset);
    if (m_documentPages > 0 && page >= m_documentPages)
        page = m_documentPages - 1;
    // One viewer of ours at a time: the one showing the last page makes room.
    CloseDocument();
    m_lastArguments = ViewerArguments(m_viewer.Kind, m_document, page);
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(m_viewer.Program, m_lastArguments);
    if (!m_process->waitForStarted(5000)) {
        m_errorCode = 301;
        m_errorText = QStringLiteral("PDFファイルの呼び出しができませんでした  \r\nRC = 301  ");
        ShowMessageBoxAt(nullptr, m_errorText + QStringLiteral("\r\n") + m_process->errorString(), ProductCaption(),
                         MB_ICONERROR, mbpSystem, 0, 0);
        m_process.reset();
        return false;
    }
    return true;
}

void TPDFHelp::CloseDocument()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(2000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    m_process.reset();
}

void CreateManual()
{
    if (PDFHelp)
        return;
    PDFHelp = new TPDFHelp;
    PDFHelp->CheckReader();
    PDFHelp->SetDocument(AppPath + QStringLiteral("Murven19.pdf"));
    PDFHelp->SetTitle(ProductCaption() + QStringLiteral(" 操作ガイド"));
    PDFHelp->SetPageOffset(ManualPageOffset);
    PDFHelp->SetPageOffsetEnabled(true);
    if (qApp && !helpKeyFilter) {
        helpKeyFilter = new THelpKeyFilter(qApp);
        qApp->installEventFilter(helpKeyFilter);
    }
}

void CloseManual()
{
    if (PDFHelp)
        PDFHelp->CloseDocument();
}

void FreeManual()
{
    if (helpKeyFilter) {
        qApp->removeEventFilter(helpKeyFilter);
        delete helpKeyFilter;
        helpKeyFilter = nullptr;
    }
    delete PDFHelp;
    PDFHelp = nullptr;
}

bool ShowHelp(int HelpContext)
{
    if (!PDFHelp)
        return false;
    // A viewer installed or removed since the last request counts now.
    PDFHelp->CheckReaderAgain();
    if (PDFHelp->NotUsable()) {
        ShowMessageBoxAt(nullptr,
                         PDFHelp->ErrorText() + QStringLiteral("\r\n\r\n") +
                             QStringLiteral("Evince や Okular など、PDFファイルを表示するソフトを  \r\n"
                                            "インストールしてからお試しください  "),
                         ProductCaption(), MB_ICONWARNING, mbpSystem, 0, 0);
        return false;
    }
    return PDFHelp->ShowPage(HelpContext);
}
