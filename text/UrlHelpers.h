#pragma once
// URL handling inside single-byte (Windows-1252) texts.

#include <string>
#include <string_view>

// Query-string encoding: letters and digits are kept, a blank becomes "+", every other byte
// becomes "%XX" with upper-case hex digits.
std::string UrlEncode(std::string_view text);

// Puts "http://" + host in front of every root-relative href/src value of a page shown from a
// local file; `host` has no scheme and no slash. Upper-case HREF=/SRC= are lower-cased first and
// values broken over a line feed right after the "=" (or the opening quote) are joined.
void AbsolutizeLinks(std::string& pageText, std::string_view host);
