#include "ScreenFixture.h"

#include "config/LabelCatalogue.h"
#include "config/PrivateProfile.h"
#include "config/SettingsFile.h"
#include "screens/frmComm.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace screens2 {

using torvik::mdlFileMgr::programValues;

namespace {

// A complete settings file: rows 1 and 3 registered, 2 and 4 not ("0"); all rows ticked
// on the measurement tab, so the serial numbers alone decide which rows can be used.
constexpr const char* kSettings[][3] = {
    {"SERIALNO", "1", "1001"},
    {"SERIALNO", "2", "0"},
    {"SERIALNO", "3", "1003"},
    {"SERIALNO", "4", "0"},
    {"SERIALNO", "5", "1005"},
    {"SERIALNO", "6", "1006"},
    {"SERIALNO", "7", "1007"},
    {"SERIALNO", "8", "1008"},
    {"SLAVEADDRESS", "1", "1"},
    {"SLAVEADDRESS", "2", "2"},
    {"SLAVEADDRESS", "3", "3"},
    {"SLAVEADDRESS", "4", "4"},
    {"SLAVEADDRESS", "5", "5"},
    {"SLAVEADDRESS", "6", "6"},
    {"SLAVEADDRESS", "7", "7"},
    {"SLAVEADDRESS", "8", "8"},
    {"SETTINGS", "Baudrate", "38400"},
    {"SETTINGS", "Comport", "2"},
    {"SETTINGS", "DirName", ""},
    {"TAB1", "1", "True"},
    {"TAB1", "2", "True"},
    {"TAB1", "3", "True"},
    {"TAB1", "4", "True"},
    {"TAB1", "5", "True"},
    {"TAB1", "6", "True"},
    {"TAB1", "7", "True"},
    {"TAB1", "8", "True"},
    {"TAB1", "9", "False"},
    {"TAB1", "10", "False"},
    {"TAB1", "11", "False"},
    {"TAB1", "12", "False"},
    {"TAB2", "0", "2"},
    {"TAB3", "9", "3"},
    {"TAB3", "10", "3"},
    {"TAB3", "11", "3"},
    {"TAB3", "12", "3"},
    {"TAB3", "21", "H"},
    {"TAB3", "22", "H"},
    {"TAB3", "23", "H"},
    {"TAB3", "24", "H"},
    {"TAB4", "COM", "3"},
};

} // namespace

ScreenFixture::ScreenFixture(int variant, const SettingsOverrides& overrides)
    : m_savedHome(qgetenv("TORVIK_HOME")), m_savedConfig(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("TORVIK_HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    QFile::copy(QStringLiteral(TORVIK_CATALOGUE),
                m_home.filePath(QStringLiteral("TorvikLabel.ini")));

    auto doc = torvik::config::ProfileDocument::fromBytes({});
    for (const auto& entry : kSettings) {
        doc.writeString(QString::fromLatin1(entry[0]), QString::fromLatin1(entry[1]),
                        QString::fromLatin1(entry[2]));
    }
    for (const auto& [name, value] : overrides) {
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        doc.writeString(name.left(slash), name.mid(slash + 1), value);
    }
    doc.save(settingsFile());

    auto& values = programValues();
    values = torvik::mdlFileMgr::ProgramValues{};
    values.ProgramVariant = static_cast<std::int16_t>(variant);
    values.MaxDlcIndex = variant == 2 ? 7 : 3;
    torvik::mdlFileMgr::ReadIniFile(values, m_home.path());
    // The registration screen's load reads the settings screen's messages at start.
    torvik::mdlFileMgr::ScreenTexts ignored;
    torvik::mdlFileMgr::LabelSet3(ignored);
    torvik::mdlFileMgr::LabelSet(ignored);

    m_previousResponder = torvik::screens::setMessageResponder(
        [this](const QString& text, torvik::screens::MessageButtons) {
            messages << text;
            return torvik::screens::MessageAnswer::Ok;
        });
    m_screens = std::make_unique<torvik::screens::ScreenSet>();
}

ScreenFixture::~ScreenFixture() {
    m_screens.reset();
    torvik::screens::setMessageResponder(std::move(m_previousResponder));
    qputenv("TORVIK_HOME", m_savedHome);
    qputenv("XDG_CONFIG_HOME", m_savedConfig);
}

torvik::screens::frmComm& ScreenFixture::screen() {
    if (m_comm == nullptr) {
        m_comm = &m_screens->comm();
        m_comm->show();
        m_comm->activateWindow();
        if (!QTest::qWaitForWindowActive(m_comm))
            qWarning("the main screen did not become active");
    }
    return *m_comm;
}

QString ScreenFixture::settingsFile() const {
    return m_home.filePath(QStringLiteral("TorvikSetting.ini"));
}

void ScreenFixture::registerLibrary(const QString& library) {
    QDir(m_config.path()).mkpath(QStringLiteral("tavrin"));
    QFile registry(m_config.filePath(QStringLiteral("tavrin/registry")));
    if (registry.open(QIODevice::WriteOnly))
        registry.write("TAVRINLib.TAVRIN=" + library.toUtf8() + "\n");
}

} // namespace screens2
