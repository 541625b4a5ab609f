#include "Xml.h"

#include <sstream>

#include "../Text.h"

namespace lxcu::internal {

XmlDocument::XmlDocument(std::string_view text) : text_(text) {
  const pugi::xml_parse_result parsed =
      doc_.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed)
    Fail(std::string("malformed XML: ") + parsed.description(),
         LineAt(text, static_cast<std::size_t>(parsed.offset)));
}

int XmlDocument::Line(const pugi::xml_node& node) const {
  const std::ptrdiff_t offset = node.offset_debug();
  return offset < 0 ? 0 : LineAt(text_, static_cast<std::size_t>(offset));
}

pugi::xml_node XmlDocument::Child(const pugi::xml_node& parent, const char* name) const {
  const pugi::xml_node child = parent.child(name);
  if (!child) Fail("<" + std::string(parent.name()) + "> has no <" + name + ">", Line(parent));
  return child;
}

double XmlDocument::Number(const pugi::xml_node& node) const {
  return ParseNumber(Text(node), "<" + std::string(node.name()) + ">", Line(node));
}

double XmlDocument::NumberOr(const pugi::xml_node& parent, const char* name,
                             double fallback) const {
  const pugi::xml_node child = parent.child(name);
  return child ? Number(child) : fallback;
}

std::vector<double> XmlDocument::Numbers(const pugi::xml_node& node, std::size_t count) const {
  const std::string what = "<" + std::string(node.name()) + ">";
  std::vector<double> values = ParseNumbers(node.child_value(), what, Line(node));
  if (values.size() != count)
    Fail(
        what + " holds " + std::to_string(values.size()) + " numbers, not " + std::to_string(count),
        Line(node));
  return values;
}

std::string XmlDocument::Text(const pugi::xml_node& node) {
  const std::string_view text = node.child_value();
  constexpr std::string_view kSpace = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kSpace) - first + 1));
}

void AddDeclaration(pugi::xml_document& doc, const char* encoding) {
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  if (*encoding) declaration.append_attribute("encoding") = encoding;
}

std::string XmlText(const pugi::xml_document& doc, const char* indent) {
  std::ostringstream out;
  doc.save(out, indent, pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

void AddText(pugi::xml_node& parent, const char* name, const std::string& text) {
  parent.append_child(name).text().set(text.c_str());
}

}  // namespace lxcu::internal
