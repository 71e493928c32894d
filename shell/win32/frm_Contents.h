#pragma once
// The contents pane beside the page: the reading order's rows as a tree view
// with a filter box and the reader's position; what is shown and what opens
// is decided by TContents.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "shell/u_Contents.h"

namespace vv {

class TfrmContents {
public:
  // Contents is the main window's (not owned; it must outlive the pane).
  // Notifications go to Parent's top-level window with these control ids.
  TfrmContents(const TContents& Contents, HWND Parent, HFONT Font, int FilterId, int TreeId);
  ~TfrmContents();
  TfrmContents(const TfrmContents&) = delete;
  TfrmContents& operator=(const TfrmContents&) = delete;

  // In the parent's client coordinates.
  void SetBounds(const RECT& Bounds);
  // Selects Item (none: nothing) and keeps it in view.
  void ShowCurrent(const TXMLNode* Item);
  // Escape in the filter: clears it; false when there was nothing to clear.
  bool ClearFilter();

  void edtFilterChange();
  void edtFilterReturnPressed();
  // A click on a row, or Enter on the selected one (Row none).
  void tvContentsActivate(HTREEITEM Row);
  void tvContentsClick();

  // A page chosen by the reader (click, Enter, filter and Enter).
  std::function<void(const TXMLNode* Item)> OnOpenPage;

  HWND const frmContents;
  HWND const lblPosition;
  HWND const edtFilter;
  HWND const tvContents;

private:
  // The tree holds the rows the filter leaves; Rows[i] is row i's item, or none.
  void Fill(const std::vector<bool>& Shown, bool Expand);

  const TContents& Contents;
  std::vector<HTREEITEM> Rows;
  int CurrentRow = -1;
};

} // namespace vv
