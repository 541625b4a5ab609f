#include "DocumentTree.h"

#include <cstdint>

namespace {

std::string EntryName(const TLxXIniReader& reader, std::uint64_t pos) {
  const std::string_view name = reader.NameAt(pos);
  return name.empty() ? "[" + std::to_string(pos) + "]" : std::string(name);
}

void Collect(TLxXIniReader& reader, const std::string& prefix, std::vector<std::string>& out) {
  for (std::uint64_t pos = 0; pos < reader.EntryCount(); ++pos) {
    const std::string path = prefix + EntryName(reader, pos);
    out.push_back(path);
    if (!reader.IsSectionAt(pos)) continue;
    const TLxXIniHandle section = reader.EnterSectionE(pos);
    Collect(reader, path + "/", out);
    reader.LeaveSectionE(section);
  }
}

// The reader does not tell a value's type; the first type that reads it is
// the one it was written with (texts are quoted, integers never read as text).
template <typename T>
bool TryCopy(const TLxXIniReader& reader, std::uint64_t pos, TLxXIniWriter& writer,
             std::string_view key) {
  try {
    return writer.WriteS(key, reader.ReadE<T>(pos));
  } catch (const TLxXIniError&) {
    return false;
  }
}

void Copy(TLxXIniReader& reader, TLxXIniWriter& writer, const std::string& prefix,
          const std::string& skip) {
  for (std::uint64_t pos = 0; pos < reader.EntryCount(); ++pos) {
    const std::string path = prefix + EntryName(reader, pos);
    const std::string_view name = reader.NameAt(pos);
    if (path == skip) continue;
    if (reader.IsSectionAt(pos)) {
      const TLxXIniHandle in = reader.EnterSectionE(pos);
      const TLxXIniHandle out = writer.BeginSectionSE(name);
      Copy(reader, writer, path + "/", skip);
      writer.EndSection(out);
      reader.LeaveSectionE(in);
    } else if (!TryCopy<std::string>(reader, pos, writer, name) &&
               !TryCopy<int>(reader, pos, writer, name) &&
               !TryCopy<std::uint64_t>(reader, pos, writer, name)) {
      writer.WriteS(name, reader.ReadE<double>(pos));
    }
  }
}

}  // namespace

std::vector<std::string> EntryPaths(const std::string& text) {
  TLxXIniReader reader(text);
  std::vector<std::string> paths;
  Collect(reader, "", paths);
  return paths;
}

std::string KeysIn(const std::string& text, const std::string& path) {
  const std::string prefix = path.empty() ? "" : path + "/";
  std::string keys;
  for (const std::string& entry : EntryPaths(text)) {
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = entry.substr(prefix.size());
    if (rest.find('/') != std::string::npos) continue;
    keys += (keys.empty() ? "" : " ") + rest;
  }
  return keys;
}

std::string WithoutEntry(const std::string& text, const std::string& path) {
  TLxXIniReader reader(text);
  TLxXIniWriter writer;
  Copy(reader, writer, "", path);
  return writer.Text();
}

std::string Generic(std::string path) {
  for (std::size_t open = path.find('['); open != std::string::npos;
       open = path.find('[', open + 1))
    path.erase(open + 1, path.find(']', open) - open - 1);
  return path;
}
