// The measurement tab: one row per load cell on the left, options, counters and buttons on
// the right, the message line along the bottom.
#include "screens/comm/CommWidgets.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunControlsLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace torvik::screens::comm {

QWidget* buildMeasureTab(MeasureTab& t) {
    auto* page = new QWidget;
    t.page = page;

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->addWidget(makeHeading(page, QStringLiteral("lblData"), QStringLiteral("計量データ")), 0,
                    2);
    t.lblStatus = makeHeading(page, QStringLiteral("lblStatus"), QStringLiteral("ステータス"));
    rows->addWidget(t.lblStatus, 0, 3);
    rows->addWidget(makeHeading(page, QStringLiteral("lblCount"), QStringLiteral("無応答回数")), 0,
                    4);
    for (int k = 0; k < kRows; ++k) {
        const auto i = static_cast<std::size_t>(k);
        t.lblNo[i + 1] = makeRowNumber(page, indexedName("lblNo", k + 1), QString::number(k + 1));
        t.chkSelect[i] = makeCheck(page, indexedName("chkSelect", k));
        t.chkSelect[i]->setToolTip(QStringLiteral("通信を行うDLCをチェックする"));
        t.txtData[i] = makeDisplay(page, indexedName("txtData", k), QStringLiteral("1000.00"), 14);
        t.txtStatus[i] = makeDisplay(page, indexedName("txtStatus", k), QStringLiteral("30001"), 8);
        t.txtCount[i] = makeDisplay(page, indexedName("txtCount", k), QStringLiteral("0"), 8);
        rows->addWidget(t.lblNo[i + 1], k + 1, 0);
        rows->addWidget(t.chkSelect[i], k + 1, 1);
        rows->addWidget(t.txtData[i], k + 1, 2);
        rows->addWidget(t.txtStatus[i], k + 1, 3);
        rows->addWidget(t.txtCount[i], k + 1, 4);
    }
    rows->setColumnStretch(5, 1); // spare room goes to the right of the rows
    rows->setRowStretch(kRows + 1, 1);

    auto* options = new QGroupBox(page);
    options->setObjectName(QStringLiteral("fraRead"));
    auto* optionGrid = new QGridLayout(options);
    const char* const captions[] = {"単発", "同期信号を使わない", "ステータス情報",
                                    "スレーブアドレスの手動割付"};
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        t.chkRead[n] = makeCheck(page, indexedName("chkRead", i));
        QLabel* caption =
            makeLabel(page, QStringLiteral("lblRead%1").arg(i + 1), QString::fromUtf8(captions[n]));
        pairWithLabel(t.chkRead[n], caption);
        optionGrid->addWidget(t.chkRead[n], i, 0);
        optionGrid->addWidget(caption, i, 1);
    }
    optionGrid->setColumnStretch(1, 1);

    makeRunControls(page, QString(), true, t.run);
    QLabel* note = makeLabel(page, QStringLiteral("lblErrorNote"),
                             QStringLiteral("検出条件は通信設定で変更可能"));
    auto* column = new QVBoxLayout;
    column->addWidget(options);
    column->addSpacing(8);
    addRunColumn(*column, t.run, note);
    column->addStretch(1);

    layOutRowsBesideColumn(*page, rows, column, t.run.lblMsg);
    return page;
}

} // namespace torvik::screens::comm
