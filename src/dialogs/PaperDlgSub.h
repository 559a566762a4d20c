#pragma once

#include "dialogs/PaperFmt.h"

#include <QString>

#include <optional>

class QWidget;
class QAbstractButton;
class QPushButton;
class QRadioButton;

// What the paper dialogs share around the format files: reading them with
// the user told about a damaged one, and keeping the user's own formats safe.
namespace PaperDlg {

// Reads a catalogue (Lyt.fmt or Dsn.fmt); a missing one leaves it empty
// quietly, a damaged or foreign one is refused, named to the user and left as
// it is (the program never writes it).
void loadCatalogue(QWidget *owner, TLayoutCatalogue &catalogue, const QString &path);
void loadCatalogue(QWidget *owner, TDesignCatalogue &catalogue, const QString &path);

// Reads CstmL.fmt. A damaged one is never written over: it is renamed beside
// itself (".unreadable-<date>-<time>") and the user told; when it cannot be
// moved, saving stays refused (the return value) so it is not lost.
[[nodiscard]] bool loadUserFormats(QWidget *owner, TCustomFormats &formats, const QString &path);
// Writes CstmL.fmt, which another program with the same data folder may
// save too: under the file's lock the formats added or removed since `base`
// (what the dialog read or last saved) go into what the file holds now
// (TCustomFormats::mergeChanges), so the other program's formats stay; base
// and formats then hold what the file holds. A format saved with another id
// than the dialog gave it takes *selected (minus the id of the user format
// the dialog hands on) along. A file damaged since it was read is kept aside
// and named as when it is read; a failure is told.
void saveUserFormats(QWidget *owner, TCustomFormats &base, TCustomFormats &formats, const QString &path,
                     bool allowed, int *selected);

// A message with the product caption centred on the dialog, with two
// blanks after each line as the paper dialogs write them.
void inform(QWidget *owner, const QStringList &lines);

// Controls built the same way in every paper dialog, named for the tests.
QRadioButton *radio(QWidget *parent, const char *name, const QString &text);
// Two radios exclusive with each other only, side by side.
QWidget *radioPair(QWidget *parent, QRadioButton *a, QRadioButton *b);
QPushButton *button(QWidget *parent, const char *name, const QString &text);

// The chosen radio of a pair in blue, the other in the window's colours.
void paintPair(QAbstractButton *a, QAbstractButton *b);

// A length typed in millimetres as tenths (at most 32767): refused when
// empty, when it holds anything but half-width digits and one '.', or more
// than one '.'.
[[nodiscard]] std::optional<int> parseTenths(const QString &text);

// "%.1f x %.1f mm" of two lengths in 0.1 mm.
QString sizeText(int width, int height);

} // namespace PaperDlg
