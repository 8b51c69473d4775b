// Cuts a text into an ordered item list at commas, with double-quoted items.
//
// Scanning runs left to right from the first byte:
//   - An item that begins with a double quote runs to the next double quote
//     that is not doubled; a doubled quote inside stands for one, and the
//     enclosing quotes are dropped. Without a closing quote the item is the
//     rest of the text less its last byte. Scanning resumes right after the
//     closing quote: the bytes that follow it, up to the next comma, are an
//     item of their own.
//   - Any other item is every byte up to the next comma or the end.
//   - A comma after an item is skipped; a comma that is the last byte of the
//     text adds one empty item.
// Double-byte characters are stepped over whole.
//
// With `follow_json_strings`, JSON string literals are respected instead:
// a comma inside a JSON string (backslash escapes included) does not cut the
// item, and a quoted item ends at the first quote not escaped by a
// backslash, keeping its escapes as they are (they are decoded later, by the
// reader of the value).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::sources {

// The items as views of `text`, cut in place: the doubled quotes of a quoted
// item are made single where the item lies, so that `text` no longer reads
// as before. The views hold while `text` lives unchanged (and unmoved: a
// short string keeps its bytes inside itself). The split keeps no copy of the
// text, which may be the whole of a large answer.
std::vector<std::string_view> CommaSplitInPlace(std::string& text,
                                                bool follow_json_strings = false);

// The items as strings of their own, for short texts.
std::vector<std::string> CommaSplit(std::string_view text, bool follow_json_strings = false);

}  // namespace tenrovel::sources
