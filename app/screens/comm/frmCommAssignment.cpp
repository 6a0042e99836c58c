// Slave-address assignment by serial-number broadcast, the synchronisation broadcast, the
// rated-value reads behind the count conversion, and the abort of a run whose port cannot be
// opened. Broadcasts get no reply: each is followed by a wait long enough for the frame to
// leave and the cells to act on it.
#include "comm/ControlReply.h"
#include "comm/Pacing.h"
#include "comm/SerialWords.h"
#include "comm/TavrinDispIds.h"
#include "config/ProgramValues.h"
#include "runtime/Trace.h"
#include "screens/MessageBox.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <set>

namespace torvik::screens {

using comm::kCommOpenFailed;
using comm::kPortFailedMessage;
using mdlFileMgr::programValues;
using torvik::comm::lineTimeMs;

namespace {

const QString kBroadcast = QStringLiteral("0");

} // namespace

void frmComm::broadcastAssignment(int dlc) {
    namespace d = torvik::comm::dispid;
    const auto& v = programValues();
    const auto i = static_cast<std::size_t>(dlc);
    const auto words = torvik::comm::serialWords(v.serialNo.at(i));
    torvik::comm::TavrinControl& control = *TAVRIN0.at(i);
    configure(control, v.setting.WaitTime, QStringLiteral("40001"), 3, 16, kBroadcast);
    control.SetDataWordM(0, v.slaveAddress.at(i));
    control.SetDataWordM(1, words.high);
    control.SetDataWordM(2, words.low);
    control.AsyncRefresh();
    torvik::comm::pace(v.setting.WaitTime + lineTimeMs(v.setting.Baudrate, 15));
}

void frmComm::AddrAutoSet(int dlc) {
    if (dlc >= 0 && dlc < comm::kRows)
        broadcastAssignment(dlc);
}

void frmComm::readRatedValues(int dlc) {
    const auto& v = programValues();
    const auto i = static_cast<std::size_t>(dlc);
    const QString node = QString::number(v.slaveAddress.at(i));
    configure(*TAVRIN4.at(i), v.setting.TimeOut, QStringLiteral("30004"), 2, 4, node);
    TAVRIN4[i]->AsyncRefresh();
    comm::sendPause();
    if (m_run.abort)
        return;
    configure(*TAVRIN5.at(i), v.setting.TimeOut, QStringLiteral("30049"), 2, 4, node);
    TAVRIN5[i]->AsyncRefresh();
    comm::sendPause();
}

void frmComm::assignmentSteps(const std::vector<int>& dlcs, bool ratedValues) {
    for (const int dlc : dlcs) {
        if (m_run.abort)
            return;
        qCDebug(runtime::lcTrace).noquote() << "TAVRIN0 Waritsuke Send Index : " << dlc;
        broadcastAssignment(dlc);
    }
    if (!ratedValues)
        return;
    for (const int dlc : dlcs) {
        if (m_run.abort)
            return;
        readRatedValues(dlc);
    }
}

void frmComm::AssignmentPass(int tab) {
    if (!controlsAvailable())
        return;
    // A reply is outstanding: the running tab assigns at its next send instead, so that the
    // broadcast cannot collide with the reply on the line.
    const QCheckBox* singleShot = tab == Measure ? m_measure.chkRead[0]
                                  : tab == Info  ? m_info.chkReadInfo[0]
                                                 : m_custom.chkReadCustom[0];
    if (!singleShot->isChecked() && !m_run.ready) {
        m_deferredAssignment = true;
        m_deferredTab = tab;
        return;
    }
    const auto& v = programValues();
    std::vector<int> dlcs;
    switch (tab) {
    case Measure:
        for (int k = 0; k < rowCount(); ++k) {
            if (m_measure.chkSelect[static_cast<std::size_t>(k)]->isChecked() && rowRegistered(k))
                dlcs.push_back(k);
        }
        assignmentSteps(dlcs, v.setting.DataKind == QLatin1String("N"));
        break;
    case Info:
        if (m_info.cmbNo->currentIndex() >= 0)
            dlcs.push_back(m_info.cmbNo->currentIndex());
        assignmentSteps(dlcs, false);
        break;
    case Custom: {
        std::set<int> members;
        for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
            const int dlc = m_custom.cmbNoCustom[r]->currentIndex();
            if (m_custom.chkSelectCustom[r]->isChecked() && dlc >= 0 && dlc < comm::kRows)
                members.insert(dlc);
        }
        assignmentSteps({members.begin(), members.end()}, false);
        break;
    }
    default:
        break;
    }
}

void frmComm::Sync_Send() {
    namespace d = torvik::comm::dispid;
    const auto& v = programValues();
    torvik::comm::TavrinControl& control = *TAVRIN0[0];
    control.setI2(d::TimeoutTrans,
                  static_cast<std::int16_t>(std::clamp(v.setting.TimeOut, 0, 32767)));
    control.setText(d::MemStart, QStringLiteral("00001"));
    control.SetDataByteM(0, 1);
    control.setI2(d::Adapter, static_cast<std::int16_t>(std::clamp(v.setting.Comport, 0, 32767)));
    control.setText(d::CommSettings, v.ModbusCommSettings);
    control.setI2(d::Function, 5);
    control.setText(d::NodeAddress, kBroadcast);
    control.AsyncRefresh();
    qCDebug(runtime::lcTrace, "Sync_Send  Before");
    torvik::comm::pace(v.setting.CommSync + lineTimeMs(v.setting.Baudrate, 8));
    qCDebug(runtime::lcTrace, "Sync_Send  After");
}

void frmComm::TAVRIN0_Complete(int, short nResult) {
    if (nResult == kCommOpenFailed)
        portOpenFailed(m_SSTab1->currentIndex());
}

void frmComm::TAVRIN4_Complete(int Index, short nResult) {
    torvik::comm::ControlReply reply(*TAVRIN4.at(static_cast<std::size_t>(Index)));
    if (m_rated.takeCapacity(Index, nResult, m_run.abort, reply))
        qCDebug(runtime::lcTrace) << "m_TeikakuCapacity(" << Index << ")"
                                  << m_rated.m_TeikakuCapacity.at(static_cast<std::size_t>(Index));
}

void frmComm::TAVRIN5_Complete(int Index, short nResult) {
    torvik::comm::ControlReply reply(*TAVRIN5.at(static_cast<std::size_t>(Index)));
    if (m_rated.takeOutput(Index, nResult, m_run.abort, reply,
                           torvik::comm::DecodeSettings::from(programValues())))
        qCDebug(runtime::lcTrace) << "m_TeikakuOutput(" << Index << ")"
                                  << m_rated.m_TeikakuOutput.at(static_cast<std::size_t>(Index));
}

void frmComm::restoreIdle(int tab) {
    comm::RunControls& run = runControls(tab);
    run.start->setEnabled(true);
    run.stop->setEnabled(false);
    if (run.save != nullptr)
        run.save->hide();
    const QColor black(Qt::black);
    switch (tab) {
    case Measure:
        for (int k = 0; k < rowCount(); ++k) {
            const auto i = static_cast<std::size_t>(k);
            m_measure.chkSelect[i]->setEnabled(true);
            comm::paintText(m_measure.lblNo[i + 1], black);
        }
        for (QCheckBox* box : m_measure.chkRead)
            box->setEnabled(true);
        break;
    case Info:
        m_info.cmbNo->setEnabled(true);
        for (QCheckBox* box : m_info.chkSelectInfo)
            box->setEnabled(true);
        for (QRadioButton* option : m_info.optInput)
            option->setEnabled(true);
        for (QCheckBox* box : m_info.chkReadInfo)
            box->setEnabled(true);
        for (QLabel* label : m_info.lblFunc)
            comm::paintText(label, black);
        break;
    case Custom:
        for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
            m_custom.chkSelectCustom[r]->setEnabled(true);
            m_custom.cmbNoCustom[r]->setEnabled(true);
            comm::paintText(m_custom.lblNoCustom[r + 1], black);
        }
        for (QCheckBox* box : m_custom.chkReadCustom)
            box->setEnabled(true);
        break;
    default:
        for (QWidget* input :
             std::initializer_list<QWidget*>{m_test.cmbNoTest, m_test.cmbCom, m_test.txtWaitTime,
                                             m_test.chkStatus, m_test.chkSync, m_test.txtCC})
            input->setEnabled(true);
        break;
    }
    // The variant's hidden tabs stay hidden; only the run lock is lifted.
    for (int other = 0; other < 4; ++other) {
        if (other != tab)
            m_SSTab1->setTabEnabled(other, true);
    }
}

} // namespace torvik::screens
