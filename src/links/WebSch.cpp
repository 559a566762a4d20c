#include "links/WebSch.h"

#include "core/Env.h"
#include "links/LinkServices.h"
#include "links/LinkUrl.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kSection = QStringLiteral("WEB SEARCH");
const QString kEngine = QStringLiteral("Engine");

} // namespace

TWebSearch::TWebSearch(QWidget *Owner)
    : QDialog(Owner)
{
    setWindowTitle(QStringLiteral("Web検索"));
    setProperty("HelpContext", 42);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("検索名称"), this), 0, 0);
    edtWord = new QLineEdit(this);
    edtWord->setObjectName(QStringLiteral("edtWord"));
    edtWord->setMaxLength(112);
    grid->addWidget(edtWord, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("検索エンジン"), this), 1, 0);
    cbxEngine = new QComboBox(this);
    cbxEngine->setObjectName(QStringLiteral("cbxEngine"));
    for (const TWebSearchEngine &engine : WebSearchEngines())
        cbxEngine->addItem(engine.Name);
    grid->addWidget(cbxEngine, 1, 1, 1, 2);
    bbtnSearch = new QPushButton(QStringLiteral("検索"), this);
    bbtnSearch->setObjectName(QStringLiteral("bbtnSearch"));
    // Enter walks to 検索; Return there searches.
    bbtnSearch->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    grid->addWidget(bbtnSearch, 2, 1);
    grid->addWidget(btnClose, 2, 2);
    connect(bbtnSearch, &QPushButton::clicked, this, [this] { bbtnSearchClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(2); });
    edtWord->installEventFilter(this);
    cbxEngine->installEventFilter(this);

    const TMemIniFile ini(SettingsFileName());
    int engine = ini.ReadInteger(kSection, kEngine, 0);
    if (engine < 0 || engine >= WebSearchEngineCount)
        engine = 0;
    cbxEngine->setCurrentIndex(engine);
}

void TWebSearch::SetSearchText(const QString &Text)
{
    edtWord->setText(Text);
    edtWord->setCursorPosition(int(edtWord->text().size()));
}

bool TWebSearch::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == edtWord) {
                cbxEngine->setFocus();
                return true;
            }
            if (Watched == cbxEngine) {
                bbtnSearch->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TWebSearch::bbtnSearchClick()
{
    // Blanks alone would search for nothing at all: refused like an empty word.
    if (edtWord->text().trimmed().isEmpty()) {
        ShowMessageBoxAt(this, QStringLiteral("検索名称を入力してください  "), ProductCaption(), MB_ICONINFORMATION,
                         mbpCenterOnOwner, 0, 0);
        edtWord->setFocus();
        return;
    }
    const int engine = cbxEngine->currentIndex();
    // A site asked in Shift-JIS would get "?" for a character Shift-JIS
    // lacks, and search for another name: the word is refused and the
    // character named.
    const TWebSearchEngine &site = WebSearchEngines()[size_t(qBound(0, engine, WebSearchEngineCount - 1))];
    const QString word = edtWord->text().trimmed();
    if (!site.Utf8 && !Cp932::canEncode(word)) {
        QString lacking;
        for (qsizetype i = 0; i < word.size() && lacking.isEmpty(); ++i) {
            const qsizetype length = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
            const QString one = word.mid(i, length);
            if (!Cp932::canEncode(one))
                lacking = one;
            i += length - 1;
        }
        ShowMessageBoxAt(this,
                         QStringLiteral("「") + lacking + QStringLiteral("」は ") + site.Name
                             + QStringLiteral(" の検索に使えない文字です  \r\n"
                                              "文字を置き換えるか、ほかの検索サイトを選んでください  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        edtWord->setFocus();
        return;
    }
    if (!LinkServices().Urls->Open(WebSearchUrl(engine, edtWord->text()))) {
        ShowMessageBoxAt(this, QStringLiteral("ブラウザーが起動できませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return;
    }
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, kEngine, engine);
    ini.UpdateFileOrTellOnce(); // the engine is a convenience: a failed write loses only it
    done(1);
}
