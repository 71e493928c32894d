#pragma once
// Plain geometry and lifetime types shared by the viewer's logic and the
// views of every platform.

#include <memory>

namespace vv {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  [[nodiscard]] bool IsValid() const { return Width > 0 && Height > 0; }
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Whether an object a callback or script object refers to still lives. The
// owner keeps a TLifetime; others keep its Token and check it before use.
using TLiveness = std::weak_ptr<const bool>;
class TLifetime {
public:
  [[nodiscard]] TLiveness Token() const { return FAlive; }

private:
  std::shared_ptr<const bool> FAlive = std::make_shared<const bool>(true);
};
[[nodiscard]] inline bool IsAlive(const TLiveness& Token) { return !Token.expired(); }

} // namespace vv
