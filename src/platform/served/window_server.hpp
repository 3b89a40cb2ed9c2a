#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/qt/framed_map_viewing.hpp"
#include "platform/qt/window_canvas.hpp"
#include "platform/served/served_windows.hpp"

class QTimer;
class QWebSocket;
class QHttpServerRequest;
class QTcpSocket;

namespace mapplot {

class bounded_tcp_server;
class page_server;

// The served windows on their own thread: answers the page's requests and
// keeps each viewer's WebSocket. A viewer is sent a window's latest frame
// only once it has acknowledged the one before, so frames it had no time for
// are skipped, and it never holds more than one frame per window in flight.
// Create it on any thread and move it to the server's thread before listen().
class window_server final : public QObject {
  Q_OBJECT
 public:
  using clock = std::chrono::steady_clock;
  // A viewer that acknowledges no frame for this long, or lets this much
  // pile up unread, is dropped.
  static constexpr std::chrono::milliseconds stall_limit{10'000};
  static constexpr qint64 most_unread_bytes = 16 << 20;

  window_server(qt_window_system& system, QByteArray token, QString program, served_hooks hooks,
                std::atomic<int>& viewers);
  ~window_server() override;

  // Server thread. The port listened on, or 0 with the reason in `error`.
  quint16 listen(const QHostAddress& address, quint16 port, QString& error);
  // Server thread: closes every connection.
  void shut_down();
  // Server thread: some window presented a frame.
  void take_frames();
  // Server thread: the program has ended.
  void take_program_end(bool completed);

  // The HTTP side, from the page server.
  void answer(const QHttpServerRequest& request, QTcpSocket* socket);

 private:
  struct window_state {
    long long sent_frame = 0;
    bool awaiting_acknowledgement = false;
    bool redraw = false;  // the user's view changed since the last picture sent
    clock::time_point sent_at{};
    framed_map_viewing viewing;
  };
  struct viewer {
    std::unique_ptr<QWebSocket> socket;
    std::map<int, window_state> windows;
    QString notice;
  };
  struct window_frame {
    canvas_frame frame;
    QByteArray png;  // encoded when a viewer first needs it
  };

  void take_socket();
  void take_message(viewer& from, const QString& message);
  void drop(QWebSocket* socket);
  void check_viewers();
  void send_pending(viewer& to);
  void send_window(viewer& to, int number, window_state& state);
  void send_json(viewer& to, const class QJsonObject& message);
  void send_strip(viewer& to, int number, window_state& state);
  void send_state_to_all();
  QJsonObject state_message(const viewer& to) const;
  QJsonObject windows_message() const;
  // Brings the kept frame of window `number` up to the presented one.
  window_frame* latest_frame(int number);
  void carry_out(viewer& from, const QString& command);

  qt_window_system& system_;
  const QByteArray token_;
  const QString program_;
  const served_hooks hooks_;
  std::atomic<int>& viewer_count_;
  QByteArray page_;
  QByteArray page_policy_;
  page_server* http_ = nullptr;
  bounded_tcp_server* listener_ = nullptr;
  QTimer* watchdog_ = nullptr;
  std::vector<std::unique_ptr<viewer>> viewers_;
  std::map<int, window_frame> frames_;
  QByteArray listed_windows_;  // the last list of windows sent
  bool finished_ = false;
  bool completed_ = false;
};

}  // namespace mapplot
