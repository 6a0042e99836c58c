// The test tab of the main screen: load, the load-cell and port lists, the data-text format,
// the response wait and the correction coefficient with their checks.
#include "screens/frmComm.h"

#include "config/ProgramValues.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"
#include "screens/FieldWatcher.h"
#include "screens/MessageBox.h"
#include "screens/Quietly.h"
#include "screens/comm/LayoutHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace torvik::screens {

using mdlFileMgr::programValues;

namespace {

constexpr std::size_t kInvalidNumberMessage = 5; // MESSAGE key "6"
constexpr int kMaxWaitTime = 3000;               // ms
constexpr double kMinCoefficient = 0.000001;
constexpr double kMaxCoefficient = 1000000.0;

} // namespace

void frmComm::connectTestTab() {
    auto onIndex = [this](QComboBox* combo, void (frmComm::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, handler] { quietly([&] { (this->*handler)(); }); });
        m_fields->watch(*combo, {EntryKeys::Any, false});
    };
    onIndex(m_test.cmbNoTest, &frmComm::cmbNoTest_Click);
    onIndex(m_test.cmbCom, &frmComm::cmbCom_Click);
    onIndex(m_test.cmbInt, &frmComm::cmbInt_Click);
    onIndex(m_test.cmbDec, &frmComm::cmbDec_Click);
    onIndex(m_test.cmbPolarity, &frmComm::cmbPolarity_Click);

    connect(m_test.txtWaitTime, &QLineEdit::textChanged, this,
            [this] { quietly([this] { txtWaitTime_Change(); }); });
    m_fields->watch(*m_test.txtWaitTime, {EntryKeys::Digits, true, {}, [this] {
                                              txtWaitTime_LostFocus();
                                              return true;
                                          }});

    connect(m_test.txtCC, &QLineEdit::textChanged, this,
            [this] { quietly([this] { txtCC_Change(); }); });
    m_fields->watch(*m_test.txtCC, {EntryKeys::DigitsAndPoint, true, {}, [this] {
                                        txtCC_LostFocus();
                                        return true;
                                    }});

    connect(m_test.chkStatus, &QCheckBox::toggled, this,
            [this] { quietly([this] { chkStatus_Click(); }); });
    connect(m_test.chkSync, &QCheckBox::toggled, this,
            [this] { quietly([this] { chkSync_Click(); }); });
    connectRunButtons(Test);
    createTestLink();
}

void frmComm::loadTestTab() {
    const auto& v = programValues();
    m_test.txtRecvDataTest->clear();
    m_test.txtRecvCommand->clear();
    m_test.txtSendData->clear();
    m_test.run.txtError->setText(QStringLiteral("0"));
    m_test.run.txtOK->setText(QStringLiteral("0"));
    // Only registered rows can be polled from here, as on the information tab.
    for (int entry = m_test.cmbNoTest->count() - 1; entry > v.MaxDlcIndex; --entry)
        m_test.cmbNoTest->removeItem(entry);
    comm::selectEntry(m_test.cmbNoTest, v.tab4.cmbNoTest);
    SetComStatus();
    comm::selectEntry(m_test.cmbInt, v.tab4.cmbInt);
    comm::selectEntry(m_test.cmbDec, v.tab4.cmbDec);
    {
        const QSignalBlocker quiet(m_test.cmbPolarity);
        m_test.cmbPolarity->clear();
        for (const QString& choice : v.kept.testTab)
            m_test.cmbPolarity->addItem(choice);
        m_test.cmbPolarity->setCurrentIndex(-1);
    }
    comm::selectEntry(m_test.cmbPolarity, v.tab4.cmbPolarity);
    // Without the sign choice the digits frame closes up to its first line.
    m_test.Label6->setVisible(v.tab4.DisplayPolarity);
    m_test.cmbPolarity->setVisible(v.tab4.DisplayPolarity);
    comm::selectEntry(m_test.cmbCom, v.tab4.cmbCom - 1);
    m_test.txtWaitTime->setText(QString::number(v.tab4.txtWaitTime));
    m_test.chkStatus->setChecked(v.tab4.chkStatus);
    m_test.chkSync->setChecked(v.tab4.chkSync);
    m_test.txtCC->setText(v.tab4.txtCC == 1.0f
                              ? QStringLiteral("1.0")
                              : runtime::plainText(v.tab4.txtCC, runtime::Precision::Single));
    m_test.run.lblMsg->clear();
}

void frmComm::cmbNoTest_Click() {
    const int index = m_test.cmbNoTest->currentIndex();
    if (index >= 0)
        programValues().tab4.cmbNoTest = index;
    m_test.txtRecvDataTest->clear();
    m_test.txtRecvCommand->clear();
    m_test.txtSendData->clear();
}

void frmComm::cmbCom_Click() {
    const int index = m_test.cmbCom->currentIndex();
    if (index < 0)
        return;
    programValues().tab4.cmbCom = index + 1;
    SetComStatus();
}

void frmComm::cmbInt_Click() {
    if (m_test.cmbInt->currentIndex() >= 0)
        programValues().tab4.cmbInt = m_test.cmbInt->currentIndex();
}

void frmComm::cmbDec_Click() {
    if (m_test.cmbDec->currentIndex() >= 0)
        programValues().tab4.cmbDec = m_test.cmbDec->currentIndex();
}

void frmComm::cmbPolarity_Click() {
    if (m_test.cmbPolarity->currentIndex() < 0)
        return;
    programValues().tab4.cmbPolarity = m_test.cmbPolarity->currentIndex();
    m_test.cmbPolarity->setToolTip(m_test.cmbPolarity->currentText());
}

void frmComm::txtWaitTime_Change() {
    const QString text = m_test.txtWaitTime->text();
    if (!runtime::isNumeric(text)) {
        showMessage(this, programValues().messages[kInvalidNumberMessage]);
        m_test.txtWaitTime->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto value = runtime::toInt32(text))
        programValues().tab4.txtWaitTime = *value;
}

void frmComm::txtWaitTime_LostFocus() {
    // Out-of-range waits are corrected, not reported; the corrected text is stored on change.
    const auto value = runtime::toDouble(m_test.txtWaitTime->text());
    if (!value)
        return;
    if (*value < 0)
        m_test.txtWaitTime->setText(QStringLiteral("0"));
    else if (*value > kMaxWaitTime)
        m_test.txtWaitTime->setText(QString::number(kMaxWaitTime));
}

void frmComm::txtCC_Change() {
    const QString text = m_test.txtCC->text();
    if (!runtime::isNumeric(text)) {
        showMessage(this, programValues().messages[kInvalidNumberMessage]);
        m_test.txtCC->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto value = runtime::toSingle(text))
        programValues().tab4.txtCC = *value;
}

void frmComm::txtCC_LostFocus() {
    const auto value = runtime::toDouble(m_test.txtCC->text());
    if (!value)
        return;
    if (*value < kMinCoefficient)
        m_test.txtCC->setText(QStringLiteral("0.000001"));
    else if (*value > kMaxCoefficient)
        m_test.txtCC->setText(QStringLiteral("1.0"));
}

void frmComm::chkStatus_Click() {
    auto& tab4 = programValues().tab4;
    tab4.chkStatus = m_test.chkStatus->isChecked();
    tab4.registerCount = tab4.chkStatus ? 3 : 2;
}

void frmComm::chkSync_Click() {
    programValues().tab4.chkSync = m_test.chkSync->isChecked();
}

} // namespace torvik::screens
