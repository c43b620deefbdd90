#pragma once
// Lookups in configuration documents by short paths relative to an element:
// "a/b/text()" for the text of the last element, "a/b/@name" for an
// attribute. A value counts only when the path exists and is of that kind.

#include <tinyxml2.h>

#include <cstdint>
#include <string>

// The element at "a/b/c" (first matching child at each step), or null.
const tinyxml2::XMLElement* XmlElement(const tinyxml2::XMLElement* base, const std::string& path);
bool XmlText(const tinyxml2::XMLElement* base, const std::string& path, std::string& out);
// "true"/"false"/"1"/"0"; anything else leaves `out` unchanged and is false.
bool XmlBool(const tinyxml2::XMLElement* base, const std::string& path, bool& out);
// Decimal or "0x" hexadecimal.
bool XmlInt(const tinyxml2::XMLElement* base, const std::string& path, int64_t& out);
