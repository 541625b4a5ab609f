#include "xini/File.h"

#include <LxStd/XIni.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace lx::xini {

namespace {

std::string ErrnoText(int error) {
  return std::generic_category().message(error);
}

[[noreturn]] void FailFile(const char* what, const std::string& path, int error) {
  throw TLxXIniError(std::string(what) + " \"" + path + "\": " + ErrnoText(error));
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
 public:
  TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) std::remove(path_.c_str());
  }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Closes the file; errno on failure, else 0.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }
  void Keep() { kept_ = true; }

 private:
  int fd_;
  std::string path_;
  bool kept_ = false;
};

std::string TempName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) FailFile("cannot open", path, errno);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) FailFile("cannot read", path, errno);
  return std::move(text).str();
}

void ReplaceFile(const std::string& path, std::string_view text) {
  const std::string temp_path = TempName(path);
  const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) FailFile("cannot create", temp_path, errno);
  TempFile temp(fd, temp_path);
  while (!text.empty()) {
    const ::ssize_t written = ::write(temp.fd(), text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      FailFile("cannot write", temp_path, errno);
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::fsync(temp.fd()) != 0) FailFile("cannot flush", temp_path, errno);
  if (const int error = temp.Close()) FailFile("cannot close", temp_path, error);
  if (std::rename(temp_path.c_str(), path.c_str()) != 0) FailFile("cannot replace", path, errno);
  temp.Keep();
}

}  // namespace lx::xini
