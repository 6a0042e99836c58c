#include "screens/frmVersion.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

namespace torvik::screens {
namespace {

// 1200 and 1600 twips at 15 twips to the pixel.
constexpr int kOffsetX = 80;
constexpr int kOffsetY = 107;

QLabel* addLine(QVBoxLayout& layout, QWidget& box, const char* name, const QString& text,
                qreal pointScale) {
    auto* label = new QLabel(text, &box);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * pointScale);
    label->setFont(font);
    layout.addWidget(label);
    return label;
}

} // namespace

frmVersion::frmVersion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->setSpacing(8);
    QLabel* title = addLine(*layout, *this, "lblTitle",
                            QStringLiteral("デジタルロードセル通信試験プログラム"), 1.4);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    addLine(*layout, *this, "lblTitleEnglish",
            QStringLiteral("Torvik: digital load cell communication tester"), 1.0);
    addLine(*layout, *this, "lblVersion", QStringLiteral("Ver 2.01"), 1.2);
    setFixedSize(sizeHint());
}

void frmVersion::mousePressEvent(QMouseEvent*) {
    accept();
}

void showVersionBox(QWidget& from) {
    frmVersion box(&from);
    box.move(from.pos() + QPoint(kOffsetX, kOffsetY));
    box.exec();
}

} // namespace torvik::screens
