#pragma once

// The parsed form of a document: a flat array of entries in document order, each
// section with a contiguous list of its children, so that any entry of a section
// is reached by position in constant time. Names and values point into the
// source text where they need no unescaping, else into a pool of decoded texts.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lx::xini {

enum class NodeKind : std::uint8_t {
  Section,
  Text,  // a quoted or block text
  Word,  // an unquoted word: a number, read and checked when asked for
};

// A byte range of the source, or of the pool when kPoolBit is set in `offset`.
struct Span {
  static constexpr std::uint32_t kPoolBit = std::uint32_t{1} << 31;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

struct Node {
  Span name;
  // Values: the value's text. Sections: `offset` is the index of the first child
  // in the child list and `length` the number of children.
  Span value;
  std::uint32_t line = 0;  // 1-based; 0 for the root
  NodeKind kind = NodeKind::Section;

  std::uint32_t first() const { return value.offset; }
  std::uint32_t count() const { return value.length; }
};

// Entries in blocks small enough for the allocator to recycle between documents:
// no reallocation and copying as a document grows, and no fresh pages for every
// large document.
class NodeStore {
 public:
  static constexpr std::uint32_t kBlockShift = 11;
  static constexpr std::uint32_t kBlockSize = std::uint32_t{1} << kBlockShift;

  Node& operator[](std::uint32_t i) { return blocks_[i >> kBlockShift][i & (kBlockSize - 1)]; }
  const Node& operator[](std::uint32_t i) const {
    return blocks_[i >> kBlockShift][i & (kBlockSize - 1)];
  }
  std::uint32_t size() const { return size_; }
  Node& back() { return (*this)[size_ - 1]; }
  void push_back(const Node& node) {
    if ((size_ & (kBlockSize - 1)) == 0) blocks_.push_back(std::make_unique<Node[]>(kBlockSize));
    (*this)[size_++] = node;
  }

 private:
  std::vector<std::unique_ptr<Node[]>> blocks_;
  std::uint32_t size_ = 0;
};

// Byte range [begin, end) of an entry in the source.
struct Extent {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
};

class Document {
 public:
  // Largest document accepted, so that offsets fit in a Span.
  static constexpr std::size_t kMaxSize = Span::kPoolBit - 1;

  // Parses `source`; raises TLxXIniError on a syntax error.
  explicit Document(std::string source);

  std::string_view View(Span span) const {
    const std::string& base = (span.offset & Span::kPoolBit) ? pool_ : source_;
    return std::string_view(base).substr(span.offset & ~Span::kPoolBit, span.length);
  }
  const Node& At(std::uint32_t index) const { return nodes_[index]; }
  std::span<const std::uint32_t> Children(std::uint32_t section) const {
    const Node& n = nodes_[section];
    return std::span<const std::uint32_t>(children_).subspan(n.first(), n.count());
  }
  std::string_view Name(std::uint32_t index) const { return View(nodes_[index].name); }
  // Source ranges of the top-level entries, in order: from the name (or the
  // opening brace) through the value or the closing brace.
  const std::vector<Extent>& TopExtents() const { return top_extents_; }

 private:
  friend class Parser;
  void LinkChildren();

  std::string source_;
  std::string pool_;
  NodeStore nodes_;
  std::vector<std::uint32_t> children_;
  std::vector<Extent> top_extents_;
};

}  // namespace lx::xini
