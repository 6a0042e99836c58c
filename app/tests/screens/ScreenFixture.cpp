#include "ScreenFixture.h"

#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "config/SettingsFile.h"
#include "screens/frmComm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace torvik::screens::testing {

ScreenFixture::ScreenFixture(std::int16_t variant, const QByteArray& settings,
                             const Overrides& overrides)
    : m_savedHome(qgetenv("TORVIK_HOME")), m_savedConfig(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("TORVIK_HOME", m_dir.path().toLocal8Bit());
    // The control is looked up in this empty registry, never in the user's.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    QFile::copy(QStringLiteral(TORVIK_CATALOGUE), config::labelFilePath(m_dir.path()));
    QFile::copy(QStringLiteral(TORVIK_HELP), m_dir.filePath(QStringLiteral("Torvik.html")));
    QDir(m_dir.path()).mkdir(QStringLiteral("Data"));

    auto doc = config::ProfileDocument::fromBytes(
        QByteArray(settings).replace("%DIR%", m_dir.path().toUtf8()));
    for (const auto& [name, value] : overrides) {
        const qsizetype slash = name.indexOf(u'/');
        doc.writeString(name.left(slash), name.mid(slash + 1), value);
    }
    doc.save(settingsPath());

    auto& values = mdlFileMgr::programValues();
    values = mdlFileMgr::ProgramValues{};
    values.ProgramVariant = variant;
    values.MaxDlcIndex = variant == 2 ? 7 : 3;
    mdlFileMgr::ReadIniFile(values, m_dir.path());

    m_previousResponder = setMessageResponder([this](const QString& text, MessageButtons) {
        messages << text;
        return MessageAnswer::Ok;
    });
    m_screens = std::make_unique<ScreenSet>();
    m_screens->setProgramEnd([this] { ++programEnds; });
}

ScreenFixture::~ScreenFixture() {
    m_screens.reset();
    setMessageResponder(m_previousResponder);
    qputenv("TORVIK_HOME", m_savedHome);
    qputenv("XDG_CONFIG_HOME", m_savedConfig);
}

QByteArray ScreenFixture::defaultSettings() {
    return "[SERIALNO]\n1=1001\n2=1002\n3=0\n4=0\n5=1005\n6=0\n7=0\n8=0\n"
           "[SLAVEADDRESS]\n1=1\n2=2\n3=3\n4=4\n5=5\n6=6\n7=7\n8=8\n"
           "[SETTINGS]\nBPS300=False\nBaudrate=38400\nDatabit=8\nStopbit=1\nParity=E\n"
           "Comport=1\nErrCond1=True\nCommData=100\nCommDataUnit=M\nCommSync=50\n"
           "FileName=DLC_\nSerialLen=3\nStartNo=1\nDirName=%DIR%/Data/\nDataFormat1=True\n"
           "DataFormat2=True\nDP=2\nDataKind=R\nDataUnit=True\nWaitTime=100\nTimeOut=500\n"
           "[LIST]\n1=%DIR%/Data/\n";
}

QString ScreenFixture::slot(std::size_t slot) {
    return mdlFileMgr::programValues().messages[slot];
}

QString ScreenFixture::settingsPath() const {
    return config::settingsFilePath(m_dir.path());
}

config::ProfileDocument ScreenFixture::settingsFile() const {
    return config::ProfileDocument::load(settingsPath());
}

QByteArray ScreenFixture::settingsBytes() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ScreenFixture::registerLibrary(const QString& library) {
    QDir(m_config.path()).mkpath(QStringLiteral("tavrin"));
    QFile registry(m_config.filePath(QStringLiteral("tavrin/registry")));
    if (registry.open(QIODevice::WriteOnly))
        registry.write("TAVRINLib.TAVRIN=" + library.toUtf8() + "\n");
}

bool ScreenFixture::showActive(QWidget& screen) {
    screen.show();
    screen.activateWindow();
    return QTest::qWaitForWindowActive(&screen);
}

CommFixture::CommFixture(std::int16_t variant, const Overrides& overrides)
    : ScreenFixture(variant, commSettings(), overrides) {}

QByteArray CommFixture::commSettings() {
    return "[SERIALNO]\n1=1001\n2=0\n3=1003\n4=0\n5=1005\n6=1006\n7=1007\n8=1008\n"
           "[SLAVEADDRESS]\n1=1\n2=2\n3=3\n4=4\n5=5\n6=6\n7=7\n8=8\n"
           "[SETTINGS]\nBaudrate=38400\nComport=2\nDirName=\n"
           "[TAB1]\n1=True\n2=True\n3=True\n4=True\n5=True\n6=True\n7=True\n8=True\n"
           "9=False\n10=False\n11=False\n12=False\n"
           "[TAB2]\n0=2\n"
           "[TAB3]\n9=3\n10=3\n11=3\n12=3\n21=H\n22=H\n23=H\n24=H\n"
           "[TAB4]\nCOM=3\n";
}

frmComm& CommFixture::screen() {
    if (m_comm == nullptr) {
        m_comm = &screens().comm();
        if (!showActive(*m_comm))
            qWarning("the main screen did not become active");
    }
    return *m_comm;
}

const QWidget& CommFixture::screenWidget() {
    return screen();
}

QString indexedName(const char* base, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(index);
}

void trigger(const QWidget& screen, const char* item) {
    auto* action = screen.findChild<QAction*>(QString::fromLatin1(item));
    QVERIFY2(action != nullptr, item);
    action->trigger();
}

void typeInto(QLineEdit& field, const QString& keys) {
    field.setFocus(Qt::MouseFocusReason);
    field.selectAll();
    QTest::keyClicks(&field, keys);
}

void typeAndLeave(QWidget& box, const QString& keys) {
    box.setFocus(Qt::TabFocusReason);
    auto* edit = qobject_cast<QLineEdit*>(&box);
    if (auto* list = qobject_cast<QComboBox*>(&box))
        edit = list->lineEdit();
    if (edit)
        edit->selectAll(); // a box that kept the focus after a refusal is entered again
    if (edit && keys.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(&box, keys);
    QTest::keyClick(&box, Qt::Key_Tab);
}

} // namespace torvik::screens::testing
