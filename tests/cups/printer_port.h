// A printer's port on the loopback for the CUPS tests: a raw queue (socket://127.0.0.1:PORT)
// hands a job to it as a network printer would get it.
#pragma once

#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace prynda::testing {

// A printer's port on the loopback: takes one connection and keeps what comes until it closes.
class PrinterPort {
 public:
  PrinterPort() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no port to listen on";
    }
    number_ = ntohs(address.sin_port);
    reader_ = std::thread([this] {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 30000) != 1) return;
      const int connection = ::accept(listener_, nullptr, nullptr);
      char buffer[4096];
      for (ssize_t got; (got = ::read(connection, buffer, sizeof buffer)) > 0;) received_.append(buffer, got);
      ::close(connection);
    });
  }
  ~PrinterPort() {
    if (reader_.joinable()) reader_.join();
    ::close(listener_);
  }
  int Number() const { return number_; }
  // Everything the one connection brought, once it has closed.
  const std::string& Received() {
    if (reader_.joinable()) reader_.join();
    return received_;
  }

 private:
  int listener_ = -1;
  int number_ = 0;
  std::string received_;
  std::thread reader_;
};

}  // namespace prynda::testing
