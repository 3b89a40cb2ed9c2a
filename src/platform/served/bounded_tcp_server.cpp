#include "platform/served/bounded_tcp_server.hpp"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace mapplot {
namespace {

constexpr const char* arrived_property = "mapplot_arrived_bytes";

}  // namespace

bounded_tcp_server::bounded_tcp_server(QObject* parent) : QTcpServer(parent) {}

void bounded_tcp_server::incomingConnection(qintptr descriptor) {
  auto* socket = new QTcpSocket(this);
  if (!socket->setSocketDescriptor(descriptor) || connection_count() >= most_connections) {
    socket->abort();
    delete socket;
    return;
  }
  connections_.emplace_back(socket);
  // Connected before the HTTP server's own reading, so this sees each arrival
  // first.
  connect(socket, &QTcpSocket::readyRead, this, [this, socket] { count_arrival(socket); });
  QTimer::singleShot(request_deadline, socket, [this, socket] {
    if (!kept_open(socket)) socket->abort();
  });
  addPendingConnection(socket);
}

int bounded_tcp_server::connection_count() {
  std::erase_if(connections_, [](const QPointer<QTcpSocket>& socket) {
    return socket.isNull() || socket->state() == QAbstractSocket::UnconnectedState;
  });
  std::erase_if(kept_open_, [](const QPointer<QTcpSocket>& socket) { return socket.isNull(); });
  return static_cast<int>(connections_.size());
}

bool bounded_tcp_server::kept_open(const QTcpSocket* socket) const {
  return std::any_of(kept_open_.begin(), kept_open_.end(),
                     [socket](const QPointer<QTcpSocket>& each) { return each == socket; });
}

void bounded_tcp_server::count_arrival(QTcpSocket* socket) {
  if (kept_open(socket)) return;
  const qint64 arrived = socket->property(arrived_property).toLongLong() + socket->bytesAvailable();
  socket->setProperty(arrived_property, arrived);
  if (arrived > most_request_bytes) socket->abort();
}

void bounded_tcp_server::keep_open(const QHostAddress& address, quint16 port) {
  for (const QPointer<QTcpSocket>& socket : connections_) {
    if (socket.isNull()) continue;
    if (socket->peerPort() == port && socket->peerAddress().isEqual(address)) {
      kept_open_.push_back(socket);
      return;
    }
  }
}

}  // namespace mapplot
