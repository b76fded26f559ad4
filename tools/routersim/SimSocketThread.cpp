#include "tools/routersim/SimSocketThread.h"

#include <poll.h>
#include <unistd.h>

#include "tools/routersim/SimIo.h"

namespace kelvane::routersim {

void SimSocketThread::Adopt(int fd) {
  Close();
  fd_ = fd;
}

void SimSocketThread::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void SimSocketThread::Start(std::function<void()> loop) { thread_ = std::thread(std::move(loop)); }

void SimSocketThread::Join() {
  if (thread_.joinable()) thread_.join();
}

bool SimSocketThread::WaitReadable() const {
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, kSimSliceMs) > 0;
}

}  // namespace kelvane::routersim
