#include "screens/frmMain.h"

#include "config/LabelCatalogue.h"
#include "config/ProgramValues.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"
#include "screens/FieldWatcher.h"
#include "screens/MessageBox.h"
#include "screens/Placement.h"
#include "screens/Quietly.h"
#include "screens/ScreenSet.h"
#include "screens/ScreenTexts.h"
#include "screens/frmComm.h"
#include "screens/frmSetting.h"
#include "screens/frmVersion.h"
#include "startup/TimerResolution.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace torvik::screens {
namespace {

using mdlFileMgr::programValues;

// Message-table slots of the catalogue's MESSAGE keys 3, 4, 5 and 11.
constexpr std::size_t kSerialNoInvalid = 2;
constexpr std::size_t kSlaveAddressInvalid = 3;
constexpr std::size_t kSerialNoTwice = 4;
constexpr std::size_t kSlaveAddressTwice = 12;

// A serial number is an unsigned 32-bit number; a slave address a Modbus unicast address.
constexpr double kSerialNoMax = 4294967295.0;
constexpr double kSlaveAddressMin = 1.0;
constexpr double kSlaveAddressMax = 247.0;

std::size_t at(int row) {
    return static_cast<std::size_t>(row);
}

std::optional<double> numberIn(const QString& text) {
    return runtime::isNumeric(text) ? runtime::toDouble(text) : std::nullopt;
}

// A load cell on its beam: the picture beside the rows.
QPixmap loadCellPicture() {
    QPixmap picture(112, 112);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 70, 90), 2));
    p.setBrush(QColor(200, 210, 225));
    p.drawRoundedRect(QRectF(10, 44, 92, 34), 6, 6);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(42, 52, 28, 18));
    p.setBrush(QColor(60, 70, 90));
    p.drawRect(QRectF(8, 78, 26, 10));
    const QPointF arrow[] = {{82, 12}, {92, 12}, {92, 26}, {98, 26}, {87, 40}, {76, 26}, {82, 26}};
    p.setBrush(QColor(200, 60, 50));
    p.setPen(Qt::NoPen);
    p.drawPolygon(arrow, 7);
    p.setPen(QPen(QColor(60, 70, 90), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 84, 60, 24), 180 * 16, 90 * 16);
    return picture;
}

} // namespace

frmMain::frmMain(ScreenSet& screens)
    : m_screens(screens), m_fields(new FieldWatcher(this)), m_menu(buildCommonMenu(*menuBar())) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("シリアル番号設定とSAdrsの設定"));
    buildScreen();
    connectMenu();
    quietly([this] { load(); });
}

frmMain::~frmMain() = default;

void frmMain::buildScreen() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    auto* Image1 = new QLabel(central);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(loadCellPicture());
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    auto* lblSerialNo = new QLabel(QStringLiteral("シリアル番号"), central);
    lblSerialNo->setObjectName(QStringLiteral("lblSerialNo"));
    auto* lblSlaveAddress = new QLabel(QStringLiteral("スレーブアドレス"), central);
    lblSlaveAddress->setObjectName(QStringLiteral("lblSlaveAddress"));
    for (QLabel* heading : {lblSerialNo, lblSlaveAddress}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
    }
    for (int n = 0; n <= kRows; ++n) {
        auto* label = new QLabel(n == 0 ? QStringLiteral("No.") : QString::number(n), central);
        label->setObjectName(QStringLiteral("lblNo_%1").arg(n));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_lblNo[static_cast<std::size_t>(n)] = label;
        grid->addWidget(label, n, 0);
    }
    grid->addWidget(lblSerialNo, 0, 1);
    grid->addWidget(lblSlaveAddress, 0, 2);

    const QFontMetrics metrics(font());
    for (int k = 0; k < kRows; ++k) {
        auto* serial =
            new QLineEdit(QStringLiteral("%1").arg(k + 1, 10, 10, QLatin1Char('0')), central);
        serial->setObjectName(QStringLiteral("txtSerialNo_%1").arg(k));
        serial->setMaxLength(10);
        serial->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("000000000000")) + 16);
        auto* address = new QLineEdit(QString::number(k + 1), central);
        address->setObjectName(QStringLiteral("txtSlaveAddress_%1").arg(k));
        address->setMaxLength(3);
        address->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("00000")) + 16);
        address->setAlignment(Qt::AlignRight);
        serial->setAlignment(Qt::AlignRight);
        m_txtSerialNo[at(k)] = serial;
        m_txtSlaveAddress[at(k)] = address;
        grid->addWidget(serial, k + 1, 1);
        grid->addWidget(address, k + 1, 2);

        m_fields->watch(*serial,
                        {EntryKeys::Digits, true,
                         [this, k] { m_serialOnEntry[at(k)] = m_txtSerialNo[at(k)]->text(); },
                         [this, k] { return serialNoLeft(k); }});
        m_fields->watch(*address,
                        {EntryKeys::Digits, true, {}, [this, k] { return slaveAddressLeft(k); }});
    }
    // Enter and Tab go across a row, then down to the next one.
    for (int k = 0; k < kRows; ++k) {
        QWidget::setTabOrder(m_txtSerialNo[at(k)], m_txtSlaveAddress[at(k)]);
        if (k + 1 < kRows)
            QWidget::setTabOrder(m_txtSlaveAddress[at(k)], m_txtSerialNo[at(k + 1)]);
    }

    m_lblGuide = new QLabel(QStringLiteral("シリアル番号とスレーブアドレスはDLC通信規格協議会の共通"
                                           "通信規格に従って設定してください。"),
                            central);
    m_lblGuide->setObjectName(QStringLiteral("lblGuide"));
    m_lblGuide->setStyleSheet(QStringLiteral("color: #40506a;"));
    m_lblGuide->hide();

    m_cmdComm = new QPushButton(QStringLiteral("通信へ"), central);
    m_cmdComm->setObjectName(QStringLiteral("cmdComm"));
    m_cmdComm->setMinimumWidth(120);
    // A click must not pull the focus out of a box: the button checks every box itself.
    m_cmdComm->setFocusPolicy(Qt::TabFocus);
    m_cmdComm->setDefault(false);
    m_cmdComm->setAutoDefault(false);
    connect(m_cmdComm, &QPushButton::clicked, this, [this] {
        quietly([this] { leaveFor([this]() -> QWidget& { return m_screens.comm(); }, true); });
    });

    auto* rows = new QHBoxLayout;
    rows->setSpacing(24);
    rows->addWidget(Image1);
    rows->addLayout(grid);
    rows->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdComm);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    layout->addLayout(rows);
    layout->addWidget(m_lblGuide);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void frmMain::connectMenu() {
    auto on = [this](QAction* item, auto handler) {
        connect(item, &QAction::triggered, this, [handler] { quietly(handler); });
    };
    on(m_menu.mnu_sif1,
       [this] { leaveFor([this]() -> QWidget& { return m_screens.setting(); }, false); });
    on(m_menu.mnu_tx1,
       [this] { leaveFor([this]() -> QWidget& { return m_screens.comm(); }, false); });
    on(m_menu.mnu_i1_11, [this] { initialiseRows(); });
    on(m_menu.mnu_i1_12, [this] {
        // The registration screen leaves the communication-status display as it is.
        m_screens.initialiseAll(false);
    });
    on(m_menu.mnu_h1, [this] { m_screens.showHelp(*this); });
    on(m_menu.mnu_v1, [this] { showVersionBox(*this); });
}

void frmMain::load() {
    mdlFileMgr::ScreenTexts texts;
    mdlFileMgr::LabelSet(texts);
    applyScreenTexts(*this, texts);
    // The settings screen's messages are wanted before that screen is first opened; it puts
    // its own texts on itself when it loads.
    mdlFileMgr::ScreenTexts settingTexts;
    mdlFileMgr::LabelSet3(settingTexts);

    auto& values = programValues();
    for (int k = 0; k < rowCount(); ++k) {
        m_txtSerialNo[at(k)]->setText(values.serialNo[at(k)]);
        m_txtSlaveAddress[at(k)]->setText(QString::number(values.slaveAddress[at(k)]));
    }
    rememberSerialNumbers();
    if (values.ProgramVariant == 2)
        return;
    m_lblGuide->show();
    for (int k = rowCount(); k < kRows; ++k) {
        m_lblNo[at(k + 1)]->hide();
        m_txtSerialNo[at(k)]->hide();
        m_txtSlaveAddress[at(k)]->hide();
    }
}

int frmMain::rowCount() const {
    return std::clamp(programValues().MaxDlcIndex + 1, 0, kRows);
}

QString frmMain::serialNumberText(int row) const {
    if (row < 0 || row >= kRows)
        return {};
    return m_txtSerialNo[at(row)]->text();
}

void frmMain::initialiseRows() {
    for (int k = 0; k < rowCount(); ++k) {
        m_txtSerialNo[at(k)]->setText(QStringLiteral("0"));
        m_txtSlaveAddress[at(k)]->setText(QString::number(k + 1));
    }
    rememberSerialNumbers();
}

void frmMain::rememberSerialNumbers() {
    // The focus a window gets when it shows or comes back is no entry into a box: what the box
    // held then is what the operator found there.
    for (int k = 0; k < kRows; ++k)
        m_serialOnEntry[at(k)] = m_txtSerialNo[at(k)]->text();
}

mdlFileMgr::RegistrationTexts frmMain::registrationTexts() const {
    mdlFileMgr::RegistrationTexts boxes;
    for (int k = 0; k < kRows; ++k) {
        boxes.serialNo[at(k)] = m_txtSerialNo[at(k)]->text();
        boxes.slaveAddress[at(k)] = m_txtSlaveAddress[at(k)]->text();
    }
    return boxes;
}

void frmMain::refuse(int messageSlot, QLineEdit& box) {
    showMessage(this, programValues().messages[static_cast<std::size_t>(messageSlot)]);
    m_fields->putFocusBack(box);
}

bool frmMain::serialNoLeft(int row) {
    QLineEdit& box = *m_txtSerialNo[at(row)];
    const QString text = box.text();
    const std::optional<double> value = numberIn(text);
    if (!value) {
        refuse(kSerialNoInvalid, box);
        return false;
    }
    bool accepted = true;
    if (*value < 0 || *value > kSerialNoMax) {
        refuse(kSerialNoInvalid, box);
        accepted = false;
    }
    if (*value == 0)
        return accepted;
    if (text != m_serialOnEntry[at(row)]) {
        // A newly registered load cell is selected for measurement at once.
        programValues().tab1.chkSelect[at(row)] = true;
        if (m_screens.hasComm())
            m_screens.comm().serialNumberRegistered(row);
    }
    return accepted;
}

bool frmMain::slaveAddressLeft(int row) {
    QLineEdit& box = *m_txtSlaveAddress[at(row)];
    std::optional<double> value = numberIn(box.text());
    if (value) {
        const QString whole = runtime::formatNumber(*value, u"0");
        if (whole != box.text())
            box.setText(whole);
    }
    if (!value || *value < kSlaveAddressMin || *value > kSlaveAddressMax) {
        refuse(kSlaveAddressInvalid, box);
        return false;
    }
    return true;
}

bool frmMain::CheckAddress() {
    return quietlyOr(false, [this] {
        const int n = rowCount();
        std::array<double, kRows> serial{};
        for (int k = 0; k < n; ++k) {
            const std::optional<double> value = numberIn(m_txtSerialNo[at(k)]->text());
            if (!value || *value < 0 || *value > kSerialNoMax) {
                refuse(kSerialNoInvalid, *m_txtSerialNo[at(k)]);
                return false;
            }
            serial[at(k)] = *value;
        }
        // Serial numbers are compared as numbers: "0000000001" and "1" are the same load cell,
        // and two rows giving one cell two addresses would lose the first. Rows that both read
        // "0" hold no load cell and may repeat.
        for (int i = 0; i + 1 < n; ++i) {
            const QString first = m_txtSerialNo[at(i)]->text().trimmed();
            for (int j = i + 1; j < n; ++j) {
                if (serial[at(i)] != serial[at(j)])
                    continue;
                if (first == u"0" && m_txtSerialNo[at(j)]->text().trimmed() == u"0")
                    break;
                refuse(kSerialNoTwice, *m_txtSerialNo[at(i)]);
                return false;
            }
        }
        std::array<double, kRows> address{};
        for (int k = 0; k < n; ++k) {
            const std::optional<double> value = numberIn(m_txtSlaveAddress[at(k)]->text());
            if (!value || *value < kSlaveAddressMin || *value > kSlaveAddressMax) {
                refuse(kSlaveAddressInvalid, *m_txtSlaveAddress[at(k)]);
                return false;
            }
            address[at(k)] = *value;
        }
        // As numbers too: "07" and "7" are one address on the line.
        for (int i = 0; i + 1 < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                if (address[at(i)] == address[at(j)]) {
                    refuse(kSlaveAddressTwice, *m_txtSlaveAddress[at(i)]);
                    return false;
                }
            }
        }
        return true;
    });
}

void frmMain::SaveAddress() {
    auto& values = programValues();
    for (int k = 0; k < rowCount(); ++k) {
        values.serialNo[at(k)] = m_txtSerialNo[at(k)]->text();
        // An address that does not convert keeps the table's value (only the unchecked copy of
        // the close sequence meets one).
        if (const auto address = runtime::toInt16(m_txtSlaveAddress[at(k)]->text()))
            values.slaveAddress[at(k)] = *address;
    }
}

void frmMain::leaveFor(const std::function<QWidget&()>& target, bool writeFile) {
    if (!m_fields->commitFocused(*this) || !CheckAddress())
        return;
    if (writeFile)
        mdlFileMgr::WriteIniFile(registrationTexts());
    SaveAddress();
    switchScreen(*this, target());
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Each step goes on whatever the one before met.
    quietly([] { startup::timeEndPeriod(1); });
    quietly([this] { SaveAddress(); });
    bool passed = true;
    quietly([this, &passed] { passed = m_fields->commitFocused(*this) && CheckAddress(); });
    if (!passed) {
        event->ignore();
        return;
    }
    event->accept();
    quietly([this] { SaveAddress(); });
    quietly([this] { m_screens.writeSettingsFile(); });
    quietly([this] { m_screens.finishProgram(*this); });
}

} // namespace torvik::screens
