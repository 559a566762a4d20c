#pragma once

#include "directory/SchHist.h"
#include "directory/SchThred.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTableView;
class TKanaAdrsSearch;
class TNameDicLink;
class TNMDComboBox;
class TTntNMDEdit;

// The hits of one result page for the result list: No., number, kind,
// listing name, address and first-listing month. Numbers arrive hyphenated.
class THitListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit THitListModel(QObject *Parent = nullptr);
    void SetPage(std::vector<TAreaSearchHit> Hits, int FirstNumber);
    void Clear();
    // While not empty, the address column leaves out the first occurrence of
    // this text (the address the search was narrowed to).
    void SetOmittedAddress(const QString &Text);
    [[nodiscard]] const std::vector<TAreaSearchHit> &Hits() const { return m_hits; }

    int rowCount(const QModelIndex &Parent = {}) const override;
    int columnCount(const QModelIndex &Parent = {}) const override;
    QVariant data(const QModelIndex &Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
    std::vector<TAreaSearchHit> m_hits;
    int m_firstNumber = 1;
    QString m_omitted;
};

// The directory search window: a top-level window (its own taskbar entry, at
// most one, NameAdrsSearchWindow) in which the user searches the directory
// by listing name within a region's prefectures or cities, pages through the
// hits and counts them. Every library call runs on the search worker
// (SchThred.h); the window only builds the conditions, starts runs and shows
// what comes back. Closing is refused while a run is going on.
class TNameAdrsSearch : public QWidget {
    Q_OBJECT
public:
    explicit TNameAdrsSearch(QWidget *Parent = nullptr);
    ~TNameAdrsSearch() override;

    // The status bar's twelve panels.
    static constexpr int StatusPanelCount = 12;
    [[nodiscard]] QString StatusText(int Panel) const;
    [[nodiscard]] bool Running() const;
    [[nodiscard]] int GetHitCount() const;
    [[nodiscard]] int PageNumber() const { return m_pageNo; }
    [[nodiscard]] THitListModel *ResultModel() const { return m_model; }
    // The address the last search was narrowed to (prefecture, city and
    // oaza names of its keys), shown above the hits.
    [[nodiscard]] QString AddressCaption() const { return m_addressCaption; }
    // The hit list takes the user's tint while the record form walks its
    // hits in inquiry mode (and the tint is switched on).
    void UpdateListColor(bool RecordFormShowsHits);

    // The name entry in use: the history combo nmcbxName while HisCount is
    // above 0, else the plain edit nmedtName. Both hold at most 34 bytes.
    [[nodiscard]] QString NameText() const;
    void SetNameText(const QString &Text);
    [[nodiscard]] QLineEdit *NameEdit() const;
    // The conditions remembered in NmAd.shc: the current ones, and the
    // history (newest first) the combo lists.
    [[nodiscard]] const TSearchHistoryEntry &CurrentConditions() const { return m_current; }
    [[nodiscard]] const std::vector<TSearchHistoryEntry> &History() const { return m_history; }
    // The history entry the combo shows (its index in History), -1 for none.
    [[nodiscard]] int HistoryIndex() const { return m_historyIndex; }
    // After the settings dialog changed HisCount: the history is cut to it,
    // the combo or the plain edit is chosen anew and NmAd.shc rewritten.
    void ApplyHistoryCount();
    // After the settings dialog changed the regions in use.
    void RefreshAreaSettings();
    // The name-reading popup of the name entry.
    [[nodiscard]] TNameDicLink *NameDictionary() const { return m_nameDic; }

    // Fetches the full record of hit Index of the page (after checking the
    // region's data) and selects its row; false when it cannot be had.
    [[nodiscard]] bool ShowHitAt(int Index, TTelRecord &Record);
    // Takes the hit of the focused or first selected row: once OnConfirmTake
    // agrees, OnTakeHit is given its full record (the address-book windows
    // open the record form with it).
    void TakeSelectedHit();
    // The record form's walk through the page: the full record of the first,
    // prior, next or last hit (prior and next from the hit it shows).
    [[nodiscard]] bool ShowFirstHit(TTelRecord &Record);
    [[nodiscard]] bool ShowPriorHit(TTelRecord &Record);
    [[nodiscard]] bool ShowNextHit(TTelRecord &Record);
    [[nodiscard]] bool ShowLastHit(TTelRecord &Record);
    [[nodiscard]] bool IsFirstHit() const;
    [[nodiscard]] bool IsLastHit() const;
    // The hit the record form shows, -1 for none; taken only inside -1 .. hits - 1.
    void SetInquiryIndex(int Index);
    [[nodiscard]] int InquiryIndex() const { return m_inquiryIndex; }
    std::function<void(const TTelRecord &)> OnTakeHit;
    // Asked before a hit is taken (the record form confirms its pending
    // edit); false ends the take with the page and its walk untouched.
    std::function<bool()> OnConfirmTake;
    // Asks for the export file, proposing a name; empty when cancelled.
    // The file dialog by default; tests answer it themselves.
    std::function<QString(const QString &Proposal)> ExportFileChooser;
    // Asks where the data disc is (the disc prompt by default), given the
    // text to show; empty when cancelled.
    std::function<QString(const QString &Text)> AskForDisc;

signals:
    // After each done handler, for tests and the record form.
    void RunFinished();
    // The page shown changed (a run started or ended): a record form that
    // walks the hits updates its move buttons.
    void ResultChanged();

protected:
    void closeEvent(QCloseEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    enum class TRun { None, Search, Count, Export };

    void buildUi();
    void readSettings();
    void writeSettings();
    void fillAreaCombo();
    void fillPrefectures();
    void fillCities();
    void fillOazas();
    void updateKeys();
    // A click in the city or oaza list: "指定しない" stands alone, and a
    // click that leaves nothing selected selects the clicked item again.
    void addressListChanged(QListWidget *List);
    void selectKeys(const QStringList &Keys);
    void chooseNameEntry();
    void fillHistoryCombo();
    void applyHistoryEntry(const TSearchHistoryEntry &Entry);
    [[nodiscard]] TSearchHistoryEntry entryOf(const std::vector<TAreaSearchCondition> &Conditions) const;
    void remember();
    void writeHistory();
    void deleteHistoryItem(int Index);
    void exportSelected();
    void selectExportItems();
    [[nodiscard]] QWidget *nameEntry() const;
    void categoryChanged();
    void yearChanged();
    [[nodiscard]] std::vector<TAreaSearchCondition> buildConditions() const;
    [[nodiscard]] QString buildAddressCaption() const;
    void applyOmission();
    // The name entries cut to the bytes the search takes.
    void cutNameEntries();
    // Return in a condition: the search 検索 starts.
    void searchFromConditions();
    [[nodiscard]] bool validateConditions(int Mode);
    void startSearch(TSearchMove Move);
    void startCount();
    void setRunning(bool Running, const QString &Operation);
    void searchDone(const TSearchPage &Page);
    void countDone(const TSearchCount &Count);
    void startExport();
    // 0 a new file (or overwritten), 1 appended to, 9 cancelled.
    [[nodiscard]] int chooseExportFile();
    void exportDone(const TExportResult &Result);
    // The common end of a count or an export: the buttons and panels set for
    // Code (the window's conditions, or the ones the run took), the
    // conditions remembered when the run finished, the user told.
    // DoneCaption and DoneText are shown when it finished with hits,
    // ErrorText when it failed.
    void reportRunEnd(bool WindowConditions, int Code, int Count,
                      const QString &DoneCaption, const QString &DoneText, const QString &ErrorText);
    void showConditionPanels(const TAreaSearchCondition &First);
    void clearConditionPanels();
    void clearResult();
    void setPanel(int Panel, const QString &Text);
    [[nodiscard]] int currentRegion() const;
    // CheckAreaData and CheckAreaDataFile, but for a region read from the
    // disc the disc prompt first asks for the disc when it is not found.
    [[nodiscard]] bool ensureAreaData(int Region);
    TSearchThreadHost &host();

    std::unique_ptr<TKanaAdrsSearch> m_dic;
    std::unique_ptr<TSearchThreadHost> m_host;
    std::vector<TAreaSearchCondition> m_conditions;
    int m_conditionRegion = 0;
    QStringList m_keys;
    int m_pageNo = -1;
    int m_inquiryIndex = -1;
    int m_blockSize = 20;
    TRun m_run = TRun::None;
    // What the run going on will remember when it ends.
    TSearchHistoryEntry m_runEntry;
    bool m_newSearch = false;
    TSearchHistoryEntry m_current;
    std::vector<TSearchHistoryEntry> m_history;
    int m_historyIndex = -1;
    bool m_historyBlocked = false;
    // The history as the file held it when last read or written, to tell a
    // search another program on the data folder remembered since.
    std::vector<TSearchHistoryEntry> m_historyBase;
    // The searches run here since the history was last written: the only
    // ones this window puts back where another program deleted them.
    std::vector<TSearchHistoryEntry> m_ranSinceSaved;
    bool m_useCombo = false;
    bool m_pickedFromList = false;

    TTntNMDEdit *nmedtName = nullptr;
    TNMDComboBox *nmcbxName = nullptr;
    TNameDicLink *m_nameDic = nullptr;
    QButtonGroup *m_matchGroup = nullptr;
    QButtonGroup *m_categoryGroup = nullptr;
    QRadioButton *rbFront = nullptr;
    QRadioButton *rbAmbiguous = nullptr;
    QRadioButton *rbRear = nullptr;
    QRadioButton *rbFull = nullptr;
    QRadioButton *rbPriv = nullptr;
    QRadioButton *rbCorp = nullptr;
    QRadioButton *rbBoth = nullptr;
    std::array<QCheckBox *, 4> m_kinds{};
    QComboBox *cbxCorpDiv = nullptr;
    QComboBox *cbxPubFromYear = nullptr;
    QComboBox *cbxPubFromMonth = nullptr;
    QComboBox *cbxPubToYear = nullptr;
    QComboBox *cbxPubToMonth = nullptr;
    QComboBox *cbxGetCount = nullptr;
    QComboBox *cbxArea = nullptr;
    QListWidget *lbxTdfkn = nullptr;
    QListWidget *lbxCity = nullptr;
    QListWidget *lbxOhaza = nullptr;
    QPushButton *bbtnSearch = nullptr;
    QPushButton *bbtnNext = nullptr;
    QPushButton *bbtnPrior = nullptr;
    QPushButton *bbtnCount = nullptr;
    QPushButton *bbtnStop = nullptr;
    QPushButton *bbtnClose = nullptr;
    QPushButton *sbtnInquiry = nullptr;
    QPushButton *bbtnFileExport = nullptr;
    QPushButton *sbtnFileExport = nullptr;
    QPushButton *sbtnExportItemSelect = nullptr;
    QString m_exportFile;
    TExportColumns m_exportColumns = DefaultExportColumns();
    QLabel *pnlAdrs = nullptr;
    QCheckBox *chkOmissionAdrs = nullptr;
    QSplitter *m_topSplitter = nullptr;
    QSplitter *m_citySplitter = nullptr;
    QString m_addressCaption;
    // The kept splitter places (screen pixels), applied once the window is
    // laid out at its first show.
    int m_keptTopHeight = 0;
    int m_keptCityWidth = 0;
    QTableView *lvResult = nullptr;
    THitListModel *m_model = nullptr;
    std::array<QLabel *, StatusPanelCount> m_panels{};
    std::vector<QWidget *> m_conditionControls;
};

// The one directory search window while it is open; null otherwise.
extern TNameAdrsSearch *NameAdrsSearchWindow;
// Opens the window (or brings the open one to the front).
TNameAdrsSearch *ShowNameAdrsSearch();
