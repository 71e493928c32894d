#include "tools/u_ToolbarArt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <numbers>

namespace vv {

namespace {

constexpr int Size = 24;

struct TColor {
  std::uint8_t R, G, B;
};
constexpr TColor Transparent{255, 0, 255};
constexpr TColor Ink{38, 70, 120};     // outlines and arrows
constexpr TColor Accent{214, 120, 36}; // one warm detail per picture
constexpr TColor Paper{255, 255, 255};

struct TPoint {
  double X, Y;
};

double DistanceToSegment(TPoint P, TPoint A, TPoint B) {
  const double Dx = B.X - A.X, Dy = B.Y - A.Y;
  const double Length2 = Dx * Dx + Dy * Dy;
  const double T =
      Length2 == 0 ? 0 : std::clamp(((P.X - A.X) * Dx + (P.Y - A.Y) * Dy) / Length2, 0.0, 1.0);
  return std::hypot(P.X - (A.X + T * Dx), P.Y - (A.Y + T * Dy));
}

// Shapes are painted over each other, each pixel taken when its centre lies
// inside: hard edges, since a blended edge would mix in the transparent colour.
class TGlyph {
public:
  TGlyph() {
    for (auto& Row : Pixels)
      Row.fill(Transparent);
  }

  TGlyph& Polygon(std::initializer_list<TPoint> Corners, TColor Color = Ink) {
    const std::vector<TPoint> C(Corners);
    return Paint(Color, [&](TPoint P) {
      bool Inside = false; // even-odd rule
      for (std::size_t i = 0, j = C.size() - 1; i < C.size(); j = i++)
        if ((C[i].Y > P.Y) != (C[j].Y > P.Y) &&
            P.X < (C[j].X - C[i].X) * (P.Y - C[i].Y) / (C[j].Y - C[i].Y) + C[i].X)
          Inside = !Inside;
      return Inside;
    });
  }
  TGlyph& Rect(double X0, double Y0, double X1, double Y1, TColor Color = Ink) {
    return Polygon({{X0, Y0}, {X1, Y0}, {X1, Y1}, {X0, Y1}}, Color);
  }
  TGlyph& Frame(double X0, double Y0, double X1, double Y1, TColor Fill = Paper) {
    return Rect(X0, Y0, X1, Y1).Rect(X0 + 1.5, Y0 + 1.5, X1 - 1.5, Y1 - 1.5, Fill);
  }
  TGlyph& Line(TPoint A, TPoint B, double Width = 2.5, TColor Color = Ink) {
    return Paint(Color, [&](TPoint P) { return DistanceToSegment(P, A, B) <= Width / 2; });
  }
  TGlyph& Disc(TPoint C, double Radius, TColor Color = Ink) {
    return Paint(Color, [&](TPoint P) { return std::hypot(P.X - C.X, P.Y - C.Y) <= Radius; });
  }
  // A ring between the radii, leaving out the angles From..To (degrees, clockwise from east).
  TGlyph& Ring(TPoint C, double Outer, double Inner, double From = 0, double To = 0,
               TColor Color = Ink) {
    return Paint(Color, [&](TPoint P) {
      const double D = std::hypot(P.X - C.X, P.Y - C.Y);
      double Angle = std::atan2(P.Y - C.Y, P.X - C.X) * 180 / std::numbers::pi;
      if (Angle < 0) Angle += 360;
      return D <= Outer && D >= Inner && !(Angle >= From && Angle <= To);
    });
  }

  // Bottom-up rows of blue, green, red; 72 bytes a row needs no padding.
  [[nodiscard]] std::string Bmp() const {
    std::string Out;
    auto Put = [&](std::uint32_t V, int Bytes) {
      for (int i = 0; i < Bytes; ++i)
        Out += static_cast<char>((V >> (8 * i)) & 0xFF);
    };
    const std::uint32_t Data = Size * Size * 3;
    Out += "BM";
    Put(54 + Data, 4), Put(0, 4), Put(54, 4);
    Put(40, 4), Put(Size, 4), Put(Size, 4), Put(1, 2), Put(24, 2), Put(0, 4), Put(Data, 4);
    Put(2835, 4), Put(2835, 4), Put(0, 4), Put(0, 4);
    for (int Y = Size - 1; Y >= 0; --Y)
      for (const TColor& C : Pixels[Y])
        Out += static_cast<char>(C.B), Out += static_cast<char>(C.G), Out += static_cast<char>(C.R);
    return Out;
  }

private:
  TGlyph& Paint(TColor Color, const std::function<bool(TPoint)>& Inside) {
    for (int Y = 0; Y < Size; ++Y)
      for (int X = 1; X < Size; ++X) // column 0 stays transparent: pixel (0, 0) is the mask
        if (Inside({X + 0.5, Y + 0.5})) Pixels[Y][X] = Color;
    return *this;
  }
  std::array<std::array<TColor, Size>, Size> Pixels;
};

// Arrow pointing left (Dir -1) or right (Dir 1): a head from the middle
// column to the tip, and a shaft on the other side.
TGlyph Arrow(int Dir) {
  const double Tip = Dir < 0 ? 3 : 21;
  return TGlyph()
      .Polygon({{Tip, 12}, {12, 4}, {12, 20}})
      .Rect(Dir < 0 ? 11 : 5, 9, Dir < 0 ? 19 : 13, 15);
}

// Play-style triangle from X0 to X1 (pointing towards X1).
TGlyph& Triangle(TGlyph& G, double X0, double X1, TColor Color = Ink) {
  return G.Polygon({{X0, 4}, {X1, 12}, {X0, 20}}, Color);
}

} // namespace

std::vector<TToolbarPicture> DrawToolbarPictures() {
  std::vector<TToolbarPicture> Pictures;
  auto Add = [&](const char* Name, const TGlyph& G) { Pictures.push_back({Name, G.Bmp()}); };

  Add("back", Arrow(-1));
  Add("forward", Arrow(1));
  TGlyph First;
  Triangle(First.Rect(4, 4, 7, 20, Accent), 19, 8);
  Add("first", First);
  TGlyph Prior;
  Triangle(Prior, 17, 6);
  Add("prior", Prior);
  TGlyph Next;
  Triangle(Next, 7, 18);
  Add("next", Next);
  TGlyph Last;
  Triangle(Last.Rect(17, 4, 20, 20, Accent), 5, 16);
  Add("last", Last);
  TGlyph PriorChapter;
  Triangle(Triangle(PriorChapter, 21, 12, Accent), 12, 3);
  Add("priorchapter", PriorChapter);
  TGlyph NextChapter;
  Triangle(Triangle(NextChapter, 3, 12, Accent), 12, 21);
  Add("nextchapter", NextChapter);

  Add("home", TGlyph()
                  .Polygon({{12, 3}, {22, 12}, {2, 12}})
                  .Rect(5, 11, 19, 21)
                  .Rect(10, 14, 14, 21, Accent));
  Add("refresh",
      TGlyph().Ring({12, 12}, 8.5, 5.5, 300, 360).Polygon({{14, 1}, {22, 6}, {14, 11}}, Accent));
  Add("copy", TGlyph()
                  .Frame(3, 3, 14, 17)
                  .Frame(9, 8, 20, 22)
                  .Rect(12, 12, 18, 13.5, Accent)
                  .Rect(12, 16, 18, 17.5, Accent));
  Add("fontsize", TGlyph()
                      .Line({3, 20}, {9, 4})
                      .Line({9, 4}, {15, 20})
                      .Line({5.5, 14}, {12.5, 14}, 2)
                      .Line({15, 20}, {18.5, 10}, 2, Accent)
                      .Line({18.5, 10}, {22, 20}, 2, Accent));
  Add("search", TGlyph()
                    .Ring({10, 10}, 7, 4.5)
                    .Disc({10, 10}, 4.5, Paper)
                    .Line({15, 15}, {21, 21}, 3.5, Accent));
  Add("favourites", TGlyph().Polygon({{12, 2},
                                      {14.6, 8.5},
                                      {21.5, 9},
                                      {16.2, 13.5},
                                      {18, 20.5},
                                      {12, 16.5},
                                      {6, 20.5},
                                      {7.8, 13.5},
                                      {2.5, 9},
                                      {9.4, 8.5}},
                                     Accent));
  Add("print", TGlyph()
                   .Frame(7, 2, 17, 9)
                   .Rect(2, 8, 22, 17)
                   .Frame(6, 13, 18, 22)
                   .Rect(18, 10, 20, 11.5, Accent));
  Add("about",
      TGlyph().Disc({12, 12}, 10).Disc({12, 7}, 1.8, Paper).Rect(10.5, 10, 13.5, 18, Paper));
  Add("exit", TGlyph()
                  .Frame(4, 2, 15, 22)
                  .Disc({12, 12}, 1.2, Accent)
                  .Line({14, 12}, {22, 12}, 2.5, Accent)
                  .Polygon({{18, 8}, {23, 12}, {18, 16}}, Accent));
  return Pictures;
}

} // namespace vv
