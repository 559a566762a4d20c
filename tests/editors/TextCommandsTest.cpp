#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/Env.h"
#include "dialogs/LytFont.h"
#include "editors/DesignForm.h"
#include "editors/EditorTextCommands.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "items/AdditionRect.h"
#include "items/BarRect.h"
#include "items/AddressRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "support/DataFolders.h"
#include "support/Screenshot.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

template <typename T> T *child(QWidget &W, const char *Name)
{
    T *c = W.findChild<T *>(QLatin1String(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
}

template <typename T> T *itemOf(TPrintEditor &E, bool Sender = false)
{
    for (auto &item : E.Document().Items)
        if (auto *t = dynamic_cast<T *>(item.get())) {
            if constexpr (requires { t->IsSender(); }) {
                if (t->IsSender() != Sender)
                    continue;
            }
            return t;
        }
    return nullptr;
}

int wordIndex(TPrintEditor &E)
{
    const auto &items = E.Document().Items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->GetKind() == TDrawRectKind::Word)
            return int(i);
    return -1;
}

class TextCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        TLabelGrid grid;
        form.SetLayout(0, catalogueFormat(0, &grid), grid);
        commands = form.findChild<TTextCommands *>(QStringLiteral("TextCommands"));
        ASSERT_NE(commands, nullptr);
    }
    QAction *action(const char *Name) { return form.findChild<QAction *>(QLatin1String(Name)); }
    // Answers the next dialog: Fill sets its controls, then OK (or cancel).
    void answer(std::function<void(QDialog &)> Fill, bool Ok = true)
    {
        form.ExecDialog = [Fill, Ok](QDialog &D) {
            if (Fill)
                Fill(D);
            return Ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
    }
    void insertWord(const QString &Text)
    {
        answer([Text](QDialog &D) { child<QPlainTextEdit>(D, "memWords")->setPlainText(Text); });
        action("actInsertWord")->trigger();
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    SampleBook book;
    FakeHost host{book.table};
    TLayoutForm form{nullptr, host};
    TTextCommands *commands = nullptr;
};

TEST_F(TextCommandsTest, everyEditorHasTheFormatAndTextMenus)
{
    TLabelForm label(nullptr, host);
    TDesignForm design(nullptr, host);
    for (TPrintEditor *e : {static_cast<TPrintEditor *>(&form), static_cast<TPrintEditor *>(&label),
                            static_cast<TPrintEditor *>(&design)}) {
        auto *format = e->menuBar()->findChild<QMenu *>(QStringLiteral("mnuFormat"));
        auto *word = e->menuBar()->findChild<QMenu *>(QStringLiteral("mnuWord"));
        ASSERT_NE(format, nullptr);
        ASSERT_NE(word, nullptr);
        EXPECT_EQ(format->title(), QStringLiteral("書式(&O)"));
        QStringList captions;
        for (QAction *a : format->actions())
            captions << a->text();
        EXPECT_TRUE(captions.contains(QStringLiteral("書式(&D)...")));
        EXPECT_TRUE(captions.contains(QStringLiteral("詳細(&T)...")));
        EXPECT_TRUE(captions.contains(QStringLiteral("付加情報(&A)...")));
        EXPECT_TRUE(captions.contains(QStringLiteral("フォント(&F)...")));
        EXPECT_EQ(word->actions().first()->text(), QStringLiteral("文字の挿入(&I)..."));
    }
}

TEST_F(TextCommandsTest, insertedTextIsSelectedShownAndUndone)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const size_t before = form.Document().Items.size();
    insertWord(QStringLiteral("謹賀新年\n本年もよろしく"));
    const int index = wordIndex(form);
    ASSERT_EQ(form.Document().Items.size(), before + 1);
    ASSERT_GE(index, 0);
    EXPECT_EQ(form.PageView()->Selected(), index);
    auto &word = static_cast<TWordRect &>(*form.Document().Items[size_t(index)]);
    EXPECT_EQ(word.Lines(), QStringList({QStringLiteral("謹賀新年"), QStringLiteral("本年もよろしく")}));
    EXPECT_TRUE(action("actWordSetting")->isEnabled());
    const TScreenRect r = word.GetDispRect();
    const QImage page = form.PageView()->grab().toImage();
    saveScreenshot(&form, QStringLiteral("editors_free_text_inserted"));
    EXPECT_GT(inkIn(page, QRect(TPageView::Margin + r.Left + 3, TPageView::Margin + r.Top + 3, r.width() - 6,
                                r.height() - 6)),
              30);
    action("actUndo")->trigger();
    EXPECT_EQ(form.Document().Items.size(), before);
    EXPECT_EQ(wordIndex(form), -1);
    action("actRedo")->trigger();
    ASSERT_EQ(form.Document().Items.size(), before + 1);
    EXPECT_EQ(static_cast<TWordRect &>(*form.Document().Items[before]).GetLine(0), QStringLiteral("謹賀新年"));
}

TEST_F(TextCommandsTest, cancelledOrEmptyInsertAddsNothing)
{
    const size_t before = form.Document().Items.size();
    answer([](QDialog &D) { child<QPlainTextEdit>(D, "memWords")->setPlainText(QStringLiteral("x")); }, false);
    EXPECT_FALSE(commands->InsertWord());
    answer([](QDialog &D) { child<QPlainTextEdit>(D, "memWords")->setPlainText(QStringLiteral("   ")); });
    EXPECT_FALSE(commands->InsertWord());
    EXPECT_EQ(form.Document().Items.size(), before);
    EXPECT_FALSE(form.UndoList().CanUndo());
}

TEST_F(TextCommandsTest, editingTheTextTurnsTheBoxWithTheDirectionAndUndoes)
{
    insertWord(QStringLiteral("一行"));
    const int index = wordIndex(form);
    const TPageRect before = form.Document().Items[size_t(index)]->GetRect();
    const bool horizontal = static_cast<TWordRect &>(*form.Document().Items[size_t(index)]).IsHorizontal();
    answer([horizontal](QDialog &D) {
        child<QPlainTextEdit>(D, "memWords")->setPlainText(QStringLiteral("二行目まで\nある"));
        child<QRadioButton>(D, horizontal ? "rbVertical" : "rbHorizontal")->setChecked(true);
    });
    action("actWordEdit")->trigger();
    auto *word = static_cast<TWordRect *>(form.Document().Items[size_t(index)].get());
    EXPECT_EQ(word->GetLineCount(), 2);
    EXPECT_NE(word->IsHorizontal(), horizontal);
    // Turned: its box turned with it (made smaller, proportions kept, where
    // its turned box no longer stood clear and it was placed anew).
    const TPageRect after = word->GetRect();
    EXPECT_LE(after.Right - after.Left, before.Bottom - before.Top);
    EXPECT_NEAR(double(after.Right - after.Left) / (after.Bottom - after.Top),
                double(before.Bottom - before.Top) / (before.Right - before.Left), 0.05);
    action("actUndo")->trigger();
    word = static_cast<TWordRect *>(form.Document().Items[size_t(index)].get());
    EXPECT_EQ(word->Lines(), QStringList{QStringLiteral("一行")});
    EXPECT_EQ(word->IsHorizontal(), horizontal);
}

TEST_F(TextCommandsTest, doubleClickOpensTheSettingsWhichKeepTheTopLeftAndUndo)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    insertWord(QStringLiteral("ご挨拶"));
    const int index = wordIndex(form);
    TDrawRect &item = *form.Document().Items[size_t(index)];
    const TPageRect before = item.GetRect();
    bool opened = false;
    answer([&opened](QDialog &D) {
        opened = D.objectName() == QStringLiteral("WordSettingDialog");
        saveScreenshot(&D, QStringLiteral("editors_word_setting_from_editor"));
        child<QCheckBox>(D, "ckbFrame")->click();
        child<QRadioButton>(D, "rbBottom")->click();
        child<QCheckBox>(D, "ckbWrap")->click();
    });
    const TScreenRect r = item.GetDispRect();
    const QPoint centre(TPageView::Margin + (r.Left + r.Right) / 2, TPageView::Margin + (r.Top + r.Bottom) / 2);
    QTest::mouseDClick(form.PageView(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(opened);
    auto *word = static_cast<TWordRect *>(form.Document().Items[size_t(index)].get());
    EXPECT_TRUE(word->Frame().HasFrame());
    EXPECT_EQ(word->GetAlignment() / 3, 2);
    EXPECT_TRUE(word->GetWordWrap());
    EXPECT_EQ(word->GetRect().Left, before.Left);
    EXPECT_EQ(word->GetRect().Top, before.Top);
    action("actUndo")->trigger();
    word = static_cast<TWordRect *>(form.Document().Items[size_t(index)].get());
    EXPECT_FALSE(word->Frame().HasFrame());
    EXPECT_FALSE(word->GetWordWrap());
}

TEST_F(TextCommandsTest, cancelledSettingsChangeNothing)
{
    insertWord(QStringLiteral("そのまま"));
    const int index = wordIndex(form);
    answer([](QDialog &D) { child<QCheckBox>(D, "ckbFrame")->click(); }, false);
    EXPECT_FALSE(commands->EditWordSetting(index));
    EXPECT_FALSE(static_cast<TWordRect &>(*form.Document().Items[size_t(index)]).Frame().HasFrame());
    // Only the insert can be undone.
    action("actUndo")->trigger();
    EXPECT_EQ(wordIndex(form), -1);
}

TEST_F(TextCommandsTest, dataFormatChangesTheMergedRecordAtOnceAndUndoes)
{
    answer([](QDialog &D) {
        child<QCheckBox>(D, "ckbTdfkn")->setChecked(true);
        child<QLineEdit>(D, "edDefHonor")->setText(QStringLiteral("殿"));
    });
    action("actDataFormat")->trigger();
    ASSERT_TRUE(form.Document().DataFormat);
    EXPECT_TRUE(form.Document().DataFormat->HidePrefecture);
    EXPECT_EQ(itemOf<TAddressRect>(form)->GetAddressLine(0), QStringLiteral("千代田区永田町一丁目７番１号"));
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("殿"));
    action("actUndo")->trigger();
    EXPECT_EQ(itemOf<TAddressRect>(form)->GetAddressLine(0), QStringLiteral("東京都千代田区永田町一丁目７番１号"));
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("様"));
    action("actRedo")->trigger();
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("殿"));
}

TEST_F(TextCommandsTest, theSendersOwnCardTakesTheSenderAddressedHonorific)
{
    TAddressText sender;
    sender.NameKanji = QStringLiteral("差出 太郎");
    host.Sender = sender;
    form.SetDataMode(TLayoutForm::SenderDataMode);
    EXPECT_EQ(itemOf<TNameRect>(form)->GetName(), QStringLiteral("差出 太郎"));
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("行"));
    answer([](QDialog &D) { child<QLineEdit>(D, "edSenderHonor")->setText(QStringLiteral("宛")); });
    ASSERT_TRUE(commands->EditDataFormat());
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("宛"));
    form.SetDataMode(0);
    EXPECT_EQ(itemOf<TNameRect>(form)->GetHonor(), QStringLiteral("様"));
}

TEST_F(TextCommandsTest, aNewLayoutResetsTheDefaultFieldsAndKeepsTheOthers)
{
    answer([](QDialog &D) {
        child<QCheckBox>(D, "ckbTdfkn")->setChecked(true);
        child<QLineEdit>(D, "edDefHonor")->setText(QStringLiteral("殿"));
    });
    ASSERT_TRUE(commands->EditDataFormat());
    TLabelGrid grid;
    form.SetLayout(2, catalogueFormat(2, &grid), grid); // an envelope: no picture of the boxes
    ASSERT_TRUE(form.Document().DataFormat);
    EXPECT_EQ(TDataFormat::HonorText(form.Document().DataFormat->DefHonor), QStringLiteral("様"));
    EXPECT_TRUE(form.Document().DataFormat->HidePrefecture);
    EXPECT_EQ(form.Document().DataFormat->PostalMark, 2);
    EXPECT_EQ(itemOf<TPosRect>(form)->GetPostcode(), QStringLiteral("100-0014"));
}

TEST_F(TextCommandsTest, layoutDetailSizesTheNameAndUndoes)
{
    const qint32 level = itemOf<TNameRect>(form)->GetSizeLevel();
    answer([](QDialog &D) { child<QSlider>(D, "tbrName")->setValue(5); });
    action("actLayoutDetail")->trigger();
    EXPECT_EQ(form.Document().DataFormat->NameSize, 5);
    EXPECT_EQ(itemOf<TNameRect>(form)->GetSizeLevel(), 5);
    action("actUndo")->trigger();
    EXPECT_EQ(itemOf<TNameRect>(form)->GetSizeLevel(), level);
}

// The items as the print-data file holds them (class, frame role, stream).
QList<QByteArray> itemRecords(const TLayoutDocument &D)
{
    QList<QByteArray> out;
    for (size_t i = 0; i < D.Items.size(); ++i)
        out << EncodeItemRecord(*D.Items[i], i < D.ItemRoles.size() ? D.ItemRoles[i] : -1);
    return out;
}

TEST_F(TextCommandsTest, detailedFramesReplaceTheDefaultItemsAndKeepTheUsersText)
{
    insertWord(QStringLiteral("残る文字"));
    ASSERT_FALSE(form.Document().Detail);
    const QList<QByteArray> simple = itemRecords(form.Document());
    answer([](QDialog &D) { child<QCheckBox>(D, "ckbAuto")->setChecked(false); });
    action("actLayoutDetail")->trigger();
    EXPECT_TRUE(form.Document().Detail);
    const int index = wordIndex(form);
    ASSERT_GE(index, 0);
    EXPECT_EQ(static_cast<TWordRect &>(*form.Document().Items[size_t(index)]).GetLine(0), QStringLiteral("残る文字"));
    EXPECT_EQ(form.Document().ItemRoles.size(), form.Document().Items.size());
    const QList<QByteArray> detailed = itemRecords(form.Document());
    // The switch is one step: undone, the simple set and the text come back
    // as they were, the text inserted before it still undoable.
    action("actUndo")->trigger();
    EXPECT_FALSE(form.Document().Detail);
    EXPECT_EQ(itemRecords(form.Document()), simple);
    EXPECT_TRUE(form.UndoList().CanUndo());
    action("actRedo")->trigger();
    EXPECT_TRUE(form.Document().Detail);
    EXPECT_EQ(itemRecords(form.Document()), detailed);
}

TEST_F(TextCommandsTest, aFrameHiddenInTheDetailedSetIsHiddenAndUndone)
{
    answer([](QDialog &D) { child<QCheckBox>(D, "ckbAuto")->setChecked(false); });
    ASSERT_TRUE(commands->EditLayoutDetail());
    ASSERT_TRUE(itemOf<TNameRect>(form)->IsVisible());
    bool enabled = false;
    answer([&enabled](QDialog &D) {
        auto *name = child<QCheckBox>(D, "ckbName");
        enabled = name->isEnabled() && name->isChecked();
        name->setChecked(false);
    });
    ASSERT_TRUE(commands->EditLayoutDetail());
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(itemOf<TNameRect>(form)->IsVisible());
    action("actUndo")->trigger();
    EXPECT_TRUE(itemOf<TNameRect>(form)->IsVisible());
    // An OK that changes nothing records no step.
    const int steps = form.UndoList().GetCount();
    answer({});
    EXPECT_FALSE(commands->EditLayoutDetail());
    EXPECT_EQ(form.UndoList().GetCount(), steps);
    EXPECT_TRUE(form.UndoList().CanRedo());
}

TEST_F(TextCommandsTest, fontGoesToTheSelectedItemOnlyUnlessAllAndUndoes)
{
    QString face;
    for (const auto &[name, charset] : ListFontNames())
        if (charset == 128)
            face = name;
    if (face.isEmpty())
        GTEST_SKIP() << "no Japanese face installed";
    auto *name = itemOf<TNameRect>(form);
    auto *address = itemOf<TAddressRect>(form);
    const TFont addressFont = address->GetFont();
    const TFont nameFont = name->GetFont();
    const auto &items = form.Document().Items;
    const int nameIndex = int(std::find_if(items.begin(), items.end(), [name](const auto &I) { return I.get() == name; }) -
                              items.begin());
    form.PageView()->SetSelected(nameIndex);
    answer([face](QDialog &D) {
        auto *list = child<QListWidget>(D, "lbFonts");
        list->setCurrentItem(list->findItems(face, Qt::MatchExactly).first());
        child<QCheckBox>(D, "ckbBold")->setChecked(true);
        child<QCheckBox>(D, "ckbAll")->setChecked(false);
    });
    action("actFont")->trigger();
    name = itemOf<TNameRect>(form);
    EXPECT_EQ(name->GetFont().baseName(), face);
    EXPECT_TRUE(name->GetFont().Style & fsBold);
    EXPECT_EQ(name->GetFont().Size, nameFont.Size);
    EXPECT_EQ(itemOf<TAddressRect>(form)->GetFont(), addressFont);
    action("actUndo")->trigger();
    EXPECT_EQ(itemOf<TNameRect>(form)->GetFont().Name, nameFont.Name);
    EXPECT_EQ(itemOf<TNameRect>(form)->GetFont().Style, nameFont.Style);
}

class LabelTextCommandsTest : public TextCommandsTest
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        book.table.Append();
        book.table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(Cp932::encode(QStringLiteral("電話 有子")));
        book.table.FieldByName(QStringLiteral("Tel")).SetAsBytes(QByteArrayLiteral("0312345678"));
        book.table.Post();
        host.Current = 4;
        TLabelGrid grid;
        label.SetLayout(14, catalogueFormat(14, &grid), grid);
    }
    TLabelForm label{nullptr, host};
};

TEST_F(LabelTextCommandsTest, additionalLinesAreAddedAndFilledFromTheRecord)
{
    label.ExecDialog = [](QDialog &D) {
        for (int i = 1; i <= 4; ++i)
            D.findChild<QCheckBox *>(QStringLiteral("ckbAddition%1").arg(i))->setChecked(i <= 2);
        auto *first = child<QComboBox>(D, "cbxAddition1");
        first->setCurrentIndex(first->findText(QStringLiteral("TEL")));
        auto *second = child<QComboBox>(D, "cbxAddition2");
        second->setCurrentIndex(-1);
        second->setEditText(QStringLiteral("  自由な文  "));
        return int(QDialog::Accepted);
    };
    label.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    std::vector<TAdditionRect *> lines;
    for (auto &item : label.Document().Items)
        if (auto *a = dynamic_cast<TAdditionRect *>(item.get()))
            lines.push_back(a);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0]->IsVisible());
    EXPECT_EQ(lines[0]->GetAddKind(), 3);
    EXPECT_EQ(lines[0]->GetCaption(), QStringLiteral("TEL"));
    EXPECT_EQ(lines[0]->GetContent(), QStringLiteral("0312345678"));
    EXPECT_EQ(lines[1]->GetAddKind(), 0);
    EXPECT_EQ(lines[1]->GetContent(), QStringLiteral("自由な文"));
    EXPECT_FALSE(lines[2]->IsVisible());
    // Reopened, the dialog shows what the layout holds.
    bool shown = false;
    label.ExecDialog = [&shown](QDialog &D) {
        shown = D.findChild<QCheckBox *>(QStringLiteral("ckbAddition1"))->isChecked() &&
                child<QComboBox>(D, "cbxAddition1")->currentText() == QStringLiteral("TEL") &&
                !D.findChild<QCheckBox *>(QStringLiteral("ckbAddition3"))->isChecked();
        return int(QDialog::Rejected);
    };
    label.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(TextCommandsTest, barcodeOfAPostcardTakesVisibilityAndSizeAndUndoes)
{
    // A postal layout carries the customer barcode among its items.
    int index = -1;
    for (size_t i = 0; i < form.Document().Items.size() && index < 0; ++i)
        if (dynamic_cast<TBarcodeRect *>(form.Document().Items[i].get()))
            index = int(i);
    ASSERT_GE(index, 0);
    static_cast<TBarcodeRect &>(*form.Document().Items[size_t(index)]).SetBarSize(3);
    int offered = -1;
    answer([&offered](QDialog &D) {
        auto *sizes = child<QComboBox>(D, "cbxBarSize");
        offered = sizes->count();
        EXPECT_TRUE(child<QCheckBox>(D, "ckbBarcode")->isChecked());
        EXPECT_EQ(sizes->currentIndex(), 3);
        sizes->setCurrentIndex(0);
    });
    ASSERT_TRUE(commands->EditAddition());
    EXPECT_EQ(offered, 4);
    auto *item = static_cast<TBarcodeRect *>(form.Document().Items[size_t(index)].get());
    EXPECT_EQ(item->GetSizeIndex(), 0);
    answer([](QDialog &D) { child<QCheckBox>(D, "ckbBarcode")->setChecked(false); });
    ASSERT_TRUE(commands->EditAddition());
    EXPECT_FALSE(form.Document().Items[size_t(index)]->IsVisible());
    action("actUndo")->trigger();
    EXPECT_TRUE(form.Document().Items[size_t(index)]->IsVisible());
    action("actUndo")->trigger();
    EXPECT_EQ(static_cast<TBarcodeRect &>(*form.Document().Items[size_t(index)]).GetSizeIndex(), 3);
}

TEST_F(TextCommandsTest, saveAndOpenKeepTheFormatTheTextItemAndTheMergedChange)
{
    insertWord(QStringLiteral("保存される\n二行目"));
    answer([](QDialog &D) {
        child<QCheckBox>(D, "ckbFrame")->click();
        child<QCheckBox>(D, "ckbLineSpace")->click();
        child<QComboBox>(D, "cbxLineSpace")->setCurrentIndex(2);
    });
    ASSERT_TRUE(commands->EditWordSetting(wordIndex(form)));
    answer([](QDialog &D) {
        child<QCheckBox>(D, "ckbChineseNumeral")->setChecked(true);
        child<QLineEdit>(D, "edDefHonor")->setText(QStringLiteral("先生"));
    });
    ASSERT_TRUE(commands->EditDataFormat());
    const QString path = home.filePath(QStringLiteral("text.gpl"));
    ASSERT_TRUE(form.SaveFile(path));

    TLayoutForm reopened(nullptr, host);
    ASSERT_TRUE(reopened.OpenFile(path));
    ASSERT_TRUE(reopened.Document().DataFormat);
    EXPECT_EQ(*reopened.Document().DataFormat, *form.Document().DataFormat);
    const int index = wordIndex(reopened);
    ASSERT_GE(index, 0);
    const auto &word = static_cast<TWordRect &>(*reopened.Document().Items[size_t(index)]);
    EXPECT_EQ(word.Lines(), QStringList({QStringLiteral("保存される"), QStringLiteral("二行目")}));
    EXPECT_TRUE(word.Frame().HasFrame());
    EXPECT_EQ(word.GetLineSpace(), 3);
    EXPECT_EQ(word.GetRect(), form.Document().Items[size_t(wordIndex(form))]->GetRect());
    EXPECT_EQ(itemOf<TNameRect>(reopened)->GetHonor(), QStringLiteral("先生"));
    EXPECT_EQ(itemOf<TAddressRect>(reopened)->GetAddressLine(0), QStringLiteral("東京都千代田区永田町一丁目七番一号"));
}

TEST(PrintDataFormat, aFileWithoutTheFormatBlockLeavesTheRecordAndADamagedBlockIsRefused)
{
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::AddressSide);
    const QByteArray plain = EncodePrintData(document);
    TLayoutDocument read;
    auto kept = std::make_shared<const TDataFormat>();
    read.DataFormat = kept;
    QString error;
    ASSERT_TRUE(DecodePrintData(plain, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.DataFormat, kept);

    TDataFormat format;
    format.CorpForm = 2;
    document.DataFormat = std::make_shared<const TDataFormat>(format);
    QByteArray bytes = EncodePrintData(document);
    ASSERT_TRUE(DecodePrintData(bytes, read, &error));
    EXPECT_EQ(read.DataFormat->CorpForm, 2);
    const qsizetype mark = bytes.lastIndexOf("DFMT");
    ASSERT_GT(mark, 0);
    bytes[mark + 4] = char(107);
    EXPECT_FALSE(DecodePrintData(bytes, read, &error));
    EXPECT_FALSE(error.isEmpty());
}

struct ConvertCase
{
    const char16_t *text;
    bool kanji;
    bool hyphen;
    const char16_t *expected;
    bool vertical = false;
};

TEST(MergeFormat, addressConversions)
{
    const ConvertCase cases[] = {
        {u"一丁目７番１号", false, false, u"一丁目７番１号"},
        {u"一丁目７番１号", true, false, u"一丁目七番一号"},
        {u"３－１０", true, true, u"三の一〇"},
        {u"３－１０", false, true, u"３の１０"},
        {u"３－１０", true, false, u"三－一〇"},
        {u"ABC", true, true, u"ABC"},
        {u"３－１０", false, false, u"３ー１０", true},
        {u"３－１０", false, true, u"３の１０", true},
        // Typed in half-width, as most addresses are, the same conversions.
        {u"3-10", true, true, u"三の一〇"},
        {u"3-10", false, true, u"3の10"},
        {u"3-10", false, false, u"3ー10", true},
    };
    for (const ConvertCase &c : cases) {
        TDataFormat f;
        f.KanjiNumerals = c.kanji;
        f.HyphenToNo = c.hyphen;
        EXPECT_EQ(ConvertAddressText(QString::fromUtf16(c.text), f, c.vertical), QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.text).toStdString();
    }
}

struct CorpCase
{
    const char16_t *text;
    int form;
    const char16_t *expected;
};

TEST(MergeFormat, corporateForms)
{
    const CorpCase cases[] = {
        {u"株式会社ピクス", 0, u"株式会社ピクス"},
        {u"株式会社ピクス", 1, u"（株）ピクス"},
        {u"（有）ピクス", 2, u"有限会社ピクス"},
        {u"（株）ピクス", 1, u"（株）ピクス"},
    };
    for (const CorpCase &c : cases)
        EXPECT_EQ(ConvertCorpForm(QString::fromUtf16(c.text), c.form), QString::fromUtf16(c.expected));
}

struct PostcodeCase
{
    const char *postcode;
    int mark;
    const char16_t *expected;
};

TEST(MergeFormat, postalMarks)
{
    const PostcodeCase cases[] = {
        {"1000014", 0, u"1000014"},
        {"1000014", 1, u"〒100-0014"},
        {"1000014", 2, u"100-0014"},
        {"100", 2, u"100"},
        {"", 1, u""},
        {"1000014", 7, u"1000014"},
    };
    for (const PostcodeCase &c : cases)
        EXPECT_EQ(ConvertPostcode(QString::fromLatin1(c.postcode), c.mark), QString::fromUtf16(c.expected))
            << c.postcode << " " << c.mark;
}

TEST(MergeFormat, aLayoutWithoutItsOwnRecordUsesTheNewLayoutDefaultsOfItsKind)
{
    TLayoutDocument card;
    card.Kind = TLayoutKind::Card;
    EXPECT_TRUE(EffectiveDataFormat(card).DefHonor.isEmpty());
    TLayoutDocument postcard;
    EXPECT_EQ(TDataFormat::HonorText(EffectiveDataFormat(postcard).DefHonor), QStringLiteral("様"));
    EXPECT_EQ(EffectiveDataFormat(postcard).NameSize, 3);
}

// One document asked again after its kind or its paper's picture changed
// takes the defaults of what it is now, not of what it was asked as first.
TEST(MergeFormat, defaultsFollowTheKindAndThePictureOfTheLayoutAsItIsNow)
{
    struct Case {
        TLayoutKind kind;
        TDataFormatEditor editor;
        bool picture;
    };
    const Case cases[] = {
        {TLayoutKind::AddressSide, TDataFormatEditor::dfeAddressSide, true},
        {TLayoutKind::AddressSide, TDataFormatEditor::dfeAddressSide, false},
        {TLayoutKind::Label, TDataFormatEditor::dfeLabel, false},
        {TLayoutKind::Card, TDataFormatEditor::dfeCard, true},
        {TLayoutKind::Design, TDataFormatEditor::dfeDesign, false},
        {TLayoutKind::AddressSide, TDataFormatEditor::dfeAddressSide, true},
    };
    TLayoutDocument layout;
    for (const Case &c : cases) {
        layout.Kind = c.kind;
        layout.Format.Background = c.picture ? QByteArrayLiteral("hagaki.bmp") : QByteArray();
        TDataFormat expected;
        ApplyNewLayoutDefaults(expected, c.editor, !c.picture);
        EXPECT_EQ(EffectiveDataFormat(layout), expected) << int(c.kind) << " " << c.picture;
    }
    // The postcard's digits stay in its printed boxes only while it has the picture.
    layout.Kind = TLayoutKind::AddressSide;
    layout.Format.Background = QByteArrayLiteral("hagaki.bmp");
    EXPECT_EQ(EffectiveDataFormat(layout).PostalMark, 0);
    layout.Format.Background.clear();
    EXPECT_EQ(EffectiveDataFormat(layout).PostalMark, 2);
}

} // namespace

namespace {

struct HonorCase
{
    const char *name;
    bool company;
    const char16_t *person;
    const char16_t *post;
    const char16_t *own;
    const char16_t *expected;
};

class MergeHonorific : public ::testing::TestWithParam<HonorCase>
{};

TEST_P(MergeHonorific, aRecordWithoutItsOwnHonorificTakesTheFormatsOne)
{
    const HonorCase &c = GetParam();
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::AddressSide);
    TDataFormat format;
    format.DefHonor = TDataFormat::HonorBytes(QStringLiteral("様"));
    format.CorpHonor = TDataFormat::HonorBytes(QStringLiteral("御中"));
    format.PostHonor = TDataFormat::HonorBytes(QStringLiteral("殿"));
    document.DataFormat = std::make_shared<const TDataFormat>(format);
    TAddressText record;
    record.PrivCorp = !c.company;
    record.NameKanji = QString::fromUtf16(c.person);
    record.CorpKanji = QStringLiteral("株式会社ピクス");
    record.Post = QString::fromUtf16(c.post);
    record.Honor = QString::fromUtf16(c.own);
    MergeRecord(document, &record, nullptr);
    const TNameRect *name = nullptr;
    for (auto &item : document.Items)
        if (auto *n = dynamic_cast<TNameRect *>(item.get()); n && !n->IsSender())
            name = n;
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetHonor(), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    TextCommands, MergeHonorific,
    ::testing::Values(HonorCase{"person", false, u"山田 太郎", u"", u"", u"様"},
                      HonorCase{"ownHonorificKept", false, u"山田 太郎", u"", u"先生", u"先生"},
                      HonorCase{"companyWithoutPerson", true, u"", u"", u"", u"御中"},
                      HonorCase{"personWithPost", true, u"山田 太郎", u"部長", u"", u"殿"},
                      HonorCase{"personAtCompany", true, u"山田 太郎", u"", u"", u"様"}),
    [](const ::testing::TestParamInfo<HonorCase> &info) { return std::string(info.param.name); });

// A layout that never had its data format edited prints its sender block
// with the same conversions as its other items (the layout kind's
// defaults), and confirming the unchanged format changes nothing printed.
TEST(MergeSenderBlock, aLayoutWithoutItsOwnFormatUsesTheDefaultsOfItsKind)
{
    // A design's defaults put the postal mark before the sender's postcode.
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::Design);
    auto block = std::make_unique<TSenderRect>();
    block->SetRect({20, 20, 220, 180});
    TSenderRect &sender = *block;
    document.Items.push_back(std::move(block));
    document.ItemRoles.push_back(-1);
    document.FindSender = [](const QString &) {
        TSenderData data;
        data.Name = QStringLiteral("差出 太郎");
        data.Pos = QStringLiteral("1000014");
        data.Tdfkn = QStringLiteral("東京都");
        data.Adrs1 = QStringLiteral("千代田区永田町");
        return std::optional<TSenderData>(data);
    };
    const auto postcode = [&sender] {
        return (sender.IsPrivate() ? sender.PosRect() : sender.CorpPosRect()).GetPostcode();
    };
    MergeRecord(document, nullptr, nullptr);
    const QString withoutFormat = postcode();
    document.DataFormat = std::make_shared<const TDataFormat>(EffectiveDataFormat(document));
    MergeRecord(document, nullptr, nullptr);
    EXPECT_TRUE(postcode().contains(QStringLiteral("〒"))) << qPrintable(postcode());
    EXPECT_EQ(withoutFormat, postcode());
}

// A company record shown, then deleted: the layout merges as empty, and no
// department or title of the record it showed stays on the page.
TEST(MergeRecordDeleted, leavesNoCompanyLineOfTheRecordShownBefore)
{
    TLayoutDocument document;
    loadLayout(document, 0, TLayoutKind::AddressSide);
    TAddressText record;
    record.PrivCorp = false;
    record.NameKanji = QStringLiteral("山田 太郎");
    record.CorpKanji = QStringLiteral("株式会社ピクス");
    record.Dptmnt = QStringLiteral("営業部");
    record.Post = QStringLiteral("部長");
    MergeRecord(document, &record, nullptr);
    TNameRect *name = nullptr;
    for (auto &item : document.Items)
        if (auto *n = dynamic_cast<TNameRect *>(item.get()); n && !n->IsSender())
            name = n;
    ASSERT_NE(name, nullptr);
    ASSERT_EQ(name->GetDptmnt(0), QStringLiteral("営業部"));
    MergeRecord(document, nullptr, nullptr);
    EXPECT_TRUE(name->GetName().isEmpty());
    EXPECT_TRUE(name->GetCorp().isEmpty());
    EXPECT_TRUE(name->GetDptmnt(0).isEmpty());
    EXPECT_TRUE(name->GetPost().isEmpty());
    // A private record next keeps nothing of the company either.
    TAddressText person;
    person.NameKanji = QStringLiteral("佐藤 花子");
    MergeRecord(document, &record, nullptr);
    MergeRecord(document, &person, nullptr);
    EXPECT_TRUE(name->GetDptmnt(0).isEmpty());
    EXPECT_TRUE(name->GetPost().isEmpty());
}

} // namespace

namespace {

// What each editor tells the format dialogs of its layout, seen in the
// controls they leave enabled.
struct KindCase
{
    const char *name;
    int editor; // 0 postcard, 1 envelope, 2 label, 3 card, 4 design
    bool honorifics;
    bool senderMarks;
    bool addresseeMarks;
    bool addresseeSizes;
    const char16_t *additionCaption;
};

class FormatDialogKinds : public ::testing::TestWithParam<KindCase>
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    SampleBook book;
    FakeHost host{book.table};
};

TEST_P(FormatDialogKinds, eachEditorOpensTheDialogsForItsLayout)
{
    const KindCase &c = GetParam();
    QDir().mkpath(DataRoot);
    std::unique_ptr<TPrintEditor> editor;
    TLabelGrid grid;
    if (c.editor <= 1) {
        editor = std::make_unique<TLayoutForm>(nullptr, host);
        const int paper = c.editor == 0 ? 0 : 2;
        editor->SetLayout(paper, catalogueFormat(paper, &grid), grid);
    } else if (c.editor <= 3) {
        auto label = std::make_unique<TLabelForm>(nullptr, host);
        label->SetCardMode(c.editor == 3);
        editor = std::move(label);
        const int paper = c.editor == 2 ? 14 : 24;
        editor->SetLayout(paper, catalogueFormat(paper, &grid), grid);
    } else {
        // The design editor on a postcard-sized paper.
        editor = std::make_unique<TDesignForm>(nullptr, host);
        editor->SetLayout(0, catalogueFormat(0, &grid), grid);
    }
    auto *commands = editor->findChild<TTextCommands *>(QStringLiteral("TextCommands"));
    ASSERT_NE(commands, nullptr);
    QString title;
    editor->ExecDialog = [&](QDialog &D) {
        if (D.objectName() == QStringLiteral("AdditionInfoDialog")) {
            title = D.windowTitle();
        } else if (auto *honor = D.findChild<QLineEdit *>(QStringLiteral("edDefHonor"))) {
            EXPECT_EQ(honor->isEnabled(), c.honorifics);
            EXPECT_EQ(D.findChild<QWidget *>(QStringLiteral("rbSendPosMark"))->isEnabled(), c.senderMarks);
            EXPECT_EQ(D.findChild<QWidget *>(QStringLiteral("rbPosMark"))->isEnabled(), c.addresseeMarks);
        } else if (auto *name = D.findChild<QSlider *>(QStringLiteral("tbrName"))) {
            EXPECT_EQ(name->isEnabled(), c.addresseeSizes);
        }
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(commands->EditDataFormat());
    EXPECT_FALSE(commands->EditLayoutDetail());
    if (c.editor != 4) {
        EXPECT_FALSE(commands->EditAddition());
        EXPECT_EQ(title, QString::fromUtf16(c.additionCaption));
    }
    EXPECT_FALSE(editor->UndoList().CanUndo());
}

INSTANTIATE_TEST_SUITE_P(
    TextCommands, FormatDialogKinds,
    ::testing::Values(KindCase{"postcard", 0, true, true, true, true, u"バーコードの設定"},
                      KindCase{"envelope", 1, true, true, true, true, u"バーコードの設定"},
                      KindCase{"label", 2, true, false, true, true, u"追加情報の設定"},
                      KindCase{"card", 3, false, false, true, true, u"追加情報の設定"},
                      KindCase{"design", 4, false, true, false, false, u""}),
    [](const ::testing::TestParamInfo<KindCase> &info) { return std::string(info.param.name); });

} // namespace
