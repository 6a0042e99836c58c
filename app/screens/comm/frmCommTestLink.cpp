// The test tab's text link: commands received on the second port answered from the command
// table with the current data text, after the response delay.
#include "comm/MSComm.h"
#include "comm/TextCommands.h"
#include "config/ProgramValues.h"
#include "screens/Quietly.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/frmComm.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

namespace torvik::screens {

using comm::TestLinkState;
using mdlFileMgr::programValues;

namespace {

// What arrives within this pause after the first character is read as one: a command
// written in one go comes whole.
constexpr int kGatherMs = 10;
// The start of a command waits this long for its rest (a USB adapter may deliver a command
// in pieces 16 ms apart; a character at 300 baud takes 37 ms) before it counts as it stands.
constexpr int kFragmentMs = 200;
// Each label stays highlighted this long.
constexpr int kHighlightMs = 30;

const QColor kHighlight(255, 0, 0);

QTimer* singleShotTimer(QObject* parent, const char* name) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setSingleShot(true);
    // The response delay is the operator's figure; a coarse timer could miss it by 5 %.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

} // namespace

void frmComm::createTestLink() {
    MSComm1 = new torvik::comm::MSComm(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    connect(MSComm1, &torvik::comm::MSComm::OnComm, this,
            [this] { quietly([this] { MSComm1_OnComm(); }); });
    connect(MSComm1, &torvik::comm::MSComm::portLost, this,
            [this](const QString& reason) { quietly([&] { testLinkLost(reason); }); });
    m_link.gather = singleShotTimer(this, "testLinkGather");
    m_link.fragment = singleShotTimer(this, "testLinkFragment");
    m_link.step = singleShotTimer(this, "testLinkAnswer");
    connect(m_link.gather, &QTimer::timeout, this, [this] { quietly([this] { readTestLink(); }); });
    connect(m_link.fragment, &QTimer::timeout, this, [this] {
        quietly([this] {
            if (auto command = m_link.assembler.flush())
                queueCommand(*command);
        });
    });
    connect(m_link.step, &QTimer::timeout, this, [this] { quietly([this] { answerStep(); }); });
}

void frmComm::MSComm1_OnComm() {
    // Only received characters count; every other event of the port is ignored.
    if (MSComm1->CommEvent() != torvik::comm::MSComm::comEvReceive)
        return;
    // Characters that come during the pause are read with the first ones.
    if (!m_link.gather->isActive())
        m_link.gather->start(kGatherMs);
}

void frmComm::readTestLink() {
    if (!MSComm1->PortOpen() || MSComm1->InBufferCount() == 0)
        return;
    const auto& table = programValues().commands;
    const auto matches = [&table, encoding = MSComm1->TextEncoding()](const QString& text) {
        return torvik::comm::matchCommand(table, text, encoding).has_value();
    };
    for (const QString& command : m_link.assembler.take(MSComm1->Input(), matches))
        queueCommand(command);
    if (m_link.assembler.holding())
        m_link.fragment->start(kFragmentMs);
    else
        m_link.fragment->stop();
}

void frmComm::queueCommand(const QString& command) {
    if (m_link.waiting.size() >= TestLinkState::kMaxWaiting) {
        // The newest commands are the ones the other end is waiting for.
        m_link.waiting.pop_front();
        if (m_link.dropped++ == 0)
            qCWarning(torvik::comm::lcTextLink)
                << "commands come faster than they are answered: dropping the oldest";
    }
    m_link.waiting.push_back(command);
    if (m_link.now == TestLinkState::Step::Idle) {
        const QString next = m_link.waiting.front();
        m_link.waiting.pop_front();
        CommOut(next);
    }
}

void frmComm::CommOut(const QString& command) {
    const auto& table = programValues().commands;
    const auto encoding = MSComm1->TextEncoding();
    m_link.entry = torvik::comm::matchCommand(table, command, encoding);
    m_test.txtRecvCommand->setText(
        torvik::comm::shownCommand(table, m_link.entry, command, encoding));
    comm::paintText(m_test.lblRecvCommand, kHighlight);
    m_link.now = TestLinkState::Step::CommandShown;
    m_link.step->start(kHighlightMs);
}

void frmComm::answerStep() {
    switch (m_link.now) {
    case TestLinkState::Step::CommandShown:
        comm::paintText(m_test.lblRecvCommand, Qt::black);
        m_link.now = TestLinkState::Step::Waiting;
        m_link.step->start(std::max(programValues().tab4.txtWaitTime - kHighlightMs, 0));
        break;
    case TestLinkState::Step::Waiting: {
        // The data text as it is now: a poll that completed during the delay counts.
        const auto& v = programValues();
        const auto response = torvik::comm::commandResponse(
            v.commands, m_link.entry, m_link.sendData, v.TestTerminator, MSComm1->TextEncoding());
        m_test.txtSendData->setText(response.shown);
        if (response.highlight)
            comm::paintText(m_test.lblSendData, kHighlight);
        if (!response.output.isEmpty())
            MSComm1->setOutput(response.output);
        m_link.now = TestLinkState::Step::ResponseSent;
        m_link.step->start(kHighlightMs);
        break;
    }
    case TestLinkState::Step::ResponseSent:
        comm::paintText(m_test.lblSendData, Qt::black);
        m_link.now = TestLinkState::Step::Idle;
        if (!m_link.waiting.empty()) {
            const QString next = m_link.waiting.front();
            m_link.waiting.pop_front();
            CommOut(next);
        }
        break;
    case TestLinkState::Step::Idle:
        break;
    }
}

void frmComm::resetTestLink() {
    if (m_link.dropped > 0)
        qCWarning(torvik::comm::lcTextLink) << m_link.dropped << "commands were dropped";
    m_link.gather->stop();
    m_link.fragment->stop();
    m_link.step->stop();
    comm::paintText(m_test.lblRecvCommand, Qt::black);
    comm::paintText(m_test.lblSendData, Qt::black);
    m_link.assembler.clear();
    m_link.waiting.clear();
    m_link.now = TestLinkState::Step::Idle;
    m_link.entry.reset();
    m_link.dropped = 0;
}

void frmComm::testLinkLost(const QString& reason) {
    // The Modbus side goes on; the operator learns why the link went quiet.
    resetTestLink();
    m_test.run.lblMsg->setText(reason);
}

} // namespace torvik::screens
