// The information tab of the main screen: load, the load-cell list, selection and option boxes.
#include "config/ProgramValues.h"
#include "screens/FieldWatcher.h"
#include "screens/Quietly.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/SelectionRule.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace torvik::screens {

using mdlFileMgr::programValues;

void frmComm::connectInfoTab() {
    connect(m_info.cmbNo, &QComboBox::currentIndexChanged, this,
            [this] { quietly([this] { cmbNo_Click(); }); });
    m_fields->watch(*m_info.cmbNo, {EntryKeys::Any, false});
    for (std::size_t i = 0; i < m_info.chkSelectInfo.size(); ++i) {
        const int item = static_cast<int>(i);
        connect(m_info.chkSelectInfo[i], &QCheckBox::toggled, this,
                [this, item] { quietly([&] { chkSelectInfo_Click(item); }); });
    }
    for (std::size_t i = 0; i < m_info.chkReadInfo.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(m_info.chkReadInfo[i], &QCheckBox::toggled, this,
                [this, index] { quietly([&] { chkReadInfo_Click(index); }); });
    }
    connectRunButtons(Info);
}

void frmComm::loadInfoTab(int rows) {
    const auto& v = programValues();
    comm::RunControls& run = m_info.run;
    run.manual->hide();
    run.save->hide();
    run.lblSave->hide();
    run.lblRAM->hide();
    if (v.ProgramVariant != 2) {
        for (int entry = m_info.cmbNo->count() - 1; entry >= rows; --entry)
            m_info.cmbNo->removeItem(entry);
    }
    comm::selectEntry(m_info.cmbNo, v.tab2.cmbNo - 1);
    for (std::size_t i = 0; i < m_info.chkReadInfo.size(); ++i)
        m_info.chkReadInfo[i]->setChecked(v.tab2.chkReadInfo[i]);
    for (std::size_t i = 0; i < comm::kItems; ++i) {
        m_info.chkSelectInfo[i]->setChecked(v.tab2.chkSelectInfo[i]);
        m_info.txtRecvData[i]->clear();
        m_info.txtRecvData[i]->setToolTip(QString());
        m_info.txtCountInfo[i]->setText(QStringLiteral("0"));
    }
    m_info.optInput[v.tab2.optInput0 ? 0 : 1]->setChecked(true);
    run.txtOK->setText(QStringLiteral("0"));
    run.txtError->setText(QStringLiteral("0"));
    run.lblMsg->clear();
}

void frmComm::cmbNo_Click() {
    for (QLineEdit* box : m_info.txtRecvData)
        box->clear();
    m_run.pollPosition = 0;
}

void frmComm::chkSelectInfo_Click(int) {
    comm::selectionRule(m_run, m_info.run, m_info.chkSelectInfo,
                        [this](std::size_t i) { m_info.txtRecvData[i]->clear(); });
}

void frmComm::chkReadInfo_Click(int index) {
    if (index == 0)
        singleShotRule(*m_info.chkReadInfo[0], *m_info.chkReadInfo[1]);
    else
        m_info.run.manual->setVisible(m_info.chkReadInfo[1]->isChecked());
    m_run.pollPosition = 0;
}

} // namespace torvik::screens
