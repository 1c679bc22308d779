// Internal to the transport: one non-blocking connection of an exchange or
// of a stop packet.

#ifndef TALOR_CLIENT_TRANSPORT_CONNECTION_H_
#define TALOR_CLIENT_TRANSPORT_CONNECTION_H_

#include <asio/ip/tcp.hpp>
#include <string>

#include "client/transport.h"

namespace talor {

struct Transport::Connection {
  explicit Connection(asio::io_context& context) : socket(context), resolver(context) {}
  asio::ip::tcp::socket socket;
  asio::ip::tcp::resolver resolver;
  std::string packet;
};

}  // namespace talor

#endif  // TALOR_CLIENT_TRANSPORT_CONNECTION_H_
