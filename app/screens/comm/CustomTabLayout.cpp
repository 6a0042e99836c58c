// The custom-read tab: four request rows across the page, then options, counters and
// buttons in one band below them.
#include "screens/comm/CommWidgets.h"
#include "screens/comm/LayoutHelpers.h"
#include "screens/comm/RunControlsLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace torvik::screens::comm {
namespace {

QStringList numbers(int from, int to) {
    QStringList out;
    for (int n = from; n <= to; ++n)
        out << QString::number(n);
    return out;
}

} // namespace

void alignFormatCaption(CustomTab& t) {
    // A titled frame is taller than the untitled ones below it: its caption goes to the
    // column heading so the four rows line up.
    QGroupBox* frame1 = t.frame[0];
    if (frame1->title().isEmpty())
        return;
    if (auto* heading = t.page->findChild<QLabel*>(QStringLiteral("lblFormatHead")))
        heading->setText(frame1->title());
    frame1->setTitle(QString());
}

QWidget* buildCustomTab(CustomTab& t) {
    auto* page = new QWidget;
    t.page = page;

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(8);
    rows->addWidget(
        makeHeading(page, QStringLiteral("lblNoCustomHead"), QStringLiteral("DLCの番号")), 0, 1);
    rows->addWidget(makeHeading(page, QStringLiteral("lblMem"), QStringLiteral("メモリの種類")), 0,
                    2);
    rows->addWidget(makeHeading(page, QStringLiteral("lblAddress"), QStringLiteral("アドレス")), 0,
                    3);
    rows->addWidget(makeHeading(page, QStringLiteral("lblDataLen"), QStringLiteral("データ長")), 0,
                    4);
    rows->addWidget(makeHeading(page, QStringLiteral("lblFormatHead"), QString()), 0, 6);
    rows->addWidget(
        makeHeading(page, QStringLiteral("lblRecvDataCustom"), QStringLiteral("受信データ")), 0, 7);
    rows->addWidget(
        makeHeading(page, QStringLiteral("lblCountCustom"), QStringLiteral("無応答回数")), 0, 8);

    const char* const formats[] = {"16進表示", "実数表示", "整数表示", "ASCII表示"};
    for (int r = 0; r < kCustomRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int row = r + 1;
        t.lblNoCustom[i + 1] =
            makeRowNumber(page, indexedName("lblNoCustom", r + 1), QString::number(r + 1));
        t.cmbNoCustom[i] = makeCombo(page, indexedName("cmbNoCustom", r), numbers(1, kRows), 3);
        t.cmbMem[i] = makeCombo(page, indexedName("cmbMem", r), {}, 10);
        t.txtAddr[i] = makeInput(page, indexedName("txtAddr", r), QStringLiteral("0001"), 6);
        t.cmbLen[i] = makeCombo(page, indexedName("cmbLen", r), numbers(1, 20), 3);
        t.chkSelectCustom[i] = makeCheck(page, indexedName("chkSelectCustom", r));

        // Frame1 carries the column's caption (shown above the column, see
        // alignFormatCaption); the others sit under it without one.
        auto* frame = new QGroupBox(r == 0 ? QStringLiteral("表示形式") : QString(), page);
        frame->setObjectName(QStringLiteral("Frame%1").arg(r + 1));
        t.frame[i] = frame;
        auto* options = new QHBoxLayout(frame);
        options->setContentsMargins(6, 2, 6, 2);
        t.formatGroup[i] = new QButtonGroup(frame);
        for (int k = 0; k < 4; ++k) {
            const auto e = static_cast<std::size_t>(4 * r + k);
            t.optFormat[e] = makeOption(frame, indexedName("optFormat", 4 * r + k),
                                        QString::fromUtf8(formats[k]));
            t.formatGroup[i]->addButton(t.optFormat[e], k);
            options->addWidget(t.optFormat[e]);
        }

        t.txtRecvDataCustom[i] =
            makeDisplay(page, indexedName("txtRecvDataCustom", r), QString(), 22);
        t.txtRecvDataCustom[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        t.txtCountCustom[i] =
            makeDisplay(page, indexedName("txtCountCustom", r), QStringLiteral("0"), 6);

        rows->addWidget(t.lblNoCustom[i + 1], row, 0);
        rows->addWidget(t.cmbNoCustom[i], row, 1);
        rows->addWidget(t.cmbMem[i], row, 2);
        rows->addWidget(t.txtAddr[i], row, 3);
        rows->addWidget(t.cmbLen[i], row, 4);
        rows->addWidget(t.chkSelectCustom[i], row, 5);
        rows->addWidget(frame, row, 6);
        rows->addWidget(t.txtRecvDataCustom[i], row, 7);
        rows->addWidget(t.txtCountCustom[i], row, 8);
    }
    rows->setColumnStretch(7, 1);
    alignFormatCaption(t);

    auto* options = new QGroupBox(page);
    options->setObjectName(QStringLiteral("fraReadCustom"));
    auto* optionGrid = new QGridLayout(options);
    const char* const captions[] = {"単発", "スレーブアドレスの手動割付"};
    for (int i = 0; i < 2; ++i) {
        const auto n = static_cast<std::size_t>(i);
        t.chkReadCustom[n] = makeCheck(page, indexedName("chkReadCustom", i));
        // The catalogue spells these two labels this way.
        QLabel* caption = makeLabel(page, QStringLiteral("lblReadCuntom%1").arg(i + 1),
                                    QString::fromUtf8(captions[n]));
        pairWithLabel(t.chkReadCustom[n], caption);
        optionGrid->addWidget(t.chkReadCustom[n], i, 0);
        optionGrid->addWidget(caption, i, 1);
    }
    optionGrid->setColumnStretch(1, 1);

    makeRunControls(page, QStringLiteral("Custom"), true, t.run);
    auto* runColumn = new QVBoxLayout;
    addRunColumn(*runColumn, t.run);

    auto* band = new QHBoxLayout;
    auto* optionColumn = new QVBoxLayout;
    optionColumn->addWidget(options);
    optionColumn->addStretch(1);
    band->addLayout(optionColumn, 1);
    band->addSpacing(24);
    band->addLayout(runColumn, 1);
    band->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(rows);
    layout->addSpacing(12);
    layout->addLayout(band);
    layout->addStretch(1);
    layout->addWidget(t.run.lblMsg);
    return page;
}

} // namespace torvik::screens::comm
