#include "PlinthDesignerPlugin.h"

#include "plinth/PlinthBtn.h"

#include <QPainter>

PlinthDesignerPlugin::PlinthDesignerPlugin(QObject* parent) : QObject(parent) {}

QString PlinthDesignerPlugin::name() const {
    return QStringLiteral("PlinthBtn");
}

QString PlinthDesignerPlugin::group() const {
    return QStringLiteral("Buttons");
}

QString PlinthDesignerPlugin::toolTip() const {
    return QStringLiteral("Owner-drawn command button (Grolle.PlinthBtn)");
}

QString PlinthDesignerPlugin::whatsThis() const {
    return QStringLiteral("A command button with captions chosen by the modifier keys, a "
                          "picture and colour per state, frame styles, 3D lettering, a "
                          "virtual key, a pop-up menu and drag and drop.");
}

QString PlinthDesignerPlugin::includeFile() const {
    return QStringLiteral("plinth/PlinthBtn.h");
}

QIcon PlinthDesignerPlugin::icon() const {
    // A small raised button face, drawn here so the plugin needs no resource file.
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter g(&pixmap);
    g.fillRect(2, 5, 18, 12, QColor(0xd4, 0xd0, 0xc8));
    g.setPen(Qt::white);
    g.drawLine(2, 5, 19, 5);
    g.drawLine(2, 5, 2, 16);
    g.setPen(QColor(0x40, 0x40, 0x40));
    g.drawLine(2, 16, 19, 16);
    g.drawLine(19, 5, 19, 16);
    g.fillRect(6, 10, 10, 2, QColor(0x20, 0x20, 0x80));
    return QIcon(pixmap);
}

bool PlinthDesignerPlugin::isContainer() const {
    return false;
}

QWidget* PlinthDesignerPlugin::createWidget(QWidget* parent) {
    auto* button = new PlinthBtn(parent);
    button->setDesignMode(true);
    return button;
}

bool PlinthDesignerPlugin::isInitialized() const {
    return m_initialized;
}

void PlinthDesignerPlugin::initialize(QDesignerFormEditorInterface*) {
    m_initialized = true;
}

QString PlinthDesignerPlugin::domXml() const {
    // The platform's standard button size; the caption follows the object name until set.
    return QStringLiteral(R"(<ui language="c++">
 <widget class="PlinthBtn" name="plinthBtn">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>75</width><height>23</height></rect>
  </property>
 </widget>
</ui>
)");
}
