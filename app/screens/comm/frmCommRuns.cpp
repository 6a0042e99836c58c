// Start, Stop, Clear, save and assign on the main screen's tabs, and the timer that brings
// Start back one second after a stop.
#include "comm/ErrorLog.h"
#include "comm/ProcessPriority.h"
#include "config/Logger.h"
#include "config/ProgramValues.h"
#include "screens/Quietly.h"
#include "screens/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace torvik::screens {

using mdlFileMgr::programValues;

namespace {

constexpr int kRestartDelayMs = 1000; // the window ignores input this long after a stop

// Unlike a plain enable, manual assignment stays locked while single shot is ticked.
void enableOptions(QCheckBox& singleShot, QCheckBox* const* others, std::size_t count,
                   QCheckBox& manual) {
    singleShot.setEnabled(true);
    for (std::size_t i = 0; i < count; ++i)
        others[i]->setEnabled(true);
    manual.setEnabled(!singleShot.isChecked());
}

} // namespace

void frmComm::connectRunButtons(int tab) {
    comm::RunControls& run = runControls(tab);
    // Runs wait for events inside their handlers; a close meanwhile is held (guarded).
    connect(run.start, &QPushButton::clicked, this, [this, tab] {
        if (!closing())
            guarded([&] { startClicked(tab); });
    });
    connect(run.stop, &QPushButton::clicked, this,
            [this, tab] { guarded([&] { stopClicked(tab); }); });
    connect(run.clear, &QPushButton::clicked, this,
            [this, tab] { quietly([&] { clearClicked(tab); }); });
    if (run.save != nullptr) {
        connect(run.save, &QPushButton::clicked, this,
                [this, tab] { guarded([&] { saveClicked(tab); }); });
    }
    if (run.manual != nullptr) {
        connect(run.manual, &QPushButton::clicked, this, [this, tab] {
            if (!closing())
                guarded([&] { AssignmentPass(tab); });
        });
    }
}

void frmComm::startClicked(int tab) {
    if (!controlsAvailable()) {
        // Nothing could reach the line: say why instead of starting a run without controls.
        runControls(tab).lblMsg->setText(m_controlsMissing);
        return;
    }
    m_run.abort = false;
    QFile::remove(torvik::comm::errorLogPath(programValues().setting.DirName));
    m_run.received.fill(true);
    torvik::comm::raiseToRealTimePriority();
    try {
        switch (tab) {
        case Measure:
            m_measure.chkRead[0]->isChecked() ? StartMeasurSingle() : StartMeasur();
            break;
        case Info:
            m_info.chkReadInfo[0]->isChecked() ? StartInfoSingle() : StartInfo();
            break;
        case Custom:
            m_custom.chkReadCustom[0]->isChecked() ? StartCustomSingle() : StartCustom();
            break;
        default:
            if (OpenTestLink())
                StartTest();
            break;
        }
    } catch (...) {
        torvik::comm::restoreNormalPriority();
        throw;
    }
    torvik::comm::restoreNormalPriority();
}

void frmComm::stopClicked(int tab) {
    comm::RunControls& run = runControls(tab);
    try {
        if (tab != Test)
            saveClicked(tab);
        m_run.stop = true;
        setEnabled(false);
        run.stop->setEnabled(false);
        if (tab != Test) {
            run.save->hide();
            run.lblSave->hide();
            run.lblRAM->hide();
            run.lblRAM->clear();
            run.lblRAM->repaint();
        } else {
            for (QLabel* label : {m_test.lblRecvCommand, m_test.lblSendData}) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, Qt::black);
                label->setPalette(palette);
                label->repaint();
            }
        }
        m_menu.mnu_set1->menuAction()->setEnabled(true);
        m_menu.mnu_help1->menuAction()->setEnabled(true);
        reenableInputs(tab);
        // The tabs the stopping run had locked; the test tab never locks the custom tab,
        // which its variant does not have.
        static constexpr bool kUnlock[4][4] = {{false, true, true, true},
                                               {true, false, true, true},
                                               {true, true, false, true},
                                               {true, true, false, false}};
        for (int other = 0; other < 4; ++other) {
            if (kUnlock[tab][other])
                m_SSTab1->setTabEnabled(other, true);
        }
        if (tab == Custom || tab == Test)
            WriteLog();
        m_timers.at(static_cast<std::size_t>(tab))->start(kRestartDelayMs);
        if (tab == Test)
            CloseTestLink();
    } catch (...) {
        torvik::comm::restoreNormalPriority();
        throw;
    }
    torvik::comm::restoreNormalPriority();
}

void frmComm::reenableInputs(int tab) {
    auto measureOptions = [this] {
        enableOptions(*m_measure.chkRead[0], &m_measure.chkRead[1], 2, *m_measure.chkRead[3]);
    };
    switch (tab) {
    case Measure:
        for (int k = 0; k < rowCount(); ++k) {
            if (rowRegistered(k))
                m_measure.chkSelect[static_cast<std::size_t>(k)]->setEnabled(true);
        }
        measureOptions();
        break;
    case Info:
        m_info.cmbNo->setEnabled(true);
        for (QCheckBox* box : m_info.chkSelectInfo)
            box->setEnabled(true);
        for (QRadioButton* option : m_info.optInput)
            option->setEnabled(true);
        enableOptions(*m_info.chkReadInfo[0], nullptr, 0, *m_info.chkReadInfo[1]);
        break;
    case Custom:
        for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
            m_custom.cmbNoCustom[r]->setEnabled(true);
            m_custom.chkSelectCustom[r]->setEnabled(true);
            m_custom.txtAddr[r]->setEnabled(true);
            m_custom.cmbLen[r]->setEnabled(true);
        }
        measureOptions();
        enableOptions(*m_custom.chkReadCustom[0], nullptr, 0, *m_custom.chkReadCustom[1]);
        break;
    default:
        for (QWidget* input : std::initializer_list<QWidget*>{
                 m_test.cmbNoTest, m_test.cmbCom, m_test.txtWaitTime, m_test.cmbInt, m_test.cmbDec,
                 m_test.cmbPolarity, m_test.chkStatus, m_test.chkSync, m_test.txtCC})
            input->setEnabled(true);
        break;
    }
}

void frmComm::stopTimerFired(int tab) {
    comm::RunControls& run = runControls(tab);
    auto anyTicked = [](auto& boxes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (boxes[i]->isChecked())
                return true;
        }
        return false;
    };
    switch (tab) {
    case Measure: {
        const auto& serialNo = programValues().serialNo;
        for (int k = 0; k < rowCount(); ++k) {
            const auto i = static_cast<std::size_t>(k);
            if (serialNo[i] != QLatin1String("0") && m_measure.chkSelect[i]->isChecked()) {
                run.start->setEnabled(true);
                break;
            }
        }
        break;
    }
    case Info:
        if (anyTicked(m_info.chkSelectInfo, m_info.chkSelectInfo.size()))
            run.start->setEnabled(true);
        break;
    case Custom:
        if (anyTicked(m_custom.chkSelectCustom, m_custom.chkSelectCustom.size()))
            run.start->setEnabled(true);
        break;
    default:
        run.start->setEnabled(true);
        break;
    }
    m_timers.at(static_cast<std::size_t>(tab))->stop();
    setEnabled(true);
}

bool frmComm::isSaving(int tab) const {
    return tab >= 0 && tab < 3 && m_saving[static_cast<std::size_t>(tab)];
}

void frmComm::setSaveButtonIdle(int tab) {
    const auto t = static_cast<std::size_t>(tab);
    runControls(tab).save->setText(programValues().kept.cmdSave);
    m_saving.at(t) = false;
}

void frmComm::saveClicked(int tab) {
    comm::RunControls& run = runControls(tab);
    const auto& v = programValues();
    const auto t = static_cast<std::size_t>(tab);
    if (m_saving.at(t)) {
        run.save->setText(v.kept.cmdSave);
        m_saving[t] = false;
        run.lblSave->hide();
        run.lblRAM->hide();
        run.lblRAM->clear();
        run.lblRAM->repaint();
        SaveLog();
    } else {
        run.save->setText(v.kept.cmdSaveAlternate);
        m_saving[t] = true;
        run.lblSave->show();
        run.lblRAM->show();
        if (m_logger) {
            m_logger->SetFormat1(v.setting.DataFormat1);
            m_logger->SetFormat2(v.setting.DataFormat2);
        }
        m_run.firstRecord = true;
    }
}

void frmComm::clearClicked(int tab) {
    const QString zero = QStringLiteral("0");
    switch (tab) {
    case Measure:
        for (int k = 0; k < rowCount(); ++k)
            m_measure.txtCount[static_cast<std::size_t>(k)]->setText(zero);
        break;
    case Info:
        for (QLineEdit* box : m_info.txtCountInfo)
            box->setText(zero);
        break;
    case Custom:
        for (QLineEdit* box : m_custom.txtCountCustom)
            box->setText(zero);
        break;
    default:
        break;
    }
    runControls(tab).txtOK->setText(zero);
    runControls(tab).txtError->setText(zero);
    m_run.errorLog.clear();
}

} // namespace torvik::screens
