#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// Where the served windows listen: a numeric address and a port.
struct served_address {
  std::string host = "127.0.0.1";
  int port = 8470;  // 0: any free port, which the address line then names
};

inline constexpr int default_served_port = 8470;

struct parsed_served_address {
  std::optional<served_address> address;
  std::string error;  // why the text is no address; empty when it is one
};

// "[HOST:]PORT", "HOST:" or "" (the default port); HOST is a numeric IPv4
// address, "localhost", or an IPv6 address in brackets ("[::1]:8470").
// Exported for julia_zoom's --serve.
MAPPLOT_INTERNAL_API parsed_served_address parse_served_address(std::string_view text);

// The address MAPPLOT_SERVE asks for, nothing when it is not set, or why its
// value is unusable.
parsed_served_address served_address_from_environment();

// Whether only this machine can reach `host`.
bool loopback_host(std::string_view host);

}  // namespace mapplot
