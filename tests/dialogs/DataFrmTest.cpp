#include "dialogs/DataFrm.h"
#include "platform/Cp932.h"
#include "support/Screenshot.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

TDataFormat sample()
{
    TDataFormat f;
    f.HidePrefecture = true;
    f.KanjiNumerals = true;
    f.CorpForm = 1;
    f.PostalMark = 2;
    f.SendPostalMark = 1;
    f.DefHonor = Cp932::encode(u"様");
    f.CorpHonor = Cp932::encode(u"御中");
    f.PostHonor = Cp932::encode(u"殿");
    f.SenderHonor = Cp932::encode(u"行");
    f.AddressSize = 3;
    f.NameSize = 4;
    f.AdditionSize = 5;
    f.SendAddressSize = 1;
    f.SendNameSize = 2;
    f.SendAdditionSize = 3;
    f.CorpRatio = 3;
    f.DptmntRatio = 4;
    f.PostRatio = 5;
    f.CharSpace = true;
    f.NameAlign = 3;
    f.SendNameAlign = 1;
    f.SendSeries = 1;
    f.CorpBreak = true;
    f.HiddenParts = hpAddress3 | (hpCorp << SenderPartShift);
    f.Reserved = {3, 4, 5, 6, 7};
    return f;
}

qint32 i32At(const QByteArray &b, int offset)
{
    return qFromLittleEndian<qint32>(b.constData() + offset);
}

TEST(DataFormatBlock, FieldsLieAtTheirOffsets)
{
    const QByteArray b = WriteDataFormat(sample());
    ASSERT_EQ(b.size(), 108);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(i32At(b, 4), 1);
    EXPECT_EQ(i32At(b, 8), 2);
    EXPECT_EQ(i32At(b, 12), 1);
    EXPECT_EQ(b[16], 2); // "様": one double-byte character
    EXPECT_EQ(b.mid(17, 2), Cp932::encode(u"様"));
    EXPECT_EQ(b[27], 4);
    EXPECT_EQ(b.mid(28, 4), Cp932::encode(u"御中"));
    EXPECT_EQ(b[38], 2);
    EXPECT_EQ(b[49], 2);
    EXPECT_EQ(i32At(b, 60), 3);
    EXPECT_EQ(i32At(b, 64), 4);
    EXPECT_EQ(i32At(b, 80), 3);
    EXPECT_EQ(i32At(b, 92), 5);
    EXPECT_EQ(b[96], 1);
    EXPECT_EQ(b[97], 3);
    EXPECT_EQ(b[98], 1);
    EXPECT_EQ(b[99], 1);
    EXPECT_EQ(b[100], 1);
    // The hidden parts, addressee byte first, then the reserved tail.
    EXPECT_EQ(b.mid(101), QByteArray("\4\20\3\4\5\6\7"));
}

TEST(DataFormatBlock, RoundTripKeepsEveryField)
{
    const TDataFormat f = sample();
    const auto back = ReadDataFormat(WriteDataFormat(f));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    EXPECT_EQ(WriteDataFormat(*back), WriteDataFormat(f));
}

TEST(DataFormatBlock, ShortBlockIsRefused)
{
    const QByteArray b = WriteDataFormat(sample());
    EXPECT_FALSE(ReadDataFormat(b.first(107)));
    EXPECT_FALSE(ReadDataFormat(QByteArray()));
}

TEST(DataFormatBlock, OverlongLengthByteIsBoundedToTheField)
{
    QByteArray b = WriteDataFormat(sample());
    b[16] = char(200);
    b.replace(17, 10, Cp932::encode(u"あいうえお"));
    const auto f = ReadDataFormat(b);
    ASSERT_TRUE(f);
    EXPECT_EQ(TDataFormat::HonorText(f->DefHonor), QStringLiteral("あいうえお"));
    // the next field is read from its own offset
    EXPECT_EQ(TDataFormat::HonorText(f->CorpHonor), QStringLiteral("御中"));
}

TEST(DataFormatBlock, HonorificCutNeverSplitsACharacter)
{
    // 9 single bytes and a double-byte character: the character does not fit.
    const QByteArray cut = TDataFormat::HonorBytes(QStringLiteral("123456789様"));
    EXPECT_EQ(cut, QByteArray("123456789"));
    const QByteArray five = TDataFormat::HonorBytes(QStringLiteral("あいうえおか"));
    EXPECT_EQ(TDataFormat::HonorText(five), QStringLiteral("あいうえお"));
    // a stored length that ends inside a character drops the half
    QByteArray b = WriteDataFormat(sample());
    b[16] = 1;
    EXPECT_TRUE(ReadDataFormat(b)->DefHonor.isEmpty());
}

TEST(DataFormatDefaults, EachEditorStartsItsOwnWay)
{
    TDataFormat address;
    ApplyNewLayoutDefaults(address, TDataFormatEditor::dfeAddressSide, true);
    EXPECT_EQ(address.PostalMark, 2);
    EXPECT_EQ(address.SendPostalMark, 1);
    EXPECT_EQ(TDataFormat::HonorText(address.SenderHonor), QStringLiteral("行"));
    EXPECT_EQ(address.CorpRatio, 3);
    EXPECT_EQ(address.PostRatio, 4);

    TDataFormat picture;
    ApplyNewLayoutDefaults(picture, TDataFormatEditor::dfeAddressSide, false);
    EXPECT_EQ(picture.PostalMark, 0);

    TDataFormat card = sample();
    ApplyNewLayoutDefaults(card, TDataFormatEditor::dfeCard, false);
    EXPECT_TRUE(card.DefHonor.isEmpty());
    EXPECT_EQ(card.PostalMark, 1);

    TDataFormat design;
    design.AdditionSize = 5;
    ApplyNewLayoutDefaults(design, TDataFormatEditor::dfeDesign, false);
    EXPECT_EQ(design.AdditionSize, 5);
    EXPECT_EQ(design.NameSize, 3);
    EXPECT_EQ(design.SendPostalMark, 1);
}

// ---- Dialog ---------------------------------------------------------------

template <typename T> T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(DataFormDialog, OutOfRangeChoiceShowsTheLastAndReturnsIt)
{
    TDataFormDialog dialog(nullptr);
    TDataFormat f = sample();
    f.CorpForm = 7;
    dialog.SetDataFormat(f);
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbFull")->isChecked());
    TDataFormat out;
    dialog.GetDataFormat(out);
    EXPECT_EQ(out.CorpForm, 2);
    saveScreenshot(&dialog, QStringLiteral("DataFormDialog"));
}

TEST(DataFormDialog, OkChangesOnlyTheDialogsBytes)
{
    TDataFormDialog dialog(nullptr);
    const TDataFormat editor = sample();
    dialog.SetDataFormat(editor);
    child<QCheckBox>(dialog, "ckbConnect")->setChecked(true);
    child<QRadioButton>(dialog, "rbPosNone")->setChecked(true);
    child<QLineEdit>(dialog, "edDefHonor")->setText(QStringLiteral("さま"));
    TDataFormat scratch;
    scratch.NameSize = 99;
    dialog.GetDataFormat(scratch);
    TDataFormat result = editor;
    TakeDataFormatPart(result, scratch);
    const QByteArray before = WriteDataFormat(editor);
    const QByteArray after = WriteDataFormat(result);
    EXPECT_EQ(after.mid(60), before.mid(60));
    EXPECT_EQ(after[3], 1);
    EXPECT_EQ(i32At(after, 8), 0);
    EXPECT_EQ(TDataFormat::HonorText(result.DefHonor), QStringLiteral("さま"));
}

TEST(DataFormDialog, CardDisablesHonorificsButStillWritesThem)
{
    TDataFormDialog dialog(nullptr);
    dialog.SetDataFormat(sample());
    dialog.SetLayoutKind(TLayoutKind::lkCard);
    EXPECT_FALSE(child<QLineEdit>(dialog, "edCorpHonor")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(dialog, "rbSendPosMark")->isEnabled());
    TDataFormat out;
    dialog.GetDataFormat(out);
    EXPECT_EQ(TDataFormat::HonorText(out.CorpHonor), QStringLiteral("御中"));
}

TEST(DataFormDialog, LabelShowsTheJointNameNote)
{
    TDataFormDialog dialog(nullptr);
    dialog.SetLayoutKind(TLayoutKind::lkLabel);
    EXPECT_FALSE(child<QWidget>(dialog, "lblinfo")->isHidden());
    EXPECT_FALSE(child<QRadioButton>(dialog, "rbSendPosHyphen")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbPosHyphen")->isEnabled());
}

TEST(DataFormDialog, DesignModeDisablesAddresseeMarkAndHonorifics)
{
    TDataFormDialog dialog(nullptr);
    dialog.SetDesignMode(true);
    EXPECT_FALSE(child<QRadioButton>(dialog, "rbPosMark")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(dialog, "gbxHonorific")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbSendPosMark")->isEnabled());
}

TEST(DataFormDialog, FiveDoubleByteHonorificSurvives)
{
    TDataFormDialog dialog(nullptr);
    TDataFormat f;
    f.PostHonor = TDataFormat::HonorBytes(QStringLiteral("ごきげんよ"));
    dialog.SetDataFormat(f);
    TDataFormat out;
    dialog.GetDataFormat(out);
    EXPECT_EQ(out.PostHonor, f.PostHonor);
    EXPECT_EQ(ReadDataFormat(WriteDataFormat(out))->PostHonor, f.PostHonor);
}

} // namespace
