#pragma once

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <chrono>
#include <vector>

class QTcpSocket;

namespace mapplot {

// The listening socket of the served windows, bounded so that no client costs
// the program more than a little: at most `most_connections` at once (more
// are closed at once), and a plain HTTP connection that has not finished
// within `request_deadline`, or that sends more than `most_request_bytes`, is
// dropped. A connection that has become a viewer's WebSocket is timed by the
// server instead.
class bounded_tcp_server final : public QTcpServer {
  Q_OBJECT
 public:
  static constexpr int most_connections = 16;
  static constexpr std::chrono::milliseconds request_deadline{10'000};
  static constexpr qint64 most_request_bytes = 1 << 20;

  explicit bounded_tcp_server(QObject* parent = nullptr);

  // The connection from `address`:`port` is now a viewer's WebSocket.
  void keep_open(const QHostAddress& address, quint16 port);
  int connection_count();

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  void count_arrival(QTcpSocket* socket);
  bool kept_open(const QTcpSocket* socket) const;

  // Guarded: the HTTP server disconnects every signal of a socket it hands
  // over to a WebSocket, so none can tell this when it goes.
  std::vector<QPointer<QTcpSocket>> connections_;
  std::vector<QPointer<QTcpSocket>> kept_open_;
};

}  // namespace mapplot
