#pragma once
// The book's named text variables and the substitution of %{Name} references.

#include <memory>
#include <string>
#include <string_view>

#include "text/u_Dictionary.h"
#include "text/u_Utils.h"

namespace vv {

// A resolved value longer than this fails the load.
constexpr int MaxVariableLength = 16 << 20;
// Resolved values longer than this in all fail the load.
constexpr int MaxVariablesSize = 64 << 20;
// Substitution may make a text at most this much longer; a text that is only
// large is not refused.
constexpr int MaxSubstitutionGrowth = 64 << 20;

class EVariablesError : public Exception {
  using Exception::Exception;
};

class TVariables {
public:
  // Text is the whole variables file (empty for none). Raises the XML errors,
  // the dictionary's duplicate error and "Cycling reference ..." errors.
  TVariables(std::string_view Text, bool StripDollar);

  // Every reference to a known variable replaced by its value, in one pass.
  // Raises EVariablesError when that would add more than MaxSubstitutionGrowth bytes.
  [[nodiscard]] std::string Substitute(std::string_view Text) const;
  // The same on Text itself: a text without references is left untouched,
  // so large files that need no change are not copied; a refused text too.
  void SubstituteInPlace(std::string& Text) const;

  // Name to fully resolved value; case-insensitive, sorted.
  const std::unique_ptr<TStringToStringDictionary> Values;

private:
  void Resolve(const std::string& Name, TDictionary& State, std::size_t& TableSize);
};

} // namespace vv
