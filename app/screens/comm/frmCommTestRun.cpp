// The test run: the chosen load cell polled over Modbus in rounds, each reply turned into the
// data text that the text link answers with.
#include "comm/ControlReply.h"
#include "comm/MSComm.h"
#include "comm/SendData.h"
#include "config/PrivateProfile.h"
#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "screens/MessageBox.h"
#include "screens/comm/RunSteps.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace torvik::screens {

using comm::increment;
using comm::kCommOpenFailed;
using comm::kNoReply;
using comm::kPortFailedMessage;
using mdlFileMgr::programValues;

int frmComm::testDlc() const {
    return std::clamp(m_test.cmbNoTest->currentIndex(), 0, comm::kRows - 1);
}

bool frmComm::OpenTestLink() {
    const auto& v = programValues();
    int error = MSComm1->setCommPort(v.tab4.cmbCom);
    if (error == 0)
        error = MSComm1->setSettings(v.TestCommSettings);
    if (error == 0)
        error = MSComm1->setInputLen(0);
    if (error == 0)
        error = MSComm1->setPortOpen(true);
    if (error == 0)
        error = MSComm1->setRThreshold(1);
    // The table was read from the settings file at start; the program's own writes keep the
    // file's encoding, so the file tells how the table's texts were written.
    MSComm1->setTextEncoding(
        config::ProfileDocument::load(config::settingsFilePath(config::programFolder()))
            .encoding());
    resetTestLink();
    if (error == 0) {
        DLC_CommStatusDisplay(); // in place of what a failed start or a lost port said
        return true;
    }
    // The run cannot start without its second port: say which port and why, and start nothing.
    m_test.run.lblMsg->setText(MSComm1->errorText());
    MSComm1->setPortOpen(false);
    showMessage(this, v.messages[kPortFailedMessage]);
    return false;
}

void frmComm::CloseTestLink() {
    MSComm1->setPortOpen(false);
    resetTestLink();
}

void frmComm::StartTest() {
    comm::RunControls& run = m_test.run;
    m_run.stop = false;
    run.start->setEnabled(false);
    run.stop->setEnabled(true);
    m_menu.mnu_set1->menuAction()->setEnabled(false);
    m_menu.mnu_help1->menuAction()->setEnabled(false);
    for (QWidget* input : std::initializer_list<QWidget*>{
             m_test.cmbNoTest, m_test.cmbCom, m_test.cmbInt, m_test.cmbDec, m_test.cmbPolarity,
             m_test.txtWaitTime, m_test.txtCC, m_test.chkStatus, m_test.chkSync})
        input->setEnabled(false);
    m_SSTab1->setTabEnabled(Measure, false);
    m_SSTab1->setTabEnabled(Info, false);
    m_run.errorLog.clear();
    m_run.ready = true;

    // The cell gets its address, and its rated values whatever the data kind: the data text
    // must be right from the first reply on.
    assignmentSteps({testDlc()}, true);
    if (m_run.abort) {
        endAbortedTest();
        return;
    }

    runLoop(u"StartTest", [this] {
        if (!m_test.chkSync->isChecked())
            Sync_Send();
        Tab4_Send();
    });
    if (m_run.abort)
        endAbortedTest();
}

void frmComm::endAbortedTest() {
    // The handler that saw the failure has put Start, Stop, the other tabs and the menus back;
    // the text port is closed too, so that a new Start opens it afresh, and every input of the
    // tab is usable again, the digit and sign lists included.
    CloseTestLink();
    reenableInputs(Test);
    m_run.clearSelection();
}

bool frmComm::Tab4_Send() {
    if (m_run.stop)
        return false;
    if (m_run.abort) {
        PortCloseWait();
        return false;
    }
    if (TAVRIN6->Busy())
        return false;
    const auto& v = programValues();
    const int d = testDlc();
    const auto i = static_cast<std::size_t>(d);
    configure(*TAVRIN6, v.setting.TimeOut, QStringLiteral("30001"),
              m_test.chkStatus->isChecked() ? 3 : 2, 4, QString::number(v.slaveAddress.at(i)));
    TAVRIN6->AsyncRefresh();
    m_run.received.at(i) = false;
    m_run.ready = false;
    comm::sendPause();
    return true;
}

void frmComm::TAVRIN6_Complete(short nResult) {
    const auto& v = programValues();
    comm::RunControls& run = m_test.run;
    const int d = testDlc();
    m_run.ready = true;
    increment(run.txtOK);
    m_run.received.at(static_cast<std::size_t>(d)) = true;

    if (nResult == kCommOpenFailed) {
        portOpenFailed(Test);
        return;
    }
    if (nResult != 0) {
        increment(run.txtError);
        AddrAutoSet(d);
        m_run.errorLog.add(nResult, d + 1, QDateTime::currentDateTime(), v.setting.ErrCond1);
        if (nResult != kNoReply)
            m_test.txtRecvDataTest->clear();
    } else {
        torvik::comm::ControlReply reply(*TAVRIN6);
        const QString value = torvik::comm::measuredValueText(
            reply, d, m_rated, torvik::comm::DecodeSettings::from(v));
        m_test.txtRecvDataTest->setText(value);
        m_test.txtDataTest->setText(
            torvik::comm::CorrectedValue(value, m_test.txtCC->text(), v.ValueFormat));
        m_link.sendData = torvik::comm::MakeSendData(m_test.txtDataTest->text(), v.tab4.cmbInt,
                                                     v.tab4.cmbDec, v.tab4.cmbPolarity);
    }
    if (blnRecvCompleteCheck() && m_run.stop)
        WriteLog();
}

} // namespace torvik::screens
