// A socket and the one thread that serves it: what each of the emulator's
// servers is made of. The thread's loop runs until the stop flag is set; the
// socket stays open until closed, so a server can be stopped and its port
// still read.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace kelvane::routersim {

class SimSocketThread {
 public:
  explicit SimSocketThread(const std::atomic<bool>& stopping) : stopping_(stopping) {}
  // Only once the stop flag is set (or the thread never started).
  ~SimSocketThread() {
    Join();
    Close();
  }
  SimSocketThread(const SimSocketThread&) = delete;
  SimSocketThread& operator=(const SimSocketThread&) = delete;

  // Takes `fd` as the socket (closing the one held before).
  void Adopt(int fd);
  void Close();
  int Fd() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }

  // Runs `loop` on the thread.
  void Start(std::function<void()> loop);
  // Waits for the thread to end (the stop flag must be set).
  void Join();
  bool Stopping() const { return stopping_; }
  const std::atomic<bool>& StopFlag() const { return stopping_; }
  // Waits at most one slice for the socket to become readable.
  bool WaitReadable() const;

 private:
  const std::atomic<bool>& stopping_;
  int fd_ = -1;
  std::thread thread_;
};

}  // namespace kelvane::routersim
