// The measurement run: rounds of polls of the selected load cells, each reply shown and, while
// saving, stored in the round's record; the working data file handed over at its capacity.
#include "comm/ControlReply.h"
#include "comm/Pacing.h"
#include "comm/RunLoop.h"
#include "comm/TavrinDispIds.h"
#include "comm/WorkingFile.h"
#include "config/Logger.h"
#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"
#include "views/BenchViews.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

namespace torvik::screens {

using mdlFileMgr::programValues;

using comm::increment;
using comm::kCommOpenFailed;
using comm::kNoReply;
using comm::pollIntervalMs;

void frmComm::configure(torvik::comm::TavrinControl& control, std::int32_t timeout,
                        const QString& memStart, std::int16_t quantity, std::int16_t function,
                        const QString& node) {
    namespace d = torvik::comm::dispid;
    const auto& v = programValues();
    control.setI2(d::TimeoutTrans, static_cast<std::int16_t>(std::clamp(timeout, 0, 32767)));
    control.setText(d::MemStart, memStart);
    control.setI2(d::MemQty, quantity);
    control.setBool(d::AutoPollEnabled, false);
    control.setI4(d::AutoPollInterval,
                  static_cast<std::int32_t>(std::clamp(pollIntervalMs(), 0.0, 2147483647.0)));
    control.setBool(d::Enabled, true);
    control.setI2(d::Adapter, static_cast<std::int16_t>(std::clamp(v.setting.Comport, 0, 32767)));
    control.setText(d::CommSettings, v.ModbusCommSettings);
    control.setI2(d::Function, function);
    control.setText(d::NodeAddress, node);
}

void frmComm::sendPoll(int dlc) {
    const auto& v = programValues();
    const auto i = static_cast<std::size_t>(dlc);
    configure(*TAVRIN1.at(i), v.setting.TimeOut, QStringLiteral("30001"),
              m_measure.chkRead[2]->isChecked() ? 3 : 2, 4, QString::number(v.slaveAddress.at(i)));
    TAVRIN1[i]->AsyncRefresh();
    comm::paintText(m_measure.lblNo.at(i + 1), comm::pollingColour());
}

bool frmComm::blnRecvCompleteCheck() const {
    return std::all_of(m_run.received.begin(), m_run.received.begin() + 8,
                       [](bool received) { return received; });
}

int frmComm::SaveIndex(int dlc) const {
    const auto& list = m_run.selection;
    const auto at = std::find(list.begin(), list.end(), dlc);
    return at == list.end() ? 0 : static_cast<int>(at - list.begin());
}

QString frmComm::TimeEdit() {
    return m_clock.TimeEdit(torvik::comm::timeGetTime());
}

bool frmComm::savingOn(int tab) {
    // A stop hides the save button: replies that come in after it belong to no record.
    return isSaving(tab) && !runControls(tab).save->isHidden();
}

std::int16_t frmComm::recordMode(int tab) const {
    switch (tab) {
    case Info:
        return 2;
    case Custom:
        return 3;
    default:
        return programValues().tab1.chkRead[1] ? 1 : 0;
    }
}

void frmComm::refreshRemaining(int tab) {
    QLabel* label = runControls(tab).lblRAM;
    if (label->isHidden())
        return;
    label->setText(torvik::comm::remainingCapacityText(
        torvik::comm::remainingBytes(config::workingDataFilePath(config::programFolder()))));
    label->repaint();
}

void frmComm::StartMeasur() {
    comm::RunControls& run = m_measure.run;
    m_run.stop = false;
    run.start->setEnabled(false);
    run.stop->setEnabled(true);

    std::vector<std::int16_t> qualifying;
    for (int k = 0; k < rowCount(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_measure.txtData[i]->clear();
        m_measure.txtStatus[i]->clear();
        comm::paintText(m_measure.lblNo[i + 1], Qt::black);
        if (m_measure.chkSelect[i]->isChecked() && rowRegistered(k))
            qualifying.push_back(static_cast<std::int16_t>(k));
    }
    if (qualifying.empty())
        return;
    m_run.errorLog.clear();
    m_run.setSelection(qualifying);

    for (int k = 0; k < rowCount(); ++k)
        m_measure.chkSelect[static_cast<std::size_t>(k)]->setEnabled(false);
    for (QCheckBox* box : m_measure.chkRead)
        box->setEnabled(false);
    enterRunningState(Measure, qualifying.size());

    if (!m_measure.chkRead[3]->isChecked()) {
        AssignmentPass(Measure);
        if (m_run.abort)
            return;
    }

    runLoop(u"StartMeasur", [this] {
        if (m_run.pollPosition == 0 && !m_measure.chkRead[1]->isChecked())
            Sync_Send();
        Tab1_Send();
    });
}

bool frmComm::Tab1_Send() {
    if (m_run.stop)
        return false;
    if (m_run.abort) {
        PortCloseWait();
        return false;
    }
    if (m_run.selection.empty())
        return false;
    if (m_deferredAssignment) {
        m_deferredAssignment = false;
        AssignmentPass(m_deferredTab);
        if (m_run.abort || m_run.stop)
            return false;
    }
    const auto next = m_run.takeNext();
    if (!next)
        return false;
    if (next->roundEnd && savingOn(Measure))
        m_run.roundComplete = true;
    const int i = next->index;
    if (TAVRIN1.at(static_cast<std::size_t>(i))->Busy())
        return false;
    sendPoll(i);
    m_run.received.at(static_cast<std::size_t>(i)) = false;
    qCDebug(torvik::comm::lcRun) << "Tab1_Send " << i << "  Send Wait  Before.";
    m_run.ready = false;
    comm::sendPause();
    qCDebug(torvik::comm::lcRun) << "Tab1_Send " << i << "  Send Wait  After.";
    return true;
}

void frmComm::StartMeasurSingle() {
    if (m_run.selection.empty()) {
        // A tab change empties the list: the boxes ticked now make it again, so that the
        // first press after choosing the tab polls as every later one does.
        std::vector<std::int16_t> qualifying;
        for (int k = 0; k < rowCount(); ++k) {
            if (m_measure.chkSelect[static_cast<std::size_t>(k)]->isChecked() && rowRegistered(k))
                qualifying.push_back(static_cast<std::int16_t>(k));
        }
        m_run.setSelection(std::move(qualifying));
    }
    if (m_run.pollPosition == 0 && !m_measure.chkRead[1]->isChecked())
        Sync_Send();
    if (m_run.abort) {
        PortCloseWait();
        return;
    }
    const auto next = m_run.takeNext();
    if (!next)
        return;
    sendPoll(next->index);
    m_run.received.at(static_cast<std::size_t>(next->index)) = false;
}

void frmComm::TAVRIN1_Complete(int Index, short nResult) {
    const auto i = static_cast<std::size_t>(Index);
    const auto& v = programValues();
    comm::RunControls& run = m_measure.run;
    m_run.ready = true;
    increment(run.txtOK);
    if (i + 1 < m_measure.lblNo.size())
        comm::paintText(m_measure.lblNo[i + 1], Qt::black);
    if (i < m_run.received.size())
        m_run.received[i] = true;

    if (nResult == kCommOpenFailed) {
        // The whole tab goes back to idle, the other tabs and the menus with it: only Start
        // and Stop would leave the screen locked until another run's Stop.
        portOpenFailed(Measure);
        PortCloseWait();
        return;
    }
    QString value;
    if (nResult != 0) {
        if (nResult == kNoReply)
            increment(m_measure.txtCount.at(i));
        increment(run.txtError);
        if (!m_measure.chkRead[3]->isChecked())
            AddrAutoSet(Index);
        m_run.errorLog.add(nResult, Index + 1, QDateTime::currentDateTime(), v.setting.ErrCond1);
        refreshRemaining(Measure);
        if (nResult != kNoReply) {
            m_measure.txtData.at(i)->clear();
            m_measure.txtStatus.at(i)->clear();
        }
    } else {
        torvik::comm::ControlReply reply(*TAVRIN1.at(i));
        value = torvik::comm::measuredValueText(reply, Index, m_rated,
                                                torvik::comm::DecodeSettings::from(v));
        if (m_measure.chkRead[2]->isChecked())
            m_measure.txtStatus.at(i)->setText(torvik::comm::statusText(reply));
        m_measure.txtData.at(i)->setText(value);
    }
    m_views->measured(Index, nResult, value);
    if (savingOn(Measure))
        storeCell(Index, value);
    if (!m_measure.chkRead[0]->isChecked() && m_run.stop && blnRecvCompleteCheck())
        WriteLog();
}

void frmComm::storeCell(int dlc, const QString& value) {
    storeRecordCell(Measure, SaveIndex(dlc), value);
}

void frmComm::storeRecordCell(int tab, int slot, const QString& value) {
    const auto j = static_cast<qint16>(slot);
    m_logger->SetData(value, j);
    m_logger->SetDate(TimeEdit(), j);
    m_run.recordPending = true;
    if (!m_run.roundComplete)
        return;
    m_run.roundComplete = false;
    const QString working = config::workingDataFilePath(config::programFolder());
    m_logger->OpenMode(m_run.firstRecord, working, recordMode(tab), false);
    m_run.firstRecord = false;
    m_run.recordPending = false;
    refreshRemaining(tab);
    if (torvik::comm::remainingBytes(working) < 1)
        SaveLog();
}

} // namespace torvik::screens
