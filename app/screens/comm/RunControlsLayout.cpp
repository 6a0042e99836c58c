#include "screens/comm/RunControlsLayout.h"

#include "screens/comm/LayoutHelpers.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvik::screens::comm {

void makeRunControls(QWidget* page, const QString& s, bool saveAndAssign, RunControls& run) {
    run.start = makeButton(page, QStringLiteral("cmdStart") + s, QStringLiteral("開始"));
    run.stop = makeButton(page, QStringLiteral("cmdStop") + s, QStringLiteral("停止"));
    run.clear = makeButton(page, QStringLiteral("cmdClear") + s, QStringLiteral("回数クリア"));
    run.txtOK = makeDisplay(page, QStringLiteral("txtOK") + s, QStringLiteral("0"), 8);
    run.txtError = makeDisplay(page, QStringLiteral("txtError") + s, QStringLiteral("0"), 8);
    makeLabel(page, QStringLiteral("lblOK") + s, QStringLiteral("通信回数"));
    makeLabel(page, QStringLiteral("lblError") + s, QStringLiteral("エラー検出回数"));
    if (saveAndAssign) {
        run.save =
            makeButton(page, QStringLiteral("cmdSave") + s, QStringLiteral("データ保存開始"));
        run.manual = makeButton(page, QStringLiteral("cmdManual") + s, QStringLiteral("割付"));
        run.lblSave = makeLabel(page, QStringLiteral("lblSave") + s, QStringLiteral("保存容量"));
        run.lblRAM = makeLabel(page, QStringLiteral("lblRAM") + s, QStringLiteral("1,000KB"));
        run.lblRAM->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    run.lblMsg = makeMessageLine(page, QStringLiteral("lblMsg") + s);
}

void addRunColumn(QVBoxLayout& column, const RunControls& run, QLabel* lblErrorNote) {
    QWidget* page = run.start->parentWidget();
    auto* counters = new QGridLayout;
    auto caption = [page](QLineEdit* box) {
        // The caption label was made with the box's name spelled the catalogue's way.
        QString name = box->objectName();
        name.replace(0, 3, QStringLiteral("lbl"));
        return page->findChild<QLabel*>(name);
    };
    addCounter(*counters, 0, caption(run.txtOK), run.txtOK);
    addCounter(*counters, 1, caption(run.txtError), run.txtError);
    if (lblErrorNote != nullptr) {
        lblErrorNote->setWordWrap(true);
        counters->addWidget(lblErrorNote, 2, 0, 1, 2);
    }
    column.addLayout(counters);
    column.addSpacing(8);

    auto* buttons = new QGridLayout;
    buttons->addWidget(run.start, 0, 0);
    buttons->addWidget(run.stop, 0, 1);
    buttons->addWidget(run.clear, 1, 0);
    if (run.manual != nullptr)
        buttons->addWidget(run.manual, 1, 1);
    if (run.save != nullptr)
        buttons->addWidget(run.save, 2, 0, 1, 2);
    buttons->setColumnStretch(2, 1);
    column.addLayout(buttons);
    if (run.lblSave != nullptr) {
        auto* saving = new QHBoxLayout;
        saving->addWidget(run.lblSave);
        saving->addWidget(run.lblRAM, 1);
        column.addLayout(saving);
    }
}

void layOutRowsBesideColumn(QWidget& page, QLayout* rows, QVBoxLayout* column,
                            QLabel* messageLine) {
    auto* body = new QHBoxLayout;
    body->addLayout(rows, 3);
    body->addSpacing(16);
    body->addLayout(column, 2);

    auto* layout = new QVBoxLayout(&page);
    layout->addLayout(body, 1);
    layout->addWidget(messageLine);
}

} // namespace torvik::screens::comm
