#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// The face, style and colour of an item's text; the size and writing
// direction stay the item's.
struct TLayoutFont
{
    QString Face;
    quint8 Charset = 128; // 0 Latin, 128 Japanese
    bool Bold = false;
    bool Italic = false;
    QColor Color = Qt::black;
    bool operator==(const TLayoutFont &) const = default;
};

// Faces offered: installed families that write Latin or Japanese, without
// the vertical "@" forms, sorted, each with its character set.
[[nodiscard]] QList<QPair<QString, quint8>> ListFontNames();

// The sixteen custom colours of the colour dialogs (CstmClr.ini).
[[nodiscard]] QList<QColor> LoadCustomColors();
void SaveCustomColors(const QList<QColor> &Colors);

// "フォントの設定": face, bold, italic and colour with a sample, and whether
// the font applies to every frame of the layout.
class TLayoutFontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TLayoutFontDialog(QWidget *Owner);

    void SetFont(const TLayoutFont &Font);
    [[nodiscard]] TLayoutFont GetFont() const { return m_font; }
    [[nodiscard]] bool GetApplyToAll() const;

    // The colour dialog: takes the current colour and the custom colours
    // (which it may change); the chosen colour or nothing when cancelled.
    std::function<std::optional<QColor>(const QColor &, QList<QColor> &)> RunColorDialog;
    void ChooseColor();

private:
    void UpdateSample();
    void FaceChosen(int Row);
    void StyleChanged();

    QListWidget *lbFonts = nullptr;
    QLabel *lblCharset = nullptr;
    QCheckBox *ckbBold = nullptr;
    QCheckBox *ckbItalic = nullptr;
    QLabel *pnlFontColor = nullptr;
    QPushButton *bbtnFontColor = nullptr;
    QLabel *pnlSample = nullptr;
    QCheckBox *ckbAll = nullptr;
    TLayoutFont m_font;
    bool m_updating = false;
};
