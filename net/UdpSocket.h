// An IPv4 datagram socket for the LAN probes: can broadcast and can be bound to
// a fixed local port. Payloads are at most kBufferSize bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

class UdpSocket {
 public:
  static constexpr std::size_t kBufferSize = 1472;

  UdpSocket();
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Destination (dotted text) and ports. SetAddress answers the address in
  // network order (INADDR_NONE when the text is not a dotted IPv4 address;
  // sending then fails, except for "255.255.255.255" itself).
  std::uint32_t SetAddress(const std::string& dotted);
  void SetRemotePort(std::uint16_t port);
  void SetLocalPort(std::uint16_t port);

  // Stores the bytes to send; false (nothing stored) when longer than kBufferSize.
  bool SetPayload(const void* bytes, std::size_t length);

  // Unbound sender with broadcast enabled; the system picks the source port.
  bool OpenSender();
  // Non-blocking socket with SO_REUSEADDR and SO_BROADCAST, bound to
  // 0.0.0.0:local port. On failure the socket is closed and LastError() tells
  // why (EACCES when a port below 1024 needs a privilege the process lacks).
  bool OpenBoundReceiver();

  // Sends the payload `count` times to the destination; false at the first
  // failure, true when all went out (also when count <= 0). A destination of
  // 255.255.255.255 is sent once through each up, broadcast-capable interface,
  // because Linux refuses a limited broadcast without a route; it counts as
  // sent when at least one interface took it.
  bool SendPayload(int count);

  // Waits up to `seconds` + `microseconds` (in slices, calling the wait hook)
  // for one datagram, an empty one included (ReceivedLength() is then 0).
  // False at the time-out or when receiving fails (LastError() tells why). In
  // bound-receiver mode the sender becomes the destination, so a later
  // SendPayload answers it.
  bool ReceiveDatagram(long seconds, long microseconds);

  // The sender of the last datagram: byte 0 is the first octet of the dotted form.
  void GetSenderAddress(std::uint8_t destination[4]) const;
  // The same address as a 32-bit value in network order.
  std::uint32_t SenderAddress() const { return senderAddress_; }
  std::uint16_t SenderPort() const { return senderPort_; }

  std::string_view Received() const { return std::string_view(receiveBuffer_, receivedLength_); }
  std::uint16_t ReceivedLength() const { return receivedLength_; }

  // errno of the last failing operation (0 after a success).
  int LastError() const { return lastError_; }

  int Close();
  bool IsOpen() const { return socket_ != -1; }

 private:
  bool SendOnce();
  bool SendBroadcastOnEachInterface();

  unsigned char mode_ = 0;  // 0 sender, 1 bound receiver
  char receiveBuffer_[kBufferSize] = {};
  char sendBuffer_[kBufferSize] = {};
  std::string address_ = "192.168.123.254";
  std::uint32_t remoteAddress_ = 0;  // network order
  bool addressValid_ = false;
  std::uint32_t senderAddress_ = 0;  // network order
  std::uint16_t senderPort_ = 0;
  std::uint16_t remotePort_ = 10293;
  std::uint16_t localPort_ = 10293;
  std::uint16_t payloadLength_ = 0;
  std::uint16_t receivedLength_ = 0;
  int lastError_ = 0;
  int socket_ = -1;
};

}  // namespace kelvane
