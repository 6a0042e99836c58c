// The test tab: the load cell, the text link and the data-text format on the left; the values,
// command and response, counters and buttons on the right; the link's settings below.
#include "screens/comm/CommWidgets.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunControlsLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvik::screens::comm {
namespace {

QStringList numbers(int from, int to, const QString& prefix = {}) {
    QStringList out;
    for (int n = from; n <= to; ++n)
        out << prefix + QString::number(n);
    return out;
}

} // namespace

QWidget* buildTestTab(TestTab& t) {
    auto* page = new QWidget;
    t.page = page;

    // Entry i of the digit lists stands for i + 2 integer digits and i + 1 decimals: that is
    // how the data text is formed from the list positions.
    t.cmbNoTest = makeCombo(page, QStringLiteral("cmbNoTest"), numbers(1, kRows), 3);
    t.cmbCom = makeCombo(page, QStringLiteral("cmbCom"), numbers(1, 32, QStringLiteral("COM")), 6);
    t.txtWaitTime = makeInput(page, QStringLiteral("txtWaitTime"), QStringLiteral("30"), 7);
    t.txtCC = makeInput(page, QStringLiteral("txtCC"), QStringLiteral("1.0"), 10);
    t.cmbInt = makeCombo(page, QStringLiteral("cmbInt"), numbers(2, 9), 3);
    t.cmbDec = makeCombo(page, QStringLiteral("cmbDec"), numbers(1, 6), 3);
    t.cmbPolarity = makeCombo(page, QStringLiteral("cmbPolarity"), {}, 12);
    t.chkStatus = makeCheck(page, QStringLiteral("chkStatus"), QStringLiteral("ステータス情報"));
    t.chkSync = makeCheck(page, QStringLiteral("chkSync"), QStringLiteral("同期信号を使わない"));

    auto* link = new QGridLayout;
    link->addWidget(makeLabel(page, QStringLiteral("lblNoTest"), QStringLiteral("DLCの番号")), 0,
                    0);
    link->addWidget(t.cmbNoTest, 0, 1);
    link->addWidget(makeLabel(page, QStringLiteral("lblCom"), QStringLiteral("通信ポート")), 1, 0);
    link->addWidget(t.cmbCom, 1, 1);
    link->addWidget(makeLabel(page, QStringLiteral("lblWaitTime"), QStringLiteral("応答待ち時間")),
                    2, 0);
    link->addWidget(t.txtWaitTime, 2, 1);
    link->addWidget(makeLabel(page, QStringLiteral("lblWaitUnit"), QStringLiteral("msec")), 2, 2);
    link->addWidget(makeLabel(page, QStringLiteral("lblCC"), QStringLiteral("補正係数")), 3, 0);
    link->addWidget(t.txtCC, 3, 1);
    link->addWidget(makeLabel(page, QStringLiteral("lblCCUnit"), QStringLiteral("× 計量データ")), 3,
                    2);
    link->setColumnStretch(3, 1);

    t.Frame7 = new QGroupBox(QStringLiteral("送信データの桁数"), page);
    t.Frame7->setObjectName(QStringLiteral("Frame7"));
    auto* digits = new QGridLayout(t.Frame7);
    digits->addWidget(makeLabel(page, QStringLiteral("Label4"), QStringLiteral("整数部")), 0, 0);
    digits->addWidget(t.cmbInt, 0, 1);
    digits->addWidget(makeLabel(page, QStringLiteral("Label5"), QStringLiteral("小数部")), 0, 2);
    digits->addWidget(t.cmbDec, 0, 3);
    t.Label6 = makeLabel(page, QStringLiteral("Label6"), QStringLiteral("＋－符号"));
    digits->addWidget(t.Label6, 1, 0);
    digits->addWidget(t.cmbPolarity, 1, 1, 1, 3);
    digits->setColumnStretch(4, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(link);
    left->addWidget(t.Frame7);
    left->addWidget(t.chkStatus);
    left->addWidget(t.chkSync);
    left->addStretch(1);

    t.txtRecvDataTest = makeDisplay(page, QStringLiteral("txtRecvDataTest"), QString(), 14);
    t.txtDataTest = makeDisplay(page, QStringLiteral("txtDataTest"), QStringLiteral("0"), 14);
    t.txtRecvCommand = makeDisplay(page, QStringLiteral("txtRecvCommand"), QString(), 20);
    t.txtSendData = makeDisplay(page, QStringLiteral("txtSendData"), QString(), 20);
    t.txtRecvCommand->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    t.txtSendData->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    t.lblRecvCommand =
        makeLabel(page, QStringLiteral("lblRecvCommand"), QStringLiteral("受信コマンド"));
    t.lblSendData = makeLabel(page, QStringLiteral("lblSendData"), QStringLiteral("送信データ"));

    auto* values = new QGridLayout;
    values->addWidget(
        makeLabel(page, QStringLiteral("lblRecvDataTest"), QStringLiteral("受信データ")), 0, 0);
    values->addWidget(t.txtRecvDataTest, 0, 1);
    values->addWidget(makeLabel(page, QStringLiteral("lblDataTest"), QStringLiteral("計量データ")),
                      1, 0);
    values->addWidget(t.txtDataTest, 1, 1);
    values->addWidget(t.lblRecvCommand, 2, 0);
    values->addWidget(t.txtRecvCommand, 2, 1);
    values->addWidget(t.lblSendData, 3, 0);
    values->addWidget(t.txtSendData, 3, 1);
    values->setColumnStretch(2, 1);

    makeRunControls(page, QStringLiteral("Test"), false, t.run);
    t.run.clear->setText(QStringLiteral("クリア"));
    auto* right = new QVBoxLayout;
    right->addLayout(values);
    right->addSpacing(8);
    addRunColumn(*right, t.run);
    right->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addSpacing(24);
    body->addLayout(right, 1);

    t.lblComProt = makeLabel(page, QStringLiteral("lblComProt"), QString());
    t.lblComProt->setFrameShape(QFrame::StyledPanel);
    t.lblComProt->setMargin(3);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(body, 1);
    layout->addWidget(t.lblComProt);
    layout->addWidget(t.run.lblMsg);
    return page;
}

} // namespace torvik::screens::comm
