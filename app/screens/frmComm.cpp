#include "screens/frmComm.h"

#include "comm/ErrorLog.h"
#include "comm/PortRelease.h"
#include "comm/TavrinControlHandle.h"
#include "comm/TavrinHost.h"
#include "comm/TavrinRegistry.h"
#include "config/CommandTable.h"
#include "config/LabelCatalogue.h"
#include "config/Logger.h"
#include "config/Notices.h"
#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "config/SettingsFile.h"
#include "runtime/NumericText.h"
#include "runtime/Trace.h"
#include "screens/FieldWatcher.h"
#include "screens/Placement.h"
#include "screens/Quietly.h"
#include "screens/ScreenSet.h"
#include "screens/ScreenTexts.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/frmMain.h"
#include "screens/frmSetting.h"
#include "screens/frmVersion.h"
#include "startup/TimerResolution.h"
#include "views/BenchViews.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <chrono>

namespace torvik::screens {

using mdlFileMgr::programValues;

namespace {

// The status and disconnect lines of all four tabs.
constexpr std::size_t kDisconnectingMessage = 13; // MESSAGE key "12"

} // namespace

frmComm::frmComm(ScreenSet& screens) : m_screens(screens), m_fields(new FieldWatcher(this)) {
    setObjectName(QStringLiteral("frmComm"));
    setWindowTitle(QStringLiteral("通信"));
    m_menu = buildCommonMenu(*menuBar());

    m_SSTab1 = new QTabWidget(this);
    m_SSTab1->setObjectName(QStringLiteral("SSTab1"));
    m_SSTab1->addTab(comm::buildMeasureTab(m_measure), QStringLiteral("計量"));
    m_SSTab1->addTab(comm::buildInfoTab(m_info), QStringLiteral("情報"));
    m_SSTab1->addTab(comm::buildCustomTab(m_custom), QStringLiteral("カスタム"));
    m_SSTab1->addTab(comm::buildTestTab(m_test), QStringLiteral("試験"));
    setCentralWidget(m_SSTab1);
    resize(980, 460);

    for (std::size_t t = 0; t < m_timers.size(); ++t) {
        m_timers[t] = new QTimer(this);
        m_timers[t]->setObjectName(QStringLiteral("Timer%1").arg(t + 1));
        m_timers[t]->setSingleShot(true);
        const int tab = static_cast<int>(t);
        connect(m_timers[t], &QTimer::timeout, this,
                [this, tab] { quietly([&] { stopTimerFired(tab); }); });
    }

    // Lists start with no entry chosen, so that load's choice runs each list's handler.
    for (QComboBox* combo : findChildren<QComboBox*>())
        combo->setCurrentIndex(-1);

    createControls();
    connectMenu();
    connectMeasureTab();
    connectInfoTab();
    connectCustomTab();
    connectTestTab();
    quietly([this] { Form_Load(); });
    m_views = std::make_unique<views::BenchViews>(
        *this, *m_menu.mnu_tx1, m_host.get(),
        std::array{m_measure.run.stop, m_info.run.stop, m_custom.run.stop, m_test.run.stop});
    m_loaded = true;
    connect(m_SSTab1, &QTabWidget::currentChanged, this,
            [this] { quietly([this] { SSTab1_Click(); }); });
}

frmComm::~frmComm() {
    // No handler may run on a half-destroyed screen: the field holding the focus is left now,
    // while everything is whole, and the widgets' signals stop reaching the screen.
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

int frmComm::rowCount() const {
    return programValues().MaxDlcIndex + 1;
}

bool frmComm::rowRegistered(int row) const {
    return m_screens.main().serialNumberText(row) != QStringLiteral("0");
}

comm::RunControls& frmComm::runControls(int tab) {
    switch (tab) {
    case Measure:
        return m_measure.run;
    case Info:
        return m_info.run;
    case Custom:
        return m_custom.run;
    default:
        return m_test.run;
    }
}

void frmComm::createControls() {
    const auto location = torvik::comm::locateTavrinLibrary(torvik::comm::tavrinRegistryFile(),
                                                            QCoreApplication::applicationDirPath());
    m_host = std::make_unique<torvik::comm::TavrinHost>(location.path);
    auto make = [this]() -> std::unique_ptr<torvik::comm::TavrinControl> {
        auto control = m_host->createControl();
        if (!control && m_controlsMissing.isEmpty())
            m_controlsMissing = m_host->errorText();
        return control;
    };
    if (!m_host->isLoaded()) {
        m_controlsMissing = m_host->errorText();
    } else {
        for (int i = 0; i < comm::kRows; ++i) {
            const auto k = static_cast<std::size_t>(i);
            TAVRIN0[k] = make();
            TAVRIN1[k] = make();
            TAVRIN2[k] = make();
            TAVRIN4[k] = make();
            TAVRIN5[k] = make();
        }
        for (auto& control : TAVRIN3)
            control = make();
        TAVRIN6 = make();
    }
    if (!m_controlsMissing.isEmpty()) {
        m_controlsMissing = config::noticeText(config::Notice::ControlsMissing)
                                .arg(location.path, m_controlsMissing);
        return;
    }

    // The event of instance Index of an array goes to the array's handler with that index.
    auto wire = [this](auto& array, void (frmComm::*handler)(int, short)) {
        for (std::size_t i = 0; i < array.size(); ++i) {
            const int index = static_cast<int>(i);
            connect(array[i].get(), &torvik::comm::TavrinControl::Complete, this,
                    [this, handler, index](short nResult) {
                        // After the release for the end a late reply belongs to no record
                        // and must start nothing.
                        if (!m_released)
                            guarded([&] { (this->*handler)(index, nResult); });
                    });
        }
    };
    auto handle = [this](const std::unique_ptr<torvik::comm::TavrinControl>& control) {
        m_handles.push_back(std::make_unique<torvik::comm::TavrinControlHandle>(*control));
        return m_handles.back().get();
    };
    for (std::size_t k = 0; k < comm::kRows; ++k) {
        m_instances.TAVRIN0.at(k) = handle(TAVRIN0[k]);
        m_instances.TAVRIN1.at(k) = handle(TAVRIN1[k]);
        m_instances.TAVRIN2.at(k) = handle(TAVRIN2[k]);
        m_instances.TAVRIN4.at(k) = handle(TAVRIN4[k]);
        m_instances.TAVRIN5.at(k) = handle(TAVRIN5[k]);
    }
    for (std::size_t r = 0; r < comm::kCustomRows; ++r)
        m_instances.TAVRIN3.at(r) = handle(TAVRIN3[r]);
    m_instances.TAVRIN6 = handle(TAVRIN6);

    wire(TAVRIN0, &frmComm::TAVRIN0_Complete);
    wire(TAVRIN1, &frmComm::TAVRIN1_Complete);
    wire(TAVRIN2, &frmComm::TAVRIN2_Complete);
    wire(TAVRIN3, &frmComm::TAVRIN3_Complete);
    wire(TAVRIN4, &frmComm::TAVRIN4_Complete);
    wire(TAVRIN5, &frmComm::TAVRIN5_Complete);
    connect(TAVRIN6.get(), &torvik::comm::TavrinControl::Complete, this, [this](short nResult) {
        if (!m_released)
            guarded([&] { TAVRIN6_Complete(nResult); });
    });
}

void frmComm::connectMenu() {
    auto on = [this](QAction* action, void (frmComm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(m_menu.mnu_no1, &frmComm::mnu_no1_Click);
    on(m_menu.mnu_sif1, &frmComm::mnu_sif1_Click);
    on(m_menu.mnu_i1_11, &frmComm::mnu_i1_11_Click);
    on(m_menu.mnu_i1_12, &frmComm::mnu_i1_12_Click);
    connect(m_menu.mnu_h1, &QAction::triggered, this,
            [this] { quietly([this] { m_screens.showHelp(*this); }); });
    connect(m_menu.mnu_v1, &QAction::triggered, this,
            [this] { quietly([this] { showVersionBox(*this); }); });
    // mnu_tx1 leads to this screen: nothing to do here.
}

void frmComm::Form_Load() {
    m_logger = std::make_unique<clsLogger>();
    mdlFileMgr::ScreenTexts texts;
    mdlFileMgr::LabelSet2(texts);
    applyScreenTexts(*this, texts);
    setWindowTitle(config::noticeText(config::Notice::CommScreenTitle));
    comm::alignFormatCaption(m_custom);
    {
        // The status line borrows two captions of the settings screen.
        mdlFileMgr::ProgramValues scratch;
        mdlFileMgr::ScreenTexts settingTexts;
        mdlFileMgr::LabelSet3(
            scratch, config::ProfileDocument::load(config::labelFilePath(config::programFolder())),
            settingTexts);
        for (const auto& t : settingTexts) {
            if (t.objectName == QLatin1String("lblHeader1"))
                m_baudCaption = QString(t.text).remove(QStringLiteral("(bps)"));
            else if (t.objectName == QLatin1String("lblHeader5"))
                m_portCaption = t.text;
        }
    }

    handPlacement(m_screens.main(), *this);
    PortClose();
    for (int tab = 0; tab < 4; ++tab)
        m_SSTab1->setTabVisible(tab, true);

    const int rows = rowCount();
    loadMeasureTab(rows);
    loadInfoTab(rows);
    loadCustomTab();
    loadTestTab();

    // The variant decides which tabs exist; the run lock is the other switch (enabled).
    switch (programValues().ProgramVariant) {
    case 0:
        m_SSTab1->setTabVisible(Custom, false);
        m_SSTab1->setTabVisible(Test, false);
        break;
    case 1:
        m_SSTab1->setTabVisible(Custom, false);
        break;
    case 2:
        m_SSTab1->setTabVisible(Test, false);
        break;
    default:
        break;
    }
    m_SSTab1->setCurrentIndex(Measure);
    if (!controlsAvailable())
        showOnMessageLines(m_controlsMissing);
}

void frmComm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Shown by the program (first show or coming back from another screen), not restored
    // from the task bar.
    if (m_loaded && !event->spontaneous())
        quietly([this] { Form_Activate(); });
}

void frmComm::Form_Activate() {
    for (int k = 0; k < rowCount(); ++k) {
        QCheckBox* box = m_measure.chkSelect.at(static_cast<std::size_t>(k));
        if (rowRegistered(k)) {
            box->setEnabled(true);
        } else {
            box->setEnabled(false);
            box->setChecked(false);
        }
    }
    m_run.clearSelection();
    DLC_CommStatusDisplay();
    applyButtonRule(m_SSTab1->currentIndex());
}

void frmComm::SSTab1_Click() {
    SaveInfo();
    m_run.pollPosition = 0;
    m_run.clearSelection();
    applyButtonRule(m_SSTab1->currentIndex());
}

void frmComm::applyButtonRule(int tab) {
    auto apply = [](comm::RunControls& run, auto boxes, std::size_t count) {
        run.manual->setEnabled(false);
        run.start->setEnabled(false);
        for (std::size_t i = 0; i < count; ++i) {
            if (boxes[i]->isChecked()) {
                run.manual->setEnabled(true);
                run.start->setEnabled(true);
                break;
            }
        }
    };
    switch (tab) {
    case Measure:
        apply(m_measure.run, m_measure.chkSelect.data(), static_cast<std::size_t>(rowCount()));
        break;
    case Info:
        apply(m_info.run, m_info.chkSelectInfo.data(), m_info.chkSelectInfo.size());
        break;
    case Custom:
        apply(m_custom.run, m_custom.chkSelectCustom.data(), m_custom.chkSelectCustom.size());
        break;
    default:
        break;
    }
}

void frmComm::guarded(const std::function<void()>& handler) {
    ++m_handlerDepth;
    quietly(handler);
    --m_handlerDepth;
    if (m_handlerDepth == 0 && m_closePending && !m_closed) {
        m_closePending = false;
        quietly([this] { close(); });
    }
}

void frmComm::closeEvent(QCloseEvent* event) {
    if (!m_closed && m_handlerDepth > 0) {
        // A run or another wait is below this event: it stops at its next check and the
        // close completes once it has returned. The window stays until then.
        m_closePending = true;
        m_run.stop = true;
        event->ignore();
        return;
    }
    // The registration screen's close runs this screen's close as well: only once.
    if (!m_closed) {
        m_closed = true;
        quietly([this] { Form_Unload(); });
    }
    event->accept();
}

void frmComm::Form_Unload() {
    const QString disconnecting = programValues().messages[kDisconnectingMessage];
    showOnMessageLines(disconnecting);
    releaseForTheEnd();
    showOnMessageLines(QString());
    for (int tab = 0; tab < 4; ++tab) {
        if (runControls(tab).stop->isEnabled()) {
            QLabel* line = runControls(m_SSTab1->currentIndex()).lblMsg;
            line->setText(disconnecting);
            line->repaint();
            break;
        }
    }
    startup::timeEndPeriod(1);
    if (QFile::exists(config::workingDataFilePath(config::programFolder())))
        SaveLog();
    m_logger.reset();

    SaveInfo();
    m_screens.writeSettingsFile();
    m_screens.finishProgram(*this);
}

void frmComm::releaseForTheEnd() {
    m_run.stop = true;
    // Replies that come in during the wait are still recorded; from the release on, a reply
    // still on its way belongs to no record and starts nothing.
    torvik::comm::PortCloseWait(releaseList(), [this] {
        stopRecording();
        PortClose();
    });
}

void frmComm::stopRecording() {
    m_released = true;
    for (int tab = 0; tab < 3; ++tab) {
        if (runControls(tab).save != nullptr)
            runControls(tab).save->hide();
    }
}

void frmComm::endWithoutEvents() {
    quietly([this] {
        m_closed = true;
        m_run.stop = true;
        // The control is left as it is: its threads end with the process, which gives the
        // ports back, and the library may already be half gone at this point of the end.
        stopRecording();
        if (QFile::exists(config::workingDataFilePath(config::programFolder())))
            SaveLog();
        SaveInfo();
        m_screens.writeSettingsFile();
    });
}

void frmComm::SaveInfo() {
    auto& v = programValues();
    for (int k = 0; k < rowCount(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        v.tab1.chkSelect[i] = m_measure.chkSelect[i]->isChecked();
    }
    for (std::size_t i = 0; i < m_measure.chkRead.size(); ++i)
        v.tab1.chkRead[i] = m_measure.chkRead[i]->isChecked();

    if (m_info.cmbNo->currentIndex() >= 0)
        v.tab2.cmbNo = m_info.cmbNo->currentIndex() + 1;
    for (std::size_t i = 0; i < m_info.chkSelectInfo.size(); ++i)
        v.tab2.chkSelectInfo[i] = m_info.chkSelectInfo[i]->isChecked();
    v.tab2.optInput0 = m_info.optInput[0]->isChecked();
    for (std::size_t i = 0; i < m_info.chkReadInfo.size(); ++i)
        v.tab2.chkReadInfo[i] = m_info.chkReadInfo[i]->isChecked();

    if (v.ProgramVariant != 2)
        return;
    // A row's list without a choice, or an address that is not a number, keeps its stored value.
    static const QString letters[] = {QStringLiteral("H"), QStringLiteral("F"), QStringLiteral("I"),
                                      QStringLiteral("A")};
    for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
        if (m_custom.cmbNoCustom[r]->currentIndex() >= 0)
            v.tab3.cmbNoCustom[r] = m_custom.cmbNoCustom[r]->currentIndex() + 1;
        v.tab3.chkSelectCustom[r] = m_custom.chkSelectCustom[r]->isChecked();
        if (m_custom.cmbMem[r]->currentIndex() >= 0)
            v.tab3.cmbMem[r] = m_custom.cmbMem[r]->currentIndex();
        if (const auto address = runtime::toInt32(m_custom.txtAddr[r]->text()))
            v.tab3.txtAddr[r] = *address;
        if (m_custom.cmbLen[r]->currentIndex() >= 0)
            v.tab3.cmbLen[r] = m_custom.cmbLen[r]->currentIndex() + 1;
        const int format = m_custom.formatGroup[r]->checkedId();
        if (format >= 0)
            v.tab3.optFormat[r] = letters[format];
    }
    for (std::size_t i = 0; i < m_custom.chkReadCustom.size(); ++i)
        v.tab3.chkReadCustom[i] = m_custom.chkReadCustom[i]->isChecked();
}

void frmComm::mnu_no1_Click() {
    showOnMessageLines(programValues().messages[kDisconnectingMessage]);
    showOnMessageLines(QString());
    SaveInfo();
    switchScreen(*this, m_screens.main());
}

void frmComm::mnu_sif1_Click() {
    showOnMessageLines(programValues().messages[kDisconnectingMessage]);
    PortCloseWait();
    showOnMessageLines(QString());
    SaveInfo();
    switchScreen(*this, m_screens.setting());
}

void frmComm::mnu_i1_11_Click() {
    resetTab(m_SSTab1->currentIndex());
}

void frmComm::mnu_i1_12_Click() {
    m_screens.initialiseAll(true);
}

void frmComm::serialNumberRegistered(int row) {
    quietly([&] {
        const auto k = static_cast<std::size_t>(row);
        programValues().tab1.chkSelect.at(k) = true;
        m_measure.chkSelect.at(k)->setChecked(true);
    });
}

void frmComm::showOnMessageLines(const QString& text) {
    for (int tab = 0; tab < 4; ++tab) {
        QLabel* line = runControls(tab).lblMsg;
        line->setText(text);
        line->repaint();
    }
}

void frmComm::DLC_CommStatusDisplay() {
    if (!controlsAvailable()) {
        showOnMessageLines(m_controlsMissing);
        return;
    }
    const auto& s = programValues().setting;
    showOnMessageLines(QStringLiteral("%1  %2bps     %3  %4")
                           .arg(m_baudCaption)
                           .arg(s.Baudrate)
                           .arg(m_portCaption)
                           .arg(s.Comport));
}

void frmComm::SetComStatus() {
    const auto& v = programValues();
    const auto& caption = v.kept.testLinkState; // baud, data bits, E, O, N, port
    const QString& parity = v.tab4.Parity == QLatin1String("E")   ? caption[2]
                            : v.tab4.Parity == QLatin1String("O") ? caption[3]
                                                                  : caption[4];
    const QString terminator = v.TestTerminator == QLatin1String("\r")   ? QStringLiteral("CR  ")
                               : v.TestTerminator == QLatin1String("\n") ? QStringLiteral("LF  ")
                                                                         : QStringLiteral("CRLF  ");
    m_test.lblComProt->setText(QStringLiteral("%1  %2  %3  %4  %5  %6%7  %8")
                                   .arg(caption[0])
                                   .arg(v.tab4.BaudRate)
                                   .arg(caption[1])
                                   .arg(v.tab4.Length)
                                   .arg(parity, terminator, caption[5])
                                   .arg(v.tab4.cmbCom));
}

std::vector<torvik::comm::ControlHandle*> frmComm::releaseList() const {
    const auto& v = programValues();
    return torvik::comm::releaseList(m_instances, v.ProgramVariant, v.MaxDlcIndex);
}

void frmComm::PortCloseWait() {
    torvik::comm::PortCloseWait(releaseList(), [this] { PortClose(); });
}

bool frmComm::PortClose() {
    torvik::comm::disconnectAll(releaseList());
    // On the monotonic clock, in seconds, as a line monitor's frame log has it.
    qCDebug(
        runtime::lcTrace, "Ports released at %.6f",
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count());
    const QColor black(Qt::black);
    for (int i = 0; i < rowCount(); ++i)
        comm::paintText(m_measure.lblNo[static_cast<std::size_t>(i) + 1], black);
    for (QLabel* label : m_info.lblFunc)
        comm::paintText(label, black);
    if (programValues().ProgramVariant == 2) {
        for (std::size_t r = 1; r <= comm::kCustomRows; ++r)
            comm::paintText(m_custom.lblNoCustom[r], black);
    }
    if (QFile::exists(config::workingDataFilePath(config::programFolder())))
        SaveLog();
    return true;
}

void frmComm::resetTab(int tab) {
    auto& v = programValues();
    switch (tab) {
    case Measure:
        for (int k = 0; k < rowCount(); ++k) {
            const auto i = static_cast<std::size_t>(k);
            m_measure.chkSelect[i]->setChecked(false);
            m_measure.txtData[i]->clear();
            m_measure.txtStatus[i]->clear();
            m_measure.txtCount[i]->setText(QStringLiteral("0"));
        }
        for (QCheckBox* box : m_measure.chkRead)
            box->setChecked(false);
        m_measure.run.txtOK->setText(QStringLiteral("0"));
        m_measure.run.txtError->setText(QStringLiteral("0"));
        break;
    case Info:
        for (std::size_t i = 0; i < comm::kItems; ++i) {
            m_info.chkSelectInfo[i]->setChecked(true);
            m_info.txtRecvData[i]->clear();
            m_info.txtRecvData[i]->setToolTip(QString());
            m_info.txtCountInfo[i]->setText(QStringLiteral("0"));
        }
        comm::selectEntry(m_info.cmbNo, 0);
        for (QCheckBox* box : m_info.chkReadInfo)
            box->setChecked(false);
        m_info.optInput[0]->setChecked(true);
        m_info.run.txtOK->setText(QStringLiteral("0"));
        m_info.run.txtError->setText(QStringLiteral("0"));
        break;
    case Custom:
        for (std::size_t r = 0; r < comm::kCustomRows; ++r) {
            comm::selectEntry(m_custom.cmbNoCustom[r], 0);
            m_custom.chkSelectCustom[r]->setChecked(true);
            comm::selectEntry(m_custom.cmbMem[r], 2);
            m_custom.txtAddr[r]->setText(QStringLiteral("0001"));
            comm::selectEntry(m_custom.cmbLen[r], 1);
            m_custom.optFormat[4 * r]->setChecked(true);
            m_custom.txtRecvDataCustom[r]->clear();
            m_custom.txtRecvDataCustom[r]->setToolTip(QString());
            m_custom.txtCountCustom[r]->setText(QStringLiteral("0"));
        }
        for (QCheckBox* box : m_custom.chkReadCustom)
            box->setChecked(false);
        m_custom.run.txtOK->setText(QStringLiteral("0"));
        m_custom.run.txtError->setText(QStringLiteral("0"));
        break;
    case Test:
        comm::selectEntry(m_test.cmbNoTest, 0);
        comm::selectEntry(m_test.cmbCom, 2);
        m_test.txtRecvDataTest->clear();
        m_test.txtRecvCommand->clear();
        m_test.txtSendData->clear();
        m_test.run.txtError->setText(QStringLiteral("0"));
        m_test.run.txtOK->setText(QStringLiteral("0"));
        m_test.txtWaitTime->setText(QStringLiteral("30"));
        m_test.chkStatus->setChecked(false);
        m_test.chkSync->setChecked(false);
        comm::selectEntry(m_test.cmbInt, 6);
        comm::selectEntry(m_test.cmbDec, 1);
        comm::selectEntry(m_test.cmbPolarity, 0);
        m_test.txtCC->setText(QStringLiteral("1.0"));
        m_test.txtDataTest->setText(QStringLiteral("0"));
        mdlFileMgr::CommandInit(v);
        break;
    default:
        break;
    }
}

void frmComm::resetAll(bool refreshCommStatus) {
    quietly([&] {
        if (refreshCommStatus)
            DLC_CommStatusDisplay();
        resetTab(Measure);
        // Every serial number is "0" now: no row can be chosen until one is registered.
        for (int k = 0; k < rowCount(); ++k)
            m_measure.chkSelect[static_cast<std::size_t>(k)]->setEnabled(false);
        resetTab(Info);
        resetTab(Test); // rebuilds the command table as well
        if (programValues().ProgramVariant == 2)
            resetTab(Custom);
    });
}

} // namespace torvik::screens
