#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// The program's manual, Murven19.pdf in the program folder, shown in a PDF
// viewer found on the machine at the page of the window the user is in.
// A window's help context is its place in the manual: the property
// "HelpContext" of the window (or of the focused widget's nearest parent
// that has one), 0 when none has. F1 anywhere asks for it; ヘルプ→操作ガイド
// asks for context 0.
//
// The viewers are tried in this order: evince, okular, zathura, mupdf, each
// told the page on its command line; else the desktop's opener (xdg-open),
// which opens the document at its start. They are looked for at each help
// request, so a viewer installed while the program runs is used at once.
// Only the viewer this object started is ever closed.

enum class TViewerKind { None, Evince, Okular, Zathura, MuPdf, Opener };

struct TViewer {
    TViewerKind Kind = TViewerKind::None;
    QString Program; // full path
};

// The first viewer found in the folders of a PATH-style list.
[[nodiscard]] TViewer FindViewer(const QString &PathVariable);

// The manual page (counted from 0) of a help context: 999 is the first
// page; from context 1 on the offset is added when it is switched on.
[[nodiscard]] int ManualPageIndex(int HelpContext, bool OffsetEnabled, int Offset);
// The offset the program uses: pages 0 to 3 are the cover and the
// introduction, so context 1 is on page 4 (the fifth page).
constexpr int ManualPageOffset = 3;

// The number of pages of a PDF file (its page objects), 0 when it cannot be
// read. A help context past the manual's end opens its last page instead of
// leaving the viewer on an error or a page it does not have.
[[nodiscard]] int PdfPageCount(const QString &Path);

// The command-line arguments that open Document at PageIndex (from 0).
[[nodiscard]] QStringList ViewerArguments(TViewerKind Kind, const QString &Document, int PageIndex);

// The help context a widget stands for (see above).
[[nodiscard]] int HelpContextOf(const QWidget *Widget);

class TPDFHelp : public QObject
{
    Q_OBJECT

public:
    explicit TPDFHelp(QObject *parent = nullptr);
    ~TPDFHelp() override;

    // Looks for a viewer in the PATH of the environment (PathVariable when
    // given); true when one was found.
    bool CheckReader(const QString &PathVariable = QString());
    // Looks again where the last CheckReader looked (the PATH as it is now
    // when it was given none).
    bool CheckReaderAgain() { return CheckReader(m_pathVariable); }
    void SetDocument(const QString &Path); // kept only when the file exists
    void SetTitle(const QString &Title) { m_title = Title; }
    void SetPageOffsetEnabled(bool On) { m_offsetEnabled = On; }
    void SetPageOffset(int Offset) { m_offset = Offset; }

    // Opens the document at the page of HelpContext; false when nothing
    // could be shown (the reason was told the user).
    bool ShowPage(int HelpContext);
    // Closes the viewer this object started, when it still runs.
    void CloseDocument();

    [[nodiscard]] bool NotUsable() const { return m_notUsable; }
    [[nodiscard]] int ErrorCode() const { return m_errorCode; }
    [[nodiscard]] const QString &ErrorText() const { return m_errorText; }
    [[nodiscard]] const TViewer &Viewer() const { return m_viewer; }
    [[nodiscard]] const QString &Document() const { return m_document; }
    // The arguments of the last start, for the curious and for tests.
    [[nodiscard]] const QStringList &LastArguments() const { return m_lastArguments; }
    [[nodiscard]] bool ViewerRunning() const;

private:
    TViewer m_viewer;
    QString m_pathVariable; // null: the environment's PATH
    bool m_notUsable = true;
    int m_errorCode = 1;
    QString m_errorText;
    QString m_document;
    int m_documentPages = 0;
    QString m_title;
    bool m_offsetEnabled = false;
    int m_offset = 0;
    QStringList m_lastArguments;
    std::unique_ptr<QProcess> m_process;
};

// The program's manual object (created and freed by the start-up).
extern TPDFHelp *PDFHelp;

// Creates PDFHelp for AppPath + "Murven19.pdf" and lets F1 ask it for the
// page of the active window.
void CreateManual();
void CloseManual();
void FreeManual();

// A help request as the application's help system answers it: the page of
// HelpContext, or the reason the manual cannot be shown. True when shown.
bool ShowHelp(int HelpContext);
