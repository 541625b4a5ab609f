#include <LxStd/XIni.h>
#include <LxStd/ssprintf.h>

#include <algorithm>

#include "xini/Document.h"
#include "xini/File.h"
#include "xini/Numbers.h"
#include "xini/Syntax.h"

namespace {

using lx::xini::Document;
using lx::xini::Node;
using lx::xini::NodeKind;
using lx::xini::NumberStatus;

constexpr std::uint32_t kNoNode = ~std::uint32_t{0};

const char* TypeName(int) {
  return "int";
}
const char* TypeName(std::uint64_t) {
  return "unsigned 64-bit";
}
const char* TypeName(double) {
  return "double";
}

std::string LineSuffix(std::uint32_t line) {
  return line ? Kelvora::ssprintf(" (line %u)", line) : std::string();
}

std::string PositionText(std::uint64_t pos) {
  return pos == kXIniAbsent ? std::string("absent")
                            : Kelvora::ssprintf("%llu", static_cast<unsigned long long>(pos));
}

}  // namespace

namespace lx {
const std::string s_x = "x";
const std::string s_y = "y";
}  // namespace lx

TLxXIniReader::TLxXIniReader(std::string_view text)
    : doc_(std::make_unique<Document>(std::string(text))) {
  stack_.push_back(Frame{0, 0});
}

TLxXIniReader TLxXIniReader::FromFile(const std::string& path) {
  return TLxXIniReader(lx::xini::ReadWholeFile(path));
}

TLxXIniReader::TLxXIniReader(TLxXIniReader&&) noexcept = default;
TLxXIniReader& TLxXIniReader::operator=(TLxXIniReader&&) noexcept = default;
TLxXIniReader::~TLxXIniReader() = default;

std::uint64_t TLxXIniReader::FindF(std::string_view key, std::uint64_t start) const {
  const auto children = doc_->Children(stack_.back().node);
  for (std::uint64_t i = start; i < children.size(); ++i)
    if (doc_->Name(children[i]) == key) return i;
  return kXIniAbsent;
}

std::uint64_t TLxXIniReader::FindFE(std::string_view key, std::uint64_t start) const {
  const std::uint64_t pos = FindF(key, start);
  if (pos == kXIniAbsent)
    throw TLxXIniError("missing key " + lx::xini::QuoteForMessage(key) + Where());
  return pos;
}

std::string TLxXIniReader::ReadLongStringS(std::string_view key, const std::string& def) const {
  return Read<std::string>(FindF(key), def);
}

std::string TLxXIniReader::ReadLongStringSE(std::string_view key) const {
  return ReadE<std::string>(FindFE(key));
}

TLxXIniHandle TLxXIniReader::EnterSectionS(std::string_view name) {
  return EnterSection(FindF(name));
}

TLxXIniHandle TLxXIniReader::EnterSectionSE(std::string_view name) {
  const std::uint64_t pos = FindF(name);
  if (pos == kXIniAbsent)
    throw TLxXIniError("missing section " + lx::xini::QuoteForMessage(name) + Where());
  return EnterSectionE(pos);
}

bool TLxXIniReader::HasEntry(std::uint64_t pos) const {
  return pos < EntryCount();
}

std::uint64_t TLxXIniReader::EntryCount() const {
  return doc_->At(stack_.back().node).count();
}

std::string_view TLxXIniReader::NameAt(std::uint64_t pos) const {
  const std::uint32_t node = EntryNode(pos);
  return node == kNoNode ? std::string_view() : doc_->Name(node);
}

bool TLxXIniReader::IsSectionAt(std::uint64_t pos) const {
  const std::uint32_t node = EntryNode(pos);
  return node != kNoNode && doc_->At(node).kind == NodeKind::Section;
}

std::uint32_t TLxXIniReader::LineAt(std::uint64_t pos) const {
  const std::uint32_t node = EntryNode(pos);
  return node == kNoNode ? 0 : doc_->At(node).line;
}

std::pair<std::uint64_t, std::uint64_t> TLxXIniReader::TopLevelExtent(std::uint64_t pos) const {
  const auto& extents = doc_->TopExtents();
  if (pos >= extents.size()) return {kXIniAbsent, kXIniAbsent};
  return {extents[pos].begin, extents[pos].end};
}

TLxXIniHandle TLxXIniReader::EnterSection(std::uint64_t pos) {
  const std::uint32_t node = EntryNode(pos);
  if (node == kNoNode || doc_->At(node).kind != NodeKind::Section) return 0;
  return Enter(node);
}

TLxXIniHandle TLxXIniReader::EnterSectionE(std::uint64_t pos) {
  const std::uint32_t node = EntryNode(pos);
  if (node == kNoNode)
    throw TLxXIniError("no entry at position " + PositionText(pos) + " to enter" + Where());
  if (doc_->At(node).kind != NodeKind::Section)
    throw TLxXIniError(Describe(pos) + " is a value, not a section," + Where(doc_->At(node).line));
  return Enter(node);
}

TLxXIniHandle TLxXIniReader::Enter(std::uint32_t node) {
  stack_.push_back(Frame{node, next_handle_});
  return next_handle_++;
}

void TLxXIniReader::LeaveSection(TLxXIniHandle handle) {
  if (handle == 0) return;
  const auto it = std::find_if(stack_.begin() + 1, stack_.end(),
                               [handle](const Frame& f) { return f.handle == handle; });
  stack_.erase(it, stack_.end());
}

void TLxXIniReader::LeaveSectionE(TLxXIniHandle handle) {
  if (stack_.size() == 1)
    throw TLxXIniError(Kelvora::ssprintf("LeaveSectionE(%llu): no section is entered",
                                         static_cast<unsigned long long>(handle)));
  if (stack_.back().handle != handle)
    throw TLxXIniError(Kelvora::ssprintf("LeaveSectionE(%llu): not the handle of the innermost",
                                         static_cast<unsigned long long>(handle)) +
                       Where());
  stack_.pop_back();
}

void TLxXIniReader::throw_error_valueS(std::string_view key) const {
  const std::string name = lx::xini::QuoteForMessage(key);
  const std::uint64_t pos = FindF(key);
  if (pos == kXIniAbsent) throw TLxXIniError("invalid value for missing key " + name + Where());
  const Node& n = doc_->At(EntryNode(pos));
  const std::string value = n.kind == NodeKind::Section
                                ? std::string("(a section)")
                                : lx::xini::QuoteForMessage(doc_->View(n.value));
  throw TLxXIniError("invalid value " + value + " for key " + name + Where(n.line));
}

std::uint32_t TLxXIniReader::EntryNode(std::uint64_t pos) const {
  const auto children = doc_->Children(stack_.back().node);
  return pos < children.size() ? children[pos] : kNoNode;
}

std::uint32_t TLxXIniReader::ValueNode(std::uint64_t pos, bool required) const {
  const std::uint32_t node = EntryNode(pos);
  if (node == kNoNode) {
    if (!required) return kNoNode;
    throw TLxXIniError("no entry at position " + PositionText(pos) + " to read" + Where());
  }
  if (doc_->At(node).kind == NodeKind::Section)
    throw TLxXIniError(Describe(pos) + " is a section, not a value," + Where(doc_->At(node).line));
  return node;
}

template <typename T>
bool TLxXIniReader::ReadNumber(std::uint64_t pos, T& out, bool required) const {
  const std::uint32_t node = ValueNode(pos, required);
  if (node == kNoNode) return false;
  const Node& n = doc_->At(node);
  const std::string_view text = doc_->View(n.value);
  const NumberStatus status =
      n.kind == NodeKind::Word ? lx::xini::ParseNumber(text, out) : NumberStatus::Invalid;
  if (status == NumberStatus::Ok) return true;
  const std::string shown = lx::xini::QuoteForMessage(text);
  const std::string type = TypeName(out);
  if (status == NumberStatus::OutOfRange)
    throw TLxXIniError(type + " value " + shown + " out of range for " + Describe(pos) +
                       Where(n.line));
  throw TLxXIniError("invalid " + type + " value " + shown + " for " + Describe(pos) +
                     Where(n.line));
}

bool TLxXIniReader::ReadValue(std::uint64_t pos, int& out, bool required) const {
  return ReadNumber(pos, out, required);
}

bool TLxXIniReader::ReadValue(std::uint64_t pos, std::uint64_t& out, bool required) const {
  return ReadNumber(pos, out, required);
}

bool TLxXIniReader::ReadValue(std::uint64_t pos, double& out, bool required) const {
  return ReadNumber(pos, out, required);
}

bool TLxXIniReader::ReadValue(std::uint64_t pos, std::string& out, bool required) const {
  const std::uint32_t node = ValueNode(pos, required);
  if (node == kNoNode) return false;
  const Node& n = doc_->At(node);
  if (n.kind != NodeKind::Text)
    throw TLxXIniError("invalid text value " + lx::xini::QuoteForMessage(doc_->View(n.value)) +
                       " (texts are quoted) for " + Describe(pos) + Where(n.line));
  out.assign(doc_->View(n.value));
  return true;
}

// " in section /a/[2]/b (line N)", the line being `line` or else the section's.
std::string TLxXIniReader::Where(std::uint32_t line) const {
  std::string path;
  for (std::size_t i = 1; i < stack_.size(); ++i) {
    const std::uint32_t node = stack_[i].node;
    path += '/';
    const std::string_view name = doc_->Name(node);
    if (!name.empty()) {
      lx::xini::AppendName(path, name);
      continue;
    }
    const auto siblings = doc_->Children(stack_[i - 1].node);
    const auto index = std::find(siblings.begin(), siblings.end(), node) - siblings.begin();
    path += Kelvora::ssprintf("[%td]", index);
  }
  if (path.empty()) path = "/";
  return " in section " + path + LineSuffix(line ? line : doc_->At(stack_.back().node).line);
}

std::string TLxXIniReader::Describe(std::uint64_t pos) const {
  const std::uint32_t node = EntryNode(pos);
  const std::string_view name = node == kNoNode ? std::string_view() : doc_->Name(node);
  if (name.empty()) return "entry " + PositionText(pos);
  return "key " + lx::xini::QuoteForMessage(name);
}
