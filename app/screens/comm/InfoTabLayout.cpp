// The information tab: one row per item on the left; the load cell, the serial-number kind,
// options, counters and buttons on the right.
#include "screens/comm/CommWidgets.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunControlsLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace torvik::screens::comm {

QWidget* buildInfoTab(InfoTab& t) {
    auto* page = new QWidget;
    t.page = page;

    const char* const items[] = {"定格容量", "シリアル番号", "機種名",     "メーカー名",
                                 "温度",     "定格出力",     "ｽﾚｰﾌﾞｱﾄﾞﾚｽ", "ボーレート"};
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->addWidget(makeHeading(page, QStringLiteral("lblRecvData"), QStringLiteral("受信データ")),
                    0, 2);
    rows->addWidget(makeHeading(page, QStringLiteral("lblCountInfo"), QStringLiteral("無応答回数")),
                    0, 3);
    for (int k = 0; k < kItems; ++k) {
        const auto i = static_cast<std::size_t>(k);
        t.lblFunc[i] = makeLabel(page, indexedName("lblFunc", k), QString::fromUtf8(items[i]));
        t.chkSelectInfo[i] = makeCheck(page, indexedName("chkSelectInfo", k));
        pairWithLabel(t.chkSelectInfo[i], t.lblFunc[i]);
        t.txtRecvData[i] = makeDisplay(page, indexedName("txtRecvData", k), QString(), 30);
        t.txtRecvData[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        t.txtCountInfo[i] =
            makeDisplay(page, indexedName("txtCountInfo", k), QStringLiteral("0"), 8);
        rows->addWidget(t.lblFunc[i], k + 1, 0);
        rows->addWidget(t.chkSelectInfo[i], k + 1, 1);
        rows->addWidget(t.txtRecvData[i], k + 1, 2);
        rows->addWidget(t.txtCountInfo[i], k + 1, 3);
    }
    rows->setColumnStretch(2, 1);
    rows->setRowStretch(kItems + 1, 1);

    auto* dlc = new QHBoxLayout;
    QStringList numbers;
    for (int n = 1; n <= kRows; ++n)
        numbers << QString::number(n);
    t.cmbNo = makeCombo(page, QStringLiteral("cmbNo"), numbers, 3);
    dlc->addWidget(makeLabel(page, QStringLiteral("lblNoInfo"), QStringLiteral("DLCの番号")));
    dlc->addWidget(t.cmbNo);
    dlc->addStretch(1);

    auto* frame5 = new QGroupBox(page);
    frame5->setObjectName(QStringLiteral("Frame5"));
    auto* kind = new QGridLayout(frame5);
    kind->addWidget(
        makeLabel(page, QStringLiteral("lblSerial"), QStringLiteral("シリアル番号の種類")), 0, 0, 1,
        2);
    t.optInput[0] = makeOption(page, indexedName("optInput", 0));
    t.optInput[1] = makeOption(page, indexedName("optInput", 1));
    QLabel* input = makeLabel(page, QStringLiteral("lblInput"), QStringLiteral("入力レジスタ"));
    QLabel* hold = makeLabel(page, QStringLiteral("lblHold"), QStringLiteral("保持レジスタ"));
    pairWithLabel(t.optInput[0], input);
    pairWithLabel(t.optInput[1], hold);
    kind->addWidget(t.optInput[0], 1, 0);
    kind->addWidget(input, 1, 1);
    kind->addWidget(t.optInput[1], 2, 0);
    kind->addWidget(hold, 2, 1);
    kind->setColumnStretch(1, 1);

    auto* options = new QGroupBox(page);
    options->setObjectName(QStringLiteral("fraReadInfo"));
    auto* optionGrid = new QGridLayout(options);
    const char* const captions[] = {"単発", "スレーブアドレスの手動割付"};
    for (int i = 0; i < 2; ++i) {
        const auto n = static_cast<std::size_t>(i);
        t.chkReadInfo[n] = makeCheck(page, indexedName("chkReadInfo", i));
        QLabel* caption = makeLabel(page, QStringLiteral("lblReadInfo%1").arg(i + 1),
                                    QString::fromUtf8(captions[n]));
        pairWithLabel(t.chkReadInfo[n], caption);
        optionGrid->addWidget(t.chkReadInfo[n], i, 0);
        optionGrid->addWidget(caption, i, 1);
    }
    optionGrid->setColumnStretch(1, 1);

    makeRunControls(page, QStringLiteral("Info"), true, t.run);
    auto* column = new QVBoxLayout;
    column->addLayout(dlc);
    column->addWidget(frame5);
    column->addWidget(options);
    column->addSpacing(8);
    addRunColumn(*column, t.run);
    column->addStretch(1);

    layOutRowsBesideColumn(*page, rows, column, t.run.lblMsg);
    return page;
}

} // namespace torvik::screens::comm
