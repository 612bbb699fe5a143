#pragma once
// The About box's texts name strings of the program's version block as "$Name" placeholders.

#include <functional>
#include <string>

// The version block's string `name` ("ProductName", "ProductVersion", "PrivateBuild",
// "LegalCopyright"), looked up under the block's string table path (string 30); false when
// the block has no such string.
bool VersionBlockString(const std::string& name, std::string& value);

// Replaces every "$" followed by the longest run of ASCII letters and underscores with the
// string `lookup` gives for that name. A name the lookup does not know, and a "$" with no
// name after it, stay as they are, so a mistake in a table shows instead of vanishing.
std::string ExpandPlaceholders(const std::string& text,
                               const std::function<bool(const std::string& name, std::string& value)>& lookup);
std::string ExpandVersionPlaceholders(const std::string& text);
