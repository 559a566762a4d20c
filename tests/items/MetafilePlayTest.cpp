#include "items/FontFaces.h"
#include "items/MetafileEx.h"
#include "support/RowName.h"
#include "util/PdfText.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// What one glyph run drawn on the page looked like: the box of its glyphs'
// outlines on the device and the colour they were filled with.
struct TDrawn {
    QRectF Box;
    QColor Color;
};

// A paint engine that keeps what is drawn on it. It leaves text to the
// base engine, which fills the outline of every glyph run as one path in
// the painter's transform: each path stands for one glyph run.
class TDrawnEngine : public QPaintEngine
{
public:
    TDrawnEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &State) override
    {
        if (State.state() & QPaintEngine::DirtyTransform)
            m_transform = State.transform();
        if (State.state() & QPaintEngine::DirtyBrush)
            m_brush = State.brush();
    }
    void drawPath(const QPainterPath &Path) override { Drawn.push_back({m_transform.map(Path).boundingRect(), m_brush.color()}); }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

    std::vector<TDrawn> Drawn;

private:
    QTransform m_transform;
    QBrush m_brush;
};

class TDrawnDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    const std::vector<TDrawn> &Drawn() const { return m_engine.Drawn; }

protected:
    int metric(PaintDeviceMetric Metric) const override
    {
        switch (Metric) {
        case PdmWidth:
        case PdmHeight:
            return 2000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 600;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return 1 * QPaintDevice::devicePixelRatioFScale();
        default:
            return 32;
        }
    }

private:
    mutable TDrawnEngine m_engine;
};

// One recorded run: which of two texts it belongs to (each has its own
// colour), whether it is turned a quarter, and where it is placed.
struct TRunSpec {
    int text;
    bool turned;
    double dx;
    double dy;
};

struct TPlayCase {
    const char *name;
    std::vector<TRunSpec> runs;
    // How many consecutive runs each drawn run carries.
    std::vector<int> drawnRuns;
    TDeviceDpi target; // the recording is made at 600 dpi
    QPointF origin;
};

const QColor kColors[] = {Qt::black, Qt::red};

QTransform transformOf(const TRunSpec &Spec)
{
    QTransform t = QTransform::fromTranslate(Spec.dx, Spec.dy);
    return Spec.turned ? QTransform().rotate(90) * t : t;
}

class MetafilePlay : public ::testing::TestWithParam<TPlayCase>
{
protected:
    void SetUp() override
    {
        font = LoadRawFont(QString::fromUtf16(u"ＭＳ 明朝"), 40, 0);
        glyphs = font.isValid() ? font.glyphIndexesForString(QStringLiteral("東京都")) : QList<quint32>();
        if (glyphs.size() != 3 || glyphs.contains(0u))
            GTEST_SKIP() << "no Japanese face installed";
    }

    TGlyphRun runOf(const TRunSpec &Spec) const
    {
        return TGlyphRun{font, glyphs, {QPointF(0, 35), QPointF(40, 35), QPointF(80, 35)}, transformOf(Spec),
                         {QStringLiteral("東"), QStringLiteral("京"), QStringLiteral("都")}, QStringLiteral("Face")};
    }

    TMetafileEx recording(const std::vector<TRunSpec> &Runs) const
    {
        TMetafileEx mf;
        mf.SetSize(QSize(2000, 2000));
        mf.SetDpi(TDeviceDpi{600, 600});
        for (size_t i = 0; i < Runs.size();) {
            TTextOp op;
            op.Font.Color = kColors[Runs[i].text];
            const int text = Runs[i].text;
            for (; i < Runs.size() && Runs[i].text == text; ++i)
                op.Runs.push_back(runOf(Runs[i]));
            mf.Append(op);
        }
        return mf;
    }

    // Each recorded run drawn on its own in its own transform, the way the
    // recording means it.
    std::vector<TDrawn> eachRunAlone(const TPlayCase &Case) const
    {
        TDrawnDevice device;
        QPainter painter(&device);
        QTransform frame;
        frame.scale(double(Case.target.x) / 600, double(Case.target.y) / 600);
        frame *= QTransform::fromTranslate(Case.origin.x(), Case.origin.y());
        for (const TRunSpec &spec : Case.runs) {
            const TGlyphRun r = runOf(spec);
            QGlyphRun run;
            run.setRawFont(r.Font);
            run.setGlyphIndexes(r.Glyphs);
            run.setPositions(r.Positions);
            painter.setTransform(r.Transform * frame);
            painter.setPen(kColors[spec.text]);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        painter.end();
        return device.Drawn();
    }

    QRawFont font;
    QList<quint32> glyphs;
};

// The runs drawn together cover exactly what they cover drawn one by one
// (within the device's sixty-fourth of a dot that positions are kept in),
// in their text's colour.
TEST_P(MetafilePlay, drawsEachRunWhereItsOwnTransformPutsIt)
{
    const TPlayCase &c = GetParam();
    const TMetafileEx mf = recording(c.runs);
    TDrawnDevice device;
    QPainter painter(&device);
    mf.Play(painter, c.origin, c.target);
    painter.end();
    const std::vector<TDrawn> alone = eachRunAlone(c);
    ASSERT_EQ(alone.size(), c.runs.size());
    ASSERT_EQ(device.Drawn().size(), c.drawnRuns.size());
    size_t next = 0;
    for (size_t i = 0; i < c.drawnRuns.size(); ++i) {
        QRectF expected;
        for (int k = 0; k < c.drawnRuns[i]; ++k)
            expected |= alone[next++].Box;
        const TDrawn &drawn = device.Drawn()[i];
        EXPECT_NEAR(drawn.Box.left(), expected.left(), 0.05) << "run " << i;
        EXPECT_NEAR(drawn.Box.top(), expected.top(), 0.05) << "run " << i;
        EXPECT_NEAR(drawn.Box.right(), expected.right(), 0.05) << "run " << i;
        EXPECT_NEAR(drawn.Box.bottom(), expected.bottom(), 0.05) << "run " << i;
        EXPECT_EQ(drawn.Color, alone[next - 1].Color) << "run " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MetafilePlay,
    ::testing::Values(
        TPlayCase{"uprightRunAlone", {{0, false, 100, 200}}, {1}, {600, 600}, {}},
        TPlayCase{"turnedRunAlone", {{0, true, 300, 200}}, {1}, {600, 600}, {}},
        TPlayCase{"uprightRunsOfOneColourJoin", {{0, false, 100, 200}, {0, false, 300, 260}}, {2}, {600, 600}, {}},
        TPlayCase{"turnedRunsOfOneColourJoin",
                  {{0, true, 300, 200}, {0, true, 360, 400}, {0, true, 420, 600}},
                  {3},
                  {600, 600},
                  {}},
        TPlayCase{"anUprightRunAfterATurnedOneStaysApart",
                  {{0, true, 300, 200}, {0, false, 100, 200}, {0, false, 100, 300}},
                  {1, 2},
                  {600, 600},
                  {}},
        TPlayCase{"aTurnedRunAfterAnUprightOneStaysApart",
                  {{0, false, 100, 200}, {0, true, 300, 200}, {0, true, 300, 400}},
                  {1, 2},
                  {600, 600},
                  {}},
        TPlayCase{"runsOfAnotherColourStayApart",
                  {{0, false, 100, 200}, {1, false, 100, 300}, {1, false, 100, 400}, {0, false, 100, 500}},
                  {1, 2, 1},
                  {600, 600},
                  {}},
        TPlayCase{"uprightRunsJoinAtAnOrigin", {{0, false, 100, 200}, {0, false, 300, 200}}, {2}, {600, 600}, {37.5, 12.25}},
        TPlayCase{"runsJoinScaledOntoAnotherDevice",
                  {{0, false, 100, 200}, {0, false, 300, 200}, {0, true, 500, 200}, {0, true, 560, 200}},
                  {2, 2},
                  {300, 300},
                  {10, 20}}),
    rowName);

// The text puts the painter's transform and pen back as it found them: what
// the caller draws next is not drawn in the text's frame or colour.
TEST_F(MetafilePlay, givesBackThePaintersTransformAndPen)
{
    const TMetafileEx mf = recording({{0, true, 300, 200}, {1, false, 100, 200}});
    TDrawnDevice device;
    QPainter painter(&device);
    painter.translate(5, 7);
    painter.setPen(QPen(Qt::blue, 3));
    mf.Play(painter, QPointF(11, 13), TDeviceDpi{600, 600});
    EXPECT_EQ(painter.transform(), QTransform::fromTranslate(5, 7));
    EXPECT_EQ(painter.pen(), QPen(Qt::blue, 3));
    painter.end();
}

// Playing into a PDF notes every glyph drawn with its text, run by run in
// the order drawn, whether runs are drawn together or apart.
TEST_F(MetafilePlay, notesTheTextOfEveryRunDrawn)
{
    TMetafileEx mf = recording({{0, false, 100, 200}, {0, false, 300, 200}, {0, true, 500, 200}});
    TTextOp other;
    TGlyphRun ri = runOf({0, false, 100, 400});
    ri.Glyphs = font.glyphIndexesForString(QStringLiteral("京区"));
    ri.Positions = {QPointF(0, 35), QPointF(40, 35)};
    ri.Texts = {QStringLiteral("x"), QStringLiteral("区")};
    other.Runs.push_back(ri);
    mf.Append(other);
    TPdfGlyphTexts notes;
    {
        TDrawnDevice device;
        TPdfGlyphTexts::TScope scope(notes, device);
        QPainter painter(&device);
        mf.Play(painter, QPointF(0, 0), TDeviceDpi{600, 600});
    }
    ASSERT_EQ(notes.Faces().size(), 1);
    const TPdfGlyphTexts::TFace &face = notes.Faces().value(QStringLiteral("Face"));
    const QList<quint32> order = glyphs + QList<quint32>{ri.Glyphs[1]};
    EXPECT_EQ(face.Order, order);
    EXPECT_EQ(face.Texts.value(ri.Glyphs[0]), QStringLiteral("京"));
    EXPECT_EQ(face.Texts.value(ri.Glyphs[1]), QStringLiteral("区"));
}

// A window repainted while a PDF is written (the run's progress lets events
// through) notes nothing: the PDF does not hold what it draws.
TEST_F(MetafilePlay, notesNothingDrawnOnAnotherDevice)
{
    const TMetafileEx mf = recording({{0, false, 100, 200}});
    TPdfGlyphTexts notes;
    TDrawnDevice pdf;
    TPdfGlyphTexts::TScope scope(notes, pdf);
    TDrawnDevice window;
    QPainter painter(&window);
    mf.Play(painter, QPointF(0, 0), TDeviceDpi{600, 600});
    painter.end();
    EXPECT_TRUE(notes.Faces().isEmpty());
}

} // namespace
