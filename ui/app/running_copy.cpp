#include "ui/app/running_copy.h"

#include <QLocalSocket>

#include "app/operator.h"
#include "app/single_instance.h"
#include "base/data_folder.h"

namespace ntr::ui {

namespace {

constexpr char kRaise[] = "raise\n";

}  // namespace

QString RunningCopy::SocketPath() {
  const std::filesystem::path path =
      DataFolder() / (SingleInstance::Key(kApplicationTitle) + ".socket");
  return QString::fromStdString(path.string());
}

bool RunningCopy::Listen() {
  // Only the holder of the lock gets here: a socket file left behind is stale.
  // Removing it unlinks the name (a link there is not followed), and binding
  // creates a new socket, never through a link; the folder itself has been
  // checked to be the user's own (MakeDataFolder).
  QLocalServer::removeServer(SocketPath());
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().startsWith("raise")) emit raiseRequested();
        socket->disconnectFromServer();
      });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  return server_.listen(SocketPath());
}

bool RunningCopy::Knock(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kRaise);
  return socket.waitForBytesWritten(timeoutMs);
}

}  // namespace ntr::ui
