#include "MeasureFixture.h"

#include "screens/frmComm.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <unistd.h>

namespace torvik::screens::testing {

namespace {

// 38400 8E1 (on the fixture's port, COM5 here); short intervals so rounds take tens of
// milliseconds; saving names DLC_001.csv onwards in the Data folder; rows 1 to 4 registered and
// ticked.
QByteArray benchSettings() {
    return "[SERIALNO]\n1=1001\n2=1002\n3=1003\n4=1004\n"
           "[SLAVEADDRESS]\n1=1\n2=2\n3=3\n4=4\n"
           "[SETTINGS]\nBPS300=False\nBaudrate=38400\nDatabit=8\nStopbit=1\nParity=E\n"
           "Comport=5\nErrCond1=True\nCommData=10\nCommDataUnit=M\nCommSync=5\n"
           "FileName=DLC_\nSerialLen=3\nStartNo=1\nDirName=%DIR%/Data/\nDataFormat1=True\n"
           "DataFormat2=True\nDP=2\nDataKind=R\nDataUnit=True\nWaitTime=5\nTimeOut=150\n"
           "[TAB1]\n1=True\n2=True\n3=True\n4=True\n9=False\n10=False\n11=False\n12=False\n";
}

// A port number whose shared objects no other process has now: the objects are named after the
// port and machine-wide, and benches of other runs on the machine may use their own COM5.
int freePortNumber() {
    const int first = 33 + static_cast<int>(::getpid() % 200);
    for (int n = first; n < first + 200; ++n) {
        const int number = 33 + (n - 33) % 223; // COM33 to COM255, clear of real ports
        if (!QFile::exists(QStringLiteral("/dev/shm/MXFMCOM%1TAVRIN").arg(number)))
            return number;
    }
    return first;
}

} // namespace

MeasureFixture::MeasureFixture(std::vector<std::string> simArgs, ScreenFixture::Overrides overrides,
                               std::int16_t variant)
    : m_port(freePortNumber()),
      m_sim(std::make_unique<dlcsim::test::Simulator>(
          std::move(simArgs), dlcsim::test::Placement{"", "COM" + std::to_string(m_port), ""})),
      m_savedPorts(qgetenv("TAVRIN_PORTS")) {
    const std::string link = m_sim->link();
    qputenv("TAVRIN_PORTS", QByteArray::fromStdString(link.substr(0, link.rfind('/'))));
    overrides.try_emplace(QStringLiteral("SETTINGS/Comport"), QString::number(m_port));
    m_screens = std::make_unique<ScreenFixture>(variant, benchSettings(), overrides);
}

MeasureFixture::~MeasureFixture() {
    m_screens.reset();
    m_sim.reset();
    qputenv("TAVRIN_PORTS", m_savedPorts);
}

frmComm& MeasureFixture::screen() {
    if (m_comm == nullptr) {
        m_comm = &m_screens->screens().comm();
        if (!ScreenFixture::showActive(*m_comm))
            qWarning("the main screen did not become active");
    }
    return *m_comm;
}

const QWidget& MeasureFixture::screenWidget() {
    return screen();
}

QLineEdit* MeasureFixture::field(const char* base, int index) {
    return find<QLineEdit>(indexedName(base, index));
}

QCheckBox* MeasureFixture::option(int index) {
    return find<QCheckBox>(indexedName("chkRead", index));
}

QPushButton* MeasureFixture::button(const char* name) {
    return find<QPushButton>(QString::fromLatin1(name));
}

bool MeasureFixture::runUntil(const std::function<bool()>& done, int deadlineMs) {
    QPushButton* stop = button("cmdStop");
    auto* counter = find<QLineEdit>(QStringLiteral("txtOK"));
    bool stopped = false;
    bool inTime = true;
    auto pressStop = [&] {
        if (stopped || !stop->isEnabled())
            return;
        stopped = true;
        // Pressed from the event loop, as an operator's click arrives during the run.
        QTimer::singleShot(0, stop, [stop] { stop->click(); });
    };
    const auto watch = QObject::connect(counter, &QLineEdit::textChanged, counter, [&] {
        if (done())
            pressStop();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&] {
        inTime = false;
        pressStop();
    });
    deadline.start(deadlineMs);
    button("cmdStart")->click();
    QObject::disconnect(watch);
    return inTime;
}

void MeasureFixture::pressStart() {
    button("cmdStart")->click();
}

QStringList MeasureFixture::receivedFrames() const {
    QStringList frames;
    const QString text = QString::fromStdString(m_sim->log());
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const auto parts = line.split(u'|');
        if (parts.size() >= 2 && parts[0].endsWith(QStringLiteral(" rx ")))
            frames << parts[1].trimmed();
    }
    return frames;
}

QStringList MeasureFixture::fileLines(const QString& relative) const {
    QFile file(folder() + u'/' + relative);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace torvik::screens::testing
