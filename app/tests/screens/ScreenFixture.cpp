#include "ScreenFixture.h"

#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "config/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace torvik::screens::testing {

ScreenFixture::ScreenFixture(std::int16_t variant, const QByteArray& settings) {
    qputenv("TORVIK_HOME", m_dir.path().toLocal8Bit());
    QFile::copy(QStringLiteral(TORVIK_CATALOGUE), config::labelFilePath(m_dir.path()));
    QFile::copy(QStringLiteral(TORVIK_HELP), m_dir.filePath(QStringLiteral("Torvik.html")));
    QDir(m_dir.path()).mkdir(QStringLiteral("Data"));
    QFile file(config::settingsFilePath(m_dir.path()));
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(settings).replace("%DIR%", m_dir.path().toUtf8()));
    file.close();

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

config::ProfileDocument ScreenFixture::settingsFile() const {
    return config::ProfileDocument::load(config::settingsFilePath(m_dir.path()));
}

QByteArray ScreenFixture::settingsBytes() const {
    QFile file(config::settingsFilePath(m_dir.path()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ScreenFixture::showActive(QWidget& screen) {
    screen.show();
    screen.activateWindow();
    return QTest::qWaitForWindowActive(&screen);
}

} // namespace torvik::screens::testing
