// An envelope has two sides: its front takes the addressee, its back (the
// sender side chosen in the paper dialog) the sender, in the sender frames
// the paper places there. Printed through the wizard to a PDF and measured.
#include "PrintedInk.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "support/RowName.h"

namespace {

struct EnvelopeCase {
    const char *name;
    int paper;
};

class EnvelopeSides : public PrintedInkFixture, public ::testing::TestWithParam<EnvelopeCase>
{
protected:
    static constexpr int kRender = 100;

    // The envelope's sender frames, on the piece in millimetres.
    static QList<QRectF> senderFrames(TLayoutDocument &D)
    {
        QList<QRectF> frames;
        for (const auto &item : D.Items)
            if (IsSenderFrameKind(item->GetKind()))
                frames.append(ItemMm(*item));
        return frames;
    }
};

TEST_P(EnvelopeSides, frontPrintsTheSameWhetherOrNotASenderExists)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    ASSERT_EQ(editor.Document().Format.PaperKind(), TPaperKind::Envelope);
    host.Sender.reset();
    const QImage alone = PrintThroughWizard(editor, 1, 300, kRender);
    host.Sender = host.ReadRecord(2);
    const QImage withSender = PrintThroughWizard(editor, 1, 300, kRender);
    ASSERT_FALSE(alone.isNull());
    ASSERT_EQ(alone.size(), withSender.size());
    int differing = 0;
    for (int y = 0; y < alone.height(); ++y)
        for (int x = 0; x < alone.width(); ++x)
            differing += isInk(alone.pixel(x, y)) != isInk(withSender.pixel(x, y)) ? 1 : 0;
    EXPECT_EQ(differing, 0) << "the sender printed on the addressee's side";
    EXPECT_GT(inkIn(alone, alone.rect()), 0) << "the addressee printed nothing";
}

TEST_P(EnvelopeSides, backPrintsTheSenderInTheSenderFramesOnly)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    editor.SetDataMode(TLayoutForm::SenderDataMode);
    host.Sender = host.ReadRecord(2);
    const QImage back = PrintThroughWizard(editor, 1, 300, kRender);
    ASSERT_FALSE(back.isNull());
    const QList<QRectF> frames = senderFrames(editor.Document());
    ASSERT_FALSE(frames.isEmpty());
    int inFrames = 0;
    QImage outside = back.convertToFormat(QImage::Format_RGB32);
    for (const QRectF &f : frames) {
        const QRect dots = MmToDots(f, kRender).adjusted(-2, -2, 2, 2);
        inFrames += inkIn(back, dots);
        for (int y = dots.top(); y <= dots.bottom(); ++y)
            for (int x = dots.left(); x <= dots.right(); ++x)
                if (outside.rect().contains(x, y))
                    outside.setPixel(x, y, qRgb(255, 255, 255));
    }
    EXPECT_GT(inFrames, 0) << "the sender printed nothing on the back";
    EXPECT_EQ(inkIn(outside, outside.rect()), 0) << "ink outside the sender frames: " << qPrintable([&] {
        const QRectF box = InkBox(outside, kRender);
        return QStringLiteral("%1,%2 %3x%4 mm").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height());
    }());
}

// The editor's page shows the side the layout prints.
TEST_P(EnvelopeSides, editorShowsTheFrontWithoutTheSender)
{
    TLayoutForm editor(nullptr, host);
    TLabelGrid grid;
    editor.SetLayout(GetParam().paper, catalogueFormat(GetParam().paper, &grid), grid);
    host.Current = 1;
    auto shown = [&editor] {
        editor.MergeCurrentRecord();
        return editor.PageView()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    host.Sender.reset();
    const QImage alone = shown();
    host.Sender = host.ReadRecord(2);
    const QImage withSender = shown();
    ASSERT_FALSE(alone.isNull());
    ASSERT_EQ(alone.size(), withSender.size());
    EXPECT_EQ(alone, withSender) << "the sender shows on the addressee's side";
    EXPECT_GT(inkIn(alone, alone.rect()), 0);
}

INSTANTIATE_TEST_SUITE_P(Envelopes, EnvelopeSides,
                         ::testing::Values(EnvelopeCase{"long3Vertical", 2}, EnvelopeCase{"long3Horizontal", 3},
                                           EnvelopeCase{"long3Landscape", 4}, EnvelopeCase{"long4Vertical", 5},
                                           EnvelopeCase{"western2Vertical", 8}, EnvelopeCase{"square2Vertical", 11}),
                         rowName);

} // namespace
