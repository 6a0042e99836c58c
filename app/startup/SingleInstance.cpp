#include "startup/SingleInstance.h"

#include "startup/InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace torvik::startup {
namespace {

const QString kProgramTitle = QStringLiteral("Torvik");

// A listening socket is answered by the kernel even while its owner is busy, so this only
// fails when the owner never listened or has lost its socket.
bool runningCopyAnswers(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(2000);
}

// Ending a stuck copy: the kernel frees its locks when it ends, which takes a moment after
// the kill.
constexpr std::chrono::milliseconds kEndDeadline{5000};

} // namespace

SingleInstance::SingleInstance() = default;
SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketName(const QString& programFolder) {
    // The lock follows the folder itself, so the name must too, whatever path reached it.
    const QDir dir(programFolder);
    const QString canonical = dir.canonicalPath();
    const QByteArray folder = (canonical.isEmpty() ? dir.absolutePath() : canonical).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(folder, QCryptographicHash::Sha256);
    return kProgramTitle + u'-' + QString::fromLatin1(digest.toHex().left(16));
}

std::unique_ptr<SingleInstance> SingleInstance::claim(const QString& programFolder,
                                                      Claim& outcome) {
    std::unique_ptr<SingleInstance> self(new SingleInstance);
    self->m_lock = std::make_unique<InstanceLock>(programFolder + QStringLiteral("/Torvik.lock"));
    InstanceLock& lock = *self->m_lock;
    const QString name = socketName(programFolder);

    lock.lockGate();
    outcome = Claim::First;
    // Without a lock file (a folder that cannot be written) the socket alone tells.
    const bool anotherCopy = lock.isOpen() ? !lock.tryLockInstance() : runningCopyAnswers(name);
    if (anotherCopy) {
        if (runningCopyAnswers(name)) {
            lock.unlockGate();
            outcome = Claim::AnotherIsRunning;
            return nullptr;
        }
        // Only the copy holding this folder's lock is ended, never another process that
        // happens to carry the name (the lock query never names this process).
        const pid_t holder = lock.instanceHolder();
        if (holder > 0)
            terminateProcess(holder, kProgramTitle, kEndDeadline);
        lock.tryLockInstance(); // when it still fails the program starts all the same
        outcome = Claim::TookOver;
    }
    // Holding the folder, any socket left under the name belongs to a copy that is gone.
    QLocalServer::removeServer(name);
    self->m_server = std::make_unique<QLocalServer>();
    self->m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer* server = self->m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            s->disconnectFromServer();
            s->deleteLater();
        }
    });
    server->listen(name);
    lock.unlockGate();
    return self;
}

} // namespace torvik::startup
