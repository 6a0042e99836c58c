// The custom-read run: each ticked row's register range read in turn, row r by its own
// instance TAVRIN3(r), shown in the row's display format and, while saving, recorded one line
// per row with the row number.
#include "comm/ControlReply.h"
#include "comm/CsvField.h"
#include "comm/CustomDisplay.h"
#include "comm/Pacing.h"
#include "comm/RunLoop.h"
#include "comm/TavrinDispIds.h"
#include "config/Logger.h"
#include "config/ProgramValues.h"
#include "runtime/NumericText.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace torvik::screens {

using comm::increment;
using mdlFileMgr::programValues;
using torvik::comm::CustomFormat;

namespace {

// Memory kind (list position of cmbMem) -> function and reference prefix.
struct MemoryKind {
    std::int16_t function;
    char16_t prefix;
};
constexpr MemoryKind kMemoryKinds[] = {{1, u'0'}, {2, u'1'}, {4, u'3'}, {3, u'4'}};
constexpr int kInputStatus = 1;

// Row r's options left to right: 4r hexadecimal, 4r+1 real, 4r+2 integer, 4r+3 ASCII.
constexpr CustomFormat kOptionFormats[] = {CustomFormat::Hexadecimal, CustomFormat::Real,
                                           CustomFormat::Integer, CustomFormat::Ascii};

} // namespace

void frmComm::StartCustom() {
    comm::RunControls& run = m_custom.run;
    m_run.stop = false;
    run.start->setEnabled(false);
    run.stop->setEnabled(true);

    std::vector<std::int16_t> ticked;
    for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
        m_custom.txtRecvDataCustom[r]->clear();
        m_custom.txtRecvDataCustom[r]->setToolTip(QString());
        comm::paintText(m_custom.lblNoCustom[r + 1], Qt::black);
        if (m_custom.chkSelectCustom[r]->isChecked())
            ticked.push_back(static_cast<std::int16_t>(r));
    }
    if (ticked.empty())
        return;
    m_run.errorLog.clear();
    m_run.setSelection(ticked);

    for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
        m_custom.cmbNoCustom[r]->setEnabled(false);
        m_custom.chkSelectCustom[r]->setEnabled(false);
    }
    for (QCheckBox* box : m_custom.chkReadCustom)
        box->setEnabled(false);
    enterRunningState(Custom, ticked.size());

    if (!m_custom.chkReadCustom[1]->isChecked()) {
        AssignmentPass(Custom);
        if (m_run.abort)
            return;
    }
    runLoop(u"StartCustom", [this] { Tab3_Send(); });
}

void frmComm::StartCustomSingle() {
    ensureSelection(m_custom.chkSelectCustom);
    if (const auto next = m_run.takeNext())
        sendCustomRow(next->index);
}

bool frmComm::Tab3_Send() {
    if (m_run.stop)
        return false;
    if (m_run.abort) {
        PortCloseWait();
        return false;
    }
    const auto next = m_run.takeNext();
    if (!next)
        return false;
    if (next->roundEnd && savingOn(Custom))
        m_run.roundComplete = true;
    const int r = next->index;
    if (TAVRIN3.at(static_cast<std::size_t>(r))->Busy())
        return false;
    if (m_deferredAssignment) {
        m_deferredAssignment = false;
        AssignmentPass(m_deferredTab);
        if (m_run.abort)
            return false;
    }
    if (!sendCustomRow(r))
        return false;
    m_run.received.at(static_cast<std::size_t>(r)) = false;
    qCDebug(torvik::comm::lcRun) << "Tab3_Send " << r << "  Send Wait  Before.";
    m_run.ready = false;
    comm::sendPause();
    qCDebug(torvik::comm::lcRun) << "Tab3_Send " << r << "  Send Wait  After.";
    return true;
}

bool frmComm::sendCustomRow(int row) {
    namespace d = torvik::comm::dispid;
    const auto& v = programValues();
    const auto r = static_cast<std::size_t>(row);
    torvik::comm::TavrinControl& control = *TAVRIN3.at(r);
    // A length or load cell the lists do not hold cannot be sent; the row is left out.
    const auto quantity = runtime::toInt16(m_custom.cmbLen[r]->currentText());
    const int dlc = m_custom.cmbNoCustom[r]->currentIndex();
    if (!quantity || dlc < 0 || static_cast<std::size_t>(dlc) >= v.slaveAddress.size())
        return false;
    comm::paintText(m_custom.lblNoCustom[r + 1], comm::pollingColour());
    // Outside the four kinds, function and reference stay as the last request had them.
    const int kind = m_custom.cmbMem[r]->currentIndex();
    QString memStart = control.getText(d::MemStart).value;
    std::int16_t function = control.getI2(d::Function).value;
    if (kind >= 0 && kind < static_cast<int>(std::size(kMemoryKinds))) {
        const MemoryKind& k = kMemoryKinds[kind];
        memStart = QChar(k.prefix) + m_custom.txtAddr[r]->text();
        function = k.function;
    }
    configure(control, v.setting.TimeOut, memStart, *quantity, function,
              QString::number(v.slaveAddress[static_cast<std::size_t>(dlc)]));
    control.AsyncRefresh();
    return true;
}

QString frmComm::customRowText(int row) {
    const auto r = static_cast<std::size_t>(row);
    const int kind = m_custom.cmbMem[r]->currentIndex();
    // Coils and inputs show bits whatever option the row has.
    std::optional<CustomFormat> format;
    if (kind >= 0 && kind <= kInputStatus) {
        format = CustomFormat::Bits;
    } else {
        for (std::size_t k = 0; k < 4; ++k) {
            if (m_custom.optFormat[4 * r + k]->isChecked())
                format = kOptionFormats[k];
        }
    }
    if (!format)
        return {};
    const torvik::comm::ControlReply reply(*TAVRIN3.at(r));
    return torvik::comm::customText(reply, *format, m_custom.cmbLen[r]->currentText(),
                                    torvik::comm::DecodeSettings::from(programValues()));
}

void frmComm::TAVRIN3_Complete(int Index, short nResult) {
    const auto r = static_cast<std::size_t>(Index);
    const auto& v = programValues();
    comm::RunControls& run = m_custom.run;
    m_run.ready = true;
    increment(run.txtOK);
    comm::paintText(m_custom.lblNoCustom.at(r + 1), Qt::black);
    m_run.received.at(r) = true;

    if (nResult == comm::kCommOpenFailed) {
        portOpenFailed(Custom);
        return;
    }
    QString text;
    if (nResult == 0) {
        text = customRowText(Index);
        m_custom.txtRecvDataCustom[r]->setText(text);
    } else {
        if (nResult == comm::kNoReply)
            increment(m_custom.txtCountCustom[r]);
        increment(run.txtError);
        if (!m_custom.chkReadCustom[1]->isChecked()) {
            torvik::comm::sleepAndPump();
            AddrAutoSet(m_custom.cmbNoCustom[r]->currentIndex());
        }
        m_run.errorLog.add(nResult, m_custom.cmbNoCustom[r]->currentText(),
                           QDateTime::currentDateTime(), v.setting.ErrCond1);
        refreshRemaining(Custom);
        if (nResult != comm::kNoReply)
            m_custom.txtRecvDataCustom[r]->clear();
    }
    if (savingOn(Custom)) {
        m_custom.txtRecvDataCustom[r]->setToolTip(text);
        m_logger->SetDLC(static_cast<qint16>(Index + 1), static_cast<qint16>(Index));
        storeRecordCell(Custom, Index, torvik::comm::String4Xls(text));
    }
    if (!m_custom.chkReadCustom[0]->isChecked() && m_run.stop && blnRecvCompleteCheck())
        WriteLog();
}

} // namespace torvik::screens
