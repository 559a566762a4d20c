#pragma once

#include "links/NoriMain.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QLineEdit;
class QPushButton;
class QTreeWidget;

// The Norikae Annai station picker "駅選択": the user types the beginning of
// a station's name and picks one of the route program's candidates. It
// works on a copy of the front end's station record, which keeps the typed
// text and the chosen row for the next pick.
class TNorikaeSelectStation : public QDialog
{
    Q_OBJECT

public:
    explicit TNorikaeSelectStation(QWidget *Owner = nullptr);
    ~TNorikaeSelectStation() override;

    // Starts the route program's candidate server; false after the message
    // that it cannot be started (the picker is then not to be shown).
    [[nodiscard]] bool Init();
    void SetRecord(const TNorikaeSelectStInfo &Record) { m_record = Record; }
    [[nodiscard]] const TNorikaeSelectStInfo &Record() const { return m_record; }

    void Search();
    void btnOKClick();

    QLineEdit *edName = nullptr;
    QTreeWidget *lvStation = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    std::unique_ptr<INorikaeAnnai> m_server;
    TNorikaeSelectStInfo m_record;
    QStringList m_candidates;
    bool m_shown = false;
};

// The message of a route program that does not answer.
inline const QString NorikaeStartFailedMessage = QStringLiteral("乗換案内が起動できませんでした  ");
