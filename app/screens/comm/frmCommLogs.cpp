// The error log after a stop and the hand-over of the working data file.
#include "comm/DataHandOver.h"
#include "comm/ErrorLog.h"
#include "config/Logger.h"
#include "config/Notices.h"
#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "screens/MessageBox.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/frmComm.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTabWidget>

namespace torvik::screens {

using mdlFileMgr::programValues;

namespace {

constexpr std::size_t kOverwriteQuestion = 0; // MESSAGE key "1"

// Why a hand-over kept the records in the working file, in the catalogue's words.
QString keptBecause(const torvik::comm::HandOverResult& result) {
    using config::Notice;
    using torvik::comm::HandOverStatus;
    switch (result.status) {
    case HandOverStatus::MissingDataFolder:
        return config::noticeText(Notice::DataFolderMissing).arg(result.target);
    case HandOverStatus::NoSaveName:
        return config::noticeText(Notice::NoSaveName);
    case HandOverStatus::Cancelled:
        return config::noticeText(Notice::SaveCancelled);
    default:
        return result.reason.isEmpty()
                   ? config::noticeText(Notice::WorkingFileChosen)
                   : config::noticeText(Notice::CopyFailed).arg(result.target, result.reason);
    }
}

} // namespace

void frmComm::WriteLog() {
    const auto& s = programValues().setting;
    if (!m_run.errorLog.WriteLog(torvik::comm::errorLogPath(s.DirName), s.ErrCond1))
        runControls(m_SSTab1->currentIndex())
            .lblMsg->setText(config::noticeText(config::Notice::ErrorLogNotWritten)
                                 .arg(torvik::comm::errorLogPath(s.DirName)));
}

void frmComm::SaveLog() {
    const auto& v = programValues();
    const int tab = m_SSTab1->currentIndex();
    const QString working = config::workingDataFilePath(config::programFolder());
    const mdlFileMgr::DataFileNaming naming{v.setting.DirName, v.setting.FileName,
                                            v.setting.SerialLen, v.setting.StartNo};
    torvik::comm::HandOverSteps steps;
    steps.flushPendingRecord = [this, tab, &working] {
        if (!m_run.recordPending || !m_logger)
            return;
        m_logger->OpenMode(m_run.firstRecord, working, recordMode(tab), false);
        m_run.firstRecord = false;
        m_run.recordPending = false;
    };
    steps.closeWorkingFile = [this, &working] {
        if (m_logger)
            m_logger->OpenMode(false, working, 0, true);
    };
    steps.confirmOverwrite = [this, tab, &v](const QString&) {
        // Nobody to ask at an unattended end: never overwritten, saved beside it instead.
        if (unattended())
            return false;
        const QColor black(Qt::black);
        if (tab == Measure) {
            for (int k = 0; k < rowCount(); ++k)
                comm::paintText(m_measure.lblNo[static_cast<std::size_t>(k) + 1], black);
        } else if (tab == Info) {
            for (QLabel* label : m_info.lblFunc)
                comm::paintText(label, black);
        } else if (tab == Custom) {
            for (std::size_t r = 1; r <= comm::kCustomRows; ++r)
                comm::paintText(m_custom.lblNoCustom[r], black);
        }
        return showMessage(this, v.messages[kOverwriteQuestion], MessageButtons::YesNo) ==
               MessageAnswer::Yes;
    };
    steps.chooseSavePath = [this](const QString& folder, const QString& proposed) {
        if (unattended())
            return torvik::comm::unattendedSaveName(proposed);
        return QFileDialog::getSaveFileName(this, QString(), QDir(folder).filePath(proposed),
                                            QStringLiteral("カンマ区切り ファイル (*.csv)"));
    };
    const auto result = torvik::comm::SaveLog(working, naming, m_run.firstRecord, steps);
    if (result.askedOperator)
        m_run.ready = true;
    if (result.workingFileKept()) {
        // The records stay in the working file and go with the next hand-over; say why now.
        const QString text =
            config::noticeText(config::Notice::RecordsKept).arg(keptBecause(result), working);
        QLabel* line = runControls(tab).lblMsg;
        line->setText(text);
        line->repaint();
    }
}

} // namespace torvik::screens
