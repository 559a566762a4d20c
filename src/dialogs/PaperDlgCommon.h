#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

class QAbstractButton;
class QByteArray;
class QDialog;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPainter;
class QPushButton;
class QWidget;
class TPreviewPanel;

// The frame every paper dialog is built in: the preview on the right, OK and
// Cancel below, the paper's name in the custom dialogs. Kept in one place so
// the dialogs look and behave alike.
namespace PaperDlg {

// A control of the dialog named for the tests, as radio and button make
// theirs.
template <typename Control>
Control *control(QWidget *parent, const char *name)
{
    auto *c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

// The preview frame ("pnlImage" or "pnlPreview") with its minimum size given
// in pixels at 96 dpi.
QFrame *previewFrame(QWidget *parent, const char *name, int minWidth, int minHeight);
// The paper drawn centred in the preview frame ("pnlCard").
TPreviewPanel *previewCard(QWidget *frame, std::function<void(QPainter &)> paint);

// The red note in the preview's corner telling that no barcode fits the paper;
// hidden until placeNoBarcode shows it.
QLabel *noBarcodeNote(QWidget *frame);
void placeNoBarcode(QLabel *note, bool shown, const QWidget *frame);

// "OK" (the default button) and "キャンセル".
void okCancel(QWidget *parent, QPushButton *&ok, QPushButton *&cancel);

// The paper's name of a custom format ("edName"): 20 characters at the
// most, no more bytes than the format file keeps.
QLineEdit *nameEdit(QWidget *parent);
// The name typed is refused, told and the field focused when it is empty or
// `used` (given it in CP932) finds it among the user's formats already.
[[nodiscard]] bool nameAccepted(QWidget *owner, QLineEdit *name, const std::function<bool(const QByteArray &)> &used);
// "用紙名：" and the name beside it.
QHBoxLayout *nameRow(QWidget *parent, QLineEdit *name);

// The settings on the left, the preview on the right taking what is left,
// OK and Cancel below on the right.
void arrange(QDialog *dialog, QLayout *left, QWidget *preview, QPushButton *ok, QPushButton *cancel);

// The radios of a user format show its own direction and offer no other;
// those of a catalogue paper are all free.
void lockToChecked(std::initializer_list<QAbstractButton *> radios, bool locked);

// A paper in the direction `acrossOnly` is written across only: the words'
// direction follows, and vertical writing is offered only with `other`.
void writeAcrossOnlyWhen(QAbstractButton *acrossOnly, QAbstractButton *other, QAbstractButton *wordV,
                         QAbstractButton *wordH);

// How far Page Up/Down (10) and Up/Down (1) move a length field's up-down;
// 0 for any other key.
int stepForKey(int key);

} // namespace PaperDlg
