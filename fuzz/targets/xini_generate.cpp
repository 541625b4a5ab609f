// The fuzz bytes drive a writer: entries of every type under empty, repeated
// and odd names, normal and compact sections nested up to the depth limit and
// past it, long texts full of CR, LF and NUL, doubles of any bit pattern. The
// document must read back exactly as written, and rewrite to the same bytes.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Reliability.h"

namespace {

struct Entry {
  enum Kind { kInt, kUnsigned, kDouble, kText, kLongText, kSection } kind;
  std::string name;
  std::uint64_t number = 0;  // int and double by their bits
  std::string text;
  std::vector<Entry> children;
};

// Hands out the fuzz bytes; zeros once they are used up.
class Source {
 public:
  Source(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  std::uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
  template <typename T>
  T Raw() {
    unsigned char bytes[sizeof(T)] = {};
    for (unsigned char& b : bytes)
      b = Byte();
    return std::bit_cast<T>(bytes);
  }
  // Up to 31 bytes, the low ones standing for the bytes that matter to the
  // syntax; one text in sixteen repeats them up to 512 times.
  std::string Text(bool may_repeat) {
    static constexpr char kSpecial[] = {'\r', '\n', '\0', '"', '\\', '|', ' ', '\t', '#', '{'};
    std::string chunk(Byte() % 32, ' ');
    for (char& c : chunk) {
      const std::uint8_t b = Byte();
      c = b < sizeof kSpecial ? kSpecial[b] : static_cast<char>(b);
    }
    if (!may_repeat || Byte() % 16 != 0) return chunk;
    std::string text;
    for (int n = 1 + Raw<std::uint16_t>() % 512; n > 0; --n)
      text += chunk;
    return text;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

class Generator {
 public:
  explicit Generator(Source& source) : in_(source) {}

  // Writes entries until the bytes run out and returns the root section.
  Entry Run() {
    Entry root{Entry::kSection, {}, 0, {}, {}};
    std::vector<Entry*> open{&root};
    std::vector<TLxXIniHandle> handles;
    while (!in_.empty()) {
      // Ends outnumber begins, so that documents stay shallow unless the
      // bytes insist.
      const std::uint8_t op = in_.Byte() % 10;
      if (op >= 7) {
        if (handles.empty()) continue;
        writer.EndSection(handles.back());
        handles.pop_back();
        open.pop_back();
        continue;
      }
      Entry entry{static_cast<Entry::Kind>(op < 6 ? op : 5), Name(), 0, {}, {}};
      if (entry.kind == Entry::kSection) {
        // Only the innermost open section grows, so `open` stays valid.
        const bool refused = handles.size() == kXIniMaxDepth;
        try {
          handles.push_back(op == 6 ? writer.BeginSectionCompactSE(entry.name)
                                    : writer.BeginSectionSE(entry.name));
        } catch (const TLxXIniError&) {
          lxrel::Require(refused ? "" : "a section was refused above the depth limit");
          continue;
        }
        lxrel::Require(refused ? "a section was begun past the depth limit" : "");
        open.back()->children.push_back(std::move(entry));
        open.push_back(&open.back()->children.back());
        continue;
      }
      Write(entry);
      open.back()->children.push_back(std::move(entry));
    }
    while (!handles.empty()) {
      writer.EndSection(handles.back());
      handles.pop_back();
    }
    return root;
  }

  TLxXIniWriter writer;

 private:
  std::string Name() {
    switch (in_.Byte() % 4) {
      case 0:
        return {};
      case 1:
        if (!names_.empty()) return names_[in_.Byte() % names_.size()];
        return {};
      case 2:
        names_.push_back("k" + std::to_string(in_.Byte() % 16));
        return names_.back();
      default:
        names_.push_back(in_.Text(false));
        return names_.back();
    }
  }

  void Write(Entry& entry) {
    bool written = true;
    switch (entry.kind) {
      case Entry::kInt: {
        const auto value = in_.Raw<int>();
        entry.number = static_cast<std::uint64_t>(static_cast<std::uint32_t>(value));
        written = writer.WriteS(entry.name, value);
        break;
      }
      case Entry::kUnsigned:
        entry.number = in_.Raw<std::uint64_t>();
        written = writer.WriteS(entry.name, entry.number);
        break;
      case Entry::kDouble:
        entry.number = in_.Raw<std::uint64_t>();
        written = writer.WriteS(entry.name, std::bit_cast<double>(entry.number));
        break;
      case Entry::kText:
        entry.text = in_.Text(true);
        written = writer.WriteS(entry.name, entry.text);
        break;
      case Entry::kLongText:
        entry.text = in_.Text(true);
        writer.WriteLongStringSE(entry.name, entry.text);
        break;
      case Entry::kSection:
        break;
    }
    lxrel::Require(written ? "" : "a write was refused");
  }

  Source& in_;
  std::vector<std::string> names_;
};

// The reader's current section holds exactly `section`'s entries.
void ExpectRead(TLxXIniReader& reader, const Entry& section) {
  lxrel::Require(reader.EntryCount() == section.children.size() ? "" : "entry count differs");
  for (std::uint64_t pos = 0; pos < section.children.size(); ++pos) {
    const Entry& e = section.children[pos];
    lxrel::Require(reader.NameAt(pos) == e.name ? "" : "name differs");
    std::uint64_t read = 0;
    switch (e.kind) {
      case Entry::kInt:
        read = static_cast<std::uint32_t>(reader.ReadE<int>(pos));
        break;
      case Entry::kUnsigned:
        read = reader.ReadE<std::uint64_t>(pos);
        break;
      case Entry::kDouble:
        read = std::bit_cast<std::uint64_t>(reader.ReadE<double>(pos));
        break;
      case Entry::kText:
      case Entry::kLongText:
        lxrel::Require(reader.ReadE<std::string>(pos) == e.text ? "" : "text differs");
        break;
      case Entry::kSection: {
        const TLxXIniHandle h = reader.EnterSectionE(pos);
        ExpectRead(reader, e);
        reader.LeaveSectionE(h);
        break;
      }
    }
    lxrel::Require(read == e.number ? "" : "number differs");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Source source(data, size);
  Generator generator(source);
  const Entry root = generator.Run();
  const std::string text = generator.writer.Text();
  TLxXIniReader reader(text);
  ExpectRead(reader, root);
  lxrel::Require(lxrel::CheckRewriteStable(text));
  return 0;
}
