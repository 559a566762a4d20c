#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The password of the encrypted export: the rules a password must meet, the
// optional remembered password file "FExport.pwd" in the settings root, and
// the dialog "自己復元パスワードの入力" that asks for it.

enum class TExportPasswordProblem { None, FirstEmpty, SecondEmpty, Length, Characters, Mismatch };

// 8 to 16 half-width letters and digits, typed twice alike. Letter case
// counts: the archive's AES password is case-sensitive, so the confirmation
// must match exactly.
[[nodiscard]] TExportPasswordProblem CheckExportPassword(const QString &First, const QString &Second);
[[nodiscard]] QString ExportPasswordProblemText(TExportPasswordProblem Problem);

// The remembered password file: the length as 32-bit little-endian, then the
// password's bytes each bit-inverted. The file is readable and writable by
// its owner only (0600).
[[nodiscard]] QString RememberedPasswordPath();
[[nodiscard]] bool SaveRememberedPassword(const QString &Path, const QString &Password, QString *Error);
// std::nullopt when the file is damaged or foreign: a length that does not
// match the bytes, or a character that is not a letter or digit.
[[nodiscard]] std::optional<QString> LoadRememberedPassword(const QString &Path);

class TFileExportPassword : public QDialog
{
    Q_OBJECT

public:
    explicit TFileExportPassword(QWidget *Owner);

    [[nodiscard]] QString Password() const { return m_password; }
    // 設定: checks the entries, saves the remembering and accepts.
    void btnSetClick();

    QLineEdit *medtPassword1 = nullptr;
    QLineEdit *medtPassword2 = nullptr;
    QCheckBox *chkSavePassword = nullptr;
    QPushButton *btnSet = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void LoadSavedPassword();
    [[nodiscard]] bool SavePasswordSetting();

    QString m_password;
};
