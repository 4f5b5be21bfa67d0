#pragma once

// A small HTTP server over Winsock for engine tests: answers from a table of paths and
// records every request it sees.

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace engine_test {

class HttpTestServer {
 public:
  struct Response {
    Response() = default;
    Response(int status, std::string body, std::string location,
             std::vector<std::string> headers = {})
        : status(status),
          body(std::move(body)),
          location(std::move(location)),
          headers(std::move(headers)) {}

    int status = 200;
    std::string body;
    std::string location;  // for redirects
    // More header lines ("Name: value"); a Content-Type among them replaces the HTML one.
    std::vector<std::string> headers;
  };

  HttpTestServer();
  ~HttpTestServer();
  bool Started() const { return port_ != 0; }
  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  void Set(const std::string& path, const Response& response);
  // Requests seen for the path (query included), counting every method.
  int Requests(const std::string& path) const;
  std::vector<std::string> All() const;

 private:
  void Serve();
  void Answer(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  mutable std::mutex lock_;
  std::map<std::string, Response> routes_;
  std::vector<std::string> requests_;
};

}  // namespace engine_test
