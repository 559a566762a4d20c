// How far the addressee's texts narrow on labels over a run of generated
// records: companies with titles of 1 to 25 characters and departments of
// none to 35, addressed as themselves or to a person, with the honorifics
// 様, 殿, 御中, ちゃん and 君, and private persons with up to five joint
// names. Each record is merged into the label's frames as the print run
// merges it (at 600 dpi) and its texts laid out; per label kind it prints
// the labels with a line narrowed below two thirds and below half of its
// characters' width, the narrowest, the labels the print wizard names as
// narrowed (they must be the labels narrowed below 0.65, as the item
// tells), the smallest addressee character
// in millimetres, the labels where two texts stand on each other and those
// whose company block (address, company, department, title, name) does not
// read in its order, rows from the top or columns from the right. A BENCH
// line a kind gives its labels narrowed below half, against the count the
// layout has reached.
#include "BenchSupport.h"
#include "dialogs/PaperCatalogue.h"
#include "editors/LayoutDoc.h"
#include "editors/PrintedSizes.h"
#include "items/MetaRect.h"

#include <QApplication>
#include <QFile>

#include <cmath>
#include <random>

namespace {

struct TKind {
    const char *name;
    int paper;
    bool detail;
    int underHalfBar; // the labels narrowed below half the layout has come down to
};

const TKind kKinds[] = {{"label12Detailed", 14, true, 0},     {"label12TurnedDetailed", 15, true, 0},
                        {"label44Detailed", 22, true, 38},    {"label44TurnedDetailed", 23, true, 48},
                        {"label44", 22, false, 0},            {"label44Turned", 23, false, 0},
                        {"label10Detailed", 16, true, 18},    {"label21Detailed", 18, true, 42},
                        {"label24Detailed", 20, true, 34},    {"label24TurnedDetailed", 21, true, 16}};

const QString kTitles = QStringLiteral("代表取締役社長兼最高経営責任者海外事業統括本部長補佐");
const QString kDepartments =
    QStringLiteral("第二営業本部アジア大洋州地域営業推進部東南アジア営業担当第一販売推進室");
const QStringList kCompanies{QStringLiteral("株式会社ピクス"), QStringLiteral("日本総合物産株式会社"),
                             QStringLiteral("株式会社ミカド・インターナショナル・ホールディングス")};
const QStringList kHonors{QStringLiteral("様"), QStringLiteral("殿"), QStringLiteral("御中"), QStringLiteral("ちゃん"),
                          QStringLiteral("君")};
const QStringList kNames{QStringLiteral("山田 太郎"), QStringLiteral("長谷川 五郎左衛門"), QStringLiteral("林 一"),
                         QStringLiteral("勅使河原 美智子")};
const QStringList kJoints{QStringLiteral("花子"), QStringLiteral("健太郎"), QStringLiteral("由美子"),
                          QStringLiteral("さくら"), QStringLiteral("大輔")};

std::vector<TAddressText> records()
{
    std::vector<TAddressText> out;
    std::mt19937 random(77);
    auto base = [] {
        TAddressText r;
        r.Pos = QStringLiteral("2310023");
        r.Tdfkn = QStringLiteral("神奈川県");
        r.Adrs1 = QStringLiteral("横浜市中区山下町");
        r.Adrs2 = QStringLiteral("１２－３");
        return r;
    };
    const int departments[] = {0, 6, 14, 22, 35};
    for (int title = 1; title <= 25; ++title)
        for (const QString &honor : kHonors)
            for (const bool person : {true, false}) {
                TAddressText r = base();
                r.PrivCorp = false;
                r.CorpKanji = kCompanies[random() % kCompanies.size()];
                r.Dptmnt = kDepartments.left(departments[random() % 5]);
                r.Post = kTitles.left(title);
                r.Honor = honor;
                if (person)
                    r.NameKanji = kNames[random() % kNames.size()];
                out.push_back(r);
            }
    for (int joints = 0; joints <= 5; ++joints)
        for (const QString &honor : kHonors)
            for (int n = 0; n < kNames.size(); ++n) {
                TAddressText r = base();
                r.NameKanji = kNames[n];
                r.Honor = honor;
                r.JointPrint = true;
                for (int j = 0; j < joints; ++j) {
                    r.Joint[size_t(j)] = kJoints[j];
                    r.JointHonor[size_t(j)] = kHonors[(j + n) % kHonors.size()];
                    r.JointPrints[size_t(j)] = true;
                }
                out.push_back(r);
            }
    return out;
}

// Whether a reader takes A before B: rows from the top, each from the left
// (Across), or columns from the right, each from the top.
bool readsBefore(const QRectF &A, const QRectF &B, bool Across, double Slack)
{
    if (Across)
        return A.center().y() < B.top() || (A.center().y() <= B.bottom() && A.right() <= B.left() + Slack);
    return A.center().x() > B.right() || (A.center().x() >= B.left() && A.bottom() <= B.top() + Slack);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
    TPaperSource source;
    if (!file.open(QIODevice::ReadOnly) || !PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, nullptr)) {
        std::fprintf(stderr, "the paper catalogue does not read\n");
        return 1;
    }
    const std::vector<TAddressText> run = records();
    std::printf("records %zu\n", run.size());
    for (const TKind &kind : kKinds) {
        TLayoutDocument d;
        d.Kind = TLayoutKind::Label;
        d.FormatIndex = kind.paper;
        d.Format = source.Layouts.Records.value(kind.paper);
        d.Grid = source.Layouts.gridOf(d.Format);
        d.Detail = kind.detail;
        d.BuildDefaultItems();
        d.SetReferenceDevice(TReferenceDevice::printer({600, 600}));
        const bool across = d.HorizontalWriting();
        int underTwoThirds = 0, underHalf = 0, named = 0, narrowedNamed = 0, overlaps = 0, outOfOrder = 0;
        double narrowest = 1, smallest = 1e9;
        for (const TAddressText &record : run) {
            MergeRecord(d, &record, nullptr);
            const TSizeShortfalls shortfalls = SizeShortfalls(d);
            named += shortfalls.Squeezed.isEmpty() ? 0 : 1;
            double least = 1;
            struct TBox {
                QRectF Box;
                int Role;
                size_t Item;
            };
            std::vector<TBox> boxes;
            for (size_t i = 0; i < d.Items.size(); ++i) {
                const auto *text = dynamic_cast<const TMetaRect *>(d.Items[i].get());
                if (!text || !text->IsVisible() || !d.OnPrintedSide(i) || AddresseePartOf(d, i).isEmpty())
                    continue;
                least = std::min(least, text->Narrowest());
                const double dots = text->GetMetafile().Dpi().y;
                for (const TTextOp *op : text->GetMetafile().TextOps())
                    if (!op->Text.trimmed().isEmpty())
                        smallest = std::min(smallest, std::abs(op->Font.Height) * 25.4 / dots);
                const std::vector<QRectF> printed = PrintedTextBoxes(*text);
                const int role = i < d.ItemRoles.size() ? d.ItemRoles[i] : -1;
                for (size_t k = 0; k < printed.size(); ++k)
                    if (!text->GetMetafile().TextOps()[k]->Text.trimmed().isEmpty())
                        boxes.push_back({printed[k], role, i});
            }
            narrowest = std::min(narrowest, least);
            underTwoThirds += least < 2.0 / 3 ? 1 : 0;
            underHalf += least < 0.5 ? 1 : 0;
            // The wizard names a line narrowed a hair below two thirds.
            narrowedNamed += least < LeastWidthRatio - 0.02 ? 1 : 0;
            bool overlap = false, disorder = false;
            const double px = 96 / 25.4; // page pixels a millimetre
            for (const TBox &a : boxes)
                for (const TBox &b : boxes) {
                    if (a.Item == b.Item)
                        continue;
                    // A character cell holds blank above and below its ink.
                    if (a.Box.adjusted(0.3 * px, 0.3 * px, -0.3 * px, -0.3 * px)
                            .intersects(b.Box.adjusted(0.3 * px, 0.3 * px, -0.3 * px, -0.3 * px)))
                        overlap = true;
                    if (kind.detail && a.Role >= 0 && b.Role > a.Role && !readsBefore(a.Box, b.Box, across, 0.3 * px))
                        disorder = true;
                }
            overlaps += overlap ? 1 : 0;
            outOfOrder += disorder ? 1 : 0;
        }
        std::printf("%-22s under2/3 %4d  under1/2 %4d  narrowest %.2f  namedWidth %4d  wizardNamed %4d  smallestMm %.2f  "
                    "overlapping %d  outOfOrder %d\n",
                    kind.name, underTwoThirds, underHalf, narrowest, narrowedNamed, named, smallest, overlaps, outOfOrder);
        std::printf("BENCH %s_under_half %d labels bar %d\n", kind.name, underHalf, kind.underHalfBar);
    }
    return 0;
}
