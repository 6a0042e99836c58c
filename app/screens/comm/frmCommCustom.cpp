// The custom-read tab of the main screen: load, the row lists, the start address and the
// display-format options each row's memory kind and length allow.
#include "config/ProgramValues.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"
#include "screens/FieldWatcher.h"
#include "screens/Quietly.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/SelectionRule.h"
#include "screens/frmComm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace torvik::screens {

using mdlFileMgr::programValues;

namespace {

// Memory kinds in list order.
enum MemoryKind { CoilStatus = 0, InputStatus = 1, InputRegister = 2, HoldingRegister = 3 };
enum Format { Hexadecimal = 0, Real = 1, Integer = 2, Ascii = 3 };

void clearFormats(QButtonGroup& group) {
    // An exclusive group keeps one option on; all four off needs it non-exclusive briefly.
    group.setExclusive(false);
    for (QAbstractButton* option : group.buttons())
        option->setChecked(false);
    group.setExclusive(true);
}

// The register counts each format can show: a real needs two or four registers, an integer
// at most four, hexadecimal and ASCII any count up to the longest list entry.
std::array<bool, 4> formatsForLength(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || QString::number(n) != text)
        return {true, false, false, false};
    if (n == 1 || n == 3)
        return {true, false, true, true};
    if (n == 2 || n == 4)
        return {true, true, true, true};
    if (n >= 5 && n <= 20)
        return {true, false, false, true};
    return {true, false, false, false};
}

} // namespace

void frmComm::connectCustomTab() {
    for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
        const int row = static_cast<int>(r);
        connect(m_custom.cmbNoCustom[r], &QComboBox::currentIndexChanged, this,
                [this] { quietly([this] { cmbNoCustom_Click(); }); });
        connect(m_custom.cmbMem[r], &QComboBox::currentIndexChanged, this,
                [this, row] { quietly([&] { formatRule(row); }); });
        connect(m_custom.cmbLen[r], &QComboBox::currentIndexChanged, this,
                [this, row] { quietly([&] { formatRule(row); }); });
        connect(m_custom.txtAddr[r], &QLineEdit::textChanged, this,
                [this, row] { quietly([&] { txtAddr_Change(row); }); });
        connect(m_custom.chkSelectCustom[r], &QCheckBox::toggled, this,
                [this, row] { quietly([&] { chkSelectCustom_Click(row); }); });
        for (QComboBox* combo : {m_custom.cmbNoCustom[r], m_custom.cmbMem[r], m_custom.cmbLen[r]})
            m_fields->watch(*combo, {EntryKeys::Any, false});
        FieldRules address{EntryKeys::Any, true};
        address.left = [this, row] {
            txtAddr_LostFocus(row);
            return true;
        };
        address.arrow = [this, row](int step) { txtAddr_Arrow(row, step); };
        m_fields->watch(*m_custom.txtAddr[r], std::move(address));
    }
    for (std::size_t i = 0; i < m_custom.chkReadCustom.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(m_custom.chkReadCustom[i], &QCheckBox::toggled, this,
                [this, index] { quietly([&] { chkReadCustom_Click(index); }); });
    }
    connectRunButtons(Custom);
}

void frmComm::loadCustomTab() {
    const auto& v = programValues();
    comm::RunControls& run = m_custom.run;
    run.manual->hide();
    run.save->hide();
    run.lblSave->hide();
    run.lblRAM->hide();
    for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
        comm::selectEntry(m_custom.cmbNoCustom[r], v.tab3.cmbNoCustom[r] - 1);
        {
            const QSignalBlocker quiet(m_custom.cmbMem[r]);
            m_custom.cmbMem[r]->clear();
            for (const QString& name : v.MemoryAreaNames)
                m_custom.cmbMem[r]->addItem(name);
            m_custom.cmbMem[r]->setCurrentIndex(-1);
        }
        comm::selectEntry(m_custom.cmbMem[r], v.tab3.cmbMem[r]);
        m_custom.txtAddr[r]->setText(runtime::formatNumber(v.tab3.txtAddr[r], u"0000"));
        m_custom.chkSelectCustom[r]->setChecked(v.tab3.chkSelectCustom[r]);
        comm::selectEntry(m_custom.cmbLen[r], v.tab3.cmbLen[r] - 1);

        clearFormats(*m_custom.formatGroup[r]);
        const int kind = v.tab3.cmbMem[r];
        if (kind == InputRegister || kind == HoldingRegister) {
            static const QString letters = QStringLiteral("HFIA");
            const qsizetype format =
                v.tab3.optFormat[r].isEmpty() ? -1 : letters.indexOf(v.tab3.optFormat[r].front());
            if (format >= 0)
                m_custom.optFormat[4 * r + static_cast<std::size_t>(format)]->setChecked(true);
        }
        m_custom.txtRecvDataCustom[r]->clear();
        m_custom.txtRecvDataCustom[r]->setToolTip(QString());
        m_custom.txtCountCustom[r]->setText(QStringLiteral("0"));
    }
    for (std::size_t i = 0; i < m_custom.chkReadCustom.size(); ++i)
        m_custom.chkReadCustom[i]->setChecked(v.tab3.chkReadCustom[i]);
    run.txtOK->setText(QStringLiteral("0"));
    run.txtError->setText(QStringLiteral("0"));
    run.lblMsg->clear();
}

void frmComm::cmbNoCustom_Click() {
    for (QLineEdit* box : m_custom.txtRecvDataCustom)
        box->clear();
    m_run.pollPosition = 0;
}

void frmComm::formatRule(int row) {
    const auto r = static_cast<std::size_t>(row);
    QRadioButton* const* options = &m_custom.optFormat[4 * r];
    // The list position is the memory kind; the names are the catalogue's, and need not differ.
    switch (m_custom.cmbMem[r]->currentIndex()) {
    case CoilStatus:
    case InputStatus:
        for (int k = 0; k < 4; ++k)
            options[k]->setEnabled(false);
        clearFormats(*m_custom.formatGroup[r]);
        break;
    case InputRegister:
    case HoldingRegister: {
        const auto allowed = formatsForLength(m_custom.cmbLen[r]->currentText());
        for (std::size_t k = 0; k < 4; ++k)
            options[k]->setEnabled(allowed[k]);
        options[Hexadecimal]->setChecked(true);
        break;
    }
    default:
        options[Hexadecimal]->setChecked(true);
        break;
    }
}

void frmComm::txtAddr_Change(int row) {
    const auto r = static_cast<std::size_t>(row);
    const int kind = m_custom.cmbMem[r]->currentIndex();
    if (kind == InputRegister || kind == HoldingRegister)
        m_custom.optFormat[4 * r + Hexadecimal]->setChecked(true);
}

void frmComm::txtAddr_LostFocus(int row) {
    QLineEdit* box = m_custom.txtAddr.at(static_cast<std::size_t>(row));
    if (const auto value = runtime::toDouble(box->text()))
        box->setText(runtime::formatNumber(*value, u"0000"));
}

void frmComm::txtAddr_Arrow(int row, int step) {
    const int target = row + step;
    if (target >= 0 && target < comm::kCustomRows)
        m_custom.txtAddr[static_cast<std::size_t>(target)]->setFocus(Qt::OtherFocusReason);
}

void frmComm::chkSelectCustom_Click(int) {
    comm::selectionRule(m_run, m_custom.run, m_custom.chkSelectCustom,
                        [this](std::size_t r) { m_custom.txtRecvDataCustom[r]->clear(); });
}

void frmComm::chkReadCustom_Click(int index) {
    if (index == 0)
        singleShotRule(*m_custom.chkReadCustom[0], *m_custom.chkReadCustom[1]);
    else
        m_custom.run.manual->setVisible(m_custom.chkReadCustom[1]->isChecked());
    m_run.pollPosition = 0;
}

} // namespace torvik::screens
