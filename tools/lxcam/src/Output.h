#pragma once

// The one way lxcam writes a file. Whatever the output names, nothing is lost
// or damaged:
// - "-" or empty: standard output;
// - an existing FIFO, character or block device or socket: written directly,
//   never replaced;
// - a symbolic link: followed (also through chains of links); its final target
//   is written by these rules, the link itself stays;
// - a regular file, existing or not: a temporary file beside it receives the
//   text and replaces the file by rename only once it is complete, so the file
//   holds the old or the whole new text, never a part; a replaced file keeps
//   its permission bits, owner and group. When the owner or group cannot be
//   kept, nothing is replaced.
// Failures raise InputError naming the output.

#include <string>
#include <string_view>

namespace lxcam {

class OutputFile {
 public:
  // Opens the output `path`: standard output, the device, or a temporary file.
  explicit OutputFile(const std::string& path);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes the temporary file unless Commit() succeeded.
  ~OutputFile();

  void Write(std::string_view bytes);
  // Completes the output: flushes it and, for a regular file, renames the
  // temporary file over the target.
  void Commit();

  // The name given, for messages.
  const std::string& name() const { return name_; }

 private:
  // Closes what this output opened and removes an uncommitted temporary file.
  void Discard() noexcept;

  std::string name_;
  std::string target_;  // the final target of links; empty for direct writes
  std::string temp_;    // temporary file beside `target_`
  int fd_ = -1;
  bool owns_fd_ = false;
  bool committed_ = false;
};

// Writes all of `text` to `path` as OutputFile does.
void WriteOutput(const std::string& path, std::string_view text);

}  // namespace lxcam
