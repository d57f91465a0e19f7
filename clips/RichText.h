#pragma once
#include <cstddef>
#include <string>

// The plain text of rich text, as a rich-edit control would show it: paragraphs, line breaks and
// rows end in CR LF, tabs and cells in a tab; escaped and Unicode characters, and bytes in the code
// page of their font or of the document. Font and colour tables, pictures, field instructions and
// the other groups that hold no text give nothing. Reads up to a NUL or `count` bytes, in one pass:
// a long unbroken line costs what many short ones do.
std::wstring RichTextPlainText(const char* rtf, std::size_t count);
