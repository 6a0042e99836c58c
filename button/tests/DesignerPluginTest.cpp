// The Designer plugin as Designer loads it: from its file, with the button's name, header
// and a widget that is the button, its form properties editable.
#include <QMetaProperty>
#include <QPluginLoader>
#include <QTest>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class DesignerPluginTest : public QObject {
    Q_OBJECT

private slots:
    void loadsAndMakesTheButton() {
        QPluginLoader loader(QStringLiteral(PLINTH_DESIGNER_PLUGIN));
        QObject* instance = loader.instance();
        QVERIFY2(instance != nullptr, qPrintable(loader.errorString()));
        auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
        QVERIFY(plugin != nullptr);
        QCOMPARE(plugin->name(), QStringLiteral("PlinthBtn"));
        QCOMPARE(plugin->includeFile(), QStringLiteral("plinth/PlinthBtn.h"));
        QVERIFY(!plugin->isContainer());
        QVERIFY(!plugin->icon().isNull());

        QXmlStreamReader xml(plugin->domXml());
        bool classNamed = false;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("widget")) {
                classNamed =
                    xml.attributes().value(QLatin1String("class")) == QLatin1String("PlinthBtn");
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(classNamed);

        QWidget form;
        QWidget* button = plugin->createWidget(&form);
        QCOMPARE(QByteArray(button->metaObject()->className()), QByteArray("PlinthBtn"));
        // What Designer's property editor lists: the form properties, not the base class's
        // text and checked state they stand for.
        const QMetaObject* meta = button->metaObject();
        for (const char* name : {"CaptionStd", "ButtonStyle", "BackColor", "Picture", "Font3D"}) {
            const int index = meta->indexOfProperty(name);
            QVERIFY2(index >= 0, name);
            QVERIFY(meta->property(index).isDesignable());
        }
        QVERIFY(!meta->property(meta->indexOfProperty("text")).isDesignable());
        QVERIFY(!meta->property(meta->indexOfProperty("checked")).isDesignable());
        QVERIFY(meta->property(meta->indexOfProperty("ButtonStyle")).isEnumType());
        button->setObjectName(QStringLiteral("plinthBtn"));
        QCOMPARE(button->property("CaptionStd").toString(), QStringLiteral("plinthBtn"));
    }
};

QTEST_MAIN(DesignerPluginTest)
#include "DesignerPluginTest.moc"
