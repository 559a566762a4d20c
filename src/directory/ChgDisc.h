#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

// The data-disc prompt: asks where the directory's data disc is. It lists
// the mounted volumes (with their labels) and takes any folder typed in, as
// the data may also lie in a plain folder holding "Murven19/".
class TChangeDisc : public QDialog {
    Q_OBJECT
public:
    explicit TChangeDisc(QWidget *Parent = nullptr);

    void SetMessage(const QString &Text);
    // The proposed location; the matching entry is selected.
    void SetDrive(const QString &Drive);
    // The chosen location after OK.
    [[nodiscard]] QString Drive() const { return m_drive; }
    // Lists the mounted volumes anew.
    void Refresh();

private:
    QLabel *lblMsg = nullptr;
    QComboBox *cbxCD = nullptr;
    QString m_drive;
};
