#pragma once
// Bytes to editor text and back. Order files are 8-bit text in the Windows-1252 code page, turn
// reports 8-bit text read byte for byte as Latin-1; the editor's clipboard format and its tests
// use UTF-8.

#include <string>
#include <string_view>
#include <vector>

#include "editors/edit_types.h"

namespace tovix {

enum class TTextEncoding { Windows1252, Utf8, Latin1 };

// Decodes UTF-8; a byte that does not start a valid sequence is taken as a Windows-1252
// character, so no input is ever dropped.
TEditString Utf8ToEdit(std::string_view bytes);
std::string EditToUtf8(TEditStringView text);

TEditString Windows1252ToEdit(std::string_view bytes);
// Characters that Windows-1252 cannot hold become "?"; `lost` (when given) counts them.
std::string EditToWindows1252(TEditStringView text, size_t* lost = nullptr);

// Characters above U+00FF become "?"; `lost` (when given) counts them.
std::string EditToLatin1(TEditStringView text, size_t* lost = nullptr);

// Whether a file written in `encoding` can hold `c` (UTF-8 holds every character).
bool CanEncode(TEditChar c, TTextEncoding encoding);

TEditString DecodeText(std::string_view bytes, TTextEncoding encoding);
std::string EncodeText(TEditStringView text, TTextEncoding encoding, size_t* lost = nullptr);

// A file the program writes and reads back itself (the automatic orders file): Windows-1252
// when that holds every character of `lines`, else UTF-8 behind a byte order mark, so that no
// character is lost. The result is the lines' bytes; the first carries the mark.
std::vector<std::string> EncodeLinesWhole(const std::vector<TEditString>& lines);
// The text of such a file, or of any file in Windows-1252: UTF-8 after a byte order mark,
// else Windows-1252.
TEditString DecodeFileText(std::string_view bytes);

// Splits at CR LF, a lone CR or a lone LF. A final line end does not start another line, so
// "a\r\n" gives one line and "" gives none.
std::vector<TEditString> SplitEditLines(TEditStringView text);

}  // namespace tovix
