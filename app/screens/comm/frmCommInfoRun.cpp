// The information run: the ticked items of the load cell chosen in cmbNo read in turn, each
// by its own instance TAVRIN2(k), shown and, while saving, recorded one line per item.
#include "comm/ControlReply.h"
#include "comm/CsvField.h"
#include "comm/Pacing.h"
#include "comm/RunLoop.h"
#include "config/ProgramValues.h"
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

namespace {

enum Item {
    RatedCapacity = 0,
    SerialNumber,
    ModelName,
    MakerName,
    Temperature,
    RatedOutput,
    SlaveAddress,
    BaudRate
};

struct ItemRow {
    const char16_t* start;
    const char16_t* qty;
};

// Reference and quantity of each item; the serial number's reference follows optInput.
constexpr ItemRow kItems[comm::kItems] = {
    {u"30004", u"2"}, {u"30006", u"2"}, {u"30008", u"20"}, {u"30028", u"20"},
    {u"30048", u"1"}, {u"30049", u"2"}, {u"40001", u"1"},  {u"40004", u"1"},
};
constexpr const char16_t* kHoldingSerial = u"40002";

} // namespace

void frmComm::StartInfo() {
    comm::RunControls& run = m_info.run;
    m_run.stop = false;
    run.start->setEnabled(false);
    run.stop->setEnabled(true);

    std::vector<std::int16_t> ticked;
    for (std::size_t k = 0; k < comm::kItems; ++k) {
        m_info.txtRecvData[k]->clear();
        m_info.txtRecvData[k]->setToolTip(QString());
        comm::paintText(m_info.lblFunc[k], Qt::black);
        if (m_info.chkSelectInfo[k]->isChecked())
            ticked.push_back(static_cast<std::int16_t>(k));
    }
    if (ticked.empty())
        return;
    m_run.errorLog.clear();
    m_run.setSelection(ticked);

    m_info.cmbNo->setEnabled(false);
    for (QCheckBox* box : m_info.chkSelectInfo)
        box->setEnabled(false);
    for (QCheckBox* box : m_info.chkReadInfo)
        box->setEnabled(false);
    for (QRadioButton* option : m_info.optInput)
        option->setEnabled(false);
    enterRunningState(Info, ticked.size());

    if (!m_info.chkReadInfo[1]->isChecked()) {
        AssignmentPass(Info);
        if (m_run.abort)
            return;
    }
    runLoop(u"StartInfo", [this] { Tab2_Send(); });
}

void frmComm::StartInfoSingle() {
    ensureSelection(m_info.chkSelectInfo);
    const auto next = m_run.takeNext();
    if (!next)
        return;
    if (m_info.chkSelectInfo.at(static_cast<std::size_t>(next->index))->isChecked())
        sendInfoItem(next->index);
}

bool frmComm::Tab2_Send() {
    if (m_run.stop)
        return false;
    if (m_run.abort) {
        PortCloseWait();
        return false;
    }
    const auto next = m_run.takeNext();
    if (!next)
        return false;
    if (next->roundEnd && savingOn(Info))
        m_run.roundComplete = true;
    const auto k = static_cast<std::size_t>(next->index);
    if (TAVRIN2.at(k)->Busy())
        return false;
    if (m_deferredAssignment) {
        m_deferredAssignment = false;
        AssignmentPass(m_deferredTab);
    }
    comm::paintText(m_info.lblFunc[k], comm::pollingColour());
    if (m_info.chkSelectInfo[k]->isChecked())
        sendInfoItem(next->index);
    return true;
}

void frmComm::sendInfoItem(int k) {
    const ItemRow& row = kItems[static_cast<std::size_t>(k)];
    const bool holdingSerial = k == SerialNumber && !m_info.optInput[0]->isChecked();
    InfoSetting(k, QString::fromUtf16(holdingSerial ? kHoldingSerial : row.start),
                QString::fromUtf16(row.qty));
}

void frmComm::InfoSetting(int k, const QString& start, const QString& qty) {
    const auto& v = programValues();
    torvik::comm::sleepAndPump();
    qCDebug(torvik::comm::lcRun) << "InfoSetting DoEvents1";
    if (m_run.abort) {
        for (QLabel* label : m_info.lblFunc)
            comm::paintText(label, Qt::black);
        return;
    }
    const auto item = static_cast<std::size_t>(k);
    const int dlc = m_info.cmbNo->currentIndex();
    if (dlc < 0 || static_cast<std::size_t>(dlc) >= v.slaveAddress.size())
        return; // no load cell chosen: nothing to address
    comm::paintText(m_info.lblFunc.at(item), comm::pollingColour());
    torvik::comm::TavrinControl& control = *TAVRIN2.at(item);
    configure(control, v.setting.TimeOut, start, static_cast<std::int16_t>(qty.toShort()),
              start.startsWith(u'3') ? 4 : 3,
              QString::number(v.slaveAddress[static_cast<std::size_t>(dlc)]));
    control.AsyncRefresh();
    m_run.received.at(item) = false;
    qCDebug(torvik::comm::lcRun) << "InfoSetting Send Wait  Before.";
    m_run.ready = false;
    comm::sendPause();
    qCDebug(torvik::comm::lcRun) << "InfoSetting Send Wait  After.";
}

QString frmComm::infoItemText(int k) {
    namespace c = torvik::comm;
    const c::ControlReply reply(*TAVRIN2.at(static_cast<std::size_t>(k)));
    const auto settings = c::DecodeSettings::from(programValues());
    switch (k) {
    case RatedCapacity:
        return c::ratedCapacityText(reply, settings);
    case SerialNumber:
        return c::serialNumberText(reply);
    case ModelName:
    case MakerName:
        return c::nameText(reply);
    case Temperature:
        return c::temperatureText(reply, settings);
    case RatedOutput:
        return c::ratedOutputText(reply, settings);
    default:
        return c::registerText(reply);
    }
}

void frmComm::TAVRIN2_Complete(int Index, short nResult) {
    const auto k = static_cast<std::size_t>(Index);
    const auto& v = programValues();
    comm::RunControls& run = m_info.run;
    m_run.ready = true;
    increment(run.txtOK);
    comm::paintText(m_info.lblFunc.at(k), Qt::black);
    m_run.received.at(k) = true;

    if (nResult == comm::kCommOpenFailed) {
        portOpenFailed(Info);
        return;
    }
    QString text;
    if (nResult == 0) {
        text = infoItemText(Index);
        m_info.txtRecvData[k]->setText(text);
        if (Index == ModelName || Index == MakerName)
            m_info.txtRecvData[k]->setToolTip(text);
    } else {
        if (nResult == comm::kNoReply)
            increment(m_info.txtCountInfo[k]);
        increment(run.txtError);
        if (!m_info.chkReadInfo[1]->isChecked()) {
            torvik::comm::sleepAndPump();
            AddrAutoSet(m_info.cmbNo->currentIndex());
        }
        m_run.errorLog.add(nResult, m_info.cmbNo->currentText(), QDateTime::currentDateTime(),
                           v.setting.ErrCond1);
        refreshRemaining(Info);
        if (nResult != comm::kNoReply)
            m_info.txtRecvData[k]->clear();
    }
    if (savingOn(Info))
        storeRecordCell(Info, Index, torvik::comm::String4Xls(text));
    if (!m_info.chkReadInfo[0]->isChecked() && m_run.stop && blnRecvCompleteCheck())
        WriteLog();
}

} // namespace torvik::screens
