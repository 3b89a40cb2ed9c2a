#include "platform/served/served_address.hpp"

#include <arpa/inet.h>

#include <charconv>
#include <cstdlib>

namespace mapplot {
namespace {

bool numeric_address(const std::string& host) {
  unsigned char bytes[16];
  return ::inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
         ::inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// Text in single quotes. Built by appending: GCC 12 at -O3 warns falsely
// (-Wrestrict) about a literal prepended to a temporary string.
std::string quoted(std::string_view text) {
  std::string result = "'";
  result.append(text);
  result += '\'';
  return result;
}

}  // namespace

parsed_served_address parse_served_address(std::string_view text) {
  served_address address;
  std::string_view port_text = text;
  const auto colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    std::string_view host = text.substr(0, colon);
    port_text = text.substr(colon + 1);
    if (host.starts_with('[') && host.ends_with(']')) {
      host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
      return {.address = {}, .error = "an IPv6 address is written in brackets, as [::1]:8470"};
    }
    address.host = host == "localhost" ? std::string("127.0.0.1") : std::string(host);
    if (!numeric_address(address.host))
      return {.address = {}, .error = quoted(host) + " is not a numeric address (e.g. 127.0.0.1)"};
  }
  if (!port_text.empty()) {
    int port = -1;
    const char* end = port_text.data() + port_text.size();
    const auto [stop, error] = std::from_chars(port_text.data(), end, port);
    if (error != std::errc{} || stop != end || port < 0 || port > 65535)
      return {.address = {}, .error = quoted(port_text) + " is not a port (0 to 65535)"};
    address.port = port;
  }
  return {.address = address, .error = {}};
}

parsed_served_address served_address_from_environment() {
  const char* value = std::getenv("MAPPLOT_SERVE");
  if (value == nullptr) return {};
  parsed_served_address parsed = parse_served_address(value);
  if (!parsed.error.empty())
    parsed.error = std::string("MAPPLOT_SERVE=").append(value) + ": " + parsed.error +
                   " (expected [HOST:]PORT)";
  return parsed;
}

bool loopback_host(std::string_view host) {
  return host.starts_with("127.") || host == "::1";
}

}  // namespace mapplot
