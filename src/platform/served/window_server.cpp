#include "platform/served/window_server.hpp"

#include <QAbstractHttpServer>
#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_commands.hpp"
#include "platform/served/access_token.hpp"
#include "platform/served/bounded_tcp_server.hpp"

namespace mapplot {

// The HTTP side: every complete request goes to the window server.
class page_server final : public QAbstractHttpServer {
 public:
  explicit page_server(window_server& windows) : QAbstractHttpServer(&windows), windows_(windows) {}
  using QAbstractHttpServer::makeResponder;

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    windows_.answer(request, socket);
    return true;
  }
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
    windows_.answer(request, socket);
  }

 private:
  window_server& windows_;
};

namespace {

using status = QHttpServerResponder::StatusCode;

// The refresh period the page's pace keys are bounded by, where no screen says.
constexpr auto browser_refresh_period = std::chrono::microseconds(16'667);
constexpr qint64 most_message_bytes = 64 * 1024;

QByteArray resource(const QString& name) {
  QFile file(QStringLiteral(":/served/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QByteArray source_hash(const QByteArray& text) {
  return "'sha256-" + QCryptographicHash::hash(text, QCryptographicHash::Sha256).toBase64() + "'";
}

QByteArray png_of(const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Little compression: the pictures are for a nearby browser, soon.
  picture.save(&buffer, "PNG", 80);
  return bytes;
}

// A frame message: window, frame number, then the picture as PNG.
QByteArray frame_message(int window, long long frame_number, const QByteArray& png) {
  QByteArray message(16, '\0');
  const auto number = static_cast<quint32>(window);
  const auto frame = static_cast<double>(frame_number);
  // Little-endian, as the page reads it.
  for (int byte = 0; byte < 4; ++byte)
    message[byte] = static_cast<char>((number >> (8 * byte)) & 0xff);
  std::uint64_t frame_bits = 0;
  std::memcpy(&frame_bits, &frame, sizeof frame);
  for (int byte = 0; byte < 8; ++byte)
    message[8 + byte] = static_cast<char>((frame_bits >> (8 * byte)) & 0xff);
  return message + png;
}

QJsonArray json_lines(const std::vector<std::string>& lines) {
  QJsonArray array;
  for (const std::string& line : lines) array.append(QString::fromStdString(line));
  return array;
}

std::optional<pixel_point> pixel_of(const QJsonObject& message) {
  const QJsonValue x = message.value(QStringLiteral("x"));
  const QJsonValue y = message.value(QStringLiteral("y"));
  if (!x.isDouble() || !y.isDouble()) return std::nullopt;
  const double column = x.toDouble();
  const double row = y.toDouble();
  if (!(std::abs(column) < 1e6) || !(std::abs(row) < 1e6)) return std::nullopt;
  return pixel_point{static_cast<int>(std::floor(column)), static_cast<int>(std::floor(row))};
}

}  // namespace

window_server::window_server(qt_window_system& system, QByteArray token, QString program,
                             served_hooks hooks, std::atomic<int>& viewers)
    : system_(system),
      token_(std::move(token)),
      program_(std::move(program)),
      hooks_(std::move(hooks)),
      viewer_count_(viewers) {
  // One response holds the whole page, so that one token check covers it.
  const QByteArray style = resource(QStringLiteral("page.css"));
  const QByteArray script = resource(QStringLiteral("page.js"));
  page_ = resource(QStringLiteral("page.html"));
  page_.replace("/*style*/", style);
  page_.replace("/*script*/", script);
  page_.replace("<!--program-->", program_.toHtmlEscaped().toUtf8());
  page_policy_ = "default-src 'none'; style-src " + source_hash(style) + "; script-src " +
                 source_hash(script) +
                 "; img-src 'self' data: blob:; connect-src 'self'; base-uri 'none'; "
                 "form-action 'none'; frame-ancestors 'none'";
}

window_server::~window_server() = default;

quint16 window_server::listen(const QHostAddress& address, quint16 port, QString& error) {
  listener_ = new bounded_tcp_server(this);
  if (!listener_->listen(address, port)) {
    error = listener_->errorString();
    return 0;
  }
  http_ = new page_server(*this);
  http_->bind(listener_);
  connect(http_, &QAbstractHttpServer::newWebSocketConnection, this, &window_server::take_socket);
  watchdog_ = new QTimer(this);
  connect(watchdog_, &QTimer::timeout, this, &window_server::check_viewers);
  watchdog_->start(500);
  return listener_->serverPort();
}

void window_server::shut_down() {
  if (watchdog_ != nullptr) watchdog_->stop();
  for (auto& each : viewers_) {
    each->socket->disconnect(this);
    each->socket->abort();
  }
  viewers_.clear();
  // The HTTP server owns the listener it was bound to.
  delete http_;
  http_ = nullptr;
  listener_ = nullptr;
}

void window_server::answer(const QHttpServerRequest& request, QTcpSocket* socket) {
  const QByteArray given = request.query().queryItemValue(QStringLiteral("token")).toUtf8();
  const bool allowed = token_matches(given, token_);
  const bool upgrade = request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
  // The HTTP server asks here first, then hands a WebSocket's request over to
  // its WebSocket server: a viewer's is left to it unanswered.
  if (allowed && upgrade && request.url().path() == QStringLiteral("/socket")) return;
  auto responder = page_server::makeResponder(request, socket);
  if (!allowed) {
    responder.write("403 forbidden: open the address with the token the program printed\n",
                    {{"Content-Type", "text/plain; charset=utf-8"}, {"Cache-Control", "no-store"}},
                    status::Forbidden);
    // Nor does a WebSocket without the token get any further.
    if (upgrade) socket->disconnectFromHost();
    return;
  }
  if (request.method() != QHttpServerRequest::Method::Get &&
      request.method() != QHttpServerRequest::Method::Head) {
    responder.write("405 only GET is answered here\n",
                    {{"Content-Type", "text/plain; charset=utf-8"}, {"Allow", "GET, HEAD"}},
                    status::MethodNotAllowed);
    return;
  }
  if (request.url().path() != QStringLiteral("/")) {
    responder.write("404 not found\n", {{"Content-Type", "text/plain; charset=utf-8"}},
                    status::NotFound);
    return;
  }
  responder.write(page_, {{"Content-Type", "text/html; charset=utf-8"},
                          {"Cache-Control", "no-store"},
                          {"Content-Security-Policy", page_policy_},
                          {"Referrer-Policy", "no-referrer"},
                          {"X-Content-Type-Options", "nosniff"},
                          {"X-Frame-Options", "DENY"}});
}

void window_server::take_socket() {
  while (http_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> socket = http_->nextPendingWebSocketConnection();
    if (!socket) continue;
    const QUrl url = socket->requestUrl();
    const QByteArray given = QUrlQuery(url).queryItemValue(QStringLiteral("token")).toUtf8();
    if (!token_matches(given, token_) || url.path() != QStringLiteral("/socket")) {
      // Nothing of the maps is sent: the connection ends at once.
      socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("forbidden"));
      socket.release()->deleteLater();
      continue;
    }
    listener_->keep_open(socket->peerAddress(), socket->peerPort());
    socket->setMaxAllowedIncomingMessageSize(most_message_bytes);
    socket->setMaxAllowedIncomingFrameSize(most_message_bytes);
    auto added = std::make_unique<viewer>();
    added->socket = std::move(socket);
    viewer& joined = *added;
    QWebSocket* raw = joined.socket.get();
    connect(raw, &QWebSocket::textMessageReceived, this,
            [this, &joined](const QString& message) { take_message(joined, message); });
    connect(raw, &QWebSocket::binaryMessageReceived, this, [this, raw] { drop(raw); });
    connect(raw, &QWebSocket::disconnected, this, [this, raw] { drop(raw); });
    viewers_.push_back(std::move(added));
    viewer_count_ = static_cast<int>(viewers_.size());
    system_.set_watched(true);
    if (hooks_.viewers_changed) hooks_.viewers_changed();

    QJsonObject hello = state_message(joined);
    hello.insert(QStringLiteral("type"), QStringLiteral("hello"));
    hello.insert(QStringLiteral("program"), program_);
    hello.insert(QStringLiteral("help"),
                 json_lines(help_lines({.program_frames = true, .save = true})));
    send_json(joined, hello);
    send_json(joined, windows_message());
    send_pending(joined);
  }
}

void window_server::drop(QWebSocket* socket) {
  const auto found = std::find_if(viewers_.begin(), viewers_.end(), [socket](const auto& each) {
    return each->socket.get() == socket;
  });
  if (found == viewers_.end()) return;
  // Later: this may run inside one of the socket's own signals.
  (*found)->socket->disconnect(this);
  (*found)->socket->abort();
  (*found)->socket.release()->deleteLater();
  viewers_.erase(found);
  viewer_count_ = static_cast<int>(viewers_.size());
  if (viewers_.empty()) system_.set_watched(false);
  if (hooks_.viewers_changed) hooks_.viewers_changed();
}

void window_server::check_viewers() {
  const auto now = clock::now();
  std::vector<QWebSocket*> stalled;
  for (const auto& each : viewers_) {
    bool late = each->socket->bytesToWrite() > most_unread_bytes;
    for (const auto& [number, state] : each->windows)
      late = late || (state.awaiting_acknowledgement && now - state.sent_at > stall_limit);
    if (late) stalled.push_back(each->socket.get());
  }
  for (QWebSocket* socket : stalled) drop(socket);
}

window_server::window_frame* window_server::latest_frame(int number) {
  window_canvas* canvas = system_.canvases().find(number);
  if (canvas == nullptr) return nullptr;
  window_frame& kept = frames_[number];
  if (canvas->frame_number() != kept.frame.frame_number) {
    kept.frame = canvas->presented();
    kept.png.clear();
  }
  if (kept.frame.picture.isNull()) return nullptr;
  return &kept;
}

QJsonObject window_server::windows_message() const {
  QJsonArray windows;
  for (const int number : system_.window_numbers()) {
    window_canvas* canvas = system_.canvases().find(number);
    if (canvas == nullptr || canvas->frame_number() == 0) continue;
    const QSize size = canvas->presented_size();
    windows.append(QJsonObject{{QStringLiteral("number"), number},
                               {QStringLiteral("title"), QString::fromStdString(canvas->title())},
                               {QStringLiteral("width"), size.width()},
                               {QStringLiteral("height"), size.height()}});
  }
  return {{QStringLiteral("type"), QStringLiteral("windows")},
          {QStringLiteral("windows"), windows}};
}

QJsonObject window_server::state_message(const viewer& to) const {
  return {{QStringLiteral("type"), QStringLiteral("state")},
          {QStringLiteral("paused"), system_.pace().paused()},
          {QStringLiteral("pace"), pace_text(system_.pace())},
          {QStringLiteral("finished"), finished_},
          {QStringLiteral("completed"), completed_},
          {QStringLiteral("notice"), to.notice}};
}

void window_server::send_json(viewer& to, const QJsonObject& message) {
  to.socket->sendTextMessage(
      QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void window_server::send_state_to_all() {
  for (auto& each : viewers_) send_json(*each, state_message(*each));
}

void window_server::take_frames() {
  const QJsonObject windows = windows_message();
  const QByteArray listed = QJsonDocument(windows).toJson(QJsonDocument::Compact);
  const bool changed = listed != listed_windows_;
  listed_windows_ = listed;
  for (auto& each : viewers_) {
    if (changed) send_json(*each, windows);
    send_pending(*each);
  }
}

void window_server::take_program_end(bool completed) {
  finished_ = true;
  completed_ = completed;
  take_frames();
  send_state_to_all();
}

void window_server::send_pending(viewer& to) {
  for (const int number : system_.window_numbers()) {
    window_canvas* canvas = system_.canvases().find(number);
    if (canvas == nullptr || canvas->frame_number() == 0) continue;
    window_state& state = to.windows[number];
    if (state.awaiting_acknowledgement) continue;
    if (canvas->frame_number() == state.sent_frame && !state.redraw) continue;
    send_window(to, number, state);
  }
}

void window_server::send_window(viewer& to, int number, window_state& state) {
  window_frame* latest = latest_frame(number);
  if (latest == nullptr) return;
  state.viewing.follow(latest->frame.map);
  QByteArray png;
  if (state.viewing.zoomed()) {
    png = png_of(state.viewing.composed(latest->frame.picture));
  } else {
    if (latest->png.isEmpty()) latest->png = png_of(latest->frame.picture);
    png = latest->png;
  }
  send_strip(to, number, state);
  to.socket->sendBinaryMessage(frame_message(number, latest->frame.frame_number, png));
  state.sent_frame = latest->frame.frame_number;
  state.awaiting_acknowledgement = true;
  state.redraw = false;
  state.sent_at = clock::now();
}

void window_server::send_strip(viewer& to, int number, window_state& state) {
  const strip_state shown{.paused = system_.pace().paused(), .notice = to.notice.toStdString()};
  send_json(to, {{QStringLiteral("type"), QStringLiteral("strip")},
                 {QStringLiteral("window"), number},
                 {QStringLiteral("lines"), json_lines(state.viewing.strip(shown))}});
}

void window_server::carry_out(viewer& from, const QString& command) {
  frame_pace& pace = system_.pace();
  const auto shortest =
      std::chrono::duration_cast<frame_pace::clock::duration>(browser_refresh_period);
  from.notice.clear();
  if (command == QStringLiteral("pause")) {
    if (pace.paused()) {
      pace.resume();
    } else {
      pace.pause();
    }
    if (hooks_.pause_changed) hooks_.pause_changed();
  } else if (command == QStringLiteral("step")) {
    pace.step();
  } else if (command == QStringLiteral("faster")) {
    pace.double_pace(shortest);
    from.notice = pace_text(pace);
  } else if (command == QStringLiteral("slower")) {
    pace.halve_pace(shortest);
    from.notice = pace_text(pace);
  } else {
    return;
  }
  send_state_to_all();
  for (auto& each : viewers_)
    for (auto& [number, state] : each->windows) send_strip(*each, number, state);
}

void window_server::take_message(viewer& from, const QString& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    drop(from.socket.get());
    return;
  }
  const QJsonObject message = document.object();
  const QString type = message.value(QStringLiteral("type")).toString();
  if (type == QStringLiteral("command")) {
    carry_out(from, message.value(QStringLiteral("command")).toString());
    return;
  }
  if (type == QStringLiteral("close")) {
    if (finished_ && hooks_.close_requested) hooks_.close_requested();
    return;
  }
  const int number = message.value(QStringLiteral("window")).toInt(-1);
  const auto found = from.windows.find(number);
  if (found == from.windows.end()) return;
  window_state& state = found->second;
  if (type == QStringLiteral("ack")) {
    const auto frame = static_cast<long long>(message.value(QStringLiteral("frame")).toDouble());
    if (!state.awaiting_acknowledgement || frame != state.sent_frame) return;
    state.awaiting_acknowledgement = false;
    // Off screen, a viewer's sight of a frame is its paint.
    if (system_.mode() == display_mode::off_screen) {
      if (window_canvas* canvas = system_.canvases().find(number)) canvas->frame_seen(frame);
    }
    send_pending(from);
    return;
  }
  if (type == QStringLiteral("leave")) {
    state.viewing.leave();
    send_strip(from, number, state);
    return;
  }
  if (type == QStringLiteral("home")) {
    state.redraw = state.viewing.home() || state.redraw;
    send_strip(from, number, state);
    send_pending(from);
    return;
  }
  if (type == QStringLiteral("release")) {
    state.viewing.release();
    return;
  }
  const auto pixel = pixel_of(message);
  if (!pixel) return;
  if (type == QStringLiteral("hover")) {
    state.redraw = state.viewing.drag(*pixel) || state.redraw;
    state.viewing.hover(*pixel);
  } else if (type == QStringLiteral("wheel")) {
    const double notches = message.value(QStringLiteral("notches")).toDouble();
    if (!(std::abs(notches) <= 100)) return;
    state.redraw = state.viewing.wheel(*pixel, notches) || state.redraw;
  } else if (type == QStringLiteral("press")) {
    state.viewing.press(*pixel);
  } else {
    return;
  }
  send_strip(from, number, state);
  send_pending(from);
}

}  // namespace mapplot
