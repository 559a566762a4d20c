#pragma once

#include "dialogs/Examples.h"

#include <QDialog>
#include <QStringList>

class QFont;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// "文章の編集": the lines and writing direction of a free-text item, with the
// example-sentence library (categories, headings, text) to append to the
// text or to replace it with. Whether the examples are shown and the
// window's size are kept in the settings file (WORDEDIT).
class TWordEditDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TWordEditDialog(QWidget *Owner);
    ~TWordEditDialog() override;

    void SetLines(const QStringList &Lines);
    [[nodiscard]] QStringList GetLines() const;
    // 0 vertical, 1 horizontal.
    [[nodiscard]] int GetDirection() const;
    void SetDirection(int Direction);
    // The item's font, upright and at 11 points.
    void SetFont(const QFont &Font);

    // Reads Index.rbf and shows the first category; done on show.
    void LoadExampleIndex();
    [[nodiscard]] bool ExamplesShown() const { return m_example; }
    void ShowExamples(bool Show);

protected:
    void showEvent(QShowEvent *Event) override;
    void done(int Result) override;

private:
    void LoadExamples(int Category);
    void ChooseHeading(int Row);
    void AppendClick();
    void RewriteClick();
    [[nodiscard]] QString ChosenExample() const;
    void Report(const QString &Text);
    void ApplyMinimumSize();

    QWidget *pnlWords = nullptr;
    QPlainTextEdit *memWords = nullptr;
    QRadioButton *rbVertical = nullptr;
    QRadioButton *rbHorizontal = nullptr;
    QWidget *pnlExample = nullptr;
    QListWidget *lbClass = nullptr;
    QListWidget *lbIndex = nullptr;
    QPlainTextEdit *memExample = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *bbtnExample = nullptr;
    QPushButton *bbtnAppend = nullptr;
    QPushButton *bbtnRewrite = nullptr;

    QList<TExampleCategory> m_categories;
    QList<TExample> m_examples;
    bool m_example = false;
    bool m_indexLoaded = false;
};
