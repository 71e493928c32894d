#include "text/u_Variables.h"

#include <cstring>
#include <vector>

#include "text/u_SpaceXMLParser.h"

namespace vv {

namespace {
const char* const SCyclingReference =
    "Cycling reference encountered during loading variable \"%s\"";

const char* const SValueTooLong = "Variable \"%s\" is longer than %d bytes";
const char* const STableTooLarge = "Variables resolve to more than %d bytes in all";
const char* const STextGrowsTooMuch = "Variables lengthen the text by more than %d bytes";

enum : TDictValue { stResolving = 0, stResolved = 1 };

// One reference found by the scan: "%{" at Start, the name, "}" at End - 1.
struct TReference {
  std::size_t Start;
  std::size_t End;
  std::string_view Name;
};

// Finds the next "%{Name}" from Pos on whose name Known accepts. Follows the
// scan's states exactly: "%" then a character other than "{" returns to plain
// text without that character being looked at again; a name runs to the first
// "}"; an unknown name is stepped over whole. False when none is left.
template <typename KnownFn>
bool NextReference(std::string_view Text, std::size_t Pos, const KnownFn& Known, TReference& Ref) {
  const char* const Data = Text.data();
  const std::size_t Size = Text.size();
  while (Pos < Size) {
    const void* Percent = std::memchr(Data + Pos, '%', Size - Pos);
    if (!Percent) return false;
    const std::size_t P = static_cast<std::size_t>(static_cast<const char*>(Percent) - Data);
    if (P + 1 >= Size) return false;
    if (Data[P + 1] != '{') {
      Pos = P + 2;
      continue;
    }
    const void* Brace = std::memchr(Data + P + 2, '}', Size - P - 2);
    if (!Brace) return false; // unfinished reference stays as written
    const std::size_t Close = static_cast<std::size_t>(static_cast<const char*>(Brace) - Data);
    const std::string_view Name = Text.substr(P + 2, Close - P - 2);
    if (Known(Name)) {
      Ref = {P, Close + 1, Name};
      return true;
    }
    Pos = Close + 1;
  }
  return false;
}
} // namespace

TVariables::TVariables(std::string_view Text, bool StripDollar)
    : Values(std::make_unique<TStringToStringDictionary>(true, true)) {
  if (Text.empty()) return;
  TXMLParser Parser;
  Parser.LoadFromBytes(Text);
  const TXMLNodes& Items = *Parser.Root()->Nodes;
  for (int i = 0; i < Items.Count(); ++i) {
    const TXMLNode& Item = *Items.Items(i);
    const std::string Name = Item.Attributes->GetValue("Name", "").ToText();
    if (Name.empty()) continue;
    std::string_view Value = Item.Text;
    if (StripDollar && !Value.empty() && Value.front() == '$') Value.remove_prefix(1);
    Values->AddString(Name, Value);
  }
  TDictionary State(true, true);
  std::size_t TableSize = 0;
  for (const std::string& Name : Values->Keys())
    Resolve(Name, State, TableSize);
}

// Depth-first over the chain of references with an explicit stack, so a long
// chain of variables cannot exhaust the call stack. Each frame scans its value
// once, copying plain runs and appending the values of resolved references.
// TableSize counts every byte appended to a value, finished or still being
// built, so it bounds what the table holds at any moment.
void TVariables::Resolve(const std::string& Name, TDictionary& State, std::size_t& TableSize) {
  struct TFrame {
    std::string Name;
    std::string Source;
    std::string Result;
    std::size_t Pos = 0;
    // The reference waiting for its variable to be resolved (a copy of the
    // name: frames move when the stack grows).
    std::string PendingName;
    std::size_t PendingEnd = 0;
    bool Waiting = false;
  };
  const auto Known = [&](std::string_view N) { return Values->Contains(N); };
  const auto Append = [&](TFrame& Frame, std::string_view Bytes) {
    if (Bytes.size() > MaxVariablesSize - TableSize)
      throw EVariablesError(Format(STableTooLarge, MaxVariablesSize));
    TableSize += Bytes.size();
    Frame.Result += Bytes;
  };
  std::vector<TFrame> Stack;
  const auto Enter = [&](std::string_view N) {
    if (State.Contains(N)) {
      if (State.Items(N) == stResolving) throw EVariablesError(Format(SCyclingReference, N));
      return;
    }
    State.Add(N, stResolving);
    TFrame Frame;
    Frame.Name = N;
    Frame.Source = Values->GetString(N);
    Stack.push_back(std::move(Frame));
  };
  Enter(Name);
  while (!Stack.empty()) {
    TFrame& Frame = Stack.back();
    if (Frame.Waiting) {
      const std::string_view Value = Values->GetString(Frame.PendingName);
      // References can double a value at every level; a small file must not fill memory.
      if (Frame.Result.size() + Value.size() > MaxVariableLength)
        throw EVariablesError(Format(SValueTooLong, Frame.Name, MaxVariableLength));
      Append(Frame, Value);
      Frame.Pos = Frame.PendingEnd;
      Frame.Waiting = false;
    }
    TReference Ref;
    if (NextReference(Frame.Source, Frame.Pos, Known, Ref)) {
      Append(Frame, std::string_view(Frame.Source).substr(Frame.Pos, Ref.Start - Frame.Pos));
      Frame.PendingName = Ref.Name;
      Frame.PendingEnd = Ref.End;
      Frame.Waiting = true;
      Enter(Frame.PendingName); // may move Frame
      continue;
    }
    Append(Frame, std::string_view(Frame.Source).substr(Frame.Pos));
    Values->SetString(Frame.Name, Frame.Result);
    State.Put(Frame.Name, stResolved);
    Stack.pop_back();
  }
}

namespace {
// The substituted text, from its first reference First on. Checked at each
// reference, so a text without any costs nothing more.
std::string SubstituteFrom(std::string_view Text, TReference First,
                           const TStringToStringDictionary& Values) {
  const auto Known = [&](std::string_view N) { return Values.Contains(N); };
  std::string Result;
  Result.reserve(Text.size());
  std::size_t Pos = 0;
  TReference Ref = First;
  do {
    Result.append(Text, Pos, Ref.Start - Pos);
    const std::string_view Value = Values.GetString(Ref.Name);
    // Result holds Text up to Ref.Start plus what earlier values added.
    if (Result.size() + Value.size() > Ref.End + MaxSubstitutionGrowth)
      throw EVariablesError(Format(STextGrowsTooMuch, MaxSubstitutionGrowth));
    Result += Value;
    Pos = Ref.End;
  } while (NextReference(Text, Pos, Known, Ref));
  Result.append(Text, Pos, std::string_view::npos);
  return Result;
}
} // namespace

std::string TVariables::Substitute(std::string_view Text) const {
  const auto Known = [&](std::string_view N) { return Values->Contains(N); };
  TReference First;
  if (Values->Count() == 0 || !NextReference(Text, 0, Known, First)) return std::string(Text);
  return SubstituteFrom(Text, First, *Values);
}

void TVariables::SubstituteInPlace(std::string& Text) const {
  const auto Known = [&](std::string_view N) { return Values->Contains(N); };
  TReference First;
  if (Values->Count() == 0 || !NextReference(Text, 0, Known, First)) return;
  Text = SubstituteFrom(Text, First, *Values);
}

} // namespace vv
