// The main communication screen with its four tabs: measurement, information, custom read and
// the text-command test. It owns the communication objects the runs drive: the 45 control
// instances, the data logger, the shared run state and one timer per tab.
#pragma once

#include "comm/DlcDecoding.h"
#include "comm/PortRelease.h"
#include "comm/RunClock.h"
#include "comm/RunState.h"
#include "comm/TavrinControl.h"
#include "screens/CommonMenu.h"
#include "screens/comm/CommWidgets.h"
#include "screens/comm/TestLinkState.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QTabWidget;
class QTimer;

namespace torvik {
class clsLogger;
namespace comm {
class MSComm;
class TavrinHost;
}
namespace views {
class BenchViews;
}
} // namespace torvik

namespace torvik::screens {

class FieldWatcher;
class ScreenSet;

class frmComm : public QMainWindow {
    Q_OBJECT
public:
    explicit frmComm(ScreenSet& screens);
    ~frmComm() override;

    // "Initialise everything" as this screen does it; the registration screen's variant of
    // the command leaves the communication-status display alone.
    void resetAll(bool refreshCommStatus);

    // The registration screen changed row k's serial number from "0" to another value: the
    // row becomes ticked on the measurement tab.
    void serialNumberRegistered(int row);

    // Copies the operator's choices on all tabs into the shared settings (the file is
    // written at exit).
    void SaveInfo();

    // The selection list and flags the tabs share with the runs.
    const torvik::comm::RunState& runState() const { return m_run; }

    // False when the control library could not be loaded: the screen works, runs do not.
    bool controlsAvailable() const { return m_controlsMissing.isEmpty(); }

    // The trend and traffic-monitor windows beside this screen.
    torvik::views::BenchViews& benchViews() { return *m_views; }

    // The close sequence for an end without an event loop (the display is gone and the
    // platform is ending the process): nothing more is recorded, the working file is handed
    // over and the settings file written. Nothing waits for an event or paints; it may follow
    // a close sequence that was cut short.
    void endWithoutEvents();

    // A close arrived while a handler that waits for events was below it; it completes when
    // that handler has returned.
    bool closeHeld() const { return m_closePending; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum Tab { Measure = 0, Info = 1, Custom = 2, Test = 3 };

    // Screen events.
    void Form_Load();
    void Form_Activate();
    void SSTab1_Click();
    void Form_Unload();
    void applyButtonRule(int tab);
    // Runs a handler that may wait for events (a run, an assignment, a port release, a
    // completion): a close that arrives meanwhile stops the run and is completed when the
    // outermost such handler has returned, so nothing a handler uses is released under it.
    void guarded(const std::function<void()>& handler);
    // No run may start once the screen is closing.
    bool closing() const { return m_closed || m_closePending; }
    // The port-release wait and the release for the end, after which nothing is recorded and
    // no reply is taken.
    void releaseForTheEnd();
    void stopRecording();

    // Building and wiring, one per tab.
    void createControls();
    void connectMenu();
    void connectMeasureTab();
    void connectInfoTab();
    void connectCustomTab();
    void connectTestTab();
    void loadMeasureTab(int rowCount);
    void loadInfoTab(int rowCount);
    void loadCustomTab();
    void loadTestTab();

    // The buttons every tab has (Start, Stop, Clear, save, assign) and the one-second timer
    // that brings Start back after a stop.
    comm::RunControls& runControls(int tab);
    void connectRunButtons(int tab);
    void startClicked(int tab);
    void stopClicked(int tab);
    void stopTimerFired(int tab);
    void saveClicked(int tab);
    void clearClicked(int tab);
    void reenableInputs(int tab);
    bool isSaving(int tab) const;
    // The save button of a run that starts: start caption, saving off.
    void setSaveButtonIdle(int tab);

    // Check boxes and options.
    void chkSelect_Click(int row);
    void chkSelectInfo_Click(int item);
    void chkSelectCustom_Click(int row);
    void chkRead_Click(int index);
    void chkReadInfo_Click(int index);
    void chkReadCustom_Click(int index);
    void singleShotRule(QCheckBox& singleShot, QCheckBox& manual);
    void chkStatus_Click();
    void chkSync_Click();

    // Combo boxes and text fields.
    void cmbNo_Click();
    void cmbNoCustom_Click();
    void formatRule(int row); // cmbMem(r) and cmbLen(r)
    void txtAddr_Change(int row);
    void txtAddr_LostFocus(int row);
    void txtAddr_Arrow(int row, int step);
    void cmbNoTest_Click();
    void cmbCom_Click();
    void cmbInt_Click();
    void cmbDec_Click();
    void cmbPolarity_Click();
    void txtWaitTime_Change();
    void txtWaitTime_LostFocus();
    void txtCC_Change();
    void txtCC_LostFocus();

    // Menu commands.
    void mnu_no1_Click();
    void mnu_sif1_Click();
    void mnu_i1_11_Click();
    void mnu_i1_12_Click();
    void resetTab(int tab);

    // Status lines and port release.
    void DLC_CommStatusDisplay();
    void SetComStatus();
    void showOnMessageLines(const QString& text);
    // The instances released, in the order the port release checks them.
    std::vector<torvik::comm::ControlHandle*> releaseList() const;
    void PortCloseWait();
    bool PortClose();
    bool rowRegistered(int row) const; // the registration screen's serial number is not "0"
    int rowCount() const;              // MaxDlcIndex + 1

    // The runs and what they need from the screen; the run procedures fill these in.
    void StartMeasur();           // continuous measurement
    void StartMeasurSingle();     // one measurement poll
    void StartInfo();             // continuous information read
    void StartInfoSingle();       // one information read
    void StartCustom();           // continuous custom read
    void StartCustomSingle();     // one custom read
    bool OpenTestLink();          // opens the text-command port; false (and said) when it cannot
    void StartTest();             // the text-command test run
    void CloseTestLink();         // closes the text-command port after a stop
    void AssignmentPass(int tab); // slave-address assignment of the tab's load cells
    void WriteLog();              // writes the error log when the ring holds failures
    void SaveLog();               // hands the working data file over to the data folder
    void TAVRIN0_Complete(int Index, short nResult);
    void TAVRIN1_Complete(int Index, short nResult);
    void TAVRIN2_Complete(int Index, short nResult);
    void TAVRIN3_Complete(int Index, short nResult);
    void TAVRIN4_Complete(int Index, short nResult);
    void TAVRIN5_Complete(int Index, short nResult);
    void TAVRIN6_Complete(short nResult);

    // The loop of every continuous run: the run clock starts, then `send`, the run's send
    // step, is called whenever no reply is outstanding; after Stop the error log is written
    // once every reply is in and the selection list is erased. Returns at once on an abort.
    void runLoop(QStringView name, const std::function<void()>& send);

    // The test run's steps and its text link.
    bool Tab4_Send();
    int testDlc() const;   // the load cell of the test tab (cmbNoTest)
    void endAbortedTest(); // the tab back to idle after the port of either link failed
    void createTestLink(); // MSComm1 and the timers of its answers
    void MSComm1_OnComm(); // characters arrived
    void readTestLink();   // what arrived, once the gathering pause is over
    void queueCommand(const QString& command);
    void CommOut(const QString& command);
    void answerStep();    // the answer's next step, when its timer fires
    void resetTestLink(); // no command waiting, no answer in progress
    void testLinkLost(const QString& reason);

    // The measurement run's steps.
    bool Tab1_Send();
    void sendPoll(int dlc); // configures TAVRIN1(dlc) and starts it
    bool blnRecvCompleteCheck() const;
    int SaveIndex(int dlc) const;
    QString TimeEdit();
    void storeCell(int dlc, const QString& value); // data saving of one completion
    // Data saving of one completion of the tab's run: value and time stamp into slot `slot`
    // of the record, which is written once the round is complete.
    void storeRecordCell(int tab, int slot, const QString& value);
    void refreshRemaining(int tab);
    std::int16_t recordMode(int tab) const; // the logger's format for the tab's records
    bool savingOn(int tab);                 // records are written for the tab now

    // What a continuous run changes on the screen when it starts: the save button shown with
    // its start caption, the menus that must wait off, the other tabs locked; a new logger.
    void enterRunningState(int tab, std::size_t listed);
    // A single shot pressed before any box was clicked on the tab: the list comes from the
    // ticked boxes, as a click would have made it.
    void ensureSelection(std::span<QCheckBox* const> boxes);

    // The information run's steps.
    bool Tab2_Send();
    void InfoSetting(int k, const QString& start, const QString& qty);
    void sendInfoItem(int k); // InfoSetting with item k's row of the item table
    QString infoItemText(int k);

    // The custom run's steps.
    bool Tab3_Send();
    bool sendCustomRow(int r); // configures TAVRIN3(r) and starts it; false when it cannot
    QString customRowText(int r);

    // Assignment and synchronisation.
    void AddrAutoSet(int dlc);
    void broadcastAssignment(int dlc);
    void Sync_Send();
    void readRatedValues(int dlc);
    void assignmentSteps(const std::vector<int>& dlcs, bool ratedValues);
    void restoreIdle(int tab);
    // A transaction of the tab's run could not open the port: the run ends, the tab is idle
    // again and the operator is told.
    void portOpenFailed(int tab);

    // The common properties of a transaction: timeout, reference, quantity, function, node.
    void configure(torvik::comm::TavrinControl& control, std::int32_t timeout,
                   const QString& memStart, std::int16_t quantity, std::int16_t function,
                   const QString& node);

    ScreenSet& m_screens;
    FieldWatcher* m_fields = nullptr;
    CommonMenu m_menu;
    QTabWidget* m_SSTab1 = nullptr;
    comm::MeasureTab m_measure;
    comm::InfoTab m_info;
    comm::CustomTab m_custom;
    comm::TestTab m_test;
    std::array<QTimer*, 4> m_timers{}; // Timer1..Timer4

    std::unique_ptr<clsLogger> m_logger;
    torvik::comm::RunState m_run;
    std::array<bool, 3> m_saving{}; // data saving of tabs 0..2
    torvik::comm::RatedValues m_rated;
    torvik::comm::RunClock m_clock;
    bool m_deferredAssignment = false; // an assignment asked for while a reply was outstanding
    int m_deferredTab = 0;

    std::unique_ptr<torvik::comm::TavrinHost> m_host;
    QString m_controlsMissing; // why the controls could not be made; empty when they exist
    using Controls = std::array<std::unique_ptr<torvik::comm::TavrinControl>, comm::kRows>;
    Controls TAVRIN0; // broadcasts: assignment and synchronisation
    Controls TAVRIN1; // measurement polls
    Controls TAVRIN2; // information items
    std::array<std::unique_ptr<torvik::comm::TavrinControl>, comm::kCustomRows> TAVRIN3;
    Controls TAVRIN4;                                     // rated capacity
    Controls TAVRIN5;                                     // rated output
    std::unique_ptr<torvik::comm::TavrinControl> TAVRIN6; // test tab
    torvik::comm::MSComm* MSComm1 = nullptr;              // the test tab's text link
    comm::TestLinkState m_link;
    // The same instances as the port release sees them.
    std::vector<std::unique_ptr<torvik::comm::ControlHandle>> m_handles;
    torvik::comm::ControlInstances m_instances;

    // Settings-screen captions the communication-status line is made of.
    QString m_baudCaption;
    QString m_portCaption;

    bool m_loaded = false;
    bool m_closed = false;       // the close sequence has begun
    bool m_closePending = false; // a close waits for the handlers below it to return
    bool m_released = false;     // the ports are released for the end: no reply is taken now
    int m_handlerDepth = 0;      // guarded handlers on the stack

    // Last: gone before the host whose frame tap it holds.
    std::unique_ptr<torvik::views::BenchViews> m_views;
};

} // namespace torvik::screens
