// The measurement tab of the main screen: load, selection and option boxes.
#include "config/ProgramValues.h"
#include "screens/Quietly.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/SelectionRule.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace torvik::screens {

using mdlFileMgr::programValues;

void frmComm::connectMeasureTab() {
    for (std::size_t k = 0; k < m_measure.chkSelect.size(); ++k) {
        const int row = static_cast<int>(k);
        connect(m_measure.chkSelect[k], &QCheckBox::toggled, this,
                [this, row] { quietly([&] { chkSelect_Click(row); }); });
    }
    for (std::size_t i = 0; i < m_measure.chkRead.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(m_measure.chkRead[i], &QCheckBox::toggled, this,
                [this, index] { quietly([&] { chkRead_Click(index); }); });
    }
    connectRunButtons(Measure);
}

void frmComm::loadMeasureTab(int rows) {
    const auto& v = programValues();
    if (v.ProgramVariant != 2) {
        for (int k = rows; k < comm::kRows; ++k) {
            const auto i = static_cast<std::size_t>(k);
            m_measure.lblNo[i + 1]->hide();
            m_measure.chkSelect[i]->hide();
            m_measure.txtData[i]->hide();
            m_measure.txtStatus[i]->hide();
            m_measure.txtCount[i]->hide();
        }
    }
    for (int tab = 0; tab < 4; ++tab)
        runControls(tab).stop->setEnabled(false);
    comm::RunControls& run = m_measure.run;
    run.manual->hide();
    run.save->hide();
    run.lblSave->hide();
    run.lblRAM->hide();
    m_measure.lblStatus->hide();
    for (std::size_t i = 0; i < m_measure.chkRead.size(); ++i)
        m_measure.chkRead[i]->setChecked(v.tab1.chkRead[i]);
    for (int k = 0; k < rows; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_measure.chkSelect[i]->setChecked(v.tab1.chkSelect[i]);
        if (!rowRegistered(k))
            m_measure.chkSelect[i]->setEnabled(false);
        m_measure.txtData[i]->clear();
        m_measure.txtStatus[i]->clear();
        m_measure.txtCount[i]->setText(QStringLiteral("0"));
        m_measure.txtStatus[i]->setVisible(v.tab1.chkRead[2]);
    }
    run.txtOK->setText(QStringLiteral("0"));
    run.txtError->setText(QStringLiteral("0"));
    run.lblMsg->clear();
}

void frmComm::chkSelect_Click(int) {
    const auto rows = static_cast<std::size_t>(rowCount());
    comm::selectionRule(m_run, m_measure.run, std::span(m_measure.chkSelect.data(), rows),
                        [this](std::size_t k) {
                            m_measure.txtData[k]->clear();
                            m_measure.txtStatus[k]->clear();
                        });
}

void frmComm::singleShotRule(QCheckBox& singleShot, QCheckBox& manual) {
    // A single-shot read never runs the automatic assignment: manual assignment is forced on
    // while single shot is ticked.
    if (singleShot.isChecked()) {
        manual.setChecked(true);
        manual.setEnabled(false);
    } else {
        manual.setChecked(false);
        manual.setEnabled(true);
        WriteLog();
    }
}

void frmComm::chkRead_Click(int index) {
    const bool ticked = m_measure.chkRead.at(static_cast<std::size_t>(index))->isChecked();
    switch (index) {
    case 0:
        singleShotRule(*m_measure.chkRead[0], *m_measure.chkRead[3]);
        break;
    case 1:
        programValues().tab1.chkRead[1] = ticked;
        break;
    case 2:
        m_measure.lblStatus->setVisible(ticked);
        for (int k = 0; k < rowCount(); ++k)
            m_measure.txtStatus[static_cast<std::size_t>(k)]->setVisible(ticked);
        break;
    case 3:
        m_measure.run.manual->setVisible(ticked);
        break;
    default:
        break;
    }
    m_run.pollPosition = 0;
}

} // namespace torvik::screens
