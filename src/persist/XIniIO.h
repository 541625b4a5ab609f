#pragma once

// Entry patterns shared by the document readers and writers of this folder.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <LxStd/Vec.h>
#include <LxStd/XIni.h>

namespace lxcu::internal {

// The reader or writer a document function was handed; a null one raises
// std::invalid_argument naming `function` rather than crashing.
template <class Stream>
Stream* Required(Stream* stream, const char* function) {
  if (stream == nullptr)
    throw std::invalid_argument(std::string(function) + ": the document reader or writer is null");
  return stream;
}

// Writes one key. WriteS only reports a refused entry; its reason is raised
// here at once so that no later entry lands after a gap.
template <XIniValueType T>
void WriteE(TLxXIniWriter* writer, std::string_view key, const T& value) {
  if (!writer->WriteS(key, value)) writer->throw_error();
}

// A point: compact section holding lx::s_x, then lx::s_y.
template <XIniValueType T>
void WritePointE(TLxXIniWriter* writer, std::string_view key, const vec_t_<T, 2>& point) {
  const TLxXIniHandle section = writer->BeginSectionCompactSE(key);
  WriteE(writer, lx::s_x, point.x);
  WriteE(writer, lx::s_y, point.y);
  writer->EndSection(section);
}

// Value of the first entry named `key`; raises when it is absent.
template <XIniValueType T>
T ReadKeyE(const TLxXIniReader* reader, std::string_view key) {
  return reader->ReadE<T>(reader->FindFE(key));
}

// Value of the first entry named `key`, or `def` when it is absent (a present
// but unreadable value still raises).
template <XIniValueType T>
T ReadKey(const TLxXIniReader* reader, std::string_view key, const T& def) {
  return reader->Read<T>(reader->FindF(key), def);
}

// The point at `pos`; the entry must be a section holding both components.
template <XIniValueType T>
vec_t_<T, 2> ReadPointAtE(TLxXIniReader* reader, std::uint64_t pos) {
  const TLxXIniHandle section = reader->EnterSectionE(pos);
  vec_t_<T, 2> point;
  point.x = ReadKeyE<T>(reader, lx::s_x);
  point.y = ReadKeyE<T>(reader, lx::s_y);
  reader->LeaveSectionE(section);
  return point;
}

// The point named `key`; raises when it or a component is absent.
template <XIniValueType T>
vec_t_<T, 2> ReadPointE(TLxXIniReader* reader, std::string_view key) {
  return ReadPointAtE<T>(reader, reader->FindFE(key));
}

// Items of the current section, a list: every entry by position, whatever its
// name, must be a section; `read_item` reads one while it is entered.
template <typename Item, typename ReadItem>
std::vector<Item> ReadListE(TLxXIniReader* reader, ReadItem read_item) {
  std::vector<Item> items;
  for (std::uint64_t pos = 0; reader->HasEntry(pos); ++pos) {
    const TLxXIniHandle item = reader->EnterSectionE(pos);
    Item value = read_item();
    reader->LeaveSectionE(item);
    items.push_back(std::move(value));
  }
  return items;
}

}  // namespace lxcu::internal
