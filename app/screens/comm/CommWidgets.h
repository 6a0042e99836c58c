// The widgets of the main screen's four tabs, by the names the screen's logic uses. Every
// pointer is owned by the Qt parent chain of the tab page it sits on.
#pragma once

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace torvik::screens::comm {

inline constexpr int kRows = 8;       // load-cell rows laid out on the measurement tab
inline constexpr int kItems = 8;      // information items
inline constexpr int kCustomRows = 4; // custom-read rows

// What every tab has for running: Start, Stop and Clear, the two counters and the message
// line; the measurement, information and custom tabs also save and assign.
struct RunControls {
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* clear = nullptr;
    QPushButton* save = nullptr;
    QPushButton* manual = nullptr;
    QLabel* lblSave = nullptr; // saved-size caption
    QLabel* lblRAM = nullptr;  // remaining size
    QLineEdit* txtOK = nullptr;
    QLineEdit* txtError = nullptr;
    QLabel* lblMsg = nullptr;
};

struct MeasureTab {
    QWidget* page = nullptr;
    std::array<QLabel*, kRows + 1> lblNo{}; // lblNo(k+1) labels row k; element 0 unused
    std::array<QCheckBox*, kRows> chkSelect{};
    std::array<QLineEdit*, kRows> txtData{};
    std::array<QLineEdit*, kRows> txtStatus{};
    std::array<QLineEdit*, kRows> txtCount{};
    std::array<QCheckBox*, 4> chkRead{};
    QLabel* lblStatus = nullptr;
    RunControls run;
};

struct InfoTab {
    QWidget* page = nullptr;
    std::array<QLabel*, kItems> lblFunc{};
    std::array<QCheckBox*, kItems> chkSelectInfo{};
    std::array<QLineEdit*, kItems> txtRecvData{};
    std::array<QLineEdit*, kItems> txtCountInfo{};
    QComboBox* cmbNo = nullptr;
    std::array<QCheckBox*, 2> chkReadInfo{};
    std::array<QRadioButton*, 2> optInput{};
    RunControls run;
};

struct CustomTab {
    QWidget* page = nullptr;
    std::array<QLabel*, kCustomRows + 1> lblNoCustom{}; // element 0 unused
    std::array<QComboBox*, kCustomRows> cmbNoCustom{};
    std::array<QComboBox*, kCustomRows> cmbMem{};
    std::array<QLineEdit*, kCustomRows> txtAddr{};
    std::array<QComboBox*, kCustomRows> cmbLen{};
    std::array<QCheckBox*, kCustomRows> chkSelectCustom{};
    std::array<QGroupBox*, kCustomRows> frame{}; // Frame1..Frame4
    // Row r owns elements 4r (hexadecimal), 4r+1 (real), 4r+2 (integer), 4r+3 (ASCII).
    std::array<QRadioButton*, 4 * kCustomRows> optFormat{};
    std::array<QButtonGroup*, kCustomRows> formatGroup{};
    std::array<QLineEdit*, kCustomRows> txtRecvDataCustom{};
    std::array<QLineEdit*, kCustomRows> txtCountCustom{};
    std::array<QCheckBox*, 2> chkReadCustom{};
    RunControls run;
};

struct TestTab {
    QWidget* page = nullptr;
    QComboBox* cmbNoTest = nullptr;
    QComboBox* cmbCom = nullptr;
    QLineEdit* txtWaitTime = nullptr;
    QLineEdit* txtCC = nullptr;
    QLineEdit* txtDataTest = nullptr;
    QLineEdit* txtSendData = nullptr;
    QLineEdit* txtRecvCommand = nullptr;
    QLineEdit* txtRecvDataTest = nullptr;
    QGroupBox* Frame7 = nullptr;
    QComboBox* cmbInt = nullptr;
    QComboBox* cmbDec = nullptr;
    QComboBox* cmbPolarity = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* chkStatus = nullptr;
    QCheckBox* chkSync = nullptr;
    QLabel* lblRecvCommand = nullptr;
    QLabel* lblSendData = nullptr;
    QLabel* lblComProt = nullptr; // the text link's settings
    RunControls run;
};

// Each builds its tab page with the design texts; the screen connects the handlers.
QWidget* buildMeasureTab(MeasureTab& tab);
QWidget* buildInfoTab(InfoTab& tab);
QWidget* buildCustomTab(CustomTab& tab);
QWidget* buildTestTab(TestTab& tab);

// After the catalogue has set Frame1's caption: it moves above the format column.
void alignFormatCaption(CustomTab& tab);

} // namespace torvik::screens::comm
