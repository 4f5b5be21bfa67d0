#include "engine/http_test_server.h"

#include <ws2tcpip.h>

#include <cstring>

namespace engine_test {

HttpTestServer::HttpTestServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener_, 16) != 0) {
    return;
  }
  int size = sizeof(address);
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
  stopping_ = true;
  closesocket(listener_);
  if (thread_.joinable()) thread_.join();
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::Set(const std::string& path, const Response& response) {
  std::lock_guard<std::mutex> hold(lock_);
  routes_[path] = response;
}

int HttpTestServer::Requests(const std::string& path) const {
  std::lock_guard<std::mutex> hold(lock_);
  int count = 0;
  for (const std::string& r : requests_) count += r == path;
  return count;
}

std::vector<std::string> HttpTestServer::All() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

void HttpTestServer::Serve() {
  while (!stopping_) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) break;
    std::thread([this, client] { Answer(client); }).detach();
  }
}

void HttpTestServer::Answer(SOCKET client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const int got = recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    request.append(buffer, got);
  }
  const size_t space = request.find(' ');
  const size_t end = request.find(' ', space + 1);
  const std::string path = space == std::string::npos || end == std::string::npos
                               ? ""
                               : request.substr(space + 1, end - space - 1);
  Response response;
  {
    std::lock_guard<std::mutex> hold(lock_);
    requests_.push_back(path);
    auto it = routes_.find(path);
    if (it != routes_.end()) {
      response = it->second;
    } else if (path != "/favicon.ico") {
      response.body =
          "<html><head><title>" + path + "</title></head><body>" + path + "</body></html>";
    } else {
      response.status = 404;
    }
  }
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " X\r\n";
  bool typed = false;
  for (const std::string& line : response.headers) {
    head += line + "\r\n";
    typed = typed || _strnicmp(line.c_str(), "Content-Type:", 13) == 0;
  }
  if (!typed) head += "Content-Type: text/html; charset=utf-8\r\n";
  head += "Connection: close\r\nCache-Control: no-store\r\n";
  if (!response.location.empty()) head += "Location: " + response.location + "\r\n";
  head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n\r\n";
  const std::string all = head + response.body;
  send(client, all.data(), static_cast<int>(all.size()), 0);
  shutdown(client, SD_SEND);
  closesocket(client);
}

}  // namespace engine_test
