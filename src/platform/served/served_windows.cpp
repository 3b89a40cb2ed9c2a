#include "platform/served/served_windows.hpp"

#include <QCoreApplication>
#include <QHostAddress>
#include <QThread>
#include <stdexcept>

#include "platform/qt/program_messages.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/served/access_token.hpp"
#include "platform/served/window_server.hpp"

// Outside any namespace, as Qt's resource initialiser must be.
static void load_served_page() {
  Q_INIT_RESOURCE(served_page);
}

namespace mapplot {
namespace {

// What a browser on this machine opens for a server listening on `host`.
QString browsed_host(const QHostAddress& host) {
  if (host == QHostAddress::AnyIPv4) return QStringLiteral("127.0.0.1");
  if (host == QHostAddress::AnyIPv6 || host == QHostAddress::Any) return QStringLiteral("[::1]");
  if (host.protocol() == QAbstractSocket::IPv6Protocol)
    return QStringLiteral("[%1]").arg(host.toString());
  return host.toString();
}

}  // namespace

struct served_windows::server_thread {
  qt_window_system& system;
  QThread thread;
  window_server* server = nullptr;
  std::atomic<bool> frames_pending{false};

  explicit server_thread(qt_window_system& served) : system(served) {}
  ~server_thread() {
    system.set_frame_watcher(nullptr);
    if (server != nullptr) {
      QMetaObject::invokeMethod(
          server, [this] { server->shut_down(); }, Qt::BlockingQueuedConnection);
    }
    thread.quit();
    thread.wait();
    delete server;
    system.set_watched(false);
  }
};

served_windows::served_windows(qt_window_system& system, const served_address& address,
                               std::string program, served_hooks hooks)
    : thread_(std::make_unique<server_thread>(system)) {
  load_served_page();
  const QHostAddress host(QString::fromStdString(address.host));
  if (host.isNull()) throw serving_failure("'" + address.host + "' is not a numeric address");
  const QByteArray token = new_access_token();
  thread_->server =
      new window_server(system, token, QString::fromStdString(program), std::move(hooks), viewers_);
  thread_->server->moveToThread(&thread_->thread);
  thread_->thread.setObjectName(QStringLiteral("served windows"));
  thread_->thread.start();

  quint16 port = 0;
  QString error;
  window_server* server = thread_->server;
  QMetaObject::invokeMethod(
      server, [&] { port = server->listen(host, static_cast<quint16>(address.port), error); },
      Qt::BlockingQueuedConnection);
  if (port == 0) {
    throw serving_failure("cannot serve the windows at " + address.host + ":" +
                          std::to_string(address.port) + ": " + error.toStdString());
  }
  page_address_ = QStringLiteral("http://%1:%2/?token=%3")
                      .arg(browsed_host(host))
                      .arg(port)
                      .arg(QString::fromLatin1(token))
                      .toStdString();

  // Program thread: one queued notice at a time, however fast frames come.
  server_thread* served = thread_.get();
  system.set_frame_watcher([served](int) {
    if (served->frames_pending.exchange(true)) return;
    QMetaObject::invokeMethod(
        served->server,
        [served] {
          served->frames_pending = false;
          served->server->take_frames();
        },
        Qt::QueuedConnection);
  });
}

served_windows::~served_windows() = default;

void served_windows::program_finished(bool completed) {
  window_server* server = thread_->server;
  QMetaObject::invokeMethod(
      server, [server, completed] { server->take_program_end(completed); }, Qt::QueuedConnection);
}

std::unique_ptr<served_windows> serve_windows_if_asked(qt_window_system& system,
                                                       served_hooks hooks) {
  const parsed_served_address asked = served_address_from_environment();
  if (!asked.error.empty()) throw serving_failure(asked.error);
  if (!asked.address) return nullptr;
  std::string program = program_name();
  if (program.empty()) program = QCoreApplication::applicationName().toStdString();
  auto served = std::make_unique<served_windows>(system, *asked.address, program, std::move(hooks));
  print_on_standard_error("serving the windows at " + served->page_address());
  if (!loopback_host(asked.address->host)) {
    print_on_standard_error("listening on " + asked.address->host +
                            ", not only on this machine: anyone who can reach it and has the "
                            "token can watch and steer the program");
  }
  return served;
}

}  // namespace mapplot
