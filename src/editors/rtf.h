#pragma once
// Reading and writing RTF over the rich document model, for the subset the rich-text control
// uses: fonts with character sets, colours, the code page, "\'hh" and "\u" characters,
// character formats and effects, highlight, alignment and the three indents, both bullet
// forms, tabs, links (HYPERLINK fields), other fields as their result, skipped destinations.
// Embedded objects and pictures stay opaque groups, written back byte for byte.

#include <optional>
#include <string>
#include <string_view>

#include "editors/rich_document.h"

namespace tovix {

struct RtfReadResult {
  std::optional<RichDocument> document;  // set on success
  std::string error;                     // a clear message otherwise
};

// True when the bytes start like RTF ("{\rtf", after white space).
bool LooksLikeRtf(std::string_view bytes);

// Reads RTF. Input that is not RTF, or RTF cut inside binary data, gives an error; an RTF
// text cut anywhere else gives what was read up to the cut. `plain` reads only the words
// common to all languages: the language words ("\lang", "\deflang") are ignored.
RtfReadResult ReadRtf(std::string_view bytes, bool plain = false);

// The whole document as RTF; `plain` leaves out the language words.
std::string WriteRtf(const RichDocument& document, bool plain = false);

// Plain text as a document: one paragraph per line (a line ends at CR LF, CR or LF), no
// formats; 8-bit text is read in the given code page.
RichDocument RichDocumentFromText(std::u16string_view text);
RichDocument RichDocumentFromAnsi(std::string_view text, int code_page);

}  // namespace tovix
