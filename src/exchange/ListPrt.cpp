#include "exchange/ListPrt.h"

#include "addressbook/AdrsList.h"
#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "core/Env.h"
#include "core/Environment.h"
#include "core/GrpEdt.h"
#include "core/OwnFiles.h"
#include "core/PdfOutFile.h"
#include "exchange/ListPrtPreview.h"
#include "exchange/ListPrtText.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "platform/UnreadableFile.h"
#include "platform/WriteError.h"
#include "util/Font.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WindowFit.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

QPointer<TListPrint> OpenListPrint;

const QStringList kAlignNames{QStringLiteral("左"), QStringLiteral("中央"), QStringLiteral("右")};
const QStringList kVertNames{QStringLiteral("上"), QStringLiteral("下")};
const QString kPreviousLayout = QStringLiteral("前回のレイアウト");
// The file the PDF target writes to, in section LIST PRINT.
const QString kPdfFileKey = QStringLiteral("OutputFile");
const QString kListLayout = QStringLiteral("アドレス帳一覧のレイアウト");
const QString kOriginal = QStringLiteral("オリジナル");
const QString kCustom = QStringLiteral("カスタム");

int tell(QWidget *owner, const QString &text, unsigned flags)
{
    return ShowMessageBoxAt(owner, text, ProductCaption(), flags, mbpCenterOnOwner, 0, 0);
}

QString customTemplateFile()
{
    return DataPath + QStringLiteral("LPCustom.tpl");
}

QString standardTemplateFile()
{
    return AppPath + QStringLiteral("Common/LstPrint.tpl");
}

// Pen of a line type: dotted for 3 and 4, dash-dot for 5.
Qt::PenStyle linePen(int type)
{
    return type == 3 || type == 4 ? Qt::DotLine : type == 5 ? Qt::DashDotLine : Qt::SolidLine;
}

// Strokes drawn side by side for a line type in the window's samples.
int lineStrokes(int type)
{
    return type == 1 || type == 4 ? 2 : type == 2 ? 3 : 1;
}

QPixmap lineTypeSample(int type, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1, linePen(type)));
    const int m = size.height() / 2;
    const int strokes = lineStrokes(type);
    const int first = strokes == 3 ? m - 1 : m;
    for (int i = 0; i < strokes; ++i)
        p.drawLine(4, first + i, size.width() - 5, first + i);
    return pixmap;
}

QPixmap swatch(TColor color)
{
    QPixmap pixmap(48, 14);
    pixmap.fill(ColorToQColor(color));
    return pixmap;
}

class TLinePreview : public QWidget
{
public:
    explicit TLinePreview(std::function<void()> paint, QWidget *parent)
        : QWidget(parent), m_paint(std::move(paint))
    {
    }

protected:
    void paintEvent(QPaintEvent *) override { m_paint(); }

private:
    std::function<void()> m_paint;
};

} // namespace

// ---- Colour list ----------------------------------------------------------

void TListColorBox::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    m_dragRow = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()).row() : -1;
    m_pressAt = event->position().toPoint();
    m_dragging = false;
}

void TListColorBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragRow >= 0 && (event->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance())
        m_dragging = true;
    if (!m_dragging)
        QListWidget::mouseMoveEvent(event);
}

void TListColorBox::mouseReleaseEvent(QMouseEvent *event)
{
    const int from = m_dragRow;
    const bool dragged = m_dragging;
    m_dragRow = -1;
    m_dragging = false;
    QListWidget::mouseReleaseEvent(event);
    if (!dragged || from < 0)
        return;
    // A drop below the last row or on the row itself changes nothing.
    const int to = indexAt(event->position().toPoint()).row();
    if (to >= 0 && to != from)
        emit swapRequested(from, to);
}

namespace {

// The copies box: a number of more digits than the maximum has may be typed
// whole (150 stays 150, not 15), so that leaving the box can tell the user
// the range instead of dropping a digit without a word.
class TCopiesBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &text, int &pos) const override
    {
        const QString digits = text.trimmed();
        const bool number = !digits.isEmpty() && digits.size() <= 3 &&
                            std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (number && digits.toInt() > maximum())
            return QValidator::Intermediate;
        return QSpinBox::validate(text, pos);
    }
};

// The file dialog of a PDF target. A file the user may not write is refused
// as it is chosen, with its cause, and the dialog stays for another name:
// offering to replace it first would only end in the same refusal.
class TPdfFileDialog : public QFileDialog
{
public:
    TPdfFileDialog(QWidget *parent, const QString &suggested)
        : QFileDialog(parent, QStringLiteral("PDFファイルの保存"), suggested, QStringLiteral("PDFファイル (*.pdf)"))
    {
        setObjectName(QStringLiteral("PdfFileDialog"));
        setAcceptMode(QFileDialog::AcceptSave);
        setOption(QFileDialog::DontUseNativeDialog);
    }
    [[nodiscard]] QString Chosen() const
    {
        const QStringList files = selectedFiles();
        QString file = files.isEmpty() ? QString() : files.first();
        if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += QStringLiteral(".pdf");
        return file;
    }

protected:
    void accept() override
    {
        if (const QString refusal = PdfTargetRefusal(Chosen()); !refusal.isEmpty()) {
            tell(this, refusal, MB_OK | MB_ICONERROR);
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

// ---- Window ---------------------------------------------------------------

TListPrint::TListPrint(TAddressList *list)
    : QWidget(list, Qt::Window), m_list(list)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ListPrint"));
    setWindowTitle(QStringLiteral("一覧表の印刷"));
    ChooseColor = [](QWidget *parent, const QColor &initial) -> std::optional<QColor> {
        TMemIniFile ini(CustomColorFileName());
        std::optional<QColor> chosen = ChooseCustomColor(parent, initial, ini);
        if (chosen)
            ini.UpdateFileOrTellOnce(); // the custom colours hold no record data
        return chosen;
    };
    ChoosePdfFile = [](QWidget *parent, const QString &suggested) {
        TPdfFileDialog dialog(parent, suggested);
        return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : QString();
    };
    ExecPrinterDialog = [this](QPrinter &chosen) {
        QPrintDialog dialog(&chosen, this);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        dialog.move(pos() + QPoint(15, 15));
        return dialog.exec() == QDialog::Accepted;
    };
    m_items = MakeListPrintItems(KeywordNames);
    QString pdfFile;
    {
        const TMemIniFile ini(SettingsFileName());
        m_settings = LoadListPrintLayout(ini);
        pdfFile = ini.ReadString(ListPrintSection, kPdfFileKey, {});
        const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect();
        const int left = ini.ReadInteger(ListPrintSection, QStringLiteral("Left"), -1);
        const int top = ini.ReadInteger(ListPrintSection, QStringLiteral("Top"), -1);
        if (left >= 0 && top >= 0 && screen.isValid())
            PlaceWindowFrameAt(this, QPoint(ScaleForDpi(left, true), ScaleForDpi(top, true)));
    }
    m_printer = std::make_unique<TListPrinterInfo>(DataRoot + QStringLiteral("LstPrint.pi"));
    // The printer file has no place for the PDF's file: it is kept beside the
    // layout. Until first saved there, the earlier form's file name stands.
    if (!pdfFile.isEmpty())
        m_printer->SetOutputFile(pdfFile);
    auto *top = new QVBoxLayout(this);
    auto *pageRow = new QHBoxLayout;
    auto *pageGroup = new QButtonGroup(this);
    const std::array<std::pair<QToolButton **, const char *>, 4> pages{{{&sbtnContents, "sbtnContents"},
                                                                         {&sbtnFormat, "sbtnFormat"},
                                                                         {&sbtnLines, "sbtnLines"},
                                                                         {&sbtnRange, "sbtnRange"}}};
    const QStringList pageCaptions{QStringLiteral("印刷内容"), QStringLiteral("書式"), QStringLiteral("罫線・色"),
                                   QStringLiteral("範囲・プリンター")};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(pages[static_cast<std::size_t>(i)].second));
        button->setText(pageCaptions[i]);
        button->setCheckable(true);
        pageGroup->addButton(button, i);
        pageRow->addWidget(button);
        *pages[static_cast<std::size_t>(i)].first = button;
        connect(button, &QToolButton::clicked, this, [this, i] { ShowPage(i); });
    }
    pageRow->addStretch();
    top->addLayout(pageRow);
    pgcPages = new QStackedWidget(this);
    pgcPages->setObjectName(QStringLiteral("pgcPages"));
    pgcPages->addWidget(buildContentsPage());
    pgcPages->addWidget(buildFormatPage());
    pgcPages->addWidget(buildLinesPage());
    pgcPages->addWidget(buildRangePage());
    top->addWidget(pgcPages, 1);

    auto *counts = new QHBoxLayout;
    lblDataCount = new QLabel(this);
    lblDataCount->setObjectName(QStringLiteral("lblDataCount"));
    lblLineCount = new QLabel(this);
    lblLineCount->setObjectName(QStringLiteral("lblLineCount"));
    lblPaperCount = new QLabel(this);
    lblPaperCount->setObjectName(QStringLiteral("lblPaperCount"));
    counts->addWidget(new QLabel(QStringLiteral("印刷データ件数："), this));
    counts->addWidget(lblDataCount);
    counts->addWidget(new QLabel(QStringLiteral("１ページあたりの件数："), this));
    counts->addWidget(lblLineCount);
    counts->addWidget(new QLabel(QStringLiteral("用紙枚数："), this));
    counts->addWidget(lblPaperCount);
    counts->addStretch();
    top->addLayout(counts);

    auto *commands = new QHBoxLayout;
    auto command = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        commands->addWidget(b);
    };
    commands->addStretch();
    command(btnPreview, "btnPreview", QStringLiteral("プレビューを開く"));
    command(btnSave, "btnSave", QStringLiteral("設定保存"));
    command(btnPrint, "btnPrint", QStringLiteral("印刷"));
    command(btnClose, "btnClose", QStringLiteral("閉じる"));
    top->addLayout(commands);

    connectControls();
    RegisterRowWindow(this);
    m_showing = true;
    showSettings();
    loadTemplates();
    m_showing = false;
    // The rows the first layout was just narrowed to are the list's still:
    // they are not read a second time.
    auto readFor = std::move(m_fitRows);
    UpdateDataRange();
    m_fitRows = std::move(readFor);
    UpdatePageCapacity();
    ShowPage(0);
}

TListPrint::~TListPrint()
{
    TMemIniFile ini(SettingsFileName());
    WriteWindowCorner(ini, ListPrintSection, this);
    ini.UpdateFileOrTellOnce(); // a lost window position loses no data
}

QWidget *TListPrint::buildContentsPage()
{
    auto *page = new QWidget(this);
    auto *column = new QVBoxLayout(page);

    auto *templates = new QHBoxLayout;
    cbxTemplateType = new QComboBox(page);
    cbxTemplateType->setObjectName(QStringLiteral("cbxTemplateType"));
    cbxTemplateName = new QComboBox(page);
    cbxTemplateName->setObjectName(QStringLiteral("cbxTemplateName"));
    cbxTemplateName->setEditable(true);
    cbxTemplateName->setInsertPolicy(QComboBox::NoInsert);
    cbxTemplateName->setMaxVisibleItems(11);
    cbxTemplateName->lineEdit()->setMaxLength(ListPrintTemplateNameMax);
    // Template files are Shift-JIS: a character without a Shift-JIS form
    // would come back as "?".
    cbxTemplateName->lineEdit()->setValidator(new TByteLimitValidator(0, cbxTemplateName->lineEdit()));
    btnTemplateSave = new QPushButton(QStringLiteral("保存"), page);
    btnTemplateSave->setObjectName(QStringLiteral("btnTemplateSave"));
    btnTemplateDelete = new QPushButton(QStringLiteral("削除"), page);
    btnTemplateDelete->setObjectName(QStringLiteral("btnTemplateDelete"));
    templates->addWidget(new QLabel(QStringLiteral("テンプレート："), page));
    templates->addWidget(cbxTemplateType);
    templates->addWidget(cbxTemplateName, 1);
    templates->addWidget(btnTemplateSave);
    templates->addWidget(btnTemplateDelete);
    column->addLayout(templates);

    auto *items = new QGroupBox(QStringLiteral("印刷項目の設定"), page);
    auto *itemRow = new QGridLayout(items);
    lbxSrc = new QListWidget(items);
    lbxSrc->setObjectName(QStringLiteral("lbxSrc"));
    lbxDest = new QListWidget(items);
    lbxDest->setObjectName(QStringLiteral("lbxDest"));
    auto *buttons = new QVBoxLayout;
    auto button = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption, items);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
    };
    button(bbtnSet, "bbtnSet", QStringLiteral("セット"));
    button(bbtnDelete, "bbtnDelete", QStringLiteral("削除"));
    button(bbtnAllDelete, "bbtnAllDelete", QStringLiteral("全削除"));
    button(bbtnUp, "bbtnUp", QStringLiteral("↑"));
    button(bbtnDown, "bbtnDown", QStringLiteral("↓"));
    buttons->addStretch();
    edtSize = new QSpinBox(items);
    edtSize->setObjectName(QStringLiteral("edtSize"));
    edtSize->setRange(1, 999);
    cbxAlign = new QComboBox(items);
    cbxAlign->setObjectName(QStringLiteral("cbxAlign"));
    cbxAlign->addItems(kAlignNames);
    itemRow->addWidget(new QLabel(QStringLiteral("項目名："), items), 0, 0);
    itemRow->addWidget(new QLabel(QStringLiteral("印刷順："), items), 0, 2);
    itemRow->addWidget(lbxSrc, 1, 0);
    itemRow->addLayout(buttons, 1, 1);
    itemRow->addWidget(lbxDest, 1, 2);
    auto *detail = new QHBoxLayout;
    detail->addWidget(new QLabel(QStringLiteral("項目幅："), items));
    detail->addWidget(edtSize);
    detail->addWidget(new QLabel(QStringLiteral("(半角文字数)"), items));
    detail->addWidget(new QLabel(QStringLiteral("横位置："), items));
    detail->addWidget(cbxAlign);
    detail->addStretch();
    itemRow->addLayout(detail, 2, 0, 1, 3);
    chkIgnoreTdfkn = new QCheckBox(QStringLiteral("都道府県名は印刷しない"), items);
    chkIgnoreTdfkn->setObjectName(QStringLiteral("chkIgnoreTdfkn"));
    itemRow->addWidget(chkIgnoreTdfkn, 3, 0, 1, 3);
    column->addWidget(items, 1);

    auto *info = new QGroupBox(QStringLiteral("付加情報"), page);
    auto *grid = new QGridLayout(info);
    auto combo = [&](QComboBox *&box, const char *name, const QStringList &entries) {
        box = new QComboBox(info);
        box->setObjectName(QString::fromLatin1(name));
        box->addItems(entries);
    };
    edtTitle = new QLineEdit(info);
    edtTitle->setObjectName(QStringLiteral("edtTitle"));
    edtTitle->setMaxLength(ListPrintTitleMaxBytes);
    // The title is kept in at most 200 bytes of Shift-JIS: what does not fit
    // is refused as it is typed, not cut when the settings are read again.
    edtTitle->setValidator(new TByteLimitValidator(ListPrintTitleMaxBytes, edtTitle));
    combo(cbxTitlePosX, "cbxTitlePosX", kAlignNames);
    chkViewDate = new QCheckBox(QStringLiteral("日付を表示する"), info);
    chkViewDate->setObjectName(QStringLiteral("chkViewDate"));
    dtpViewDate = new QDateEdit(QDate::currentDate(), info);
    dtpViewDate->setObjectName(QStringLiteral("dtpViewDate"));
    dtpViewDate->setCalendarPopup(true);
    combo(cbxDatePosX, "cbxDatePosX", kAlignNames);
    combo(cbxDatePosY, "cbxDatePosY", kVertNames);
    chkViewPage = new QCheckBox(QStringLiteral("ページ数を表示する"), info);
    chkViewPage->setObjectName(QStringLiteral("chkViewPage"));
    combo(cbxPageType, "cbxPageType",
          {QStringLiteral("Page. ***"), QStringLiteral("- *** -"), QStringLiteral("*** ページ"),
           QStringLiteral("Page. *** / [total]"), QStringLiteral("- *** / [total] -"),
           QStringLiteral("*** / [total] ページ")});
    combo(cbxPagePosX, "cbxPagePosX", kAlignNames);
    combo(cbxPagePosY, "cbxPagePosY", kVertNames);
    grid->addWidget(new QLabel(QStringLiteral("タイトル："), info), 0, 0);
    grid->addWidget(edtTitle, 0, 1, 1, 2);
    grid->addWidget(cbxTitlePosX, 0, 3);
    grid->addWidget(chkViewDate, 1, 0);
    grid->addWidget(dtpViewDate, 1, 1);
    grid->addWidget(cbxDatePosX, 1, 2);
    grid->addWidget(cbxDatePosY, 1, 3);
    grid->addWidget(chkViewPage, 2, 0);
    grid->addWidget(cbxPageType, 2, 1);
    grid->addWidget(cbxPagePosX, 2, 2);
    grid->addWidget(cbxPagePosY, 2, 3);
    column->addWidget(info);
    return page;
}

QWidget *TListPrint::buildFormatPage()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    lbxFontName = new QListWidget(page);
    lbxFontName->setObjectName(QStringLiteral("lbxFontName"));
    // Each face carries its character set, which the list print stores
    // with the face.
    QList<TFontFace> faces;
    ListFontNames(faces, false, false);
    std::sort(faces.begin(), faces.end(), [](const TFontFace &a, const TFontFace &b) { return a.name < b.name; });
    for (const TFontFace &face : faces) {
        auto *item = new QListWidgetItem(face.name, lbxFontName);
        item->setData(Qt::UserRole, face.charset);
    }
    cbxFontSize = new QComboBox(page);
    cbxFontSize->setObjectName(QStringLiteral("cbxFontSize"));
    for (int size = ListPrintMinFontSize; size <= ListPrintMaxFontSize; ++size)
        cbxFontSize->addItem(QString::number(size));
    chkBold = new QCheckBox(QStringLiteral("太字"), page);
    chkBold->setObjectName(QStringLiteral("chkBold"));
    chkItalic = new QCheckBox(QStringLiteral("斜体"), page);
    chkItalic->setObjectName(QStringLiteral("chkItalic"));
    cbxRows = new QComboBox(page);
    cbxRows->setObjectName(QStringLiteral("cbxRows"));
    cbxRows->addItems({QStringLiteral("1行"), QStringLiteral("2行"), QStringLiteral("3行")});
    edtOffsetX = new QLineEdit(page);
    edtOffsetX->setObjectName(QStringLiteral("edtOffsetX"));
    edtOffsetX->setMaxLength(4);
    edtOffsetY = new QLineEdit(page);
    edtOffsetY->setObjectName(QStringLiteral("edtOffsetY"));
    edtOffsetY->setMaxLength(4);
    pnlCharset = new QLabel(page);
    pnlCharset->setObjectName(QStringLiteral("pnlCharset"));
    pnlSample = new QLabel(page);
    pnlSample->setObjectName(QStringLiteral("pnlSample"));
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setFrameShape(QFrame::StyledPanel);
    pnlSample->setFrameShadow(QFrame::Sunken);
    pnlSample->setMinimumHeight(56);
    pnlSample->setAutoFillBackground(true);
    pnlSample->setBackgroundRole(QPalette::Base);
    auto *faceCaption = new QHBoxLayout;
    faceCaption->addWidget(new QLabel(QStringLiteral("書体："), page));
    faceCaption->addWidget(pnlCharset);
    faceCaption->addStretch();
    grid->addLayout(faceCaption, 0, 0);
    grid->addWidget(lbxFontName, 1, 0, 5, 1);
    grid->addWidget(pnlSample, 5, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("サイズ："), page), 1, 1);
    grid->addWidget(cbxFontSize, 1, 2);
    grid->addWidget(chkBold, 2, 1);
    grid->addWidget(chkItalic, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("１件の行数："), page), 3, 1);
    grid->addWidget(cbxRows, 3, 2);
    auto *margins = new QHBoxLayout;
    margins->addWidget(new QLabel(QStringLiteral("余白：  左"), page));
    margins->addWidget(edtOffsetX);
    margins->addWidget(new QLabel(QStringLiteral("上"), page));
    margins->addWidget(edtOffsetY);
    margins->addWidget(new QLabel(QStringLiteral("mm"), page));
    grid->addLayout(margins, 4, 1, 1, 2);
    return page;
}

void TListPrint::ShowFontSample(int Charset)
{
    if (const TFontSample sample = FontSampleOf(Charset); !sample.Text.isEmpty()) {
        pnlSample->setText(sample.Text);
        pnlCharset->setText(sample.Charset);
    }
}

void TListPrint::updateFontSample()
{
    QFont font = pnlSample->font();
    if (QListWidgetItem *item = lbxFontName->currentItem())
        font.setFamily(item->text());
    font.setPointSize(ListPrintMinFontSize + std::max(0, cbxFontSize->currentIndex()));
    font.setBold(chkBold->isChecked());
    font.setItalic(chkItalic->isChecked());
    pnlSample->setFont(font);
}

QWidget *TListPrint::buildLinesPage()
{
    auto *page = new QWidget(this);
    auto *row = new QHBoxLayout(page);
    auto *lines = new QGroupBox(QStringLiteral("罫線"), page);
    auto *grid = new QGridLayout(lines);
    static const std::array<const char *, 9> names{"sbtnTop",   "sbtnHorzCenter", "sbtnBottom", "sbtnLeft", "sbtnVertCenter",
                                                   "sbtnRight", "sbtnNone",       "sbtnOuter",  "sbtnInner"};
    static const std::array<const char *, 9> captions{"上", "横中", "下", "左", "縦中", "右", "なし", "外枠", "内側"};
    for (int tag = 0; tag < 9; ++tag) {
        auto *button = new QToolButton(lines);
        button->setObjectName(QString::fromLatin1(names[static_cast<std::size_t>(tag)]));
        button->setText(QString::fromUtf8(captions[static_cast<std::size_t>(tag)]));
        button->setCheckable(tag < 6);
        sbtnLine[static_cast<std::size_t>(tag)] = button;
        grid->addWidget(button, tag < 6 ? tag / 3 : 2, tag < 6 ? tag % 3 : tag - 6);
        connect(button, &QToolButton::clicked, this, [this, tag] { lineClicked(tag); });
    }
    pnlLinePreview = new TLinePreview([this] { paintLinePreview(); }, lines);
    pnlLinePreview->setObjectName(QStringLiteral("pnlLinePreview"));
    pnlLinePreview->setFixedSize(90, 70);
    grid->addWidget(pnlLinePreview, 0, 3, 3, 1);
    dgLineType = new QListWidget(lines);
    dgLineType->setObjectName(QStringLiteral("dgLineType"));
    dgLineType->setIconSize(QSize(80, 12));
    for (int type = 0; type < 6; ++type) {
        auto *entry = new QListWidgetItem(QIcon(lineTypeSample(type, QSize(80, 12))), QString(), dgLineType);
        entry->setData(Qt::UserRole, type);
    }
    dgLineType->setCurrentRow(0);
    grid->addWidget(new QLabel(QStringLiteral("線種："), lines), 3, 0);
    grid->addWidget(dgLineType, 4, 0, 1, 4);
    edtInterval = new QSpinBox(lines);
    edtInterval->setObjectName(QStringLiteral("edtInterval"));
    edtInterval->setRange(1, 20);
    auto *interval = new QHBoxLayout;
    interval->addWidget(new QLabel(QStringLiteral("水平線の間隔："), lines));
    interval->addWidget(edtInterval);
    interval->addWidget(new QLabel(QStringLiteral("行おき"), lines));
    grid->addLayout(interval, 5, 0, 1, 4);
    row->addWidget(lines);

    auto *colors = new QGroupBox(QStringLiteral("背景色"), page);
    auto *cgrid = new QGridLayout(colors);
    pnlHeaderColor = new QLabel(colors);
    pnlHeaderColor->setObjectName(QStringLiteral("pnlHeaderColor"));
    pnlHeaderColor->setAutoFillBackground(true);
    pnlHeaderColor->setAlignment(Qt::AlignCenter);
    pnlHeaderColor->setMinimumSize(60, 20);
    bbtnHeaderColor = new QPushButton(QStringLiteral("設定"), colors);
    bbtnHeaderColor->setObjectName(QStringLiteral("bbtnHeaderColor"));
    bbtnClearHeaderColor = new QPushButton(QStringLiteral("解除"), colors);
    bbtnClearHeaderColor->setObjectName(QStringLiteral("bbtnClearHeaderColor"));
    lbxColor = new TListColorBox(colors);
    lbxColor->setObjectName(QStringLiteral("lbxColor"));
    lbxColor->setIconSize(QSize(48, 14));
    bbtnDataColor = new QPushButton(QStringLiteral("追加"), colors);
    bbtnDataColor->setObjectName(QStringLiteral("bbtnDataColor"));
    bbtnDeleteDataColor = new QPushButton(QStringLiteral("削除"), colors);
    bbtnDeleteDataColor->setObjectName(QStringLiteral("bbtnDeleteDataColor"));
    cgrid->addWidget(new QLabel(QStringLiteral("項目名の行："), colors), 0, 0);
    cgrid->addWidget(pnlHeaderColor, 0, 1);
    cgrid->addWidget(bbtnHeaderColor, 0, 2);
    cgrid->addWidget(bbtnClearHeaderColor, 0, 3);
    cgrid->addWidget(new QLabel(QStringLiteral("データの行："), colors), 1, 0);
    cgrid->addWidget(lbxColor, 2, 0, 3, 2);
    cgrid->addWidget(bbtnDataColor, 2, 2);
    cgrid->addWidget(bbtnDeleteDataColor, 3, 2);
    row->addWidget(colors);
    return page;
}

QWidget *TListPrint::buildRangePage()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    rbList = new QRadioButton(QStringLiteral("一覧で選択したデータ"), page);
    rbList->setObjectName(QStringLiteral("rbList"));
    rbRange = new QRadioButton(QStringLiteral("数値で範囲を指定"), page);
    rbRange->setObjectName(QStringLiteral("rbRange"));
    rbAll = new QRadioButton(QStringLiteral("一覧に表示されているすべてのデータ"), page);
    rbAll->setObjectName(QStringLiteral("rbAll"));
    edtRangeBegin = new QSpinBox(page);
    edtRangeBegin->setObjectName(QStringLiteral("edtRangeBegin"));
    edtRangeEnd = new QSpinBox(page);
    edtRangeEnd->setObjectName(QStringLiteral("edtRangeEnd"));
    // A typed position is taken when the field is left or Enter is pressed:
    // the first digits of "100" would pull the begin down to 1 on the way.
    edtRangeBegin->setKeyboardTracking(false);
    edtRangeEnd->setKeyboardTracking(false);
    grid->addWidget(new QLabel(QStringLiteral("印刷データの選択"), page), 0, 0, 1, 5);
    grid->addWidget(rbList, 1, 0, 1, 5);
    grid->addWidget(rbRange, 2, 0);
    grid->addWidget(edtRangeBegin, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("件目 ～"), page), 2, 2);
    grid->addWidget(edtRangeEnd, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("件目"), page), 2, 4);
    grid->addWidget(rbAll, 3, 0, 1, 5);
    lblPrinter = new QLabel(page);
    lblPrinter->setObjectName(QStringLiteral("lblPrinter"));
    lblPaper = new QLabel(page);
    lblPaper->setObjectName(QStringLiteral("lblPaper"));
    lblOrientation = new QLabel(page);
    lblOrientation->setObjectName(QStringLiteral("lblOrientation"));
    bbtnPrinter = new QPushButton(QStringLiteral("設定"), page);
    bbtnPrinter->setObjectName(QStringLiteral("bbtnPrinter"));
    edtCopies = new TCopiesBox(page);
    edtCopies->setObjectName(QStringLiteral("edtCopies"));
    // The copies in force change as the number is taken (Return, leaving
    // the box, the arrows), not with each digit: "15" of a "150" being typed
    // is no value the user chose.
    edtCopies->setKeyboardTracking(false);
    edtCopies->setRange(1, 100);
    grid->addWidget(new QLabel(QStringLiteral("プリンター："), page), 4, 0);
    grid->addWidget(lblPrinter, 4, 1, 1, 3);
    grid->addWidget(bbtnPrinter, 4, 4);
    grid->addWidget(lblPaper, 5, 1, 1, 2);
    grid->addWidget(lblOrientation, 5, 3);
    grid->addWidget(new QLabel(QStringLiteral("印刷部数："), page), 6, 0);
    grid->addWidget(edtCopies, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("部"), page), 6, 2);
    grid->setRowStretch(7, 1);
    return page;
}

void TListPrint::connectControls()
{
    auto refresh = [this] { RefreshListPreview(); };
    connect(edtTitle, &QLineEdit::textChanged, this, refresh);
    connect(edtTitle, &QLineEdit::editingFinished, this, [this] { UpdatePageCapacity(); });
    connect(cbxTitlePosX, &QComboBox::activated, this, refresh);
    connect(chkViewDate, &QCheckBox::toggled, this, [this](bool on) {
        dtpViewDate->setEnabled(on);
        cbxDatePosX->setEnabled(on);
        cbxDatePosY->setEnabled(on);
        UpdatePageCapacity();
    });
    connect(dtpViewDate, &QDateEdit::dateChanged, this, refresh);
    connect(chkViewPage, &QCheckBox::toggled, this, [this](bool on) {
        cbxPageType->setEnabled(on);
        cbxPagePosX->setEnabled(on);
        cbxPagePosY->setEnabled(on);
        UpdatePageCapacity();
    });
    connect(cbxPageType, &QComboBox::activated, this, refresh);
    for (QComboBox *box : {cbxDatePosX, cbxDatePosY, cbxPagePosX, cbxPagePosY})
        connect(box, &QComboBox::activated, this, [this] { UpdatePageCapacity(); });
    connect(chkIgnoreTdfkn, &QCheckBox::toggled, this, refresh);
    connect(lbxFontName, &QListWidget::currentRowChanged, this, [this] {
        if (!m_showing)
            m_fontChosen = true;
        if (QListWidgetItem *item = lbxFontName->currentItem())
            ShowFontSample(item->data(Qt::UserRole).toInt());
        updateFontSample();
        UpdatePageCapacity();
    });
    connect(chkBold, &QCheckBox::toggled, this, [this] {
        updateFontSample();
        UpdatePageCapacity();
    });
    connect(chkItalic, &QCheckBox::toggled, this, [this] {
        updateFontSample();
        UpdatePageCapacity();
    });
    connect(cbxFontSize, &QComboBox::currentIndexChanged, this, [this] {
        updateFontSample();
        UpdatePageCapacity();
    });
    connect(cbxRows, &QComboBox::currentIndexChanged, this, [this] { UpdatePageCapacity(); });
    connect(edtOffsetX, &QLineEdit::editingFinished, this, [this] { leftMarginTaken(); });
    connect(edtOffsetY, &QLineEdit::editingFinished, this, [this] { topMarginTaken(); });
    for (QRadioButton *choice : {rbList, rbRange, rbAll})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (!on)
                return;
            edtRangeBegin->setEnabled(rbRange->isChecked());
            edtRangeEnd->setEnabled(rbRange->isChecked());
            RecountData();
        });
    connect(edtRangeBegin, &QSpinBox::valueChanged, this, [this](int value) {
        if (value > edtRangeEnd->value())
            edtRangeEnd->setValue(value);
        RecountData();
    });
    connect(edtRangeEnd, &QSpinBox::valueChanged, this, [this](int value) {
        if (value < edtRangeBegin->value())
            edtRangeBegin->setValue(value);
        RecountData();
    });
    // The sheets follow each digit typed, although the copies in force
    // change only as the number is taken.
    connect(edtCopies, &QSpinBox::valueChanged, this, [this] { showPaperCount(); });
    if (auto *typed = edtCopies->findChild<QLineEdit *>())
        connect(typed, &QLineEdit::textChanged, this, [this] { showPaperCount(); });

    connect(bbtnSet, &QPushButton::clicked, this, [this] { setClicked(); });
    connect(lbxSrc, &QListWidget::itemDoubleClicked, this, [this] { setClicked(); });
    connect(bbtnDelete, &QPushButton::clicked, this, [this] { deleteClicked(); });
    connect(lbxDest, &QListWidget::itemDoubleClicked, this, [this] { deleteClicked(); });
    connect(bbtnAllDelete, &QPushButton::clicked, this, [this] { allDeleteClicked(); });
    connect(bbtnUp, &QPushButton::clicked, this, [this] { moveClicked(-1); });
    connect(bbtnDown, &QPushButton::clicked, this, [this] { moveClicked(1); });
    connect(lbxDest, &QListWidget::currentRowChanged, this, [this] {
        showColumnDetails();
        updateButtons();
    });
    connect(edtSize, &QSpinBox::valueChanged, this, [this](int width) {
        if (m_columns.SetWidth(lbxDest->currentRow(), width))
            RefreshListPreview();
    });
    connect(cbxAlign, &QComboBox::activated, this, [this](int align) {
        if (m_columns.SetAlign(lbxDest->currentRow(), align))
            RefreshListPreview();
    });

    connect(edtInterval, &QSpinBox::valueChanged, this, refresh);
    connect(bbtnHeaderColor, &QPushButton::clicked, this, [this] { setColorClicked(0); });
    connect(bbtnDataColor, &QPushButton::clicked, this, [this] { setColorClicked(1); });
    connect(bbtnClearHeaderColor, &QPushButton::clicked, this, [this] { deleteColorClicked(0); });
    connect(bbtnDeleteDataColor, &QPushButton::clicked, this, [this] { deleteColorClicked(1); });
    connect(lbxColor, &TListColorBox::swapRequested, this, [this](int from, int to) {
        if (SwapListColors(m_colors, from, to)) {
            showDataColors(to);
            RefreshListPreview();
        }
    });

    connect(cbxTemplateType, &QComboBox::activated, this, [this] { templateTypeClicked(); });
    connect(cbxTemplateName, &QComboBox::activated, this, [this] { templateNameClicked(); });
    connect(btnTemplateSave, &QPushButton::clicked, this, [this] { saveTemplate(); });
    connect(btnTemplateDelete, &QPushButton::clicked, this, [this] { deleteTemplate(); });

    connect(bbtnPrinter, &QPushButton::clicked, this, [this] { choosePrinter(); });
    connect(btnPreview, &QPushButton::clicked, this, [this] { togglePreview(); });
    connect(btnSave, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        (void)SaveSettings();
        QApplication::restoreOverrideCursor();
    });
    connect(btnPrint, &QPushButton::clicked, this, [this] { printClicked(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    // The rows selected in the main list are the data of choice 0: their
    // count, the sheets and "印刷" follow the user's selection there.
    if (QItemSelectionModel *selection = m_list->View()->selectionModel())
        connect(selection, &QItemSelectionModel::selectionChanged, this, [this] {
            if (dataSelect() == 0)
                RecountData();
        });

    lbxSrc->viewport()->installEventFilter(this);
    // Every control of the pages takes Enter (most move on to the next), and
    // a focused button takes Return as a click.
    for (QWidget *w : std::initializer_list<QWidget *>{
             cbxTemplateType, cbxTemplateName, lbxSrc, lbxDest, edtSize, cbxAlign, chkIgnoreTdfkn, edtTitle,
             cbxTitlePosX, chkViewDate, dtpViewDate, cbxDatePosX, cbxDatePosY, chkViewPage, cbxPageType, cbxPagePosX,
             cbxPagePosY, lbxFontName, cbxFontSize, chkBold, chkItalic, cbxRows, edtOffsetX, edtOffsetY, dgLineType,
             edtInterval, lbxColor, rbList, rbRange, rbAll, edtRangeBegin, edtRangeEnd, edtCopies})
        w->installEventFilter(this);
    PressFocusedButtonOnEnter(this);
}

bool TListPrint::copiesLeft()
{
    // A number above the maximum gives back the copies in force, and the
    // user hears the range rather than finding a digit gone.
    const QString typed = edtCopies->text().trimmed();
    bool number = false;
    const int copies = typed.toInt(&number);
    if (!number || copies <= edtCopies->maximum())
        return false;
    if (auto *edit = edtCopies->findChild<QLineEdit *>())
        edit->setText(QString::number(edtCopies->value()));
    edtCopies->selectAll();
    tell(this, QStringLiteral("印刷部数は %1 ～ %2 部で指定してください  ").arg(edtCopies->minimum()).arg(edtCopies->maximum()),
         MB_OK | MB_ICONINFORMATION);
    return true;
}

// The sheets of the copies typed so far: a number the box takes counts at
// once; an empty box or a number beyond the range shows the copies in force.
void TListPrint::showPaperCount()
{
    bool number = false;
    const int typed = edtCopies->text().trimmed().toInt(&number);
    const bool taken = number && typed >= edtCopies->minimum() && typed <= edtCopies->maximum();
    const int copies = taken ? typed : edtCopies->value();
    lblPaperCount->setText(QString::number(copies * m_pageCount) + QStringLiteral(" 枚"));
}

void TListPrint::leftMarginTaken()
{
    marginLeft(edtOffsetX, m_offsetX);
    refitListLayoutTemplate();
    RefreshListPreview();
}

void TListPrint::topMarginTaken()
{
    marginLeft(edtOffsetY, m_offsetY);
    UpdatePageCapacity();
}

void TListPrint::ShowPage(int page)
{
    page = std::clamp(page, 0, 3);
    const std::array<QToolButton *, 4> buttons{sbtnContents, sbtnFormat, sbtnLines, sbtnRange};
    buttons[static_cast<std::size_t>(page)]->setChecked(true);
    setProperty("HelpContext", std::array{124, 126, 127, 128}[static_cast<std::size_t>(page)]);
    if (pgcPages->currentIndex() == page)
        return;
    pgcPages->setCurrentIndex(page);
    QWidget *first = page == 0 ? static_cast<QWidget *>(lbxSrc)
                     : page == 1 ? static_cast<QWidget *>(lbxFontName)
                     : page == 2 ? static_cast<QWidget *>(dgLineType)
                                 : static_cast<QWidget *>(rbRange->isChecked() ? rbRange
                                                          : rbAll->isChecked() ? rbAll
                                                                               : rbList);
    first->setFocus();
}

bool TListPrint::eventFilter(QObject *watched, QEvent *event)
{
    // An item dragged from the source list and dropped on a chosen row is set
    // before that row (on the end row or below the rows: at the end).
    if (watched == lbxSrc->viewport()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_dragFrom = mouse->position().toPoint();
            m_dragging = false;
        } else if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton) &&
                   (mouse->position().toPoint() - m_dragFrom).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragging = true;
            lbxSrc->setCursor(Qt::DragCopyCursor);
        } else if (event->type() == QEvent::MouseButtonRelease && m_dragging) {
            m_dragging = false;
            lbxSrc->unsetCursor();
            const QPoint at = lbxDest->viewport()->mapFromGlobal(mouse->globalPosition().toPoint());
            if (lbxDest->viewport()->rect().contains(at)) {
                const int row = lbxDest->indexAt(at).row();
                lbxDest->setCurrentRow(row < 0 ? m_columns.EndRow() : row);
                setClicked();
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == edtCopies && event->type() == QEvent::FocusOut)
        copiesLeft();
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == lbxSrc && key == Qt::Key_Insert) {
        setClicked();
        return true;
    }
    if (watched == lbxDest && key == Qt::Key_Delete) {
        deleteClicked();
        return true;
    }
    if (!enter)
        return QWidget::eventFilter(watched, event);
    // A number field takes what was typed, as leaving it does; a value that
    // changed keeps the focus there, so the user sees it taken.
    if (watched == edtOffsetX || watched == edtOffsetY) {
        const bool left = watched == edtOffsetX;
        const int before = left ? m_offsetX : m_offsetY;
        left ? leftMarginTaken() : topMarginTaken();
        if ((left ? m_offsetX : m_offsetY) != before)
            return true;
        if (left)
            focusNextChild();
        else
            ShowPage(2);
        return true;
    }
    if (auto *box = qobject_cast<QAbstractSpinBox *>(watched); box && box != dtpViewDate && box != edtCopies) {
        const QString before = box->text();
        box->interpretText();
        if (box->text() != before)
            return true;
        if (box == edtInterval)
            lbxColor->setFocus();
        else
            focusNextChild();
        return true;
    }
    if (watched == lbxDest) {
        (lbxDest->currentRow() >= m_columns.EndRow() ? static_cast<QWidget *>(lbxSrc) : edtSize)->setFocus();
    } else if (watched == cbxAlign) {
        lbxSrc->setFocus();
    } else if (watched == cbxTemplateName) {
        m_templateNameIndex = -1;
        templateNameClicked();
        lbxDest->setFocus();
    } else if (watched == edtCopies) {
        if (copiesLeft())
            return true;
        edtCopies->interpretText();
        (btnPrint->isEnabled() ? btnPrint : btnClose)->setFocus();
    } else if (watched == lbxColor) {
        ShowPage(3);
    } else if (watched == chkViewDate) {
        (chkViewDate->isChecked() ? static_cast<QWidget *>(dtpViewDate) : chkViewPage)->setFocus();
    } else if (watched == chkViewPage) {
        if (chkViewPage->isChecked())
            cbxPageType->setFocus();
        else
            ShowPage(1);
    } else if (watched == cbxPagePosY) {
        ShowPage(1);
    } else if (watched == rbList) {
        edtCopies->setFocus();
    } else {
        focusNextChild();
    }
    return true;
}

void TListPrint::showSettings()
{
    const TListPrintLayout &l = m_settings.Layout;
    chkIgnoreTdfkn->setChecked(l.IgnoreTdfkn);
    edtTitle->setText(TrimBlanks(l.Title));
    cbxTitlePosX->setCurrentIndex(l.TitlePosX);
    chkViewDate->setChecked(l.ViewDate);
    dtpViewDate->setDate(QDate::currentDate());
    cbxDatePosX->setCurrentIndex(l.DatePosX);
    cbxDatePosY->setCurrentIndex(l.DatePosY);
    for (QWidget *w : std::initializer_list<QWidget *>{dtpViewDate, cbxDatePosX, cbxDatePosY})
        w->setEnabled(l.ViewDate);
    chkViewPage->setChecked(l.ViewPage);
    cbxPageType->setCurrentIndex(l.PageType);
    cbxPagePosX->setCurrentIndex(l.PagePosX);
    cbxPagePosY->setCurrentIndex(l.PagePosY);
    for (QWidget *w : std::initializer_list<QWidget *>{cbxPageType, cbxPagePosX, cbxPagePosY})
        w->setEnabled(l.ViewPage);
    // A face this machine lacks (the default "ＭＳ ゴシック" on most) gives
    // the monospaced Japanese Gothic, so that columns counted in half-width
    // characters still line up; else the first face.
    int fontRow = 0;
    for (const QString &name : {l.FontName.trimmed(), QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("Noto Sans CJK JP")}) {
        const QList<QListWidgetItem *> found = lbxFontName->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty()) {
            fontRow = lbxFontName->row(found.first());
            break;
        }
    }
    lbxFontName->setCurrentRow(fontRow);
    cbxFontSize->setCurrentIndex(l.FontSize - ListPrintMinFontSize);
    chkBold->setChecked((l.FontStyle & 1) != 0);
    chkItalic->setChecked((l.FontStyle & 2) != 0);
    cbxRows->setCurrentIndex(l.iRowCount - 1);
    m_offsetX = l.OffsetX;
    m_offsetY = l.OffsetY;
    edtOffsetX->setText(ListPrintMarginText(m_offsetX));
    edtOffsetY->setText(ListPrintMarginText(m_offsetY));
    m_rules.Flags = l.Lines;
    m_rules.Types = l.LineTypes;
    showLineButtons();
    edtInterval->setValue(l.HorzInterval);
    showHeaderColor(l.HeaderColorExists, l.HeaderColor);
    m_colors = l.Colors;
    showDataColors(0);
    (l.DataSelect == 1 ? rbRange : l.DataSelect == 2 ? rbAll : rbList)->setChecked(true);
    edtRangeBegin->setEnabled(l.DataSelect == 1);
    edtRangeEnd->setEnabled(l.DataSelect == 1);
    edtCopies->setValue(l.Copies);
    showPrinter();
    m_columns.Reset(m_settings.Columns);
    showColumns();
}

void TListPrint::showPrinter()
{
    lblPrinter->setText(m_printer->DeviceName());
    lblPaper->setText(m_printer->GetPaperName());
    lblOrientation->setText(m_printer->GetOrientation() == 2 ? QStringLiteral("横") : QStringLiteral("縦"));
}

// ---- Columns --------------------------------------------------------------

void TListPrint::showColumns(int destRow)
{
    const QSignalBlocker blockSrc(lbxSrc);
    const QSignalBlocker blockDest(lbxDest);
    lbxSrc->clear();
    for (int item : m_columns.Source()) {
        auto *row = new QListWidgetItem(m_items[static_cast<std::size_t>(item)].Caption, lbxSrc);
        row->setData(Qt::UserRole, item);
    }
    lbxDest->clear();
    for (const TListPrintColumn &c : m_columns.Columns())
        lbxDest->addItem(m_items[static_cast<std::size_t>(c.ItemNo)].Caption);
    lbxDest->addItem(QString()); // the end row: "after the last column"
    lbxDest->setCurrentRow(std::clamp(destRow, 0, m_columns.EndRow()));
    if (lbxSrc->currentRow() < 0)
        lbxSrc->setCurrentRow(0);
    showColumnDetails();
    updateButtons();
}

void TListPrint::showColumnDetails()
{
    const int row = lbxDest->currentRow();
    const QSignalBlocker blockSize(edtSize);
    const QSignalBlocker blockAlign(cbxAlign);
    if (row >= 0 && row < m_columns.EndRow()) {
        const TListPrintColumn &c = m_columns.Columns()[static_cast<std::size_t>(row)];
        edtSize->setRange(1, 999);
        edtSize->setValue(c.ItemSize);
        edtSize->setEnabled(true);
        cbxAlign->setCurrentIndex(c.ItemAlign);
        cbxAlign->setEnabled(true);
    } else {
        edtSize->setRange(0, 0);
        edtSize->setEnabled(false);
        cbxAlign->setCurrentIndex(-1);
        cbxAlign->setEnabled(false);
    }
}

void TListPrint::updateButtons()
{
    const bool any = !m_columns.Columns().empty();
    const int row = lbxDest->currentRow();
    bbtnDelete->setEnabled(any);
    bbtnAllDelete->setEnabled(any);
    btnSave->setEnabled(any);
    btnTemplateSave->setEnabled(any && userTemplateCount() < ListPrintMaxTemplates);
    bbtnUp->setEnabled(m_columns.CanMoveUp(row));
    bbtnDown->setEnabled(m_columns.CanMoveDown(row));
    btnPrint->setEnabled(any && m_dataCount > 0);
}

void TListPrint::columnsChanged()
{
    updateButtons();
    RefreshListPreview();
}

void TListPrint::setClicked()
{
    int newSrc = 0;
    const int dest = std::max(0, lbxDest->currentRow());
    switch (m_columns.Set(lbxSrc->currentRow(), dest, &newSrc)) {
    case TListColumnEditor::TSet::Full:
        tell(this,
             QStringLiteral("設定できる項目数は") + QString::number(ListPrintMaxColumns) +
                 QStringLiteral("項目です  \r\nこれ以上追加できません  "),
             MB_OK | MB_ICONINFORMATION);
        return;
    case TListColumnEditor::TSet::NoItem:
        return;
    case TListColumnEditor::TSet::Set:
        break;
    }
    // The selection stays on the row it stood on, now the next column; the
    // new column stands just above it.
    showColumns(dest + 1);
    lbxSrc->setCurrentRow(newSrc);
    columnsChanged();
}

void TListPrint::deleteClicked()
{
    int newSrc = -1;
    int newDest = 0;
    if (!m_columns.Delete(lbxDest->currentRow(), &newSrc, &newDest))
        return;
    showColumns(newDest);
    if (newSrc >= 0)
        lbxSrc->setCurrentRow(newSrc);
    if (m_columns.Columns().empty())
        lbxSrc->setFocus();
    columnsChanged();
}

void TListPrint::allDeleteClicked()
{
    m_columns.AllDelete();
    showColumns();
    lbxSrc->setFocus();
    columnsChanged();
}

void TListPrint::moveClicked(int step)
{
    const int row = lbxDest->currentRow();
    if (!m_columns.Move(row, step))
        return;
    showColumns(row + step);
    columnsChanged();
}

void TListPrint::UpdateKeywordNames()
{
    m_items = MakeListPrintItems(KeywordNames);
    showColumns(lbxDest->currentRow());
    RefreshListPreview();
}

// ---- Lines and colours ----------------------------------------------------

void TListPrint::lineClicked(int tag)
{
    const int type = std::max(0, dgLineType->currentRow());
    const bool capacity = ClickRuleButton(m_rules, tag, type);
    showLineButtons();
    pnlLinePreview->update();
    if (capacity) {
        UpdatePageCapacity();
    } else {
        refitListLayoutTemplate();
        RefreshListPreview();
    }
}

void TListPrint::showLineButtons()
{
    for (std::size_t i = 0; i < 6; ++i)
        sbtnLine[i]->setChecked(m_rules.Flags[i]);
    if (pnlLinePreview)
        pnlLinePreview->update();
}

void TListPrint::paintLinePreview()
{
    QPainter p(pnlLinePreview);
    p.fillRect(pnlLinePreview->rect(), Qt::white);
    const int W = pnlLinePreview->width() - 1;
    const int H = pnlLinePreview->height() - 1;
    const int cx = (W + 1) / 2;
    const int cy = (H + 1) / 2;
    p.setPen(QColor(192, 192, 192));
    for (const QPoint corner : {QPoint(2, 2), QPoint(W - 2, 2), QPoint(2, H - 2), QPoint(W - 2, H - 2)}) {
        const int dx = corner.x() < cx ? 4 : -4;
        const int dy = corner.y() < cy ? 4 : -4;
        p.drawLine(corner, corner + QPoint(dx, 0));
        p.drawLine(corner, corner + QPoint(0, dy));
    }
    p.drawLine(cx, 2, cx, 5);
    p.drawLine(cx, H - 2, cx, H - 5);
    p.drawLine(2, cy, 5, cy);
    p.drawLine(W - 2, cy, W - 5, cy);
    auto strokes = [&](std::size_t line, auto draw) {
        if (!m_rules.Flags[line])
            return;
        const int type = m_rules.Types[line];
        p.setPen(QPen(Qt::black, 1, linePen(type)));
        const int n = lineStrokes(type);
        for (int i = 0; i < n; ++i)
            draw(i, n);
    };
    strokes(0, [&](int i, int) { p.drawLine(6, 6 + i, W - 5, 6 + i); });
    strokes(2, [&](int i, int) { p.drawLine(6, H - 6 - i, W - 5, H - 6 - i); });
    strokes(3, [&](int i, int) { p.drawLine(6 + i, 6, 6 + i, H - 5); });
    strokes(5, [&](int i, int) { p.drawLine(W - 6 - i, 6, W - 6 - i, H - 5); });
    strokes(1, [&](int i, int n) {
        const int y = n == 3 ? cy - 1 + i : cy + i;
        p.drawLine(6, y, W - 5, y);
    });
    strokes(4, [&](int i, int n) {
        const int x = n == 3 ? cx - 1 + i : cx + i;
        p.drawLine(x, 6, x, H - 5);
    });
}

void TListPrint::showHeaderColor(bool exists, TColor color)
{
    m_headerColorExists = exists;
    m_headerColor = exists ? color : QColorToColor(palette().color(QPalette::Button));
    QPalette pal = pnlHeaderColor->palette();
    pal.setColor(QPalette::Window, exists ? ColorToQColor(color) : palette().color(QPalette::Button));
    pnlHeaderColor->setPalette(pal);
    pnlHeaderColor->setText(exists ? QString() : QStringLiteral("なし"));
}

void TListPrint::showDataColors(int select)
{
    lbxColor->clear();
    for (std::size_t i = 0; i < m_colors.size(); ++i) {
        auto *row = new QListWidgetItem(QIcon(swatch(m_colors[i])), QString::number(i + 1), lbxColor);
        row->setData(Qt::UserRole, static_cast<qint64>(m_colors[i]));
    }
    if (!m_colors.empty())
        lbxColor->setCurrentRow(std::clamp(select, 0, static_cast<int>(m_colors.size()) - 1));
}

void TListPrint::setColorClicked(int tag)
{
    if (tag == 1 && static_cast<int>(m_colors.size()) >= ListPrintMaxColors)
        return;
    const int selected = lbxColor->currentRow();
    QColor initial = Qt::white;
    if (tag == 0)
        initial = ColorToQColor(m_headerColor);
    else if (!m_colors.empty() && selected >= 0)
        initial = ColorToQColor(m_colors[static_cast<std::size_t>(selected)]);
    const std::optional<QColor> chosen = ChooseColor(this, initial);
    if (!chosen)
        return;
    if (tag == 0) {
        showHeaderColor(true, QColorToColor(*chosen));
    } else {
        const int row = InsertListColor(m_colors, selected, QColorToColor(*chosen));
        showDataColors(row);
    }
    RefreshListPreview();
}

void TListPrint::deleteColorClicked(int tag)
{
    if (tag == 0) {
        if (!m_headerColorExists)
            return;
        showHeaderColor(false, 0);
    } else {
        if (m_colors.empty())
            return;
        showDataColors(DeleteListColor(m_colors, lbxColor->currentRow()));
    }
    RefreshListPreview();
}

// ---- Templates --------------------------------------------------------------

void TListPrint::loadTemplates()
{
    m_standard.clear();
    m_custom.clear();
    (void)ReadTemplateFile(standardTemplateFile(), m_standard);
    // An earlier version's save killed between its renames left the templates under their aside
    // name: back first, or the next save would write over them with none.
    RecoverSafeReplace(customTemplateFile());
    // The user's templates are never written over when they cannot be
    // read: the file is kept aside and named to the user.
    TTemplateDamage damage;
    if (ReadTemplateFile(customTemplateFile(), m_custom, nullptr, &damage) == TTemplateRead::Unreadable)
        m_customFileBlocked =
            KeepUnreadableFileAside(customTemplateFile(), QStringLiteral("not a template file")).isEmpty();
    // Templates changed since the program wrote them are named, and the file
    // as read is kept beside it before a save can write over it; with no
    // copy it is never written over. Templates the window could not take
    // whole are kept aside by the save that would lose them.
    if (!damage.Entries.isEmpty() && KeepDamagedFileCopy(customTemplateFile(), damage.Bytes, damage.Entries).isEmpty())
        m_customFileBlocked = true;
    m_customBase = m_custom;
    m_custom.insert(m_custom.begin(), TListPrintTemplate{kListLayout, listLayoutColumns()});
    m_hasPreviousLayout = !m_settings.Columns.empty();
    if (m_hasPreviousLayout) {
        // A file of an earlier version does not say whether the widths were
        // fitted: those the window would give them are taken as its own.
        m_previousFitted = m_settings.ColumnsFitted ? *m_settings.ColumnsFitted
                                                    : widthsOfTheWindow(m_settings.Columns);
        m_custom.insert(m_custom.begin(), TListPrintTemplate{kPreviousLayout, m_settings.Columns});
    }
    fillTemplateTypes(m_custom.empty() ? 0 : 1);
}

void TListPrint::fillTemplateTypes(int select)
{
    const QSignalBlocker block(cbxTemplateType);
    cbxTemplateType->clear();
    cbxTemplateType->addItem(kOriginal);
    if (!m_custom.empty())
        cbxTemplateType->addItem(kCustom);
    cbxTemplateType->setCurrentIndex(std::min(select, cbxTemplateType->count() - 1));
    m_templateTypeIndex = -1;
    templateTypeClicked();
}

void TListPrint::templateTypeClicked()
{
    if (cbxTemplateType->currentIndex() == m_templateTypeIndex)
        return;
    m_templateTypeIndex = cbxTemplateType->currentIndex();
    fillTemplateNames();
}

void TListPrint::fillTemplateNames()
{
    const QString typed = cbxTemplateName->currentText().trimmed();
    const TListPrintTemplates &shown = m_templateTypeIndex == 1 ? m_custom : m_standard;
    {
        const QSignalBlocker block(cbxTemplateName);
        cbxTemplateName->clear();
        for (const TListPrintTemplate &t : shown)
            cbxTemplateName->addItem(t.Name);
        int select = shown.empty() ? -1 : 0;
        for (int i = 0; i < static_cast<int>(shown.size()); ++i)
            if (shown[static_cast<std::size_t>(i)].Name == typed)
                select = i;
        cbxTemplateName->setCurrentIndex(select);
    }
    btnTemplateDelete->setEnabled(m_templateTypeIndex == 1 && userTemplateCount() > 0);
    m_templateNameIndex = -1;
    templateNameClicked();
}

void TListPrint::templateNameClicked()
{
    const int index = cbxTemplateName->currentIndex();
    if (index == m_templateNameIndex)
        return;
    const TListPrintTemplates &shown = m_templateTypeIndex == 1 ? m_custom : m_standard;
    // An empty list of the shown type applies nothing and keeps the columns.
    if (index >= 0 && index < static_cast<int>(shown.size())) {
        m_templateNameIndex = index;
        m_columns.Reset(shown[static_cast<std::size_t>(index)].Columns);
        showColumns();
    }
    btnTemplateDelete->setEnabled(m_templateTypeIndex == 1 && index >= builtInCount());
    updateButtons();
    if (!m_showing)
        RefreshListPreview();
}

void TListPrint::saveCustomTemplates()
{
    const TListPrintTemplates user(m_custom.begin() + builtInCount(), m_custom.end());
    QString error;
    if (m_customFileBlocked)
        error = QStringLiteral("読み込めなかったテンプレートファイルを上書きしないため  \r\n") +
                QDir::toNativeSeparators(customTemplateFile());
    // Another program with the same data folder may have saved templates
    // since this window read them: only this window's changes go into the
    // file, and the window then lists the others' too.
    TListPrintTemplates saved;
    if (m_customFileBlocked || !SaveTemplateChanges(customTemplateFile(), m_customBase, user, saved, &error)) {
        tell(this, QStringLiteral("テンプレートを保存できませんでした。\r\n") + error, MB_OK | MB_ICONERROR);
        return;
    }
    m_custom.erase(m_custom.begin() + builtInCount(), m_custom.end());
    m_custom.insert(m_custom.end(), saved.begin(), saved.end());
    m_customBase = std::move(saved);
}

void TListPrint::saveTemplate()
{
    const QString name = cbxTemplateName->currentText().trimmed();
    auto refuse = [this](const QString &text) {
        tell(this, text, MB_OK | MB_ICONINFORMATION);
        cbxTemplateName->lineEdit()->end(false);
        cbxTemplateName->setFocus();
    };
    if (name.isEmpty()) {
        refuse(QStringLiteral("保存するにはテンプレート名をつけてください  "));
        return;
    }
    if (!Cp932::canEncode(name)) {
        refuse(UnstorableCharsMessage(UnstorableCharList(name)));
        return;
    }
    if (name == kPreviousLayout || name == kListLayout) {
        refuse(QStringLiteral("その名称はアプリケーションで使われています  \r\n別の名称で保存してください  "));
        return;
    }
    const auto found = std::find_if(m_custom.begin(), m_custom.end(),
                                    [&](const TListPrintTemplate &t) { return t.Name == name; });
    if (found != m_custom.end()) {
        const int at = static_cast<int>(found - m_custom.begin());
        if (m_templateTypeIndex != 1 || at != m_templateNameIndex) {
            refuse(QStringLiteral("同じ名称のカスタムテンプレートが保存されています  \r\n別の名称で保存してください  "));
            return;
        }
        found->Columns = m_columns.Columns();
    } else {
        if (userTemplateCount() >= ListPrintMaxTemplates)
            return;
        m_custom.push_back({name, m_columns.Columns()});
    }
    saveCustomTemplates();
    cbxTemplateName->setEditText(name);
    {
        const QSignalBlocker block(cbxTemplateType);
        if (cbxTemplateType->count() < 2)
            cbxTemplateType->addItem(kCustom);
        cbxTemplateType->setCurrentIndex(1);
    }
    m_templateTypeIndex = 1;
    fillTemplateNames();
    cbxTemplateName->setFocus();
}

void TListPrint::deleteTemplate()
{
    const QString name = cbxTemplateName->currentText().trimmed();
    if (name == kPreviousLayout || name == kListLayout) {
        tell(this, QStringLiteral("その名称はアプリケーションで使われているため  \r\n削除できません  "),
             MB_OK | MB_ICONINFORMATION);
        return;
    }
    const auto found = std::find_if(m_custom.begin() + builtInCount(), m_custom.end(),
                                    [&](const TListPrintTemplate &t) { return t.Name == name; });
    if (found == m_custom.end()) {
        tell(this, QStringLiteral("指定したテンプレート名が見つかりません  "), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (tell(this,
             QStringLiteral("「") + name + QStringLiteral("」  \r\n\r\nこのテンプレートを削除してもよろしいですか？  "),
             MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_custom.erase(found);
    saveCustomTemplates();
    cbxTemplateName->setEditText(QString());
    fillTemplateNames();
}

TListPrintColumns TListPrint::fitToPage(TListPrintColumns columns, bool widen) const
{
    // The columns at their items' widths are often wider than a sheet: they
    // are narrowed to the page they are offered on, so that a list prints
    // every column, the name among them. The room the texts of the main
    // list's rows leave unused goes first: a column a new user has not
    // filled in gives way to the address; room a wide sheet has left goes
    // to the texts that need it.
    for (TListPrintColumn &c : columns)
        if (c.ItemNo >= 0 && c.ItemNo < static_cast<int>(m_items.size()))
            c.ItemSize = std::clamp(m_items[static_cast<std::size_t>(c.ItemNo)].Width, 1, 999);
    TListPrintJob job = CollectLayout();
    job.Columns = std::move(columns);
    const TListPageMetrics metrics = MeasureListPage(job.Layout, *m_printer);
    std::vector<int> items;
    for (const TListPrintColumn &c : job.Columns)
        items.push_back(c.ItemNo);
    items.push_back(job.Layout.IgnoreTdfkn ? 1 : 0);
    auto rows = m_fitRows.find(items);
    if (rows == m_fitRows.end()) {
        // The first layout and the last one: no more sets are kept.
        if (m_fitRows.size() >= 2)
            m_fitRows.clear();
        rows = m_fitRows.emplace(items, fetchRows(job, TakeListPrintRecords(*m_list, 2, 0, 0))).first;
    }
    return FitListPrintColumns(job.Columns,
                               ListPrintColumnRoom(job.Layout, metrics, static_cast<int>(job.Columns.size())), m_items,
                               ListPrintTextNeeds(job, metrics, rows->second, 1), widen);
}

TListPrintColumns TListPrint::listLayoutColumns() const
{
    std::vector<int> shown;
    for (int i = 0; i < m_list->GetColumnCount(); ++i)
        shown.push_back(m_list->GetColumnDefIndex(i));
    return fitToPage(ListLayoutColumns(shown));
}

bool TListPrint::fittedTemplate(int index) const
{
    if (index == (m_hasPreviousLayout ? 1 : 0))
        return true;
    return index == 0 && m_hasPreviousLayout && m_previousFitted;
}

bool TListPrint::columnsFitted() const
{
    return m_templateTypeIndex == 1 && fittedTemplate(m_templateNameIndex) &&
           m_templateNameIndex < static_cast<int>(m_custom.size()) &&
           m_columns.Columns() == m_custom[static_cast<std::size_t>(m_templateNameIndex)].Columns;
}

bool TListPrint::widthsOfTheWindow(const TListPrintColumns &columns) const
{
    const bool defaults = std::all_of(columns.begin(), columns.end(), [this](const TListPrintColumn &c) {
        return c.ItemNo >= 0 && c.ItemNo < static_cast<int>(m_items.size()) &&
               c.ItemSize == m_items[static_cast<std::size_t>(c.ItemNo)].Width;
    });
    return defaults || columns == fitToPage(columns) || columns == fitToPage(columns, false);
}

void TListPrint::UpdateListLayoutTemplate()
{
    const int at = m_hasPreviousLayout ? 1 : 0;
    if (at >= static_cast<int>(m_custom.size()))
        return;
    m_custom[static_cast<std::size_t>(at)].Columns = listLayoutColumns();
    if (m_templateTypeIndex == 1 && m_templateNameIndex == at) {
        m_templateNameIndex = -1;
        templateNameClicked();
    }
}

void TListPrint::refitListLayoutTemplate()
{
    for (int at = 0; at < builtInCount() && at < static_cast<int>(m_custom.size()); ++at) {
        if (!fittedTemplate(at))
            continue;
        TListPrintColumns &builtIn = m_custom[static_cast<std::size_t>(at)].Columns;
        TListPrintColumns fitted = at == 0 && m_hasPreviousLayout ? fitToPage(builtIn) : listLayoutColumns();
        if (fitted == builtIn)
            continue;
        // Applied and not edited since: the columns follow the new page.
        // Columns the user changed stay as they are.
        const bool follow =
            m_templateTypeIndex == 1 && m_templateNameIndex == at && m_columns.Columns() == builtIn;
        builtIn = std::move(fitted);
        if (follow) {
            m_templateNameIndex = -1;
            templateNameClicked();
        }
    }
}

// ---- Page settings, counts and printing -----------------------------------

void TListPrint::marginLeft(QLineEdit *edit, int &remembered)
{
    // A value the field cannot take gives the one it held before.
    if (const auto tenths = ParseListPrintMargin(edit->text()))
        remembered = *tenths;
    edit->setText(ListPrintMarginText(remembered));
}

int TListPrint::dataSelect() const
{
    return rbRange->isChecked() ? 1 : rbAll->isChecked() ? 2 : 0;
}

TListPrintJob TListPrint::CollectLayout() const
{
    TListPrintJob job;
    job.Items = m_items;
    job.Columns = m_columns.Columns();
    TListPrintLayout &l = job.Layout;
    l.IgnoreTdfkn = chkIgnoreTdfkn->isChecked();
    // Blanks and control characters at the ends go; an ideographic space
    // there is part of the title.
    l.Title = TrimBlanks(edtTitle->text());
    l.TitlePosX = std::max(0, cbxTitlePosX->currentIndex());
    l.ViewDate = chkViewDate->isChecked();
    l.Date = dtpViewDate->date();
    l.DatePosX = std::max(0, cbxDatePosX->currentIndex());
    l.DatePosY = std::max(0, cbxDatePosY->currentIndex());
    l.ViewPage = chkViewPage->isChecked();
    l.PageType = std::max(0, cbxPageType->currentIndex());
    l.PagePosX = std::max(0, cbxPagePosX->currentIndex());
    l.PagePosY = std::max(0, cbxPagePosY->currentIndex());
    l.FontName = lbxFontName->currentItem() ? lbxFontName->currentItem()->text() : m_settings.Layout.FontName;
    l.FontCharset = lbxFontName->currentItem() ? lbxFontName->currentItem()->data(Qt::UserRole).toInt()
                                                : m_settings.Layout.FontCharset;
    l.FontSize = ListPrintMinFontSize + std::max(0, cbxFontSize->currentIndex());
    l.FontStyle = (chkBold->isChecked() ? 1 : 0) | (chkItalic->isChecked() ? 2 : 0);
    l.iRowCount = std::max(0, cbxRows->currentIndex()) + 1;
    l.OffsetX = m_offsetX;
    l.OffsetY = m_offsetY;
    l.Lines = m_rules.Flags;
    l.LineTypes = m_rules.Types;
    l.HorzInterval = edtInterval->value();
    l.HeaderColor = m_headerColor;
    l.HeaderColorExists = m_headerColorExists;
    l.Colors = m_colors;
    l.DataSelect = dataSelect();
    l.Copies = edtCopies->value();
    return job;
}

void TListPrint::UpdatePageCapacity()
{
    if (m_showing)
        return;
    // What changes the capacity (paper, letters, margins, rules) changes the
    // room of the columns too.
    refitListLayoutTemplate();
    const TListPrintJob job = CollectLayout();
    m_recordsPerPage = ListPageCapacity(job, MeasureListPage(job.Layout, *m_printer));
    lblLineCount->setText(QString::asprintf("%d", std::max(0, m_recordsPerPage)) + QStringLiteral(" 件"));
    RecountData();
}

void TListPrint::RecountData()
{
    if (m_showing)
        return;
    switch (dataSelect()) {
    case 0:
        m_dataCount = m_list->GetSelCount();
        break;
    case 1:
        m_dataCount = edtRangeBegin->value() == 0 ? 0 : edtRangeEnd->value() - edtRangeBegin->value() + 1;
        break;
    default:
        m_dataCount = m_list->GetRowCount();
    }
    m_pageCount = ListPageCount(m_dataCount, m_recordsPerPage);
    lblDataCount->setText(QString::number(m_dataCount) + QStringLiteral(" 件"));
    showPaperCount();
    updateButtons();
    RefreshListPreview();
}

void TListPrint::UpdateDataRange()
{
    // The rows the columns were fitted to are read again when next needed.
    m_fitRows.clear();
    const int rows = m_list->GetRowCount();
    const int low = rows == 0 ? 0 : 1;
    if (edtRangeEnd->maximum() != rows || edtRangeBegin->minimum() != low) {
        const QSignalBlocker blockBegin(edtRangeBegin);
        const QSignalBlocker blockEnd(edtRangeEnd);
        edtRangeBegin->setRange(low, rows);
        edtRangeEnd->setRange(low, rows);
        // Each end of the saved range that still lies in the list is kept
        // (the saved range is used once; a later new row count resets it).
        int begin = m_settings.BeginPos;
        int end = m_settings.EndPos;
        if (begin < 1 || begin > rows)
            begin = low;
        if (end < 1 || end > rows)
            end = rows;
        if (begin > end)
            begin = low;
        edtRangeBegin->setValue(begin);
        edtRangeEnd->setValue(end);
        m_settings.BeginPos = 0;
        m_settings.EndPos = 0;
    }
    RecountData();
}

std::vector<qint32> TListPrint::TakeRecords() const
{
    return TakeListPrintRecords(*m_list, dataSelect(), edtRangeBegin->value(), edtRangeEnd->value());
}

std::optional<QStringList> TListPrint::FetchRow(const TListPrintJob &job, qint32 recNo) const
{
    TTable *table = m_list->Model()->Table();
    if (table == nullptr || !FindRunRecord(*table, recNo))
        return std::nullopt;
    return ListPrintRowTexts(*table, job, GroupNames, DataPath);
}

std::vector<QStringList> TListPrint::fetchRows(const TListPrintJob &job, const std::vector<qint32> &records) const
{
    std::vector<QStringList> rows;
    TTable *table = m_list->Model()->Table();
    if (table == nullptr)
        return rows;
    TListRowReader reader(*table, job, GroupNames, DataPath);
    rows.reserve(records.size());
    for (qint32 recNo : records)
        if (std::optional<QStringList> row = reader.Fetch(recNo))
            rows.push_back(std::move(*row));
    return rows;
}

void TListPrint::RefreshListPreview()
{
    if (m_preview && !m_showing)
        m_preview->RefreshListPreview();
}

void TListPrint::togglePreview()
{
    if (m_preview) {
        m_preview->close();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TListPreviewSource source;
    source.Job = [this] { return CollectLayout(); };
    source.Records = [this] { return TakeRecords(); };
    // The preview shows the records the book holds when it draws a page:
    // one another program deleted since the list was taken leaves no row.
    source.Left = [this](const std::vector<qint32> &records) {
        TTable *table = m_list->Model()->Table();
        if (table == nullptr)
            return std::vector<qint32>();
        try {
            return ListPrintRecordsLeft(*table, records);
        } catch (const ETableError &) {
            // Not told here: each row read on its own leaves out what is gone.
            return records;
        }
    };
    source.Fetch = [this](const TListPrintJob &job, qint32 recNo) { return FetchRow(job, recNo); };
    source.Hold = [this](const std::function<void()> &read) {
        TTable *table = m_list->Model()->Table();
        if (table == nullptr) {
            read();
            return;
        }
        const TTableRead hold(*table);
        read();
    };
    source.PerPage = [this] { return m_recordsPerPage; };
    source.Printer = m_printer.get();
    m_preview = new TListPrintPreview(source, this);
    // Every record chosen is gone: no preview of an empty page, the user is
    // told as the print tells it.
    if (m_preview->NoneLeft()) {
        delete m_preview.data();
        QApplication::restoreOverrideCursor();
        tell(this, ListPrintNoDataMessage, MB_OK | MB_ICONINFORMATION);
        return;
    }
    connect(m_preview, &TListPrintPreview::closing, this,
            [this] { btnPreview->setText(QStringLiteral("プレビューを開く")); });
    m_preview->show();
    btnPreview->setText(QStringLiteral("プレビューを閉じる"));
    QApplication::restoreOverrideCursor();
}

void TListPrint::closeEvent(QCloseEvent *event)
{
    if (m_preview && !m_preview->close()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool TListPrint::SaveSettings()
{
    TListPrintSettings settings{CollectLayout().Layout, m_columns.Columns(), columnsFitted(),
                                edtRangeBegin->value(), edtRangeEnd->value()};
    // A saved face this machine lacks prints in the face the list shows, but
    // stays the user's choice until they pick another.
    if (!m_fontChosen &&
        lbxFontName->findItems(m_settings.Layout.FontName.trimmed(), Qt::MatchExactly).isEmpty()) {
        settings.Layout.FontName = m_settings.Layout.FontName;
        settings.Layout.FontCharset = m_settings.Layout.FontCharset;
    }
    TMemIniFile ini(SettingsFileName());
    SaveListPrintLayout(ini, settings);
    // Written before the printer file, whose earlier INI form held it.
    if (!m_printer->OutputFile().isEmpty())
        ini.WriteString(ListPrintSection, kPdfFileKey, m_printer->OutputFile());
    QString error;
    if (!ini.UpdateFile(&error)) {
        tell(this, QStringLiteral("設定を保存できませんでした。\r\n") + error, MB_OK | MB_ICONERROR);
        return false;
    }
    m_printer->SetCopies(settings.Layout.Copies);
    if (!m_printer->Save(&error)) {
        tell(this, QStringLiteral("プリンターの設定を保存できませんでした。\r\n") + error, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void TListPrint::choosePrinter()
{
    if (m_printer->GetCopies() != edtCopies->value())
        m_printer->SetCopies(edtCopies->value());
    QPrinter chosen(QPrinter::HighResolution);
    chosen.setPageLayout(m_printer->Printer().pageLayout());
    chosen.setCopyCount(m_printer->GetCopies());
    if (m_printer->IsPdf()) {
        chosen.setOutputFormat(QPrinter::PdfFormat);
        chosen.setOutputFileName(m_printer->Printer().outputFileName());
    } else {
        chosen.setPrinterName(m_printer->DeviceName());
    }
    // One of the program's own files, or a read-only one, named there is
    // refused before it is kept, and the dialog asks again, on the file
    // printed to last.
    for (;;) {
        if (!ExecPrinterDialog || !ExecPrinterDialog(chosen))
            return;
        const QString refusal = chosen.outputFormat() == QPrinter::PdfFormat
                                    ? PdfTargetRefusal(chosen.outputFileName())
                                    : QString();
        if (refusal.isEmpty())
            break;
        chosen.setOutputFormat(QPrinter::PdfFormat);
        chosen.setOutputFileName(m_printer->IsPdf() ? m_printer->Printer().outputFileName() : QString());
        tell(this, refusal, MB_OK | MB_ICONERROR);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_printer->AssignCurrentPrinter(chosen);
    m_pdfFileChosen = m_printer->IsPdf();
    edtCopies->setValue(m_printer->GetCopies());
    showPrinter();
    UpdatePageCapacity();
    QApplication::restoreOverrideCursor();
    if (m_printer->PaperError() == 1)
        tell(this, QStringLiteral("用紙の種類数が取得できませんでした  "), MB_OK | MB_ICONERROR);
}

bool TListPrint::choosePdfFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    // The file printed to last is offered again; the dialog asks before it
    // replaces it.
    const QString kept = m_printer->Printer().outputFileName();
    const QString suggested = kept.isEmpty() ? QDir(folder).filePath(ListPrintDocName + QStringLiteral(".pdf")) : kept;
    // One of the program's own files, or a read-only one, is refused before
    // it is kept, and the dialog asks again, offering the file it offered.
    QString file;
    for (;;) {
        file = ChoosePdfFile ? ChoosePdfFile(this, suggested) : QString();
        if (file.isEmpty())
            return false;
        const QString refusal = PdfTargetRefusal(file);
        if (refusal.isEmpty())
            break;
        tell(this, refusal, MB_OK | MB_ICONERROR);
    }
    m_printer->SetOutputFile(file);
    m_pdfFileChosen = true;
    return true;
}

void TListPrint::printClicked()
{
    if (m_columns.Columns().empty()) {
        tell(this, QStringLiteral("印刷する項目をセットしてください  "), MB_OK | MB_ICONINFORMATION);
        lbxSrc->setFocus();
        return;
    }
    // A column the paper cannot hold is cut at its edge, the ones after it
    // are left out, and a text longer than its cell is clipped: the user
    // hears which, and how many records lose text, before anything is printed.
    // The page and the first layout are brought up to date first, so that
    // the print lays out what the question told.
    UpdatePageCapacity();
    const TListPrintJob job = CollectLayout();
    const TListPageMetrics metrics = MeasureListPage(job.Layout, *m_printer);
    const TListPrintColumnFit fit = ListPrintColumnFit(job, metrics);
    // The texts read here only tell the question: the book is free while
    // it waits, and the run reads each page's records as it draws the page.
    QString cutCells;
    if (m_list->Model()->Table() != nullptr) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cutCells = ListPrintCutCellsText(
            job, ListPrintCutCells(job, metrics, &m_printer->Printer(), fetchRows(job, TakeRecords()), 1),
            QStringLiteral("  \r\n"));
        QApplication::restoreOverrideCursor();
    }
    QString warning;
    if (!fit.Whole())
        warning += QStringLiteral("用紙の幅に入りきらない列があります  \r\n") +
                   ListPrintColumnFitText(job, fit, QStringLiteral("  \r\n")) + QStringLiteral("  \r\n\r\n");
    if (!cutCells.isEmpty())
        warning += QStringLiteral("枠に入りきらず途中で切れる文字があります  \r\n") + cutCells +
                   QStringLiteral("  \r\n\r\n");
    if (!warning.isEmpty() &&
        tell(this, warning + QStringLiteral("このまま印刷しますか？  "), MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    if (tell(this, QStringLiteral("アドレス帳の一覧表を印刷します  \r\nよろしいですか？  "),
             MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    repaint();
    if (PrintList())
        tell(this, QStringLiteral("一覧表の印刷が完了しました  "), MB_OK | MB_ICONINFORMATION);
    btnClose->setFocus();
}

bool TListPrint::PrintList()
{
    UpdatePageCapacity();
    if (m_recordsPerPage < 1) {
        tell(this, ListPrintNoRoomMessage, MB_OK | MB_ICONERROR);
        return false;
    }
    const TListPrintJob job = CollectLayout();
    if (job.Columns.empty() || TRecordRun::Running())
        return false;
    // A PDF file that is there is replaced only when the user chose it for
    // this run (here or in the printer's dialog, which both ask first). An
    // earlier PDF that a killed run left aside is back under its name first.
    const bool chosen = std::exchange(m_pdfFileChosen, false);
    if (m_printer->IsPdf())
        RecoverPdfOutFile(m_printer->Printer().outputFileName());
    if (m_printer->IsPdf() && !chosen &&
        (m_printer->NeedsOutputFile() || QFileInfo::exists(m_printer->Printer().outputFileName())) &&
        !choosePdfFile())
        return false;
    m_pdfFileChosen = false;
    // The records are taken now, in the list's order: nothing that happens
    // while the pages are painted can put another record under a row.
    const std::vector<qint32> records = TakeRecords();
    if (m_list->Model()->Table() == nullptr)
        return false;
    if (records.empty()) {
        tell(this, ListPrintNoDataMessage, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(QStringLiteral("印刷しています..."), QStringLiteral("キャンセル"), 0,
                             static_cast<int>(records.size()), this);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    TTable &table = *m_list->Model()->Table();
    // The reader holds the book for reading while it reads: it gives it
    // back before the pages read are painted and ends with the run, before
    // any box waits for the user. Each page's records are read as the page
    // is drawn (all of them first when the pages print their count), so the
    // sheet shows what the book holds then: a record saved since the
    // question prints as saved, one deleted since is left out and the
    // records after it move up.
    std::optional<TListRowReader> reader(std::in_place, table, job, GroupNames, DataPath);
    const TListPrintResult result = ::PrintList(
        *m_printer, job, records, [&](qint32 recNo) { return reader->Fetch(recNo); },
        [&](int done, int total) {
            // Copies painted into a PDF count the records once per copy.
            if (progress.maximum() != total)
                progress.setMaximum(total);
            progress.setValue(done);
            return !progress.wasCanceled();
        },
        [&] { reader->Release(); });
    reader.reset();
    progress.reset();
    QApplication::restoreOverrideCursor();
    if (!result.Error.isEmpty()) {
        tell(this, result.Error, MB_OK | MB_ICONERROR);
        return false;
    }
    // Every record deleted since the list was taken: nothing was printed,
    // and an earlier PDF of that name is as it was.
    if (result.NoneLeft) {
        tell(this, ListPrintNoDataMessage, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (result.Cancelled)
        return false;
    (void)SaveSettings();
    return result.Pages > 0;
}

TListPrint *ShowListPrint(TAddressList *list)
{
    if (OpenListPrint.isNull())
        OpenListPrint = new TListPrint(list);
    OpenListPrint->show();
    OpenListPrint->setWindowState(OpenListPrint->windowState() & ~Qt::WindowMinimized);
    OpenListPrint->raise();
    OpenListPrint->activateWindow();
    return OpenListPrint;
}

void RegisterListPrint()
{
    ListPrintOpener = [](TAddressList *list) { ShowListPrint(list); };
}
