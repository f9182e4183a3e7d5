#include "windows/map/map_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>

#include "platform/latin1.h"

namespace tovix {

namespace {

// Planets this far outside the image may still show a part of their dot or name.
constexpr int kClipMargin = 16;

// Single pixels go straight into the image: the dots of thousands of planets would cost a
// painter call each.
class TPixels {
 public:
  explicit TPixels(QImage& image)
      : bits_(image.bits()),
        stride_(image.bytesPerLine()),
        width_(image.width()),
        height_(image.height()) {}

  void Set(int x, int y, QRgb colour) {
    if (static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
        static_cast<unsigned>(y) < static_cast<unsigned>(height_))
      reinterpret_cast<QRgb*>(bits_ + static_cast<ptrdiff_t>(y) * stride_)[x] = colour;
  }
  // `colour` laid over the pixel with the coverage `alpha`.
  void Blend(int x, int y, QRgb colour, uint8_t alpha) {
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(width_) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(height_))
      return;
    QRgb& d = reinterpret_cast<QRgb*>(bits_ + static_cast<ptrdiff_t>(y) * stride_)[x];
    if (alpha == 255) {
      d = colour;
      return;
    }
    const int a = alpha;
    auto mix = [a](int s, int t) { return (s * a + t * (255 - a) + 127) / 255; };
    d = qRgb(mix(qRed(colour), qRed(d)), mix(qGreen(colour), qGreen(d)),
             mix(qBlue(colour), qBlue(d)));
  }
  // A one-pixel column from y1 to y2 inclusive.
  void Column(int x, int y1, int y2, QRgb colour) {
    for (int y = y1; y <= y2; ++y) Set(x, y, colour);
  }

 private:
  uchar* bits_;
  qsizetype stride_;
  int width_;
  int height_;
};

// The pixels of a round pen dot of `width` pixels, for the sizes a planet's dot can have.
const std::vector<TDotOffset>& DiscOffsets(int width) {
  static const std::array<std::vector<TDotOffset>, 64> table = [] {
    std::array<std::vector<TDotOffset>, 64> t;
    for (int w = 1; w < 64; ++w) {
      const double r = w / 2.0;
      const int reach = w / 2 + 1;
      for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
          if (dx * dx + dy * dy <= r * r)
            t[static_cast<size_t>(w)].push_back({static_cast<int8_t>(dx), static_cast<int8_t>(dy)});
    }
    return t;
  }();
  return table[static_cast<size_t>(std::clamp(width, 1, 63))];
}

QRgb ToRgb(TMapColour c) {
  return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

void PaintTracks(TPixels& pixels, const TMapScene& scene) {
  if (scene.TracksTurn < 0) return;
  const TMap& map = scene.View->Map;
  const QRgb mine = ToRgb((*scene.Scheme)[scMyTracks]);
  const QRgb others = ToRgb((*scene.Scheme)[scOtherTracks]);
  for (const TTracks& t : scene.State->Tracks) {
    if (t.Turn != scene.TracksTurn) continue;
    const TMapPoint s = map.WorldToScreen(t.X, t.Y);
    pixels.Set(s.X, s.Y, t.FromGroup == 1 ? mine : others);
  }
}

void PaintIncomings(QPainter& painter, const TMapScene& scene) {
  const TMap& map = scene.View->Map;
  const QColor travelled = ToQColor((*scene.Scheme)[scIncomingGroupsTrav]);
  const QColor toGo = ToQColor((*scene.Scheme)[scIncomingGroups]);
  auto draw = [&](const TIncomingLine& line, int32_t dx, int32_t dy) {
    const TMapPoint from = map.WorldToScreen(line.From.X + dx, line.From.Y + dy);
    const TMapPoint now = map.WorldToScreen(line.Now.X + dx, line.Now.Y + dy);
    const TMapPoint to = map.WorldToScreen(line.To.X + dx, line.To.Y + dy);
    painter.setPen(QPen(travelled, 1, Qt::DashLine));
    painter.drawLine(from.X, from.Y, now.X, now.Y);
    painter.setPen(QPen(toGo, 1, Qt::SolidLine));
    painter.drawLine(now.X, now.Y, to.X, to.Y);
  };
  for (const TIncomingLine& line : scene.Incomings) {
    draw(line, 0, 0);
    if (line.Wrap.X != 0 || line.Wrap.Y != 0) draw(line, line.Wrap.X, line.Wrap.Y);
  }
}

void PaintPlanets(QPainter& painter, TPixels& pixels, const QRect& clip, const TMapScene& scene) {
  const GameState& state = *scene.State;
  const TMap& map = scene.View->Map;
  const TColorSchema& scheme = *scene.Scheme;
  const QRgb barSize = ToRgb(scheme[scBarSize]);
  const QRgb barPopulation = ToRgb(scheme[scBarPopulation]);
  const QRgb barIndustry = ToRgb(scheme[scBarIndustry]);
  const QRect area = clip.adjusted(-kClipMargin, -kClipMargin, kClipMargin, kClipMargin);
  const QFontMetrics metrics(painter.font());
  const QRgb nameColour = ToRgb(scheme[scNameOfPlanets]);
  if (scene.Names) scene.Names->SetFont(painter.font());
  painter.setPen(ToQColor(scheme[scNameOfPlanets]));
  for (int i = 0; i < state.Planets.Count(); ++i) {
    const TPlanet& planet = *state.Planets.Object(i);
    const TMapPoint s = map.WorldToScreen(planet.X, planet.Y);
    if (s.X < area.left() || s.X > area.right() || s.Y < area.top() || s.Y > area.bottom())
      continue;
    const TPlanetLook look = PlanetLook(planet, state.MainPlayer, scheme, *scene.Players);
    const QRgb colour = ToRgb(look.Colour);
    pixels.Set(s.X, s.Y, colour);
    auto dots = DotOffsets(look.DotSize);
    // Other sizes are round dots of that width.
    if (dots.empty()) dots = DiscOffsets(look.DotSize);
    for (const TDotOffset& d : dots) pixels.Set(s.X + d.Dx, s.Y + d.Dy, colour);
    if (map.ShowStatistics) {
      const int bottom = s.Y + 2;
      if (look.SizeBar >= 1)
        pixels.Column(s.X + look.DotSize, bottom - look.SizeBar, bottom, barSize);
      if (look.PopulationBar >= 1)
        pixels.Column(s.X + look.DotSize + 2, bottom - look.PopulationBar, bottom, barPopulation);
      if (look.IndustryBar >= 1)
        pixels.Column(s.X + look.DotSize + 4, bottom - look.IndustryBar, bottom, barIndustry);
    }
    if (map.ShowNames && !planet.Name.empty()) {
      if (scene.Names) {
        const TMapNameCache::TName& name = scene.Names->Get(planet.Name);
        const int left = s.X - name.Width / 2;
        const int top = s.Y + look.DotSize;
        for (const TMapNameCache::TPixel& p : name.Pixels)
          pixels.Blend(left + p.Dx, top + p.Dy, nameColour, p.Alpha);
      } else {
        const QString name = FromLatin1(planet.Name);
        const int width = metrics.horizontalAdvance(name);
        painter.drawText(s.X - width / 2, s.Y + look.DotSize + metrics.ascent(), name);
      }
    }
  }
}

void Circles(QPainter& painter, TMapPoint centre, int32_t radius) {
  for (int k = 1; k <= 4; ++k)
    painter.drawEllipse(QPoint(centre.X, centre.Y), k * radius, k * radius);
}

void PaintGroupCursor(QPainter& painter, const TMapScene& scene) {
  const TGroupCursorState& g = scene.Group;
  if (g.EmptyReach == 0 || g.Disabled) return;
  const TMap& map = scene.View->Map;
  const int32_t r1 = RingRadius(g.EmptyReach, map.Ratio);
  const int32_t r2 = g.LoadedReach != 0 ? RingRadius(g.LoadedReach, map.Ratio) : 0;
  const TMapPoint c = map.WorldToScreen(g.X, g.Y);
  painter.setPen(QPen(ToQColor((*scene.Scheme)[scGroupsUnLoaded]), 1));
  Circles(painter, c, r1);
  if (r2 != 0) {
    // Merged with what lies below, so both sets of rings stay visible where they cross.
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.setPen(QPen(ToQColor((*scene.Scheme)[scGroupsLoaded]), 1));
    Circles(painter, c, r2);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

// The cursor's centre, when it lies in the client.
bool CursorCentre(const TMapScene& scene, const TPlanet* planet, const QSize& client,
                  TMapPoint& centre) {
  if (!planet) return false;
  centre = scene.View->Map.WorldToScreen(planet->X, planet->Y);
  return centre.X >= 0 && centre.X <= client.width() && centre.Y >= 0 &&
         centre.Y <= client.height();
}

void PaintCursors(QPainter& painter, const QSize& client, const TMapScene& scene) {
  const QColor cursor = ToQColor((*scene.Scheme)[scCursor]);
  TMapPoint c;
  if (scene.Planet2.Visible && CursorCentre(scene, scene.Planet2.Planet, client, c)) {
    painter.setPen(QPen(cursor, 1));
    painter.drawLine(c.X - 12, c.Y - 12, c.X + 11, c.Y + 11);
    painter.drawLine(c.X - 12, c.Y + 12, c.X + 11, c.Y - 11);
  }
  if (scene.Planet1.Visible && CursorCentre(scene, scene.Planet1.Planet, client, c)) {
    painter.setPen(QPen(cursor, 1));
    painter.drawLine(c.X - 12, c.Y, c.X + 11, c.Y);
    painter.drawLine(c.X, c.Y - 12, c.X, c.Y + 11);
    const int32_t radius = RingRadius(scene.Planet1.Range, scene.View->Map.Ratio);
    if (scene.Planet1.ShowRings && radius >= 1) {
      painter.setPen(QPen(ToQColor((*scene.Scheme)[scPlanetCircles]), 1));
      Circles(painter, c, radius);
    }
  }
  auto marks = [&](const std::vector<const TPlanet*>& planets, int half, const QColor& colour) {
    painter.setPen(QPen(colour, 1));
    for (const TPlanet* p : planets)
      if (CursorCentre(scene, p, client, c))
        painter.drawRect(c.X - half, c.Y - half, 2 * half, 2 * half);
  };
  marks(scene.PlayerMarks, 5, cursor);
  marks(scene.RedMarks, 4, QColor(255, 0, 0));
  marks(scene.BlueMarks, 6, QColor(0, 0, 255));
}

void PaintOverlays(QPainter& painter, const TMapScene& scene) {
  if (!scene.ShowOverlays && !scene.OverlayHandles) return;
  const TMap& map = scene.View->Map;
  painter.setPen(QPen(ToQColor((*scene.Scheme)[scCursor]), 1));
  for (const TOverlayCircle& o : scene.Overlays) {
    const TMapPoint c = map.WorldToScreen(o.X, o.Y);
    const int32_t r = RingRadius(o.Radius / 100.0, map.Ratio);
    painter.drawEllipse(QPoint(c.X, c.Y), r, r);
    if (!scene.OverlayHandles) continue;
    for (const QPoint& h : {QPoint(c.X, c.Y), QPoint(c.X - r, c.Y), QPoint(c.X + r, c.Y),
                            QPoint(c.X, c.Y - r), QPoint(c.X, c.Y + r)})
      painter.drawRect(h.x() - 1, h.y() - 1, 2, 2);
  }
}

}  // namespace

void TMapNameCache::SetFont(const QFont& font) {
  if (font == font_) return;
  names_.clear();
  font_ = font;
}

const TMapNameCache::TName& TMapNameCache::Get(const std::string& name) {
  auto [it, made] = names_.try_emplace(name);
  if (!made) return it->second;
  const QString text = FromLatin1(name);
  const QFontMetrics metrics(font_);
  TName& entry = it->second;
  entry.Width = metrics.horizontalAdvance(text);
  QImage mask(std::max(entry.Width + 2, 1), std::max(metrics.height(), 1), QImage::Format_Alpha8);
  mask.fill(0);
  {
    // Plain pixels: a name is a few dozen stores instead of hundreds of blends.
    QFont plain = font_;
    plain.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&mask);
    painter.setFont(plain);
    painter.setPen(Qt::white);
    painter.drawText(0, metrics.ascent(), text);
  }
  for (int y = 0; y < mask.height(); ++y) {
    const uchar* line = mask.constScanLine(y);
    for (int x = 0; x < mask.width(); ++x)
      if (line[x] != 0)
        entry.Pixels.push_back({static_cast<int16_t>(x), static_cast<int16_t>(y), line[x]});
  }
  return entry;
}

QColor ToQColor(TMapColour colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

void PaintMap(QImage& image, const TMapScene& scene) {
  image.fill(ToQColor((*scene.Scheme)[scBackGround]));
  if (!scene.State || !scene.View) return;
  TPixels pixels(image);
  PaintTracks(pixels, scene);
  QPainter painter(&image);
  painter.setBrush(Qt::NoBrush);
  if (scene.View->Map.ShowIncomings) PaintIncomings(painter, scene);
  PaintPlanets(painter, pixels, image.rect(), scene);
  PaintGroupCursor(painter, scene);
  PaintCursors(painter, image.size(), scene);
  PaintOverlays(painter, scene);
}

}  // namespace tovix
