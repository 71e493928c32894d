#pragma once
// The shown document as the logic asks about it, through the engine's HTML
// object model. Each function takes the control's Document; without one
// (nothing shown yet, or an engine with no HTML document) the answers are empty.

#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>
#include <vector>

#include "host/i_Browser.h"

namespace vv {

// Every element that carries an id, in document order.
[[nodiscard]] std::vector<TDocumentElement> DocumentElements(::IDispatch* Document);
[[nodiscard]] std::optional<std::string> ElementInnerHTML(::IDispatch* Document, const std::string& Id);
// In CSS pixels, whichever of the root and the body scrolls.
[[nodiscard]] TPoint DocumentScroll(::IDispatch* Document);
void ScrollDocument(::IDispatch* Document, const TPoint& Position);
// Replaces the document with Html (book bytes); false without a document
// that loads from a stream.
bool LoadDocumentHtml(::IDispatch* Document, const std::string& Html);
// Keyboard focus to the document's window.
void FocusDocument(::IDispatch* Document);

} // namespace vv
