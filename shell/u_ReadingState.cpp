#include "shell/u_ReadingState.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace vv {

namespace {
constexpr std::size_t SampleSize = 512;

class TFnv64 {
public:
  void Add(std::string_view Bytes) {
    for (const char C : Bytes) {
      Hash ^= static_cast<unsigned char>(C);
      Hash *= 0x100000001B3ULL;
    }
  }
  void Add(std::uint64_t Number) { Add(std::string_view(reinterpret_cast<const char*>(&Number), sizeof Number)); }
  [[nodiscard]] std::uint64_t Value() const { return Hash; }

private:
  std::uint64_t Hash = 0xCBF29CE484222325ULL;
};

void AddTree(TFnv64& Hash, const TMFSFolder& Root) {
  // Folders keep their children sorted, so the walk is the same for equal trees.
  std::vector<std::pair<const TMFSFolder*, std::string>> Pending{{&Root, "\\"}};
  while (!Pending.empty()) {
    const auto [Folder, Path] = Pending.back();
    Pending.pop_back();
    for (const TMFSItem* Item : Folder->Children.Values()) {
      const std::string ItemPath = Path + Item->Name;
      Hash.Add(ItemPath);
      Hash.Add(std::string_view("\0", 1));
      if (const auto* Sub = dynamic_cast<const TMFSFolder*>(Item)) {
        Pending.emplace_back(Sub, ItemPath + "\\");
      } else if (const auto* File = dynamic_cast<const TMFSFile*>(Item)) {
        const std::string_view Content = File->Content;
        Hash.Add(static_cast<std::uint64_t>(Content.size()));
        Hash.Add(Content.substr(0, SampleSize));
        if (Content.size() > SampleSize)
          Hash.Add(Content.substr(Content.size() - std::min(SampleSize, Content.size() - SampleSize)));
      }
    }
  }
}

std::optional<int> ToInt(const std::string& Text) {
  char* End = nullptr;
  const long Value = std::strtol(Text.c_str(), &End, 10);
  if (Text.empty() || *End != '\0' || Value < -1000000 || Value > 1000000)
    return std::nullopt;
  return static_cast<int>(Value);
}

// Numbers separated by spaces, exactly Count of them.
std::optional<std::vector<int>> ToInts(const std::string& Text, std::size_t Count) {
  std::vector<int> Fields;
  std::istringstream In(Text);
  for (std::string Field; In >> Field;) {
    const std::optional<int> Value = ToInt(Field);
    if (!Value)
      return std::nullopt;
    Fields.push_back(*Value);
  }
  if (Fields.size() != Count)
    return std::nullopt;
  return Fields;
}

std::optional<TWindowPlacement> ToPlacement(const std::string& Text) {
  const auto Fields = ToInts(Text, 5);
  if (!Fields || (*Fields)[2] <= 0 || (*Fields)[3] <= 0)
    return std::nullopt;
  return TWindowPlacement{(*Fields)[0], (*Fields)[1], (*Fields)[2], (*Fields)[3], (*Fields)[4] != 0};
}

} // namespace

std::string BookIdentity(const TMFS& SystemVolume, const TMFS& FilesVolume) {
  TFnv64 Hash;
  AddTree(Hash, SystemVolume.Root());
  Hash.Add(std::string_view("\0\0", 2));
  AddTree(Hash, FilesVolume.Root());
  char Digits[17];
  std::snprintf(Digits, sizeof Digits, "%016llX", static_cast<unsigned long long>(Hash.Value()));
  return Digits;
}

std::optional<TReadingState> ParseReadingState(const std::string& Text) {
  std::istringstream In(Text);
  TReadingState State;
  std::string Line;
  while (std::getline(In, Line)) {
    const std::size_t Equals = Line.find('=');
    if (Equals == std::string::npos)
      continue;
    const std::string Key = Line.substr(0, Equals);
    const std::string Value = Line.substr(Equals + 1);
    if (Key == "page")
      State.Page = Value;
    else if (Key == "fontsize" && ToInt(Value) && *ToInt(Value) >= 0 && *ToInt(Value) <= 4)
      State.FontSize = *ToInt(Value);
    else if (Key == "contents")
      State.ContentsVisible = Value == "1";
    else if (Key == "contentswidth" && ToInt(Value) && *ToInt(Value) > 0)
      State.ContentsWidth = *ToInt(Value);
    else if (Key == "window")
      State.Window = ToPlacement(Value);
    else if (Key == "scroll") {
      if (const auto Scroll = ToInts(Value, 2); Scroll && (*Scroll)[0] >= 0 && (*Scroll)[1] >= 0)
        State.ScrollLeft = (*Scroll)[0], State.ScrollTop = (*Scroll)[1];
    } else if (Key == "search") {
      if (const auto Size = ToInts(Value, 2); Size && (*Size)[0] > 0 && (*Size)[1] > 0)
        State.SearchWidth = (*Size)[0], State.SearchHeight = (*Size)[1];
    }
  }
  return State;
}


std::string FormatReadingState(const TReadingState& State) {
  std::ostringstream Out;
  // A page path is one line; one that is not is not kept.
  if (State.Page.find_first_of("\r\n") == std::string::npos)
    Out << "page=" << State.Page << '\n' << "scroll=" << State.ScrollLeft << ' ' << State.ScrollTop << '\n';
  Out << "fontsize=" << State.FontSize << '\n'
      << "contents=" << (State.ContentsVisible ? 1 : 0) << '\n'
      << "contentswidth=" << State.ContentsWidth << '\n';
  if (const auto& W = State.Window)
    Out << "window=" << W->Left << ' ' << W->Top << ' ' << W->Width << ' ' << W->Height << ' '
        << (W->Maximized ? 1 : 0) << '\n';
  if (State.SearchWidth > 0 && State.SearchHeight > 0)
    Out << "search=" << State.SearchWidth << ' ' << State.SearchHeight << '\n';
  return Out.str();
}

TRect FitToScreens(const TRect& Rect, const std::vector<TRect>& Screens) {
  if (Screens.empty())
    return Rect;
  const TRect* Best = &Screens.front();
  long long BestArea = 0;
  for (const TRect& Screen : Screens) {
    const int Width = std::min(Rect.Left + Rect.Width, Screen.Left + Screen.Width) - std::max(Rect.Left, Screen.Left);
    const int Height = std::min(Rect.Top + Rect.Height, Screen.Top + Screen.Height) - std::max(Rect.Top, Screen.Top);
    const long long Area = Width > 0 && Height > 0 ? static_cast<long long>(Width) * Height : 0;
    if (Area > BestArea)
      Best = &Screen, BestArea = Area;
  }
  const int Width = std::min(Rect.Width, Best->Width);
  const int Height = std::min(Rect.Height, Best->Height);
  return TRect{std::clamp(Rect.Left, Best->Left, Best->Left + Best->Width - Width),
               std::clamp(Rect.Top, Best->Top, Best->Top + Best->Height - Height), Width, Height};
}

} // namespace vv
