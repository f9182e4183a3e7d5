#pragma once
// The notes editor's plain parts: the four notes files, when a tab is written, the indent
// ruler's arithmetic and what a clicked link opens.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tovix {

inline constexpr std::array<const char*, 4> kNotesTabCaptions{"General", "General - Other Players",
                                                              "General - Servers", "This Game"};

// The file of notes tab `tab` (0 to 3) in `folder`; "/" and "\" in the game's name become "_".
std::filesystem::path NotesFileName(const std::filesystem::path& folder, int tab,
                                    std::string_view gameName);

// What the editor knows of one tab's file. A tab is written only when it was loaded this run
// and read without fault, and then only when it changed or its file does not exist yet.
struct TNotesTabState {
  bool Loaded = false;      // loaded into the editor this run
  bool LoadFailed = false;  // the file exists but could not be read: never written back
  bool Modified = false;
  bool FileExists = false;

  bool ShouldWrite() const { return Loaded && !LoadFailed && (Modified || !FileExists); }
};

// The indent ruler: 4/3 pixels per point, markers placed 2 pixels in; positions in pixels,
// indents in points. A marker is never left of 0.
struct TRulerIndents {
  int First = 0;  // first-line indent
  int Left = 0;   // left indent, relative to the first-line indent
  int Right = 0;  // right indent
};
inline constexpr double kRulerPixelsPerPoint = 4.0 / 3.0;
// The markers' left edges for a paragraph's indents on a ruler `rulerWidth` pixels wide (the
// right marker measured from the ruler's right end); RulerIndentsFrom of them with half the
// marker's width as grab gives the indents back (to the point).
struct TRulerMarkers {
  int First = 0;
  int Left = 0;
  int Right = 0;
};
TRulerMarkers RulerMarkersFor(const TRulerIndents& indents, int rulerWidth, int markerWidth);
// A marker dragged to `x` (its left edge): never left of 0.
int ClampMarker(int x);
// The indents after a drag ends: `grab` is the grab offset (half the marker's width).
TRulerIndents RulerIndentsFrom(const TRulerMarkers& markers, int grab, int rulerWidth);

// What a clicked link opens: "user@host" gets "mailto:", "www." gets "http://"; anything else
// is kept. `AskFirst` is set for "file:" links, which open only after the user agrees.
struct TLinkTarget {
  std::string Url;
  bool AskFirst = false;
};
TLinkTarget LinkTargetFor(std::string_view link);

// What the notes editor says once it has printed: the file it wrote (a PDF, when there is no
// printer or the player chose a file) or the printer it sent the notes to.
std::string PrintedNotice(bool toFile, std::string_view fileOrPrinter);
// The PDF file printing proposes when the computer has no printer: beside the notes files,
// named for the tab ("Notes_General - Servers.pdf" for "General - Servers").
std::filesystem::path NotesPdfFile(const std::filesystem::path& folder,
                                   std::string_view tabCaption);

}  // namespace tovix
