// A blocking-looking IPv4 TCP client for one HTTP exchange.
//
// One object per request: set address and port, Connect, Send, Receive, Close.
// Every wait is cut into slices and asks YieldIfDue() on every slice and
// return, so the window stays alive while the router thinks or answers fast.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvane {

class TcpClientSocket {
 public:
  // Responses are cut at this many bytes; nothing beyond is ever kept.
  static constexpr std::size_t kReceiveBufferSize = 65536;
  // A whole Receive never lasts longer than this many per-wait time-outs, so a
  // peer that trickles a byte now and then cannot hold the caller for ever.
  static constexpr int kWholeReceiveFactor = 3;

  // Answers true when the bytes received so far form a complete answer
  // (for instance a body whose Content-Length has arrived); Receive then ends
  // without waiting for the peer to close.
  using CompletionTest = std::function<bool(std::string_view received)>;

  TcpClientSocket();
  ~TcpClientSocket();
  TcpClientSocket(const TcpClientSocket&) = delete;
  TcpClientSocket& operator=(const TcpClientSocket&) = delete;

  // Stores the dotted text and answers its address in network order
  // (INADDR_NONE, all ones, when the text is not a dotted IPv4 address; Connect
  // then fails).
  std::uint32_t SetAddress(const std::string& dotted);
  void SetRemotePort(std::uint16_t port);

  const std::string& Address() const { return address_; }
  std::uint16_t RemotePort() const { return remotePort_; }

  // Non-blocking connect bounded by `timeoutMs` (a non-positive value means the
  // default of 10 s). False when the socket cannot be made, the address is not
  // valid, the peer refuses or the time runs out; the handle stays in the
  // object until Close.
  bool Connect(int timeoutMs = 10000);

  // Why the last Connect failed, as an errno value: ECONNREFUSED, EHOSTUNREACH,
  // ENETUNREACH, ETIMEDOUT when the time-out passed, EINVAL for an address that
  // is not dotted IPv4; 0 after a successful Connect.
  int ConnectError() const { return connectError_; }

  // Sends all of `data` (continuing partial sends); true only if every byte
  // went out. Never raises SIGPIPE.
  bool Send(std::string_view data);

  // Reads the response; when anything arrived `destination` holds all of it
  // (at most kReceiveBufferSize bytes), otherwise it is untouched. Each wait for the
  // next chunk lasts at most `seconds` + `microseconds`; the whole receive at
  // most kWholeReceiveFactor times that. Ends when the peer closes or resets,
  // falls silent for one wait, the cap is reached, `stopAfterFirstChunk` is set
  // and a chunk arrived, or `complete` answers true. True if any data arrived.
  bool Receive(long seconds, long microseconds, std::string& destination, bool stopAfterFirstChunk,
               const CompletionTest& complete = {});

  // Bytes received by the last Receive.
  int ReceivedTotal() const { return receivedTotal_; }

  // Closes the handle if there is one and answers the close result; -1 when
  // there was none. Safe to call any number of times.
  int Close();

  bool IsOpen() const { return socket_ != -1; }

 private:
  std::string address_ = "192.168.123.254";
  std::uint16_t remotePort_ = 10293;
  std::uint32_t remoteAddress_ = 0;  // network order
  bool addressValid_ = false;
  int receivedTotal_ = 0;
  int connectError_ = 0;
  int socket_ = -1;
};

}  // namespace kelvane
