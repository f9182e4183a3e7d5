#include "views/notes_files.h"

#include <algorithm>
#include <cmath>

#include <cctype>

namespace tovix {

namespace {

constexpr std::array<const char*, 3> kGeneralFiles{
    "Notes_General.doc", "Notes_General_OtherPlayers.doc", "Notes_General_Servers.doc"};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

int Points(double pixels) {
  return static_cast<int>(std::trunc(pixels / kRulerPixelsPerPoint));
}
int Pixels(int points) {
  return static_cast<int>(std::lround(points * kRulerPixelsPerPoint));
}

}  // namespace

std::filesystem::path NotesFileName(const std::filesystem::path& folder, int tab,
                                    std::string_view gameName) {
  if (tab >= 0 && tab < 3) return folder / kGeneralFiles[static_cast<size_t>(tab)];
  std::string name = "Notes_" + std::string(gameName) + ".doc";
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
  return folder / name;
}

int ClampMarker(int x) {
  return std::max(x, 0);
}

TRulerMarkers RulerMarkersFor(const TRulerIndents& indents, int rulerWidth, int markerWidth) {
  // The inverse of RulerIndentsFrom with the grab offset of a marker taken in its middle: an
  // 8-pixel marker sits 2 pixels right of its indent.
  const int grab = markerWidth / 2;
  TRulerMarkers markers;
  markers.First = ClampMarker(Pixels(indents.First) + 6 - grab);
  markers.Left = ClampMarker(Pixels(indents.First + indents.Left) + 6 - grab);
  markers.Right = ClampMarker(rulerWidth + grab - 2 - Pixels(indents.Right + 12));
  return markers;
}

TRulerIndents RulerIndentsFrom(const TRulerMarkers& markers, int grab, int rulerWidth) {
  TRulerIndents indents;
  // A marker at the ruler's left end means no indent, never a negative one.
  indents.First = std::max(Points(markers.First + grab - 6), 0);
  indents.Left = std::max(Points(markers.Left + grab - 6), 0) - indents.First;
  indents.Right = Points(rulerWidth - markers.Right + grab - 2) - 12;
  return indents;
}

std::string PrintedNotice(bool toFile, std::string_view fileOrPrinter) {
  if (toFile) return "The notes were printed to the file:\r" + std::string(fileOrPrinter);
  return "The notes were sent to the printer \"" + std::string(fileOrPrinter) + "\".";
}

std::filesystem::path NotesPdfFile(const std::filesystem::path& folder,
                                   std::string_view tabCaption) {
  std::string name(tabCaption);
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  return folder / ("Notes_" + name + ".pdf");
}

TLinkTarget LinkTargetFor(std::string_view link) {
  TLinkTarget target{std::string(link), false};
  const bool hasScheme = link.find(':') != std::string_view::npos;
  if (StartsWithNoCase(link, "www."))
    target.Url = "http://" + target.Url;
  else if (!hasScheme && link.find('@') != std::string_view::npos)
    target.Url = "mailto:" + target.Url;
  target.AskFirst = StartsWithNoCase(target.Url, "file:");
  return target;
}

}  // namespace tovix
