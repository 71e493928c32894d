// Runs a Windows book as a reader would and reports what its windows show,
// through their handles from outside the process:
//   viewer_probe BOOK.exe [STEPS...]  the main window's caption and toolbar
//     buttons, then each step in turn (a button's caption: a click on it;
//     "wait:MS": a pause), then the window closed as by its close box; any
//     message box on the way is reported and dismissed, any other window of
//     the book (splash, search window, form) reported once by its class.
// Every line is UTF-8; the exit status is 0 when the book ran and ended.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr DWORD WaitMs = 60000;

std::string Utf8(const std::wstring& Text) {
  const int Size = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string Out(static_cast<std::size_t>(Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), Out.data(), Size, nullptr, nullptr);
  return Out;
}

std::wstring TextOf(HWND Window) {
  wchar_t Buffer[1024] = {};
  // WM_GETTEXT crosses processes; the system copies the text back. It waits
  // for the book's thread, which a fresh Wine prefix keeps busy for a while.
  SendMessageW(Window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(Buffer));
  return Buffer;
}

std::wstring ClassOf(HWND Window) {
  wchar_t Buffer[256] = {};
  GetClassNameW(Window, Buffer, 256);
  return Buffer;
}

struct TFound {
  DWORD Process;
  HWND Main = nullptr;
  HWND Box = nullptr;
  std::vector<HWND> Others{};
};

struct TChildSearch {
  const wchar_t* Class;
  HWND Found = nullptr;
};

BOOL CALLBACK MatchChild(HWND Child, LPARAM Param) {
  auto* Search = reinterpret_cast<TChildSearch*>(Param);
  if (ClassOf(Child) != Search->Class)
    return TRUE;
  Search->Found = Child;
  return FALSE;
}

HWND FindChild(HWND Parent, const wchar_t* Class) {
  TChildSearch Search{Class};
  EnumChildWindows(Parent, MatchChild, reinterpret_cast<LPARAM>(&Search));
  return Search.Found;
}

// The process's visible top-level windows: its main window (the one with a
// toolbar) and a message box, if any.
BOOL CALLBACK SortWindow(HWND Window, LPARAM Param) {
  auto* Found = reinterpret_cast<TFound*>(Param);
  DWORD Owner = 0;
  GetWindowThreadProcessId(Window, &Owner);
  if (Owner != Found->Process || !IsWindowVisible(Window))
    return TRUE;
  if (ClassOf(Window) == L"#32770")
    Found->Box = Window;
  else if (FindChild(Window, TOOLBARCLASSNAMEW))
    Found->Main = Window;
  else
    Found->Others.push_back(Window);
  return TRUE;
}

TFound Look(DWORD Process) {
  TFound Found{Process};
  EnumWindows(SortWindow, reinterpret_cast<LPARAM>(&Found));
  return Found;
}

// A message box's text: its static controls, the icon's excepted.
std::wstring BoxText(HWND Box) {
  std::wstring Text;
  for (HWND Child = GetWindow(Box, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT))
    if (ClassOf(Child) == L"Static" && !TextOf(Child).empty())
      Text += (Text.empty() ? L"" : L" ") + TextOf(Child);
  return Text;
}

// The book's other windows, each reported the first time it is seen.
std::set<HWND> Reported;
void Report(const TFound& Found) {
  for (const HWND Window : Found.Others)
    if (Reported.insert(Window).second)
      std::printf("window: %s\n", Utf8(ClassOf(Window)).c_str());
}

void Dismiss(HWND Box) {
  std::printf("box: %s\n", Utf8(BoxText(Box)).c_str());
  PostMessageW(Box, WM_COMMAND, IDOK, 0);
}

// Memory in the viewer's process for the toolbar's answers.
class TRemote {
public:
  TRemote(HANDLE Process, std::size_t Size)
      : Process(Process), At(VirtualAllocEx(Process, nullptr, Size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~TRemote() { VirtualFreeEx(Process, At, 0, MEM_RELEASE); }
  template <typename T> T Read() const {
    T Value{};
    ReadProcessMemory(Process, At, &Value, sizeof(T), nullptr);
    return Value;
  }
  LPARAM Param() const { return reinterpret_cast<LPARAM>(At); }

private:
  HANDLE Process;
  void* At;
};

struct TButton {
  int Command;
  std::wstring Text;
  RECT Rect;
};

std::vector<TButton> Buttons(HANDLE Process, HWND Toolbar) {
  std::vector<TButton> Result;
  const int Count = static_cast<int>(SendMessageW(Toolbar, TB_BUTTONCOUNT, 0, 0));
  TRemote Remote(Process, 4096);
  for (int I = 0; I < Count; ++I) {
    SendMessageW(Toolbar, TB_GETBUTTON, I, Remote.Param());
    const auto Button = Remote.Read<TBBUTTON>();
    if (Button.fsStyle & BTNS_SEP)
      continue;
    const LRESULT Length = SendMessageW(Toolbar, TB_GETBUTTONTEXTW, Button.idCommand, Remote.Param());
    const auto Text = Remote.Read<std::array<wchar_t, 512>>();
    SendMessageW(Toolbar, TB_GETITEMRECT, I, Remote.Param());
    Result.push_back({Button.idCommand, std::wstring(Text.data(), Length > 0 ? static_cast<std::size_t>(Length) : 0),
                      Remote.Read<RECT>()});
  }
  return Result;
}

void Click(HWND Toolbar, const RECT& Rect) {
  const LPARAM At = MAKELPARAM((Rect.left + Rect.right) / 2, (Rect.top + Rect.bottom) / 2);
  PostMessageW(Toolbar, WM_MOUSEMOVE, 0, At);
  PostMessageW(Toolbar, WM_LBUTTONDOWN, MK_LBUTTON, At);
  PostMessageW(Toolbar, WM_LBUTTONUP, 0, At);
}

// Waits for the process to show its main window or a box; 2 seconds more of
// quiet once one shows lets start-up finish its posted steps.
TFound WaitForWindows(const PROCESS_INFORMATION& Started) {
  for (DWORD Waited = 0; Waited < WaitMs; Waited += 100) {
    const TFound Found = Look(Started.dwProcessId);
    Report(Found);
    if (Found.Main || Found.Box) {
      Sleep(2000);
      return Look(Started.dwProcessId);
    }
    if (WaitForSingleObject(Started.hProcess, 100) == WAIT_OBJECT_0)
      break;
  }
  return TFound{Started.dwProcessId};
}

// Dismisses boxes until the process ends; its exit status.
DWORD WaitForEnd(const PROCESS_INFORMATION& Started) {
  for (DWORD Waited = 0; Waited < WaitMs; Waited += 200) {
    if (WaitForSingleObject(Started.hProcess, 200) == WAIT_OBJECT_0) {
      DWORD Status = 0;
      GetExitCodeProcess(Started.hProcess, &Status);
      return Status;
    }
    const TFound Found = Look(Started.dwProcessId);
    Report(Found);
    if (Found.Box)
      Dismiss(Found.Box);
  }
  std::printf("the book did not end\n");
  TerminateProcess(Started.hProcess, 99);
  return 99;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: viewer_probe BOOK.exe [BUTTON CAPTION | wait:MS ...]\n");
    return 2;
  }
  std::wstring CommandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW Startup{};
  Startup.cb = sizeof(Startup);
  PROCESS_INFORMATION Started{};
  if (!CreateProcessW(argv[1], CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Started)) {
    std::printf("cannot start the book: error %lu\n", GetLastError());
    return 1;
  }
  TFound Found = WaitForWindows(Started);
  if (Found.Box)
    Dismiss(Found.Box);
  if (Found.Main) {
    std::printf("caption: %s\n", Utf8(TextOf(Found.Main)).c_str());
    const HWND Toolbar = FindChild(Found.Main, TOOLBARCLASSNAMEW);
    const std::vector<TButton> Shown = Buttons(Started.hProcess, Toolbar);
    for (const TButton& B : Shown)
      std::printf("button: %s\n", Utf8(B.Text).c_str());
    for (int I = 2; I < argc; ++I) {
      const std::wstring Step = argv[I];
      if (Step.rfind(L"wait:", 0) == 0) {
        Sleep(static_cast<DWORD>(_wtoi(Step.c_str() + 5)));
        continue;
      }
      bool Clicked = false;
      for (const TButton& B : Shown)
        if (B.Text == argv[I]) {
          Click(Toolbar, B.Rect);
          Clicked = true;
          break;
        }
      std::printf("%s: %s\n", Clicked ? "clicked" : "no button", Utf8(argv[I]).c_str());
      Sleep(1500);
      // What the click opened is reported and closed as its close box would.
      const TFound After = Look(Started.dwProcessId);
      Report(After);
      for (const HWND Window : After.Others)
        PostMessageW(Window, WM_CLOSE, 0, 0);
      if (After.Box)
        Dismiss(After.Box);
    }
    PostMessageW(Found.Main, WM_CLOSE, 0, 0);
  }
  const DWORD Status = WaitForEnd(Started);
  std::printf("exit: %lu\n", Status);
  CloseHandle(Started.hThread);
  CloseHandle(Started.hProcess);
  return 0;
}
