#pragma once
// UTF-8 read and written strictly, and Unicode simple case folding: the
// comparison of UTF-8 names and the search of UTF-8 pages.

#include <cstddef>
#include <string>
#include <string_view>

namespace vv {

inline constexpr char32_t ReplacementChar = 0xFFFD;

// The character at Text[At], and in Length the bytes it takes (at least 1).
// Overlong forms, surrogates, values above U+10FFFF, stray continuation bytes
// and cut sequences are U+FFFD, one byte at a time, so no malformed sequence
// ever decodes to an ASCII character such as "<", "/", "\"" or NUL.
[[nodiscard]] char32_t DecodeUtf8(std::string_view Text, std::size_t At, std::size_t& Length) noexcept;
// Whether Text is well-formed UTF-8 (ASCII included).
[[nodiscard]] bool IsValidUtf8(std::string_view Text) noexcept;
void AppendUtf8(std::string& Out, char32_t Code);

// UTF-8 to and from 16-bit text (surrogate pairs beyond the first plane).
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view Text);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view Text);

// The simple case folding of one character (itself when it has none).
[[nodiscard]] char32_t SimpleFold(char32_t Code) noexcept;
// Whether Code folds to itself and nothing else folds to it: the scripts
// without case, digits, punctuation. U+FFFD is not, as malformed bytes fold to it.
[[nodiscard]] bool FoldsAlone(char32_t Code) noexcept;
// Text with every character folded, malformed bytes as U+FFFD.
[[nodiscard]] std::string FoldUtf8(std::string_view Text);
// The same into Out, reusing its storage.
void FoldUtf8Into(std::string_view Text, std::string& Out);

} // namespace vv
