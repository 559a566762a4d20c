// Frames drawn for one paper size and fitted to another: the room inside a
// text frame's margins (which stay 4 page pixels on every paper) scales with
// the paper as the fonts do.
#include "dialogs/PaperCatalogue.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>

namespace {

struct FitCase {
    const char *name;
    int own;    // a record of its frame block's own size
    int scaled; // a record of another size with the same frames
    // Whether the scaled record takes the detailed set from the block too
    // (a paper whose detailed frames are laid out for it has its own).
    bool detail;
    // A simple frame the scaled record's block lays out for its own piece
    // instead (-1: none).
    int ownSimple = -1;
};

class FrameFit : public testing::TestWithParam<FitCase>
{
protected:
    static TPaperSource shipped()
    {
        QFile f(QStringLiteral(MURVEN_PAPER_SOURCE));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        TPaperSource source;
        QString error;
        EXPECT_TRUE(PaperCatalogue::parse(QString::fromUtf8(f.readAll()), source, &error)) << error.toStdString();
        return source;
    }
};

TEST_P(FrameFit, roomInsideTheMarginsScalesWithThePaper)
{
    const TPaperSource source = shipped();
    const TLayoutFormat own = source.Layouts.Records.value(GetParam().own);
    const TLayoutFormat scaled = source.Layouts.Records.value(GetParam().scaled);
    const double fx = double(scaled.Width) / own.Width;
    const double fy = double(scaled.Height) / own.Height;
    const int m = TextItemMargin.value;
    for (const bool detail : {false, true}) {
        if (detail && !GetParam().detail)
            continue;
        const TFrameSet &a = detail ? own.Detail : own.Simple;
        const TFrameSet &b = detail ? scaled.Detail : scaled.Simple;
        ASSERT_EQ(a.Count, b.Count);
        // The last frame of a label or card set is its barcode, which is
        // not scaled.
        for (int i = 0; i + 1 < a.Count; ++i) {
            if (!detail && i == GetParam().ownSimple)
                continue;
            SCOPED_TRACE(testing::Message() << (detail ? "detailed" : "simple") << " frame " << i);
            const TFrameRect &r = a.Rects[size_t(i)];
            const TFrameRect &s = b.Rects[size_t(i)];
            // Within a pixel each way: both sets of edges are rounded.
            EXPECT_NEAR(s.Right - s.Left - 2 * m, (r.Right - r.Left - 2 * m) * fx, 1.5);
            EXPECT_NEAR(s.Bottom - s.Top - 2 * m, (r.Bottom - r.Top - 2 * m) * fy, 1.5);
            EXPECT_NEAR(s.Left + m, (r.Left + m) * fx, 1.0);
            EXPECT_NEAR(s.Top + m, (r.Top + m) * fy, 1.0);
        }
    }
}

// A 12-sheet label (86.4 x 42.3, the frames' own size) against the
// 24-sheet one (66 x 33.9), the 10-sheet one (86.4 x 50.8) and, turned, the
// 24-sheet one (33.9 x 66); each has detailed frames of its own, and the
// 24-sheet labels a simple name frame laid out for a company's lines.
INSTANTIATE_TEST_SUITE_P(Labels, FrameFit,
                         testing::Values(FitCase{"smallerLabel", 14, 20, false, 2},
                                         FitCase{"tallerLabel", 14, 16, false},
                                         FitCase{"smallerTurnedLabel", 15, 21, false, 2}),
                         rowName);

} // namespace
