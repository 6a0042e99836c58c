// The control host against the real library: finding it, loading it, 45 controls made from
// the registered class, typed calls by member number, error numbers, and the Complete event
// arriving through the notification descriptor and the event loop.
#include "comm/TavrinHost.h"

#include "comm/TavrinControl.h"
#include "comm/TavrinDispIds.h"
#include "comm/TavrinRegistry.h"
#include "tavrin/Tavrin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using torvik::comm::locateTavrinLibrary;
using torvik::comm::TavrinHost;
using torvik::comm::TavrinLocation;
using torvik::comm::tavrinRegistryFile;
namespace dispid = torvik::comm::dispid;
// The C interface has a type of the same name.
using Control = torvik::comm::TavrinControl;

class TavrinHostTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // No serial device may answer: port names resolve in an empty ports folder.
        qputenv("TAVRIN_PORTS", m_ports.path().toLocal8Bit());
    }

    void locatesTheLibrary_data() {
        QTest::addColumn<QByteArray>("registry"); // null: no registry file
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("registered");
        // Lines as the library's own registration writes them, and what an operator's edits
        // may leave around them.
        const QString beside = QStringLiteral("/opt/torvik/lib/libtavrin.so");
        QTest::newRow("no registry") << QByteArray() << beside << false;
        QTest::newRow("registered") << QByteArray("TAVRIN.TAVRINCtrl.1=/a/libtavrin.so\n"
                                                  "TAVRINLib.TAVRIN=/b/libtavrin.so\n")
                                    << QStringLiteral("/b/libtavrin.so") << true;
        QTest::newRow("name in any case, blanks")
            << QByteArray("other=1\n tavrinlib.tavrin = /c/lib.so \n")
            << QStringLiteral("/c/lib.so") << true;
        QTest::newRow("commented out")
            << QByteArray("#TAVRINLib.TAVRIN=/d/lib.so\n") << beside << false;
        QTest::newRow("only the ProgID")
            << QByteArray("TAVRIN.TAVRINCtrl.1=/a/libtavrin.so\n") << beside << false;
    }

    void locatesTheLibrary() {
        QFETCH(QByteArray, registry);
        QFETCH(QString, path);
        QFETCH(bool, registered);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("registry"));
        if (!registry.isNull()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(registry);
        }
        const TavrinLocation found = locateTavrinLibrary(file, QStringLiteral("/opt/torvik/bin"));
        QCOMPARE(found.path, path);
        QCOMPARE(found.registered, registered);
    }

    void findsTheLibraryOfItsInstall() {
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("usr/bin"));
        const QString installed = torvik::comm::installedTavrinLibrary(bin);
        QVERIFY(installed.startsWith(dir.path()));
        QVERIFY(QDir().mkpath(QFileInfo(installed).absolutePath()));
        QFile(installed).open(QIODevice::WriteOnly);
        const QString none = dir.filePath(QStringLiteral("registry"));
        QCOMPARE(locateTavrinLibrary(none, bin).path, installed);
        // A library beside the program, as in a build folder, comes first.
        const QString beside = dir.filePath(QStringLiteral("usr/lib/libtavrin.so"));
        QVERIFY(QDir().mkpath(QFileInfo(beside).absolutePath()));
        QFile(beside).open(QIODevice::WriteOnly);
        QCOMPARE(locateTavrinLibrary(none, bin).path, beside);
    }

    void registryFileFollowsXdgConfigHome() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/cfg");
        QCOMPARE(tavrinRegistryFile(), QStringLiteral("/cfg/tavrin/registry"));
        // A relative value is not a base directory: the home folder's default applies.
        qputenv("XDG_CONFIG_HOME", "relative");
        QCOMPARE(tavrinRegistryFile(), qEnvironmentVariable("HOME") + "/.config/tavrin/registry");
        qputenv("XDG_CONFIG_HOME", saved);
    }

    void missingLibraryLeavesTheHostUnloaded() {
        TavrinHost host(m_ports.filePath(QStringLiteral("libtavrin.so")));
        QVERIFY(!host.isLoaded());
        QVERIFY(!host.errorText().isEmpty());
        QVERIFY(host.createControl() == nullptr);
        QCOMPARE(host.pumpNotifications(), 0);
    }

    void libraryOfAnotherVersionLeavesTheHostUnloaded() {
        TavrinHost host(QStringLiteral(TAVRIN_OTHER_VERSION_PATH));
        QVERIFY(!host.isLoaded());
        QVERIFY2(host.errorText().contains(QStringLiteral("interface version 3.")),
                 qPrintable(host.errorText()));
        QVERIFY(host.createControl() == nullptr);
    }

    void unknownClassLeavesTheHostUnloaded() {
        TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH), "Plinth");
        QVERIFY(!host.isLoaded());
        QVERIFY(host.errorText().contains(QStringLiteral("Plinth")));
    }

    void fortyFiveControlsFromTheRegisteredClass() {
        TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH));
        QVERIFY2(host.isLoaded(), qPrintable(host.errorText()));
        std::vector<std::unique_ptr<Control>> controls;
        for (int i = 0; i < 45; ++i) {
            controls.push_back(host.createControl());
            QVERIFY(controls.back() != nullptr);
        }
        // Each is its own instance.
        QCOMPARE(controls[0]->setText(dispid::NodeAddress, QStringLiteral("17")), 0);
        QCOMPARE(controls[44]->getText(dispid::NodeAddress).value, QStringLiteral("1"));
        QCOMPARE(controls[0]->getText(dispid::NodeAddress).value, QStringLiteral("17"));
    }

    void typedPropertiesMethodsAndErrors() {
        TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH));
        auto c = host.createControl();
        QVERIFY(c != nullptr);

        // One property of each variant type, with the control's defaults first.
        QCOMPARE(c->getI2(dispid::TimeoutTrans).value, std::int16_t{150});
        QCOMPARE(c->setI2(dispid::TimeoutTrans, 500), 0);
        QCOMPARE(c->getI2(dispid::TimeoutTrans).value, std::int16_t{500});
        QCOMPARE(c->setI4(dispid::AutoPollInterval, 32000), 0);
        QCOMPARE(c->getI4(dispid::AutoPollInterval).value, 32000);
        QCOMPARE(c->setText(dispid::CommSettings, QStringLiteral("38400,o,8,1")), 0);
        QCOMPARE(c->getText(dispid::CommSettings).value, QStringLiteral("38400,O,8,1"));
        QCOMPARE(c->setBool(dispid::Enabled, false), 0);
        QCOMPARE(c->getBool(dispid::Enabled).value, false);
        QCOMPARE(c->setBool(dispid::Enabled, true), 0);

        // Refused writes come back as the control's numbers with its text; nothing changes.
        QCOMPARE(c->setI2(dispid::Function, 9), 20002);
        QCOMPARE(c->lastErrorMessage(),
                 QStringLiteral("Illegal value specified for Function property!"));
        QCOMPARE(c->getI2(dispid::Function).value, std::int16_t{1});
        QCOMPARE(c->setI4(dispid::AutoPollInterval, 32001), 20011);
        QCOMPARE(c->getI2(dispid::Result).error, 0);
        QCOMPARE(c->setI2(dispid::Result, 1), 383); // read-only

        // The data area through the methods: words in, the swapped views out.
        QCOMPARE(c->SetDataWordM(0, 0x4148), 0); // 12.5f is 0x41480000, high word first
        QCOMPARE(c->SetDataWordM(1, 0x0000), 0);
        const auto real = c->GetDataFloatSwapM(0);
        QVERIFY(real);
        QCOMPARE(real.value, 12.5f);
        QCOMPARE(c->GetDataLongSwapM(0).value, 0x41480000);
        QCOMPARE(c->DataWord(0).value, std::int16_t{0x4148});
        QCOMPARE(c->GetDataByteM(1).value, std::int16_t{0x41});
        QCOMPARE(c->SetDataByteM(2, 1), 0);
        QCOMPARE(c->GetDataBitM(16).value, true);
        QCOMPARE(c->DataWord(127).error, 381); // past the end of the area
        QCOMPARE(c->Disconnect(), 0);
        QVERIFY(!c->Busy());
    }

    void completeArrivesThroughTheEventLoop() {
        TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH));
        auto c = host.createControl();
        QVERIFY(c != nullptr);
        QSignalSpy complete(c.get(), &Control::Complete);
        QCOMPARE(c->setI2(dispid::Adapter, 250), 0); // no such port here
        QCOMPARE(c->setI2(dispid::Function, 4), 0);
        QCOMPARE(c->AsyncRefresh(), 0);
        QVERIFY(complete.wait(10000));
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).value<short>(), short{1280}); // opening the port failed
        QCOMPARE(c->Result(), std::int16_t{1280});
        QVERIFY(!c->ResultString().isEmpty());
        QVERIFY(!c->Busy());
    }

    void refusedRefreshCompletesInsideTheCall() {
        TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH));
        auto c = host.createControl();
        QSignalSpy complete(c.get(), &Control::Complete);
        // Function 2 is refused at once under the Enron address type.
        QCOMPARE(c->setI2(dispid::AddressType, 3), 0);
        QCOMPARE(c->setI2(dispid::Function, 2), 0);
        QCOMPARE(c->AsyncRefresh(), 0);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.at(0).at(0).value<short>(), short{5376});
    }

    void controlOutlivesItsHost() {
        std::unique_ptr<Control> c;
        {
            TavrinHost host(QStringLiteral(TAVRIN_LIBRARY_PATH));
            c = host.createControl();
        }
        // The library stays loaded while a control made from it lives.
        QCOMPARE(c->setText(dispid::MemStart, QStringLiteral("30001")), 0);
        QCOMPARE(c->getText(dispid::MemStart).value, QStringLiteral("30001"));
    }

private:
    QTemporaryDir m_ports;
};

QTEST_GUILESS_MAIN(TavrinHostTest)
#include "TavrinHostTest.moc"
