#include "Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "Common.h"

namespace lxcam {
namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

[[noreturn]] void Fail(const std::string& name, const std::string& what, int error) {
  throw InputError(name + ": " + what + ": " + std::strerror(error));
}

// The file that `path` finally names once every symbolic link on the way is
// followed; it may not exist yet (a dangling link names a file to create).
std::string FinalTarget(const std::string& path) {
  fs::path target = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target.string();
    std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ::ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
    if (n < 0) Fail(path, "cannot follow the link", errno);
    const fs::path next(std::string(buf.data(), static_cast<std::size_t>(n)));
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  Fail(path, "cannot follow the link", ELOOP);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : name_(IsStdout(path) ? "<stdout>" : path) {
  if (IsStdout(path)) {
    std::fflush(stdout);  // what was printed before goes first
    fd_ = STDOUT_FILENO;
    return;
  }
  const std::string target = FinalTarget(path);
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw InputError(path + ": is a directory");
  if (exists && !S_ISREG(st.st_mode)) {  // a FIFO or device: write through it
    fd_ = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) Fail(path, "cannot open", errno);
    owns_fd_ = true;
    return;
  }
  const fs::path where(target);
  std::string pattern =
      (where.parent_path() / ("." + where.filename().string() + ".lxcam-XXXXXX")).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) Fail(path, "cannot write", errno);
  owns_fd_ = true;
  temp_ = pattern;
  target_ = target;
  try {
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
        ::fchown(fd_, st.st_uid, st.st_gid) != 0)
      Fail(path, "not replaced, its owner or group cannot be kept", errno);
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd_, mode) != 0) Fail(path, "cannot set the permissions", errno);
  } catch (...) {
    Discard();
    throw;
  }
}

OutputFile::~OutputFile() {
  Discard();
}

void OutputFile::Discard() noexcept {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty() && !committed_) ::unlink(temp_.c_str());
  temp_.clear();
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ::ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(name_, "cannot write", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void OutputFile::Commit() {
  if (!temp_.empty()) {
    if (::fsync(fd_) != 0) Fail(name_, "cannot write", errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) Fail(name_, "cannot write", errno);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) Fail(name_, "cannot replace", errno);
  } else if (owns_fd_) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) Fail(name_, "cannot write", errno);
  }
  committed_ = true;
}

void WriteOutput(const std::string& path, std::string_view text) {
  OutputFile out(path);
  out.Write(text);
  out.Commit();
}

}  // namespace lxcam
