#include "exchange/FExpPw.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/WriteError.h"
#include "util/MsgBoxPos.h"
#include "widgets/CheckedCaption.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtEndian>

namespace {

const QString kSection = QStringLiteral("FILE EXPORT PASSWORD");

bool isAsciiAlnum(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

TExportPasswordProblem CheckExportPassword(const QString &First, const QString &Second)
{
    if (First.isEmpty())
        return TExportPasswordProblem::FirstEmpty;
    if (Second.isEmpty())
        return TExportPasswordProblem::SecondEmpty;
    if (First.size() < 8 || First.size() > 16)
        return TExportPasswordProblem::Length;
    if (!std::all_of(First.cbegin(), First.cend(), isAsciiAlnum))
        return TExportPasswordProblem::Characters;
    if (First != Second)
        return TExportPasswordProblem::Mismatch;
    return TExportPasswordProblem::None;
}

QString ExportPasswordProblemText(TExportPasswordProblem Problem)
{
    switch (Problem) {
    case TExportPasswordProblem::None: return {};
    case TExportPasswordProblem::FirstEmpty: return QStringLiteral("パスワードを入力してください  ");
    case TExportPasswordProblem::SecondEmpty: return QStringLiteral("確認用のパスワードも入力してください  ");
    case TExportPasswordProblem::Length: return QStringLiteral("パスワードは8文字～16文字で入力してください  ");
    case TExportPasswordProblem::Characters:
        return QStringLiteral("パスワードに使用できる文字は  \r\n　半角数字  \r\n　半角英文字（大小文字を区別します）  \r\n"
                              "のいずれかになります  ");
    case TExportPasswordProblem::Mismatch:
        return QStringLiteral("確認用パスワードが一致しません  \r\n再度入力してください  ");
    }
    return {};
}

QString RememberedPasswordPath()
{
    return QDir(DataRoot).filePath(QStringLiteral("FExport.pwd"));
}

bool SaveRememberedPassword(const QString &Path, const QString &Password, QString *Error)
{
    QByteArray bytes(4, '\0');
    const QByteArray text = Password.toLatin1();
    qToLittleEndian<qint32>(qint32(text.size()), bytes.data());
    for (const char c : text)
        bytes += char(~c);
    // A file set read-only stays as it is: its mode is not opened up below.
    if (const int code = ReadOnlyFileError(Path)) {
        if (Error)
            *Error = WriteErrorReason(code, TWriteTarget::File) + QStringLiteral("  \r\n") +
                     QDir::toNativeSeparators(Path);
        return false;
    }
    // A replace takes the old file's mode: one others may read is closed
    // first, so the new password never lies in such a file.
    if (QFileInfo::exists(Path) && !QFile::setPermissions(Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (Error)
            *Error = QStringLiteral("パスワードファイルの属性を設定できませんでした  ");
        return false;
    }
    if (!SafeReplaceFile(Path, bytes, Error))
        return false;
    // A replaced file keeps its mode: the password is the owner's alone.
    if (!QFile::setPermissions(Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (Error)
            *Error = QStringLiteral("パスワードファイルの属性を設定できませんでした  ");
        return false;
    }
    return true;
}

std::optional<QString> LoadRememberedPassword(const QString &Path)
{
    // An earlier version's save killed half-way left the file under its aside name.
    RecoverSafeReplace(Path);
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(4 + 17);
    if (bytes.size() < 4)
        return std::nullopt;
    const qint32 length = qFromLittleEndian<qint32>(bytes.constData());
    if (length < 1 || length > 16 || bytes.size() != 4 + length)
        return std::nullopt;
    QString password;
    for (qint32 i = 0; i < length; ++i) {
        const QChar c = QLatin1Char(char(~bytes[4 + i]));
        if (!isAsciiAlnum(c))
            return std::nullopt;
        password += c;
    }
    return password;
}

TFileExportPassword::TFileExportPassword(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("FileExportPassword"));
    setWindowTitle(QStringLiteral("自己復元パスワードの入力"));
    setProperty("HelpContext", 61);
    auto makeEdit = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(16);
        edit->setEchoMode(QLineEdit::Password);
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        return edit;
    };
    auto blue = [this](const QString &text) {
        auto *label = new QLabel(text, this);
        label->setStyleSheet(QStringLiteral("color: blue"));
        return label;
    };
    medtPassword1 = makeEdit("medtPassword1");
    medtPassword2 = makeEdit("medtPassword2");
    chkSavePassword = new QCheckBox(QStringLiteral("パスワードを保存する （推奨しません）"), this);
    chkSavePassword->setObjectName(QStringLiteral("chkSavePassword"));
    btnSet = new QPushButton(QStringLiteral("設定"), this);
    btnSet->setObjectName(QStringLiteral("btnSet"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("パスワード："), this), 0, 0);
    grid->addWidget(medtPassword1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("確認用："), this), 1, 0);
    grid->addWidget(medtPassword2, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSet);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(new QLabel(QStringLiteral("暗号化出力したファイルを復元する際に必要となるパスワードを設定します"), this));
    main->addWidget(blue(QStringLiteral("※８文字～１６文字の半角英数字で入力してください")));
    main->addWidget(blue(QStringLiteral("英字は大文字と小文字を区別します")));
    main->addLayout(grid);
    main->addWidget(chkSavePassword);
    main->addLayout(buttons);

    connect(chkSavePassword, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(chkSavePassword); });
    connect(btnSet, &QPushButton::clicked, this, &TFileExportPassword::btnSetClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    LoadSavedPassword();
}

void TFileExportPassword::LoadSavedPassword()
{
    const TMemIniFile ini(SettingsFileName());
    bool remember = ini.ReadBool(kSection, QStringLiteral("SavePassword"), false);
    if (remember) {
        // A damaged or foreign file turns remembering off.
        const std::optional<QString> saved = LoadRememberedPassword(RememberedPasswordPath());
        if (saved) {
            medtPassword1->setText(*saved);
            medtPassword2->setText(*saved);
        } else {
            remember = false;
        }
    }
    chkSavePassword->setChecked(remember);
    PaintCheckedCaption(chkSavePassword);
}

bool TFileExportPassword::SavePasswordSetting()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteBool(kSection, QStringLiteral("SavePassword"), chkSavePassword->isChecked());
    QString error;
    bool saved = ini.UpdateFile(&error);
    const QString path = RememberedPasswordPath();
    // Forgetting must not leave a copy of an interrupted save behind.
    RecoverSafeReplace(path);
    if (saved && chkSavePassword->isChecked())
        saved = SaveRememberedPassword(path, m_password, &error);
    else if (saved && QFile::exists(path) && !QFile::remove(path))
        saved = false, error = QStringLiteral("保存したパスワードを削除できませんでした  \r\n") + path;
    if (!saved)
        ShowMessageBoxAt(this, error, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    return saved;
}

void TFileExportPassword::btnSetClick()
{
    const TExportPasswordProblem problem = CheckExportPassword(medtPassword1->text(), medtPassword2->text());
    if (problem != TExportPasswordProblem::None) {
        ShowMessageBoxAt(this, ExportPasswordProblemText(problem), ProductCaption(), MB_ICONINFORMATION,
                         mbpCenterOnOwner, 0, 0);
        QLineEdit *edit = problem == TExportPasswordProblem::SecondEmpty ? medtPassword2 : medtPassword1;
        if (problem == TExportPasswordProblem::Mismatch) {
            medtPassword2->clear();
            edit = medtPassword2;
        } else if (problem != TExportPasswordProblem::FirstEmpty && problem != TExportPasswordProblem::SecondEmpty) {
            medtPassword1->selectAll();
        }
        edit->setFocus();
        return;
    }
    m_password = medtPassword1->text();
    if (!SavePasswordSetting())
        return;
    accept();
}
