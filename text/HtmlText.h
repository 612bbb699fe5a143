#pragma once
// In-place editing of short single-byte (Windows-1252) texts cut out of HTML pages.
//
// Every marker search is a case-sensitive search for the first occurrence (std::string::find).
// Each helper edits `s` only as described and returns true when it did so; a marker that is not
// found leaves `s` unchanged and gives false.
//
// An optional replacement is a std::optional<std::string_view>: pass a string literal or a
// std::string to replace, or leave it out (std::nullopt) to only remove.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Replaces the 201 entities of the built-in table, each row over the whole string in table
// order, so "&amp;lt;" ends as "<" while "&amp;nbsp;" ends as "&nbsp;". "&nbsp;" and "&#160;"
// become a plain space; codes 161-255 become their single byte.
void DecodeHtmlEntities(std::string& s);

// Deletes every complete "<...>" tag, earliest first; a "<" with no later ">" stops the work.
// True when at least one tag was deleted.
bool RemoveTags(std::string& s);

// `s` becomes the text after / before the first `marker`.
bool KeepAfter(std::string& s, std::string_view marker);
bool KeepBefore(std::string& s, std::string_view marker);

// `s` becomes the text between the first `start` and the first `end` after it; `s` is changed
// only when both are found.
bool KeepBetween(std::string& s, std::string_view start, std::string_view end);

// Deletes the first span from `start` through the first `end` after it.
bool RemoveSpan(std::string& s, std::string_view start, std::string_view end);

// Applies only when `prefix` starts `s`: the prefix is removed and `replacement`, when given,
// is put in its place.
bool ReplacePrefix(std::string& s, std::string_view prefix,
                   std::optional<std::string_view> replacement = std::nullopt);

// Applies only when `s` ends with `suffix`: the suffix is removed and `replacement`, when
// given, is appended.
bool ReplaceSuffix(std::string& s, std::string_view suffix,
                   std::optional<std::string_view> replacement = std::nullopt);

// White-space style normalisation with the characters of `set` (first one is the kept
// character c0): every other character of the set becomes c0, runs of c0 shrink to one, leading
// c0 vanish, and one trailing blank (code 32) is removed. An empty set leaves `s` alone.
// Always true.
bool CollapseChars(std::string& s, std::string_view set);

// Appends the fields of `text` separated by `sep` to `fields` (not cleared first) and returns
// how many were appended: separators + 1, so an empty text gives one empty field.
int SplitString(std::string text, char sep, std::vector<std::string>& fields);

// Left-to-right, non-overlapping, case-sensitive replace-all; returns the number of
// replacements. An empty `from` replaces nothing.
int ReplaceAll(std::string& s, std::string_view from, std::string_view to);
