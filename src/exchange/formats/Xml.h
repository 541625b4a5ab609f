#pragma once

// pugixml with the errors of this library: every failure names the element
// and the line it stands on.

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace lxcu::internal {

class XmlDocument {
 public:
  // Parses `text`; raises with the parser's description and line.
  explicit XmlDocument(std::string_view text);
  const pugi::xml_document& doc() const { return doc_; }
  int Line(const pugi::xml_node& node) const;

  // The child element `name` of `parent`; raises when it is missing.
  pugi::xml_node Child(const pugi::xml_node& parent, const char* name) const;
  // The number that is the text of `node`; raises naming the element.
  double Number(const pugi::xml_node& node) const;
  // The number in child `name`, or `fallback` when there is no such child.
  double NumberOr(const pugi::xml_node& parent, const char* name, double fallback) const;
  // The numbers, separated by spaces, in the text of `node`; exactly `count` of them.
  std::vector<double> Numbers(const pugi::xml_node& node, std::size_t count) const;
  // The text of `node` with surrounding spaces removed.
  static std::string Text(const pugi::xml_node& node);

 private:
  std::string_view text_;
  pugi::xml_document doc_;
};

// A new document with an XML declaration of version 1.0 and, unless empty,
// `encoding`.
void AddDeclaration(pugi::xml_document& doc, const char* encoding);
// `doc` as text, children indented by `indent`.
std::string XmlText(const pugi::xml_document& doc, const char* indent);
// Appends element `name` holding `text`.
void AddText(pugi::xml_node& parent, const char* name, const std::string& text);

}  // namespace lxcu::internal
