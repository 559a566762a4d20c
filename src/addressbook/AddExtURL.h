#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class QPushButton;
class TTntEdit;

// One top-level window as the browser-address capture sees it: its title
// and its child controls (class name and text) in the window system's order.
struct TCapturedWindow {
    struct TChild {
        QString ClassName;
        QString Text;
    };
    QString Title;
    QList<TChild> Children;
};
// Lists the open top-level windows in the window system's order.
using TWindowListSource = std::function<QList<TCapturedWindow>()>;

// Installs the window list the capture reads and returns the previous one.
// Other programs' controls cannot be read on this platform, so there is no
// source by default and the capture button stays disabled; tests and a
// platform able to list windows install one.
TWindowListSource SetWindowListSource(TWindowListSource source);

// The address shown by the first browser window (title holding
// " Internet Explorer", "Firefox", "Chrome" or "Netscape") that has an edit
// child whose text begins with "http"; trimmed, empty when none.
[[nodiscard]] QString FindBrowserURL(const QList<TCapturedWindow> &windows);

// Asks for one URL to add to a record's external links; the address of an
// open web browser can be taken instead of typing it. 登録 closes with
// Accepted only when the trimmed text is not empty.
class TAddExtURL : public QDialog
{
    Q_OBJECT

public:
    explicit TAddExtURL(QWidget *Owner);
    ~TAddExtURL() override;

    // The trimmed text of the edit, as CP932 bytes and as wide text.
    [[nodiscard]] QByteArray GetURL() const;
    [[nodiscard]] QString URL() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnAddClick();
    void bbtnGetURLClick();

    TTntEdit *edtURL = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *bbtnGetURL = nullptr;
};
