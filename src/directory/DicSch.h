#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TAdrsSearch;
class TKykbnSearch;
class TPosSearch;

// The address the dictionary search dialog hands to its caller. Texts are
// Shift-JIS, trimmed and cut to the byte lengths below without splitting a
// double-byte character; a directory name code page 932 cannot hold comes in
// the "@" form (DecodeUnicodeField reads both).
struct TDicSearchResult {
    static constexpr int PhoneBytes = 13, PostcodeBytes = 8, PrefectureBytes = 8, CityBytes = 32, TownBytes = 100,
                         Address3Bytes = 116, AddressKanaBytes = 146, CityCodeBytes = 5, TownCodeBytes = 6,
                         NameBytes = 120, NameKanaBytes = 62, PublishMonthBytes = 6;

    bool Private = false;       // a person or a plain address; false for a company or a large office
    QByteArray Phone;           // with hyphens
    std::int32_t PhoneKind = 0; // the callers put 0 and 3 into 電話, 1 into FAX, 2 into both
    QByteArray Postcode;        // "123-4567"
    QByteArray Prefecture;
    QByteArray City;            // address line 1
    QByteArray Town;            // address line 2
    QByteArray Address3;        // never filled here
    QByteArray AddressKana;     // readings of prefecture, city and town
    QByteArray CityCode;
    QByteArray TownCode;
    QByteArray Name;
    QByteArray NameKana;
    QByteArray PublishMonth;    // "yyyymm"
    std::int32_t Latitude = 0;  // milliseconds of arc
    std::int32_t Longitude = 0;
};

// What ResultKind says the caller should read.
enum TDicResultKind : int {
    drkPhone = 0,     // the area-code dictionary: GetResult
    drkPostcode = 1,  // GetResult
    drkAddress = 2,   // GetResult
    drkBookRecord = 8, // a record of the open address book: GetFoundRecNo
    drkDirectory = 9,  // a listing of the telephone directory: GetResult
};

// 検索: looks up an address by telephone number, postcode or address text
// in the dictionaries, lets the user pick one town and hands back one
// TDicSearchResult. Callers: create it, SetOwnerHandle, SetSearchOptions,
// StartSearch; on 0 exec() it (1 decided, 2 cancelled), on 1 the result is
// already decided, on 9 stop; then read ResultKind and GetResult or
// GetFoundRecNo. Bad input is never a message box: the tab's prompt line
// says what is wrong in dark red and the edit keeps the text for correction.
// The telephone tab searches the open address book, then the directory
// regions of the number's area, then the area-code dictionary.
class TDicSearch : public QDialog
{
    Q_OBJECT

public:
    explicit TDicSearch(QWidget *Owner = nullptr);
    ~TDicSearch() override;

    void SetOwnerHandle(QWidget *Owner) { m_ownerHandle = Owner; }
    // Bits 0 and 1 show the telephone tab (bit 0 also searches the
    // directory), bit 2 the postcode tab, bit 3 the address tab.
    void SetSearchOptions(std::uint8_t TabMask, bool UseBookLookup, bool ShowSaveTel);
    // Kind 0 telephone, 1 postcode, 2 address. 1 when a result is already
    // decided, 9 when the telephone search was refused or cancelled, else 0.
    [[nodiscard]] int StartSearch(int Kind, const QString &Text);
    // The dialog shown modally: 1 when the user decided, 2 when cancelled
    // (the window's close button and Escape cancel too).
    [[nodiscard]] int ShowModal();
    // Tests answer the shown dialog through this instead of a modal loop:
    // it gets the dialog ready to be driven and returns what ShowModal
    // would.
    static inline std::function<int(TDicSearch &)> ModalRunner;
    void GetResult(TDicSearchResult &R) const { R = m_result; }
    [[nodiscard]] qint32 GetFoundRecNo() const;

    int ResultKind = drkPhone;
    // Help topics: the active tab's (24 telephone, 26 postcode, 27 address)
    // and the list page's, set by the caller. The dialog's own "HelpContext"
    // property follows the page shown.
    int TabHelpContext = 24;
    int ListHelpContext = 0;

    // The telephone tab's search: 9 refused or cancelled, else 0.
    [[nodiscard]] int PhoneSearch();
    // Kykbn.dat in the settings root.
    void LoadSavedAreaCode();
    void SaveAreaCode(const QString &Code);

    // The caption of a town row's postcode: five or seven characters get a
    // hyphen after the third.
    [[nodiscard]] static QString PostcodeCaption(const QByteArray &Postcode);
    // Whether a half-width reading's first byte passes kana filter 0..10.
    [[nodiscard]] static bool PassesKanaFilter(const QByteArray &Reading, int Filter);
    // The hiragana of the first character of a half-width reading.
    [[nodiscard]] static QString KanaMark(const QByteArray &Reading);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    enum { TabTel = 0, TabPos = 1, TabAdrs = 2 };

    struct TTab {
        QWidget *page = nullptr;
        QLabel *prompt = nullptr;
        QLineEdit *edit = nullptr;
        QToolButton *search = nullptr;
        QTreeWidget *cities = nullptr;
        QComboBox *kana = nullptr;
        QTreeWidget *towns = nullptr;
        QRadioButton *viewTown = nullptr;
        QRadioButton *viewLarge = nullptr;
        int cityIndex = -1;
        int kanaFilter = 0;
        QString defaultPrompt;
    };

    struct TTownRow {
        QByteArray postcode;
        QByteArray kana;
        QByteArray address;
        QByteArray office;
    };

    struct TBookHit {
        bool Private = false;
        QByteArray NameText;
        QByteArray PersonText;
    };

    void buildTab(int Index, const QString &Caption, const QString &Prompt, const QString &Hint, int MaxLength);
    void buildListPage();
    void tabChanged();
    void setPrompt(int Tab, const QString &Text, bool Error);
    // The check of the postcode and telephone edits: false when refused.
    [[nodiscard]] bool checkNumberInput(int Tab, QByteArray &Digits);
    void postcodeSearch();
    void addressSearch();
    void showSearchOutcome(int Tab, int Rc, const QString &WrongText);
    void fillCities(int Tab, const QStringList &Captions);
    void citySelected(int Tab);
    void buildTownList(int Tab);
    // The dictionary's towns (or large offices) of city City of the tab.
    [[nodiscard]] std::vector<TTownRow> townRows(int Tab, int City);
    // Whether the town list of city City would show a row, in the tab's
    // view and kana filter.
    [[nodiscard]] bool cityListsTowns(int Tab, int City);
    [[nodiscard]] static bool townRowShown(const TTownRow &Row, int KanaFilter);
    void viewTypeClicked(int Tab);
    void showDictionaryError(const QString &Text);
    [[nodiscard]] QWidget *messageOwner();
    void decide();
    void decision();
    [[nodiscard]] bool buildResult();
    [[nodiscard]] bool buildDictionaryResult(int Tab);
    void buildDirectoryResult(const TTelRecord &Record);
    void priorClicked();
    void showListPage();
    // The wheel over a tab turns the tabs round, after the last the first.
    [[nodiscard]] bool wheelOverTabs(QEvent *event);
    void keepSelection(QTreeWidget *List);

    [[nodiscard]] int bookLookup(const QByteArray &Digits);
    [[nodiscard]] int directoryLookup(const QByteArray &Digits);
    [[nodiscard]] int areaCodeLookup(const QByteArray &Digits);

    QStackedWidget *pgctlDicSch = nullptr;
    QWidget *tabstSearch = nullptr;
    QWidget *tabstTelList = nullptr;
    QTabWidget *pgctlDicType = nullptr;
    std::array<TTab, 3> m_tabs;
    QCheckBox *chkSaveTel = nullptr;
    QLabel *lblTelList1 = nullptr;
    QLabel *pnlSchTel = nullptr;
    QLabel *pnlSchKey = nullptr;
    QTreeWidget *lvTelList = nullptr;
    QPushButton *btnPrior = nullptr;
    QPushButton *btnDecision = nullptr;
    QPushButton *btnCancel = nullptr;

    QWidget *m_ownerHandle = nullptr;
    bool m_useBookLookup = true;
    bool m_useDirectory = true;
    bool m_decided = false;
    bool m_directoryNotShown = false;
    TDicSearchResult m_result;
    std::unique_ptr<TKykbnSearch> m_kykbn;
    std::unique_ptr<TPosSearch> m_pos;
    std::unique_ptr<TAdrsSearch> m_adrs;

    std::vector<TBookHit> m_bookHits;
    std::vector<qint32> m_bookRecNos;
    bool m_bookSearched = false;
    QString m_phoneKindText;
    std::vector<TTelRecord> m_telRecords;
    std::int32_t m_hitCount = 0;
    int m_selectedHit = -1;
    int m_wheelDelta = 0;
};
