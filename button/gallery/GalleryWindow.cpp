#include "GalleryWindow.h"

#include "plinth/PlinthBtn.h"
#include "plinth/PlinthDataObject.h"

#include <QApplication>
#include <QBuffer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <array>

namespace {

using Style = PlinthBtn::ButtonStyleConstants;

constexpr std::array kStyles{PlinthBtn::kxbs_Win31Look, PlinthBtn::kxbs_Win95Look,
                             PlinthBtn::kxbs_DoubleFrame, PlinthBtn::kxbs_NoFrame};
constexpr std::array kStyleNames{"Win31風", "Win95風", "二重枠", "非表示"};
constexpr std::array kStateNames{"normal",     "mouse over", "pressed",
                                 "toggled on", "disabled",   "focused"};

// A small picture drawn here, so the gallery needs no files: a disc with a mark.
QImage picture(const QColor& colour, int size = 20) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(colour);
    g.setPen(colour.darker(160));
    g.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
    g.setPen(QPen(Qt::white, 2));
    g.drawLine(QPointF(size * 0.3, size * 0.5), QPointF(size * 0.45, size * 0.68));
    g.drawLine(QPointF(size * 0.45, size * 0.68), QPointF(size * 0.72, size * 0.32));
    return image;
}

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

PlinthBtn* button(QWidget* parent, const QString& caption) {
    auto* b = new PlinthBtn(parent);
    b->setCaptionStd(caption);
    b->setFixedSize(112, 34);
    return b;
}

QLabel* heading(const QString& text) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Plinth gallery"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(makeStateSheet(), 0, 0, 1, 2);
    layout->addWidget(makeLettering(), 1, 0);
    layout->addWidget(makeLayouts(), 1, 1);
    layout->addWidget(makeLiveRow(), 2, 0, 1, 2);
}

QWidget* GalleryWindow::makeStateSheet() {
    auto* box = new QGroupBox(QStringLiteral("Frame styles and states"));
    auto* grid = new QGridLayout(box);
    for (std::size_t c = 0; c < kStateNames.size(); ++c) {
        grid->addWidget(heading(QString::fromUtf8(kStateNames[c])), 0, static_cast<int>(c) + 1);
    }
    for (std::size_t r = 0; r < kStyles.size(); ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(kStyleNames[r])), static_cast<int>(r) + 1, 0);
        for (std::size_t c = 0; c < kStateNames.size(); ++c) {
            auto* cell = new QLabel;
            cell->setFixedSize(116, 38);
            cell->setAlignment(Qt::AlignCenter);
            grid->addWidget(cell, static_cast<int>(r) + 1, static_cast<int>(c) + 1);
            m_sheetCells.push_back(cell);
        }
    }
    // The buttons are posed here, out of sight behind the sheet, and photographed.
    m_sheetStage = new QWidget(box);
    m_sheetStage->setGeometry(0, 0, 120, 40);
    m_sheetStage->lower();
    return box;
}

void GalleryWindow::fillStateSheet() {
    const QImage image = picture(QColor(40, 140, 60));
    for (std::size_t r = 0; r < kStyles.size(); ++r) {
        for (std::size_t c = 0; c < kStateNames.size(); ++c) {
            PlinthBtn b(m_sheetStage);
            b.setGeometry(0, 0, 112, 34);
            b.setCaptionStd(QStringLiteral("実行 Run"));
            b.setButtonStyle(kStyles[r]);
            b.setPictureData("Picture", png(image));
            b.setCaptionPosition(PlinthBtn::kxcp_Right);
            b.setAlignmentH(PlinthBtn::kxah_Left);
            b.setCaptionAlignmentH(PlinthBtn::kxcah_Centre);
            b.setToggle(true);
            b.show();
            switch (c) {
            case 1:
                b.setAlwaysActive(true);
                b.setCaptionPointedColor(0x00C06000); // blue while pointed at
                b.setAttribute(Qt::WA_UnderMouse, true);
                break;
            case 2:
                b.setDown(true);
                break;
            case 3:
                b.setValue(true);
                break;
            case 4:
                b.setEnabled(false);
                break;
            case 5:
                b.setFocus(Qt::OtherFocusReason);
                break;
            default:
                break;
            }
            if (c == 5) {
                m_sheetFocused = m_sheetFocused || b.hasFocus();
            }
            m_sheetCells[r * kStateNames.size() + c]->setPixmap(b.grab());
        }
    }
}

QWidget* GalleryWindow::makeLettering() {
    auto* box = new QGroupBox(QStringLiteral("3D lettering (Font3D) and colours"));
    auto* grid = new QGridLayout(box);
    const std::array names{"なし", "凸型", "凸型影付き", "凹型", "凹型影付き", "影付き", "縁取り"};
    for (int i = 0; i < 7; ++i) {
        auto* b = button(box, QString::fromUtf8(names[static_cast<std::size_t>(i)]));
        QFont f = b->font();
        f.setPointSize(12);
        f.setBold(true);
        b->setFont(f);
        b->setFont3D(static_cast<PlinthBtn::Font3DConstants>(i));
        if (i == 6) {
            b->setForeColor(0x00804000); // dark blue lettering, outlined in the light colour
        }
        grid->addWidget(b, i / 4, i % 4);
    }
    auto* coloured = button(box, QStringLiteral("OnColor"));
    coloured->setToggle(true);
    coloured->setValue(true);
    coloured->setOnColor(0x0080FFFF);   // light yellow while on
    coloured->setDownColor(0x00C0C0FF); // light red while held down
    coloured->setRoundedCorners(true);
    grid->addWidget(coloured, 1, 3);
    return box;
}

QWidget* GalleryWindow::makeLayouts() {
    auto* box = new QGroupBox(QStringLiteral("Caption places and directions"));
    auto* grid = new QGridLayout(box);
    const QByteArray pic = png(picture(QColor(30, 90, 200), 24));
    using Pos = PlinthBtn::ButtonCaptionConstants;
    const std::array<std::pair<Pos, const char*>, 4> places{{{PlinthBtn::kxcp_Left, "左"},
                                                             {PlinthBtn::kxcp_Right, "右"},
                                                             {PlinthBtn::kxcp_Top, "上"},
                                                             {PlinthBtn::kxcp_Bottom, "下"}}};
    int column = 0;
    for (const auto& [pos, name] : places) {
        auto* b = new PlinthBtn(box);
        b->setCaptionStd(QString::fromUtf8(name));
        b->setPictureData("Picture", pic);
        b->setCaptionPosition(pos);
        b->setFixedSize(pos == PlinthBtn::kxcp_Top || pos == PlinthBtn::kxcp_Bottom
                            ? QSize(60, 62)
                            : QSize(80, 40));
        grid->addWidget(b, 0, column++);
    }
    auto* vertical = new PlinthBtn(box);
    vertical->setCaptionStd(QStringLiteral("縦書き"));
    vertical->setCaptionDirection(PlinthBtn::kxcd_Vertical);
    vertical->setFixedSize(36, 80);
    grid->addWidget(vertical, 1, 0);
    auto* turned = new PlinthBtn(box);
    turned->setCaptionStd(QStringLiteral("Turned"));
    turned->setCaptionDirection(PlinthBtn::kxcd_VerticalFont);
    turned->setFixedSize(36, 80);
    grid->addWidget(turned, 1, 1);
    auto* justified = new PlinthBtn(box);
    justified->setCaptionStd(QStringLiteral("均等割付"));
    justified->setCaptionAlignmentH(PlinthBtn::kxcah_Justified);
    justified->setFixedSize(120, 36);
    grid->addWidget(justified, 1, 2);
    auto* lines = new PlinthBtn(box);
    lines->setCaptionStd(QStringLiteral("Two lines\nof caption"));
    lines->setCaptionMultiLine(true);
    lines->setCaptionRatio(80);
    lines->setFixedSize(90, 44);
    grid->addWidget(lines, 1, 3);
    return box;
}

QWidget* GalleryWindow::makeLiveRow() {
    auto* box =
        new QGroupBox(QStringLiteral("Try it: hold Ctrl, Shift or Alt; press F5; right-click; "
                                     "arrows and Enter move on"));
    auto* layout = new QGridLayout(box);

    auto* modes = button(box, QStringLiteral("保存 Save"));
    modes->setObjectName(QStringLiteral("captionModes"));
    modes->setCaptionMode(PlinthBtn::kxcm_Combination);
    modes->setCaptionCtrl(QStringLiteral("全保存 Save all"));
    modes->setCaptionShift(QStringLiteral("別名 Save as"));
    modes->setCaptionAlt(QStringLiteral("戻す Revert"));
    modes->setCaptionCtrlS(QStringLiteral("書出し Export"));
    layout->addWidget(modes, 0, 0);

    auto* vkey = button(box, QStringLiteral("&Start (F5)"));
    vkey->setObjectName(QStringLiteral("virtualKey"));
    vkey->setCaptionAccelerator(true);
    vkey->setVKeyName(QStringLiteral("F5"));
    vkey->setFont3D(PlinthBtn::kxf3d_Raised);
    layout->addWidget(vkey, 0, 1);

    auto* menu = button(box, QStringLiteral("Menu ▾"));
    menu->setObjectName(QStringLiteral("menu"));
    menu->SetMenuItem(0, QStringLiteral("&Open"), true, false, false);
    menu->SetMenuItem(1, QStringLiteral("Save"), true, false, false);
    menu->SetMenuItem(2, QString(), true, false, true);
    menu->SetMenuItem(3, QStringLiteral("Print (disabled)"), false, false, false);
    menu->SetMenuItem(4, QStringLiteral("Hidden"), true, true, false);
    menu->SetMenuItem(5, QStringLiteral("Close"), true, false, false);
    layout->addWidget(menu, 0, 2);

    auto* toggle = button(box, QStringLiteral("Toggle"));
    toggle->setObjectName(QStringLiteral("toggle"));
    toggle->setToggle(true);
    toggle->setButtonStyle(PlinthBtn::kxbs_DoubleFrame);
    layout->addWidget(toggle, 0, 3);

    auto* drop = button(box, QStringLiteral("Drop text here"));
    drop->setObjectName(QStringLiteral("drop"));
    drop->setOLEDropMode(PlinthBtn::kxodrop_Manual);
    drop->setButtonStyle(PlinthBtn::kxbs_NoFrame);
    layout->addWidget(drop, 0, 4);

    auto* field = new QLineEdit(box);
    field->setPlaceholderText(QStringLiteral("drag from here"));
    layout->addWidget(field, 0, 5);

    m_log = new QLabel(QStringLiteral("Events appear here."));
    m_log->setObjectName(QStringLiteral("eventLog"));
    m_log->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_log->setMinimumHeight(110); // room for the menu to open over the window
    layout->addWidget(m_log, 1, 0, 1, 6);

    for (PlinthBtn* b : {modes, vkey, menu, toggle, drop}) {
        connect(b, &QAbstractButton::clicked, this, [this, b] {
            log(QStringLiteral("Click: %1").arg(b->currentCaption().remove(u'&')));
        });
        connect(b, &PlinthBtn::focusMove, this, [this, b](bool&) {
            log(QStringLiteral("FocusMove from %1").arg(b->objectName()));
        });
    }
    connect(vkey, &PlinthBtn::vKeyDown, this, [this](int code, int, int, bool repeat) {
        log(QStringLiteral("VKeyDown %1%2").arg(code).arg(repeat ? " (repeat)" : ""));
    });
    connect(menu, &PlinthBtn::menuClicked, this, [this, menu](int id) {
        log(QStringLiteral("MenuClicked %1: %2").arg(id).arg(menu->MenuCaption(id)));
    });
    connect(drop, &PlinthBtn::oleDragOver, this,
            [](plinth::PlinthDataObject* dragged, int& effect, int&, int&, float&, float&, int) {
                effect = dragged->GetFormat(plinth::PlinthDataObject::kFormatText) ? 1 : 0;
            });
    connect(
        drop, &PlinthBtn::oleDragDrop, this,
        [this, drop](plinth::PlinthDataObject* dragged, int& effect, int&, int&, float&, float&) {
            effect = 1;
            const QString text = dragged->GetData(plinth::PlinthDataObject::kFormatText).toString();
            drop->setCaptionStd(text.left(20));
            log(QStringLiteral("OLEDragDrop: %1").arg(text));
        });
    return box;
}

void GalleryWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !m_sheetFocused) {
        fillStateSheet();
    }
}

QStringList GalleryWindow::liveGeometry() const {
    QStringList lines;
    for (const PlinthBtn* b : findChildren<PlinthBtn*>()) {
        if (b->objectName().isEmpty()) {
            continue;
        }
        const QRect r(b->mapToGlobal(QPoint(0, 0)), b->size());
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(b->objectName())
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height());
    }
    return lines;
}

void GalleryWindow::log(const QString& line) {
    m_log->setText(line);
}
