#include "screens/frmSetting.h"

#include "config/LabelCatalogue.h"
#include "config/Notices.h"
#include "config/ProgramFolder.h"
#include "config/ProgramValues.h"
#include "config/SettingsFile.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"
#include "screens/CaptionLabel.h"
#include "screens/FieldWatcher.h"
#include "screens/MessageBox.h"
#include "screens/Placement.h"
#include "screens/Quietly.h"
#include "screens/ScreenSet.h"
#include "screens/ScreenTexts.h"
#include "screens/frmComm.h"
#include "screens/frmMain.h"
#include "screens/frmVersion.h"
#include "startup/TimerResolution.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>
#include <string_view>

namespace torvik::screens {
namespace {

using mdlFileMgr::programValues;

// Message-table slots of the catalogue's MESSAGE keys 6, 7, 81, 82, 91, 92 and 10.
constexpr std::size_t kNotNumeric = 5;
constexpr std::size_t kPortOutOfRange = 6;
constexpr std::size_t kFolderMissing = 7;
constexpr std::size_t kFolderChooseExisting = 8;
constexpr std::size_t kStartNoRangeBefore = 9;
constexpr std::size_t kStartNoRangeAfter = 10;
constexpr std::size_t kFileNameForbidden = 11;

// Intervals and times are milliseconds (or seconds) from 1 to 10000.
constexpr double kIntervalMin = 1;
constexpr double kIntervalMax = 10000;
constexpr int kHighestPort = 32;
constexpr int kRecentFolders = 10;
// The rate is entered as n x 300 bps.
constexpr double kBpsStep = 300;

// Characters a file name cannot hold, in the order the message lists them.
constexpr char16_t kForbidden[] = u"\"*/:<>?\\|";

QString forbiddenList() {
    QString list;
    for (const char16_t c : std::u16string_view(kForbidden))
        list += QChar(c) + QStringLiteral("   ");
    return list;
}

std::optional<double> numberIn(const QString& text) {
    return runtime::isNumeric(text) ? runtime::toDouble(text) : std::nullopt;
}

std::optional<std::int32_t> int32In(const QString& text) {
    return runtime::isNumeric(text) ? runtime::toInt32(text) : std::nullopt;
}

bool folderExists(const QString& folder) {
    return !folder.trimmed().isEmpty() && QFileInfo(folder).isDir();
}

template <typename W>
W* named(QWidget* parent, const char* name) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = named<QLabel>(parent, name);
    l->setText(text);
    return l;
}

QFrame* section(QWidget* parent, const char* headerName, const QString& header,
                QGridLayout*& body) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);
    QLabel* title = label(frame, headerName, header);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    body = new QGridLayout;
    body->setHorizontalSpacing(8);
    body->setVerticalSpacing(6);
    layout->addLayout(body);
    return frame;
}

// A check box or option button with its caption label beside it.
QHBoxLayout* withCaption(QAbstractButton* button, QLabel* caption) {
    makeCaption(*caption, *button);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(button);
    row->addWidget(caption);
    return row;
}

QLineEdit* numberBox(QWidget* parent, const char* name) {
    auto* box = named<QLineEdit>(parent, name);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(QFontMetrics(box->font()).horizontalAdvance(QStringLiteral("0000000")) + 16);
    return box;
}

void fill(QComboBox& list, const QStringList& entries) {
    list.addItems(entries);
    list.setCurrentIndex(-1); // nothing chosen until the settings say
}

void select(QComboBox& list, const QString& entry) {
    list.setCurrentIndex(list.findText(entry, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QStringList numbers(int from, int to) {
    QStringList list;
    for (int n = from; n <= to; ++n)
        list << QString::number(n);
    return list;
}

} // namespace

frmSetting::frmSetting(ScreenSet& screens)
    : m_screens(screens), m_fields(new FieldWatcher(this)), m_menu(buildCommonMenu(*menuBar())) {
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("通信設定"));
    buildScreen();
    connectControls();
    connectMenu();
    quietly([this] { load(); });
}

frmSetting::~frmSetting() = default;

void frmSetting::buildScreen() {
    auto* c = new QWidget(this);
    setCentralWidget(c);
    QGridLayout* g = nullptr;

    // Baud rate.
    QFrame* baud = section(c, "lblHeader1", QStringLiteral("ボーレート（bps）"), g);
    m_chkBps = named<QCheckBox>(c, "chkBps");
    g->addLayout(withCaption(m_chkBps, label(c, "lblBpsCap", QStringLiteral("300ｎで設定"))), 0, 0,
                 1, 4, Qt::AlignLeft);
    m_cmbBps = named<QComboBox>(c, "cmbBps");
    fill(*m_cmbBps, {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                     QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400")});
    m_txtBps = numberBox(c, "txtBps");
    m_lblBps = label(c, "lblBps", {});
    m_lblBps->setMinimumWidth(
        QFontMetrics(m_lblBps->font()).horizontalAdvance(QStringLiteral("0000000")));
    m_lblBps->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* rate = new QHBoxLayout;
    rate->addWidget(m_cmbBps);
    rate->addWidget(m_txtBps);
    rate->addWidget(m_lblBps);
    rate->addSpacing(4);
    rate->addWidget(label(c, "lblBPSUnit", QStringLiteral("bps")));
    rate->addStretch(1);
    g->addLayout(rate, 1, 0, 1, 4);

    QFrame* port = section(c, "lblHeader5", QStringLiteral("通信ポート"), g);
    m_cmbCommport = named<QComboBox>(c, "cmbCommport");
    fill(*m_cmbCommport, numbers(1, kHighestPort));
    g->addWidget(m_cmbCommport, 0, 0);
    g->setColumnStretch(1, 1);

    QFrame* interval = section(c, "lblHeader4", QStringLiteral("通信間隔"), g);
    g->addWidget(label(c, "lblComm1", QStringLiteral("データ")), 0, 0);
    m_txtData = numberBox(c, "txtData");
    g->addWidget(m_txtData, 0, 1);
    m_optDataMS = named<QRadioButton>(c, "optDataMS");
    m_optDataS = named<QRadioButton>(c, "optDataS");
    auto* units = new QHBoxLayout;
    units->setSpacing(16);
    units->addLayout(withCaption(m_optDataMS, label(c, "lblComm3", QStringLiteral("m秒"))));
    units->addLayout(withCaption(m_optDataS, label(c, "lblComm4", QStringLiteral("秒"))));
    units->addStretch(1);
    g->addLayout(units, 0, 2);
    auto* unitGroup = new QButtonGroup(c);
    unitGroup->addButton(m_optDataMS);
    unitGroup->addButton(m_optDataS);
    g->addWidget(label(c, "lblComm2", QStringLiteral("同期信号")), 1, 0);
    m_txtSS = numberBox(c, "txtSS");
    g->addWidget(m_txtSS, 1, 1);
    g->addWidget(label(c, "lblComm5", QStringLiteral("m秒")), 1, 2);
    g->setColumnStretch(3, 1);

    QFrame* wait = section(c, "lblHeader9", QStringLiteral("ブロードキャスト通信後の待ち時間"), g);
    m_txtWait = numberBox(c, "txtWait");
    g->addWidget(m_txtWait, 0, 0);
    g->addWidget(label(c, "lblWait1", QStringLiteral("m秒")), 0, 1);
    g->setColumnStretch(2, 1);

    QFrame* timeout = section(c, "lblHeader10", QStringLiteral("無応答検出時間"), g);
    m_txtTime = numberBox(c, "txtTime");
    g->addWidget(m_txtTime, 0, 0);
    g->addWidget(label(c, "lblWait2", QStringLiteral("m秒")), 0, 1);
    g->setColumnStretch(2, 1);

    QFrame* errors = section(c, "lblHeader2", QStringLiteral("エラーの記録"), g);
    m_chkError1 = named<QCheckBox>(c, "chkError1");
    g->addLayout(
        withCaption(m_chkError1, label(c, "lblError1", QStringLiteral("エラーをログに出力する"))),
        0, 0, Qt::AlignLeft);

    // Data files.
    QFrame* saving = section(c, "lblHeader6", QStringLiteral("データ保存"), g);
    g->addWidget(label(c, "lblData1", QStringLiteral("ベースファイル名")), 0, 0);
    m_txtFileName = named<QLineEdit>(c, "txtFileName");
    m_txtFileName->setText(QStringLiteral("A0000001"));
    g->addWidget(m_txtFileName, 0, 1, 1, 2);
    g->addWidget(label(c, "lblData2", QStringLiteral("連番桁数")), 1, 0);
    m_cmbSerialLen = named<QComboBox>(c, "cmbSerialLen");
    fill(*m_cmbSerialLen, numbers(1, 8));
    g->addWidget(m_cmbSerialLen, 1, 1, Qt::AlignLeft);
    g->addWidget(label(c, "lblData3", QStringLiteral("開始番号")), 2, 0);
    m_txtStartNo = numberBox(c, "txtStartNo");
    g->addWidget(m_txtStartNo, 2, 1, Qt::AlignLeft);
    g->addWidget(label(c, "lblData5", QStringLiteral("保存場所")), 3, 0);
    m_cmbDirName = named<QComboBox>(c, "cmbDirName");
    m_cmbDirName->setEditable(true);
    m_cmbDirName->setInsertPolicy(QComboBox::NoInsert); // the folder list has its own rule
    m_cmbDirName->setMinimumWidth(300);
    m_cmbDirName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    g->addWidget(m_cmbDirName, 3, 1);
    m_cmdDlg = named<QPushButton>(c, "cmdDlg");
    m_cmdDlg->setText(QStringLiteral("参照"));
    g->addWidget(m_cmdDlg, 3, 2);
    g->addWidget(label(c, "lblData6", QStringLiteral("データフォーマット")), 4, 0);
    m_chkData1 = named<QCheckBox>(c, "chkData1");
    m_chkData2 = named<QCheckBox>(c, "chkData2");
    auto* format = new QHBoxLayout;
    format->addLayout(withCaption(m_chkData1, label(c, "lblData7", QStringLiteral("DLC No.付き"))));
    format->addLayout(withCaption(m_chkData2, label(c, "lblData8", QStringLiteral("時刻付き"))));
    format->setSpacing(24);
    format->addStretch(1);
    g->addLayout(format, 4, 1, 1, 2);
    g->setColumnStretch(1, 1);

    QFrame* real = section(c, "lblHeader7", QStringLiteral("実数の表示方法"), g);
    g->addWidget(label(c, "lblDp1", QStringLiteral("小数部の桁数")), 0, 0);
    m_cmbDp = named<QComboBox>(c, "cmbDp");
    fill(*m_cmbDp, numbers(0, 8));
    g->addWidget(m_cmbDp, 0, 1);
    g->setColumnStretch(2, 1);

    QFrame* kind = section(c, "lblHeader8", QStringLiteral("計量データの扱い"), g);
    m_optDataR = named<QRadioButton>(c, "optDataR");
    m_optDataN = named<QRadioButton>(c, "optDataN");
    auto* kinds = new QHBoxLayout;
    kinds->addLayout(withCaption(m_optDataR, label(c, "lblDp2", QStringLiteral("kg単位"))));
    kinds->addLayout(withCaption(m_optDataN, label(c, "lblDp3", QStringLiteral("カウント値"))));
    kinds->setSpacing(24);
    kinds->addStretch(1);
    g->addLayout(kinds, 0, 0);
    auto* kindGroup = new QButtonGroup(c);
    kindGroup->addButton(m_optDataR);
    kindGroup->addButton(m_optDataN);
    m_chkData3 = named<QCheckBox>(c, "chkData3");
    m_lblDp4 = label(c, "lblDp4", QStringLiteral("カウント値をkg換算する"));
    g->addLayout(withCaption(m_chkData3, m_lblDp4), 1, 0, Qt::AlignLeft);

    m_cmdComm = named<QPushButton>(c, "cmdComm");
    m_cmdComm->setText(QStringLiteral("通信へ"));
    m_cmdComm->setMinimumWidth(120);

    // Buttons and boxes do not take the focus from a field on a click: the screen checks the
    // field itself before it acts.
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_chkBps, m_optDataMS, m_optDataS, m_chkError1, m_cmdDlg, m_chkData1, m_chkData2,
             m_optDataR, m_optDataN, m_chkData3, m_cmdComm})
        w->setFocusPolicy(Qt::TabFocus);

    auto* left = new QVBoxLayout;
    for (QFrame* f : {baud, port, interval, wait, timeout})
        left->addWidget(f);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    for (QFrame* f : {saving, real, kind, errors})
        right->addWidget(f);
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdComm);
    right->addLayout(buttons);

    auto* columns = new QHBoxLayout(c);
    columns->setContentsMargins(14, 12, 14, 12);
    columns->setSpacing(12);
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);
}

void frmSetting::connectControls() {
    auto& s = programValues().setting;
    auto onToggle = [this](QAbstractButton* button, auto handler) {
        connect(button, &QAbstractButton::toggled, this,
                [handler](bool on) { quietly([&] { handler(on); }); });
    };
    auto onChoice = [this](QComboBox* list, auto handler) {
        connect(list, &QComboBox::currentIndexChanged, this, [list, handler](int index) {
            if (index >= 0)
                quietly([&] { handler(list->itemText(index)); });
        });
    };
    auto onText = [this](QLineEdit* box, auto handler) {
        connect(box, &QLineEdit::textChanged, this,
                [handler](const QString& text) { quietly([&] { handler(text); }); });
    };

    onToggle(m_chkBps, [this](bool on) { chkBpsClick(on); });
    onChoice(m_cmbBps, [&s](const QString& entry) {
        if (const auto rate = int32In(entry))
            s.Baudrate = *rate;
    });
    onText(m_txtBps, [this, &s](const QString& text) {
        const auto n = numberIn(text);
        if (!n)
            return;
        const double rate = *n * kBpsStep;
        m_lblBps->setText(runtime::plainText(rate));
        if (rate <= std::numeric_limits<std::int32_t>::max())
            s.Baudrate = static_cast<std::int32_t>(std::lround(rate));
    });
    onChoice(m_cmbCommport, [&s](const QString& entry) {
        if (const auto number = int32In(entry))
            s.Comport = *number;
    });
    onToggle(m_chkError1, [&s](bool on) { s.ErrCond1 = on; });

    intervalChanged(*m_txtData, [this, &s](std::int32_t value) {
        s.CommData = value;
        pollIntervalChanged();
    });
    intervalChanged(*m_txtSS, [&s](std::int32_t value) { s.CommSync = value; });
    intervalChanged(*m_txtWait, [&s](std::int32_t value) { s.WaitTime = value; });
    intervalChanged(*m_txtTime, [&s](std::int32_t value) { s.TimeOut = value; });
    onToggle(m_optDataMS, [this, &s](bool on) {
        if (!on)
            return;
        clampInterval(*m_txtData);
        s.CommDataUnit = QStringLiteral("M");
        pollIntervalChanged();
    });
    onToggle(m_optDataS, [this, &s](bool on) {
        if (!on)
            return;
        clampInterval(*m_txtData);
        s.CommDataUnit = QStringLiteral("S");
        pollIntervalChanged();
    });

    onText(m_txtFileName, [&s](const QString& text) { s.FileName = text; });
    onChoice(m_cmbSerialLen, [&s](const QString& entry) {
        if (const auto digits = int32In(entry))
            s.SerialLen = *digits;
    });
    onText(m_txtStartNo, [&s](const QString& text) {
        const auto value = runtime::val(text);
        if (value && *value <= std::numeric_limits<std::int32_t>::max())
            s.StartNo = static_cast<std::int32_t>(*value);
    });
    connect(m_cmbDirName, &QComboBox::activated, this, [this](int index) {
        quietly([&] {
            // A folder chosen from the list is made when it is missing (one level only).
            const QString folder = m_cmbDirName->itemText(index);
            if (!folder.trimmed().isEmpty() && !QFileInfo(folder).isDir())
                QDir().mkdir(folder);
        });
    });
    connect(m_cmdDlg, &QPushButton::clicked, this, [this] { quietly([this] { cmdDlgClick(); }); });
    onToggle(m_chkData1, [&s](bool on) { s.DataFormat1 = on; });
    onToggle(m_chkData2, [&s](bool on) { s.DataFormat2 = on; });
    onChoice(m_cmbDp, [&s](const QString& entry) {
        if (const auto digits = runtime::toInt16(entry))
            s.DP = *digits;
    });
    onToggle(m_optDataR, [this, &s](bool on) {
        if (!on)
            return;
        s.DataKind = QStringLiteral("R");
        m_chkData3->hide();
        m_lblDp4->hide();
    });
    onToggle(m_optDataN, [this, &s](bool on) {
        if (!on)
            return;
        s.DataKind = QStringLiteral("N");
        m_chkData3->show();
        m_lblDp4->show();
    });
    onToggle(m_chkData3, [&s](bool on) { s.DataUnit = on; });
    connect(m_cmdComm, &QPushButton::clicked, this, [this] {
        quietly([this] { leaveFor([this]() -> QWidget& { return m_screens.comm(); }); });
    });

    // Keys and leaving checks.
    auto interval = [this](QLineEdit* box) {
        m_fields->watch(*box,
                        {EntryKeys::Digits, true, {}, [this, box] { return clampInterval(*box); }});
    };
    for (QLineEdit* box : {m_txtData, m_txtSS, m_txtWait, m_txtTime})
        interval(box);
    m_fields->watch(*m_txtBps, {EntryKeys::Digits, true, {}, [this] { return txtBpsLeft(); }});
    m_fields->watch(*m_txtStartNo,
                    {EntryKeys::Digits, true, {}, [this] { return txtStartNoLeft(); }});
    m_fields->watch(*m_txtFileName,
                    {EntryKeys::Any, true, [this] { m_fileNameOnEntry = m_txtFileName->text(); },
                     [this] { return txtFileNameLeft(); }});
    m_fields->watch(*m_cmbDirName, {EntryKeys::Any, true, {}, [this] { return cmbDirNameLeft(); }});
    m_fields->watch(*m_cmbBps, {EntryKeys::None, false, {}, {}});
    m_fields->watch(*m_cmbCommport,
                    {EntryKeys::Any, false, {}, [this] { return cmbCommportLeft(); }});
    for (QComboBox* list : {m_cmbSerialLen, m_cmbDp})
        m_fields->watch(*list, {EntryKeys::Any, false, {}, {}});
}

void frmSetting::connectMenu() {
    auto on = [this](QAction* item, auto handler) {
        connect(item, &QAction::triggered, this, [handler] { quietly(handler); });
    };
    on(m_menu.mnu_no1, [this] { leaveFor([this]() -> QWidget& { return m_screens.main(); }); });
    on(m_menu.mnu_tx1, [this] { leaveFor([this]() -> QWidget& { return m_screens.comm(); }); });
    on(m_menu.mnu_i1_11, [this] { applyDefaults(); });
    on(m_menu.mnu_i1_12, [this] { m_screens.initialiseAll(true); });
    on(m_menu.mnu_h1, [this] { m_screens.showHelp(*this); });
    on(m_menu.mnu_v1, [this] { showVersionBox(*this); });
}

void frmSetting::load() {
    mdlFileMgr::ScreenTexts texts;
    mdlFileMgr::LabelSet3(texts);
    applyScreenTexts(*this, texts);
    setWindowTitle(config::noticeText(config::Notice::SettingScreenTitle));

    const auto& values = programValues();
    // The handlers write each value back into the settings as it is set, as a click would.
    const auto s = values.setting;
    if (s.BPS300) {
        m_chkBps->setChecked(true);
    } else {
        m_chkBps->setChecked(false);
        m_cmbBps->show();
        select(*m_cmbBps, QString::number(s.Baudrate));
        m_txtBps->hide();
        m_lblBps->hide();
    }
    select(*m_cmbCommport, QString::number(s.Comport));
    m_chkError1->setChecked(s.ErrCond1);
    m_txtData->setText(QString::number(s.CommData));
    (s.CommDataUnit == u"S" ? m_optDataS : m_optDataMS)->setChecked(true);
    m_txtSS->setText(QString::number(s.CommSync));
    m_cmbDirName->clear();
    for (const QString& folder : values.list)
        if (!folder.isEmpty())
            m_cmbDirName->addItem(folder);
    m_cmbDirName->setCurrentIndex(
        m_cmbDirName->findText(s.DirName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (m_cmbDirName->currentIndex() < 0)
        m_cmbDirName->setEditText(s.DirName); // a folder the list does not hold yet
    m_cmbDirName->setToolTip(m_cmbDirName->currentText());
    m_txtFileName->setText(s.FileName);
    select(*m_cmbSerialLen, QString::number(s.SerialLen));
    m_txtStartNo->setText(QString::number(s.StartNo));
    m_chkData1->setChecked(s.DataFormat1);
    m_chkData2->setChecked(s.DataFormat2);
    select(*m_cmbDp, QString::number(s.DP));
    (s.DataKind == u"R" ? m_optDataR : m_optDataN)->setChecked(true);
    m_chkData3->setChecked(s.DataUnit);
    m_txtWait->setText(QString::number(s.WaitTime));
    m_txtTime->setText(QString::number(s.TimeOut));
}

void frmSetting::message(std::size_t slot, const QString& more) {
    const auto& messages = programValues().messages;
    showMessage(this, messages[slot] + more);
}

void frmSetting::refuse(std::size_t slot, QWidget& field, const QString& more) {
    message(slot, more);
    m_fields->putFocusBack(field);
}

void frmSetting::chkBpsClick(bool ticked) {
    const auto& s = programValues().setting;
    if (ticked) {
        m_cmbBps->hide();
        m_txtBps->setText(runtime::plainText(s.Baudrate / kBpsStep));
        m_txtBps->show();
        m_lblBps->setText(QString::number(s.Baudrate));
        m_lblBps->show();
    } else {
        m_cmbBps->show();
        const int entry = m_cmbBps->findText(m_lblBps->text());
        if (entry >= 0)
            m_cmbBps->setCurrentIndex(entry);
        m_txtBps->hide();
        m_lblBps->hide();
    }
}

void frmSetting::intervalChanged(QLineEdit& box, const std::function<void(std::int32_t)>& store) {
    connect(&box, &QLineEdit::textChanged, this, [this, &box, store](const QString& text) {
        quietly([&] {
            if (!runtime::isNumeric(text)) {
                refuse(kNotNumeric, box);
                return;
            }
            if (const auto value = runtime::toInt32(text))
                store(*value);
        });
    });
}

bool frmSetting::clampInterval(QLineEdit& box) {
    const double value = runtime::val(box.text()).value_or(0);
    if (value < kIntervalMin)
        box.setText(runtime::plainText(kIntervalMin));
    else if (value > kIntervalMax)
        box.setText(runtime::plainText(kIntervalMax));
    return true;
}

void frmSetting::pollIntervalChanged() {
    auto& values = programValues();
    const qint64 ms = m_optDataS->isChecked() ? qint64{values.setting.CommData} * 1000
                                              : qint64{values.setting.CommData};
    values.PollIntervalMs = QString::number(ms);
}

bool frmSetting::txtBpsLeft() {
    const auto n = numberIn(m_txtBps->text());
    if (!n) {
        refuse(kNotNumeric, *m_txtBps);
        return false;
    }
    // The rate derives line times by division: a rate of 0 bps would make them endless.
    if (*n < 1)
        m_txtBps->setText(QStringLiteral("1"));
    return true;
}

bool frmSetting::cmbCommportLeft() {
    const auto port = numberIn(m_cmbCommport->currentText());
    if (!port) {
        refuse(kNotNumeric, *m_cmbCommport);
        return false;
    }
    if (*port < 0 || *port > kHighestPort) {
        refuse(kPortOutOfRange, *m_cmbCommport);
        return false;
    }
    return true;
}

bool frmSetting::txtFileNameLeft() {
    const QString name = m_txtFileName->text();
    if (name.trimmed().isEmpty()) {
        m_txtFileName->setText(m_fileNameOnEntry);
        return true;
    }
    for (const char16_t c : std::u16string_view(kForbidden)) {
        if (name.contains(QChar(c))) {
            message(kFileNameForbidden, QStringLiteral("\n\n") + forbiddenList());
            m_txtFileName->setText(m_fileNameOnEntry);
            m_fields->putFocusBack(*m_txtFileName);
            return false;
        }
    }
    return true;
}

bool frmSetting::startNoInRange(QWidget& field, double value) {
    const int digits = std::clamp(m_cmbSerialLen->currentText().toInt(), 1, 9);
    const double limit = std::pow(10.0, digits) - 1; // as many nines as the sequence has digits
    if (value >= 1 && value <= limit)
        return true;
    refuse(kStartNoRangeBefore, field,
           runtime::plainText(limit) + programValues().messages[kStartNoRangeAfter]);
    return false;
}

bool frmSetting::txtStartNoLeft() {
    const auto value = numberIn(m_txtStartNo->text());
    if (!value) {
        refuse(kNotNumeric, *m_txtStartNo);
        return false;
    }
    if (!startNoInRange(*m_txtStartNo, *value))
        return false;
    programValues().setting.StartNo = static_cast<std::int32_t>(*value);
    return true;
}

bool frmSetting::cmbDirNameLeft() {
    const QString folder = m_cmbDirName->currentText();
    if (!folder.isEmpty())
        takeFolder(folder);
    return true;
}

void frmSetting::takeFolder(const QString& folder) {
    auto& values = programValues();
    values.setting.DirName = folder;
    m_cmbDirName->setToolTip(folder);
    const int known = m_cmbDirName->findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (known >= 0 && known < kRecentFolders)
        m_cmbDirName->removeItem(known);
    else if (m_cmbDirName->count() >= kRecentFolders)
        m_cmbDirName->removeItem(m_cmbDirName->count() - 1);
    m_cmbDirName->insertItem(0, folder);
    m_cmbDirName->setCurrentIndex(0);
    for (int n = 0; n < kRecentFolders; ++n)
        values.list[static_cast<std::size_t>(n)] =
            n < m_cmbDirName->count() ? m_cmbDirName->itemText(n) : QString();
}

void frmSetting::cmdDlgClick() {
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // only the folder is taken
    dialog.setNameFilter(QStringLiteral("カンマ区切り ファイル (*.csv)"));
    dialog.setDirectory(programValues().setting.DirName);
    dialog.selectFile(QStringLiteral("TestFile"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    takeFolder(QDir::fromNativeSeparators(chosen.absolutePath()) + u'/');
}

bool frmSetting::CheckSettingEntries() {
    return quietlyOr(false, [this] {
        auto numeric = [this](QLineEdit& box) {
            if (runtime::isNumeric(box.text()))
                return true;
            refuse(kNotNumeric, box);
            return false;
        };
        if (!m_txtBps->isHidden() && !numeric(*m_txtBps))
            return false;
        if (!numeric(*m_txtData) || !numeric(*m_txtSS) || !numeric(*m_txtStartNo))
            return false;
        // The range is checked when the box is left; a screen left by a button or menu
        // straight after typing must not take a number its file names cannot carry.
        if (!startNoInRange(*m_txtStartNo, *numberIn(m_txtStartNo->text())))
            return false;
        if (!folderExists(m_cmbDirName->currentText())) {
            const auto& messages = programValues().messages;
            showMessage(this, messages[kFolderMissing] + u'\n' + messages[kFolderChooseExisting]);
            m_fields->putFocusBack(*m_cmbDirName);
            return false;
        }
        return numeric(*m_txtWait) && numeric(*m_txtTime);
    });
}

void frmSetting::SaveSetting() {
    auto& values = programValues();
    auto& s = values.setting;
    // A field that does not convert keeps its setting; the others are still taken.
    auto number = [](const QString& text, std::int32_t& into) {
        if (const auto value = int32In(text))
            into = *value;
    };
    s.BPS300 = m_chkBps->isChecked();
    if (!s.BPS300) {
        number(m_cmbBps->currentText(), s.Baudrate);
    } else if (const auto n = numberIn(m_txtBps->text())) {
        const double rate = *n * kBpsStep;
        if (rate >= 1 && rate <= std::numeric_limits<std::int32_t>::max())
            s.Baudrate = static_cast<std::int32_t>(std::lround(rate));
    }
    number(m_cmbCommport->currentText(), s.Comport);
    s.ErrCond1 = m_chkError1->isChecked();
    number(m_txtData->text(), s.CommData);
    s.CommDataUnit = m_optDataMS->isChecked() ? QStringLiteral("M") : QStringLiteral("S");
    number(m_txtSS->text(), s.CommSync);
    s.DirName = m_cmbDirName->currentText();
    m_cmbDirName->setToolTip(s.DirName);
    s.FileName = m_txtFileName->text();
    number(m_cmbSerialLen->currentText(), s.SerialLen);
    number(m_txtStartNo->text(), s.StartNo);
    s.DataFormat1 = m_chkData1->isChecked();
    s.DataFormat2 = m_chkData2->isChecked();
    if (const auto dp = runtime::toInt16(m_cmbDp->currentText()))
        s.DP = *dp;
    s.DataKind = m_optDataR->isChecked() ? QStringLiteral("R") : QStringLiteral("N");
    s.DataUnit = m_chkData3->isChecked();
    number(m_txtWait->text(), s.WaitTime);
    number(m_txtTime->text(), s.TimeOut);
    mdlFileMgr::deriveSettingsValues(values);
}

void frmSetting::applyDefaults() {
    // The values a first start begins with; the controls that show them are set here.
    const auto s = mdlFileMgr::initialSettings(config::programFolder());
    m_chkBps->setChecked(s.BPS300);
    m_txtBps->setText(runtime::plainText(s.Baudrate / kBpsStep));
    select(*m_cmbBps, QString::number(s.Baudrate));
    m_chkError1->setChecked(s.ErrCond1);
    m_txtData->setText(QString::number(s.CommData));
    (s.CommDataUnit == u"M" ? m_optDataMS : m_optDataS)->setChecked(true);
    m_txtSS->setText(QString::number(s.CommSync));
    m_txtFileName->setText(s.FileName);
    select(*m_cmbSerialLen, QString::number(s.SerialLen));
    m_txtStartNo->setText(QString::number(s.StartNo));
    m_cmbDirName->clear();
    m_cmbDirName->addItem(s.DirName);
    m_cmbDirName->setCurrentIndex(0);
    if (!QFileInfo(s.DirName).isDir())
        QDir().mkdir(s.DirName); // as choosing the entry would
    takeFolder(s.DirName);
    m_chkData1->setChecked(s.DataFormat1);
    m_chkData2->setChecked(s.DataFormat2);
    m_chkData3->setChecked(s.DataUnit);
    select(*m_cmbDp, QString::number(s.DP));
    (s.DataKind == u"R" ? m_optDataR : m_optDataN)->setChecked(true);
    m_txtWait->setText(QString::number(s.WaitTime));
    m_txtTime->setText(QString::number(s.TimeOut));
    select(*m_cmbCommport, QString::number(s.Comport));
    // Defaults set from another screen never pass through this screen's leaving: they are
    // taken into the settings here.
    SaveSetting();
}

void frmSetting::leaveFor(const std::function<QWidget&()>& target) {
    if (!m_fields->commitFocused(*this) || !CheckSettingEntries())
        return;
    QWidget& screen = target();
    SaveSetting();
    switchScreen(*this, screen);
}

void frmSetting::closeEvent(QCloseEvent* event) {
    quietly([] { startup::timeEndPeriod(1); });
    const bool passed = quietlyOr(
        false, [this] { return m_fields->commitFocused(*this) && CheckSettingEntries(); });
    if (!passed) {
        event->ignore();
        return;
    }
    event->accept();
    quietly([this] { SaveSetting(); });
    quietly([this] { m_screens.writeSettingsFile(); });
    quietly([this] { m_screens.finishProgram(*this); });
}

} // namespace torvik::screens
