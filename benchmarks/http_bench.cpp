// One HttpGet round trip on loopback, and the page scanners over a 64 KiB page.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <string>
#include <thread>

#include "net/HttpClient.h"
#include "net/TextScan.h"

namespace {

// A loopback server that answers every connection with one small page and
// closes, like the router does.
class PageServer {
 public:
  PageServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 64);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~PageServer() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
  }
  std::uint16_t port() const { return port_; }

 private:
  void Serve() {
    const std::string body = "SSID=LMQ-5812<BR>Channel=11<BR>Security=0<BR>Key=<BR>";
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
    while (!stop_) {
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      char buffer[2048];
      (void)::recv(client, buffer, sizeof buffer, 0);
      (void)::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      ::close(client);
    }
  }

  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void BM_HttpGetRoundTrip(benchmark::State& state) {
  PageServer server;
  const std::string url = "127.0.0.1:" + std::to_string(server.port()) + "/zero.htm?rc=&rf=0010";
  std::string response;
  for (auto _ : state) {
    if (!kelvane::HttpGet(url, response, 10)) state.SkipWithError("request failed");
    benchmark::DoNotOptimize(response.data());
  }
}
BENCHMARK(BM_HttpGetRoundTrip)->Unit(benchmark::kMicrosecond);

std::string BigPage() {
  std::string page;
  page.reserve(65536);
  int i = 0;
  while (page.size() < 65536 - 200) {
    page += "<TR><TD>Row " + std::to_string(i++) + "</TD><TD>filler text for the table</TD></TR>\n";
  }
  page += "Gateway=198.51.100.1<BR>DNS=198.51.100.53<BR>";
  page.resize(65536, ' ');
  return page;
}

void BM_ExtractBrFieldAtEnd(benchmark::State& state) {
  const std::string page = BigPage();
  std::string value;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvane::ExtractBrField("gateway=", page, value));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ExtractBrFieldAtEnd)->Unit(benchmark::kMicrosecond);

void BM_FindNoCaseMissing(benchmark::State& state) {
  const std::string page = BigPage();
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvane::FindNoCase(page, ";login=false;"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindNoCaseMissing)->Unit(benchmark::kMicrosecond);

void BM_ExtractValueAfterFormField(benchmark::State& state) {
  std::string page = BigPage();
  page.insert(40000, "<INPUT NAME=WI VALUE=198.51.100.20 SIZE=15>");
  std::string value;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvane::ExtractValueAfter(page, "NAME=WI", "VALUE=", " ", value));
  }
}
BENCHMARK(BM_ExtractValueAfterFormField)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
