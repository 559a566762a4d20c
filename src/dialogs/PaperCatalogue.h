#pragma once

#include "dialogs/PaperFmt.h"

#include <QImage>
#include <QList>
#include <QString>

class QPainter;

// The paper catalogue as we author it: data/paper/catalogue.txt, reviewable
// text in millimetres, turned into Lyt.fmt, Dsn.fmt and the pictures of
// Common/Format/ at build time (murven-papercat). The parser checks every rule
// a saved layout relies on (record positions, variant order, frame roles,
// field capacities) and refuses the whole text with the line at fault.
//
// To extend it: append `paper` or `design` lines with the next index; never
// renumber or reorder existing ones (see data/paper/README.md).

struct TPaperPicture {
    QString File;
    int Width = 0;  // 0.1 mm
    int Height = 0; // 0.1 mm
};

struct TPaperSource {
    TLayoutCatalogue Layouts;
    TDesignCatalogue Designs;
    QList<TPaperPicture> Pictures;
    QStringList GridNames; // grid k (1-based) is GridNames[k - 1]
};

namespace PaperCatalogue {

// Roles of the frames, in the order the layout editors hand them to their
// fixed items. Postcards and envelopes may end their sets before the sender
// roles; labels and cards have none.
QStringList simpleRoles(TPaperKind kind);
QStringList detailRoles(TPaperKind kind);
// Variants per name: postcard 2, envelope 3, label 2, card 3.
int variantCount(TPaperKind kind);

[[nodiscard]] bool parse(const QString &text, TPaperSource &out, QString *error);

// Draws a picture's content onto a painter whose unit is one pixel at
// `pixelsPerMm`: a postcard-sized picture gets the red addressee postcode
// boxes (5.7 x 8.0 mm, top 12 mm, the last ending 8 mm from the right edge,
// pitches 7.0, 7.0, 7.6, 6.8, 6.8, 6.8 mm, a dash between the third and the
// fourth).
void paintPicture(QPainter &painter, const TPaperPicture &picture, double pixelsPerMm);
// The picture as an image at the given resolution, white elsewhere.
[[nodiscard]] QImage renderPicture(const TPaperPicture &picture, int dotsPerInch);

// Left edges of the seven postcode boxes (mm from the postcard's left edge).
QList<double> postcodeBoxLefts();

} // namespace PaperCatalogue
