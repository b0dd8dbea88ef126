#include "platform/win32/win32_window_system.hpp"

#include <windows.h>
// windows.h first: the headers below need its types.
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <oleacc.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/win32/wake_watches.hpp"
#include "platform/win32/wide.hpp"

namespace tavelo {

namespace {

constexpr wchar_t kWindowClass[] = L"TaveloFenetre";
constexpr wchar_t kTrayClass[] = L"TaveloZoneDeNotification";
constexpr UINT kTrayMessage = WM_APP + 1;
// MSAA's annotation service (CLSID_AccPropServices, IID_IAccPropServices) and PROPID_ACC_NAME,
// the property a screen reader gets when it asks MSAA for a control's name. Spelled out here:
// mingw's headers give these no __uuidof, and its import libraries name some of oleacc's GUIDs
// wrongly.
constexpr GUID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kAccessibleName = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

struct Control {
  HWND hwnd = nullptr;
  ControlKind kind = ControlKind::label;
  int flags = 0;
  std::vector<ListItem> items;   // as added; marks and selection are read from the control
  std::vector<HTREEITEM> nodes;  // a tree's items, in the same order
};

struct Window {
  HWND hwnd = nullptr;
  bool maximised = false;
  std::map<int, Control> controls;
  std::map<int, int> shortcuts;  // shortcut -> command
  HMENU bar = nullptr;
  HMENU popup = nullptr;
  bool custom_colours = false;
  COLORREF text = 0;
  COLORREF background = 0;
  HBRUSH brush = nullptr;
};

struct TrayIcon {
  NOTIFYICONDATAW data{};
  bool shown = false;  // what the notification area answered
};

struct Menu {
  HMENU handle = nullptr;
  int window = 0;
};

COLORREF colour_of(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Windows's controls separate lines with CR LF; the program's texts break them with CR, LF or
// both, and take them back with LF.
std::wstring with_line_ends(std::string_view text) {
  std::wstring out;
  for (const wchar_t c : wide_of(with_line_feeds(text))) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

std::wstring text_of(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

int modifiers_now() {
  int modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= kShortcutShift;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= kShortcutControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kShortcutAlt;
  return modifiers;
}

bool has_rows(ControlKind kind) {
  return kind == ControlKind::list_box || kind == ControlKind::multi_list ||
         kind == ControlKind::tree || kind == ControlKind::combo_box ||
         kind == ControlKind::tab_panel;
}

bool is_check_list(const Control& c) {
  return c.kind == ControlKind::list_box && (c.flags & kCheckList) != 0;
}

int tree_index(const Control& c, HTREEITEM item) {
  const auto found = std::find(c.nodes.begin(), c.nodes.end(), item);
  return found == c.nodes.end() ? -1 : static_cast<int>(found - c.nodes.begin());
}

bool is_several(const Control& c) {
  return (c.kind == ControlKind::list_box || c.kind == ControlKind::multi_list) &&
         (c.flags & kSeveral) != 0 && !is_check_list(c);
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
LRESULT CALLBACK tray_procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);

}  // namespace

struct Win32WindowSystem::State {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND tray_window = nullptr;
  HFONT font = nullptr;
  std::map<int, Window> windows;
  int next_window = 1;
  std::map<int, Menu> menus;
  int next_menu = 1;
  std::map<int, TrayIcon> tray;
  IAccPropServices* names = nullptr;  // made when a control is first named
  std::deque<RawEvent> queue;
  bool programmatic = false;  // changes made by the program are not the user's
  // What else ends the wait, made when first asked for.
  std::unique_ptr<FileWatch> file_watch;
  std::unique_ptr<DesktopKeyWatch> key_watch;

  void post(const RawEvent& event) { queue.push_back(event); }

  int number_of(HWND hwnd) const {
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    for (const auto& [number, w] : windows) {
      if (w.hwnd == root || w.hwnd == hwnd) return number;
    }
    return 0;
  }
  Window* window_of(int window) {
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
  }
  const Window* window_of(int window) const {
    const auto found = windows.find(window);
    return found == windows.end() ? nullptr : &found->second;
  }
  Control* control_of(int window, int number) {
    Window* w = window_of(window);
    if (w == nullptr) return nullptr;
    const auto found = w->controls.find(number);
    return found == w->controls.end() ? nullptr : &found->second;
  }
  const Control* control_of(int window, int number) const {
    const Window* w = window_of(window);
    if (w == nullptr) return nullptr;
    const auto found = w->controls.find(number);
    return found == w->controls.end() ? nullptr : &found->second;
  }
  // The control a native window belongs to (a combo box's own field belongs to the combo box).
  int control_number(const Window& w, HWND hwnd) const {
    for (HWND h = hwnd; h != nullptr && h != w.hwnd; h = GetParent(h)) {
      for (const auto& [number, c] : w.controls) {
        if (c.hwnd == h) return number;
      }
    }
    return -1;
  }

  LRESULT handle(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  void command(int window, WPARAM w, LPARAM l);
  void notify(int window, const NMHDR& header);
  bool pre_translate(MSG& message);
  void move_focus(Window& w, bool backwards);
  bool turn_page(int window, int number, bool backwards);
  bool native_key_as_elsewhere(int window, int number, HWND target, int key, int modifiers);
  bool several_list_key(int window, int number, HWND list, int key);
  void report(int window, int number, Notification what) {
    post({.kind = RawEvent::Kind::control, .window = window, .id = number, .notification = what});
  }
  // Return on a button clicks it on its release, as Space does natively.
  std::optional<std::pair<int, int>> click_on_return;
  IAccPropServices* name_service();
  void destroy_control(int window, int number, const Control& c);
};

namespace {

Win32WindowSystem::State* the_state = nullptr;  // the one window system of the process

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  // No exception may cross the system's frames.
  try {
    if (the_state != nullptr) return the_state->handle(hwnd, message, w, l);
  } catch (...) {
  }
  return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CALLBACK tray_procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  try {
    if (message == kTrayMessage && the_state != nullptr &&
        (LOWORD(l) == WM_LBUTTONUP || LOWORD(l) == WM_RBUTTONUP)) {
      the_state->post({.kind = RawEvent::Kind::tray, .id = static_cast<int>(w)});
      return 0;
    }
  } catch (...) {
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace

LRESULT Win32WindowSystem::State::handle(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  const int window = number_of(hwnd);
  Window* win = window_of(window);
  if (win == nullptr) return DefWindowProcW(hwnd, message, w, l);
  switch (message) {
    case WM_ACTIVATE:
      post({.kind =
                LOWORD(w) == WA_INACTIVE ? RawEvent::Kind::deactivated : RawEvent::Kind::activated,
            .window = window});
      break;
    case WM_CLOSE:
      post({.kind = RawEvent::Kind::close, .window = window});
      return 0;  // the program decides whether the window goes
    case WM_COMMAND:
      command(window, w, l);
      return 0;
    case WM_NOTIFY:
      notify(window, *reinterpret_cast<const NMHDR*>(l));
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (win->custom_colours) {
        SetTextColor(reinterpret_cast<HDC>(w), win->text);
        SetBkColor(reinterpret_cast<HDC>(w), win->background);
        return reinterpret_cast<LRESULT>(win->brush);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

namespace {

// The notification codes of each class of control (-1: the class has none such). The focus
// comes and goes without a notification, as on the other window systems: the dialog layer
// follows it itself. The text typed into a combo box is its text, not a change of item.
struct NotificationCodes {
  int click = -1, change = -1;
};

NotificationCodes codes_of(ControlKind kind) {
  switch (kind) {
    case ControlKind::button:
    case ControlKind::check_box:
    case ControlKind::option:
      return {BN_CLICKED, -1};
    case ControlKind::text_field:
    case ControlKind::editor:
      return {-1, EN_CHANGE};
    case ControlKind::list_box:
    case ControlKind::multi_list:
      return {LBN_DBLCLK, LBN_SELCHANGE};
    case ControlKind::combo_box:
      return {-1, CBN_SELCHANGE};
    default:
      return {};
  }
}

std::optional<Notification> notification_of(ControlKind kind, int code) {
  const NotificationCodes codes = codes_of(kind);
  if (code == codes.click) return Notification::click;
  if (code == codes.change) return Notification::change;
  return std::nullopt;
}

}  // namespace

void Win32WindowSystem::State::command(int window, WPARAM w, LPARAM l) {
  Window& win = windows.at(window);
  if (l == 0) {  // a menu item
    post({.kind = RawEvent::Kind::command, .window = window, .id = LOWORD(w)});
    return;
  }
  const int number = control_number(win, reinterpret_cast<HWND>(l));
  if (number < 0 || programmatic) return;
  const auto what = notification_of(win.controls.at(number).kind, HIWORD(w));
  if (what) report(window, number, *what);
}

void Win32WindowSystem::State::notify(int window, const NMHDR& header) {
  Window& win = windows.at(window);
  const int number = control_number(win, header.hwndFrom);
  if (number < 0 || programmatic) return;
  const Control& c = win.controls.at(number);
  bool changed = false;
  if (c.kind == ControlKind::tree) changed = header.code == TVN_SELCHANGEDW;
  if (c.kind == ControlKind::tab_panel) changed = header.code == TCN_SELCHANGE;
  if (is_check_list(c) && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    // A move changes two rows (one loses the selection, the next takes it): one change.
    const UINT gained = change.uNewState & ~change.uOldState;
    changed = (change.uChanged & LVIF_STATE) != 0 &&
              (((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0 ||
               (gained & LVIS_SELECTED) != 0);
  }
  if (changed) report(window, number, Notification::change);
}

// Tab moves the focus through the controls that take it, as a dialog box does.
void Win32WindowSystem::State::move_focus(Window& w, bool backwards) {
  const HWND next = GetNextDlgTabItem(w.hwnd, GetFocus(), backwards ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
}

// Control+Tab turns a focused tab panel's page, and from the last page to the first, as in a
// property sheet; the tab control itself knows only the arrows. True for a tab panel.
bool Win32WindowSystem::State::turn_page(int window, int number, bool backwards) {
  const Control* c = control_of(window, number);
  if (c == nullptr || c->kind != ControlKind::tab_panel) return false;
  const int pages = TabCtrl_GetItemCount(c->hwnd);
  if (pages <= 0) return true;
  TabCtrl_SetCurSel(c->hwnd, (TabCtrl_GetCurSel(c->hwnd) + (backwards ? pages - 1 : 1)) % pages);
  report(window, number, Notification::change);
  return true;
}

namespace {

bool is_input(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

bool letter_or_digit(int key) {
  return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

// The next row shown after the selection, round the tree, whose text begins with the key's
// letter or digit. Windows's own search gathers the letters typed within a second into one
// word, so that a second press of a letter would look for it twice.
HTREEITEM next_row_beginning_with(const Control& c, int key) {
  std::vector<HTREEITEM> shown;
  for (HTREEITEM row = TreeView_GetRoot(c.hwnd); row != nullptr;
       row = TreeView_GetNextVisible(c.hwnd, row)) {
    shown.push_back(row);
  }
  const auto at = std::find(shown.begin(), shown.end(), TreeView_GetSelection(c.hwnd));
  const std::size_t from =
      at == shown.end() ? shown.size() : static_cast<std::size_t>(at - shown.begin());
  for (std::size_t step = 1; step <= shown.size(); ++step) {
    const HTREEITEM row = shown[(from + step) % shown.size()];
    const int index = tree_index(c, row);
    if (index < 0) continue;
    const std::string& text = c.items[static_cast<std::size_t>(index)].text;
    if (!text.empty() && std::toupper(static_cast<unsigned char>(text.front())) == key) return row;
  }
  return nullptr;
}

// Control+A selects the whole text; Left and Right leave a selection at its start or its end,
// where an edit of wine moves on from the caret.
bool edit_key(HWND edit, int key, int modifiers) {
  if (key == 'A' && modifiers == kShortcutControl) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return true;
  }
  if ((key != vk::left && key != vk::right) || modifiers != 0) return false;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start == end) return false;
  const DWORD to = key == vk::left ? start : end;
  SendMessageW(edit, EM_SETSEL, to, static_cast<LPARAM>(to));
  return true;
}

}  // namespace

// In a list of several, Control with an arrow, Home or End moves the focused row alone, and
// Control+Space marks or unmarks it; an extended list box of wine moves the selection instead.
bool Win32WindowSystem::State::several_list_key(int window, int number, HWND list, int key) {
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const auto focused = static_cast<int>(SendMessageW(list, LB_GETCARETINDEX, 0, 0));
  if (count <= 0) return false;
  if (key == vk::space) {
    const bool marked = SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(focused), 0) > 0;
    SendMessageW(list, LB_SETSEL, marked ? FALSE : TRUE, focused);
    report(window, number, Notification::change);
    return true;
  }
  int to = focused;
  if (key == vk::up) to = focused - 1;
  if (key == vk::down) to = focused + 1;
  if (key == vk::home) to = 0;
  if (key == vk::end) to = count - 1;
  if (to == focused && key != vk::up && key != vk::down) return false;
  SendMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(std::clamp(to, 0, count - 1)), FALSE);
  return true;
}

// Where a native control answers a key otherwise than the other window systems do, the key is
// carried out here as they do, and true tells that the control must not see it.
bool Win32WindowSystem::State::native_key_as_elsewhere(int window, int number, HWND target, int key,
                                                       int modifiers) {
  Control* c = control_of(window, number);
  if (c == nullptr) return false;
  const bool control = modifiers == kShortcutControl;
  switch (c->kind) {
    case ControlKind::tab_panel:
      return key == vk::tab && turn_page(window, number, (modifiers & kShortcutShift) != 0);
    case ControlKind::button:
      if (key == vk::enter && modifiers == 0) click_on_return = std::pair(window, number);
      return false;
    case ControlKind::tree:
      if (modifiers != 0 || !letter_or_digit(key)) return false;
      if (const HTREEITEM row = next_row_beginning_with(*c, key)) TreeView_SelectItem(c->hwnd, row);
      return true;
    case ControlKind::list_box:
      return is_several(*c) && control && several_list_key(window, number, c->hwnd, key);
    case ControlKind::combo_box:
      if (key == vk::up && modifiers == 0 && SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0) < 0) {
        // Typed text selects no item; Up goes to the last one, as Down goes to the first.
        const auto count = SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0);
        if (count <= 0) return true;
        SendMessageW(c->hwnd, CB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
        report(window, number, Notification::change);
        return true;
      }
      return target != c->hwnd && edit_key(target, key, modifiers);
    case ControlKind::text_field:
    case ControlKind::editor:
      return edit_key(target, key, modifiers);
    default:
      return false;
  }
}

// Every message of the program's windows passes here first. Key messages become raw events;
// true when the message is used up and the controls must not see it.
bool Win32WindowSystem::State::pre_translate(MSG& message) {
  const int window = number_of(message.hwnd);
  Window* w = window_of(window);
  if (w == nullptr) return false;
  const int key = static_cast<int>(message.wParam);
  switch (message.message) {
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN: {
      const bool system = message.message == WM_SYSKEYDOWN;
      if (system) post({.kind = RawEvent::Kind::system_key_down, .window = window, .key = key});
      if (vk::is_modifier(key)) return false;
      const int modifiers = modifiers_now();
      const auto shortcut = w->shortcuts.find(key | modifiers);
      if (shortcut != w->shortcuts.end()) {
        post({.kind = RawEvent::Kind::command, .window = window, .id = shortcut->second});
        return true;
      }
      if (system) {
        post({.kind = RawEvent::Kind::system_char, .window = window, .key = key});
        return false;  // the menu bar's own mnemonics
      }
      const bool control = (modifiers & kShortcutControl) != 0;
      if (key == vk::tab && !control) {
        move_focus(*w, (modifiers & kShortcutShift) != 0);
        return true;
      }
      const int focus = control_number(*w, GetFocus());
      post({.kind = RawEvent::Kind::key_down,
            .window = window,
            .id = focus,
            .key = key,
            // VK_PACKET carries a character typed without its key (Unicode input, braille).
            .character = (vk::types_character(key) || key == VK_PACKET) && !control});
      if (native_key_as_elsewhere(window, focus, message.hwnd, key, modifiers)) return true;
      // The dialog layer walks through option groups itself, one step per lock.
      const Control* c = control_of(window, focus);
      return c != nullptr && c->kind == ControlKind::option && key >= vk::left && key <= vk::down;
    }
    case WM_SYSKEYUP:
    case WM_KEYUP:
      post({.kind = message.message == WM_SYSKEYUP || key == VK_MENU ? RawEvent::Kind::system_key_up
                                                                     : RawEvent::Kind::key_up,
            .window = window,
            .key = key});
      if (key == vk::enter && click_on_return) {
        // A Return that went down in a window now replaced clicks nothing in the new one.
        const auto [down_in, on] = *click_on_return;
        click_on_return.reset();
        if (down_in == window && control_of(window, on) != nullptr) {
          report(window, on, Notification::click);
        }
      }
      return false;
    case WM_TIMER:
      post({.kind = RawEvent::Kind::timer,
            .window = window,
            .id = static_cast<int>(message.wParam)});
      return true;
    default:
      return false;
  }
}

Win32WindowSystem::Win32WindowSystem() : state_(std::make_unique<State>()) {
  if (the_state != nullptr) throw std::runtime_error("une seule fenêtre système par programme");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windows{};
  windows.cbSize = sizeof windows;
  windows.lpfnWndProc = window_procedure;
  windows.hInstance = state_->instance;
  windows.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windows.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  windows.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windows.lpszClassName = kWindowClass;
  RegisterClassExW(&windows);
  WNDCLASSEXW tray{};
  tray.cbSize = sizeof tray;
  tray.lpfnWndProc = tray_procedure;
  tray.hInstance = state_->instance;
  tray.lpszClassName = kTrayClass;
  RegisterClassExW(&tray);
  state_->tray_window = CreateWindowExW(0, kTrayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        state_->instance, nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  state_->font = CreateFontIndirectW(&metrics.lfMessageFont);
  the_state = state_.get();
}

Win32WindowSystem::~Win32WindowSystem() {
  while (!state_->windows.empty()) close_window(state_->windows.begin()->first);
  while (!state_->tray.empty()) remove_tray_icon(state_->tray.begin()->first);
  DestroyWindow(state_->tray_window);
  DeleteObject(state_->font);
  if (state_->names != nullptr) {
    state_->names->Release();
    CoUninitialize();
  }
  the_state = nullptr;
}

int Win32WindowSystem::desktop_width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

int Win32WindowSystem::desktop_height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

int Win32WindowSystem::open_window(const WindowSpec& wanted) {
  State& s = *state_;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  // The layout grid gives the inside of the window; the frame comes around it.
  RECT outer{0, 0, std::max(wanted.rect.width, 1), std::max(wanted.rect.height, 1)};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int x = wanted.centred ? (desktop_width() - width) / 2 : wanted.rect.x;
  const int y = wanted.centred ? (desktop_height() - height) / 2 : wanted.rect.y;
  const HWND hwnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, wide_of(wanted.title).c_str(), style, x, y,
                      width, height, nullptr, nullptr, s.instance, nullptr);
  if (hwnd == nullptr) return 0;
  const int number = s.next_window++;
  Window& w = s.windows[number];
  w.hwnd = hwnd;
  w.maximised = wanted.maximised;
  if (wanted.custom_colours) {
    w.custom_colours = true;
    w.text = colour_of(wanted.text_colour);
    w.background = colour_of(wanted.background_colour);
    w.brush = CreateSolidBrush(w.background);
    SetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(w.brush));
  }
  if (!wanted.hidden) show_window(number, true);
  return number;
}

void Win32WindowSystem::show_window(int window, bool shown) {
  const Window* w = state_->window_of(window);
  if (w == nullptr) return;
  if (!shown) {
    ShowWindow(w->hwnd, SW_HIDE);  // the next window of the program becomes the active one
    return;
  }
  ShowWindow(w->hwnd, w->maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  SetForegroundWindow(w->hwnd);
}

void Win32WindowSystem::close_window(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  for (auto it = s.menus.begin(); it != s.menus.end();) {
    it = it->second.window == window ? s.menus.erase(it) : std::next(it);
  }
  for (const auto& [number, c] : w->controls) s.destroy_control(window, number, c);
  const HWND hwnd = w->hwnd;
  const HBRUSH brush = w->brush;
  const HMENU popup = w->popup;
  s.windows.erase(window);
  DestroyWindow(hwnd);  // its menu bar goes with it
  if (popup != nullptr) DestroyMenu(popup);
  if (brush != nullptr) DeleteObject(brush);
}

void Win32WindowSystem::set_window_title(int window, std::string_view title) {
  if (Window* w = state_->window_of(window)) SetWindowTextW(w->hwnd, wide_of(title).c_str());
}

bool Win32WindowSystem::program_in_foreground() const {
  return foreground_window() != 0;
}

int Win32WindowSystem::foreground_window() const {
  const HWND foreground = GetForegroundWindow();
  return foreground == nullptr ? 0 : state_->number_of(foreground);
}

namespace {

struct NativeKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD extended = 0;
};

NativeKind native_kind(ControlKind kind, int flags, bool first_option) {
  const DWORD stop = WS_TABSTOP;
  switch (kind) {
    case ControlKind::button:
      return {L"BUTTON", BS_PUSHBUTTON | BS_NOTIFY | stop};
    case ControlKind::check_box:
      return {L"BUTTON", BS_AUTOCHECKBOX | BS_NOTIFY | stop};
    case ControlKind::option:
      return {L"BUTTON", BS_AUTORADIOBUTTON | BS_NOTIFY | stop | (first_option ? WS_GROUP : 0u)};
    case ControlKind::text_field:
      return {L"EDIT",
              ES_AUTOHSCROLL | stop | ((flags & kPassword) != 0 ? ES_PASSWORD : 0u) |
                  ((flags & kDigitsOnly) != 0 ? ES_NUMBER : 0u),
              WS_EX_CLIENTEDGE};
    case ControlKind::label:
      return {L"STATIC", SS_LEFT};
    case ControlKind::list_box:
      if ((flags & kCheckList) != 0) {
        return {WC_LISTVIEWW,
                LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | stop,
                WS_EX_CLIENTEDGE};
      }
      [[fallthrough]];
    case ControlKind::multi_list:
      return {L"LISTBOX",
              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | stop |
                  ((flags & kSeveral) != 0 ? LBS_EXTENDEDSEL : 0u) |
                  (kind == ControlKind::multi_list ? LBS_MULTICOLUMN | WS_HSCROLL : 0u),
              WS_EX_CLIENTEDGE};
    case ControlKind::tree:
      return {WC_TREEVIEWW,
              TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | stop,
              WS_EX_CLIENTEDGE};
    case ControlKind::combo_box:
      return {L"COMBOBOX",
              ((flags & kEditable) != 0 ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) |
                  WS_VSCROLL | stop};
    case ControlKind::editor:
      return {L"EDIT",
              ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | stop |
                  ((flags & kReadOnly) != 0 ? 0u : ES_WANTRETURN),
              WS_EX_CLIENTEDGE};
    case ControlKind::tab_panel:
      return {WC_TABCONTROLW, stop};
  }
  return {L"STATIC", SS_LEFT};
}

// A combo box's rectangle includes its open list.
int native_height(ControlKind kind, int height) {
  return kind == ControlKind::combo_box ? height * 8 : height;
}

// The flags the program changes after a control is made; the others choose its native style.
constexpr int kChangingFlags = kReadOnly | kHidden | kDisabled;

// A read-only text keeps the focus so that its lines can be read; other read-only controls are
// greyed. A hidden or disabled control leaves the Tab order by itself.
void apply_changing_flags(const Control& c) {
  const bool read_only = (c.flags & kReadOnly) != 0;
  const bool text = c.kind == ControlKind::text_field || c.kind == ControlKind::editor;
  if (text) SendMessageW(c.hwnd, EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
  const bool disabled = (c.flags & kDisabled) != 0 || (read_only && !text);
  EnableWindow(c.hwnd, disabled ? FALSE : TRUE);
  ShowWindow(c.hwnd, (c.flags & kHidden) != 0 ? SW_HIDE : SW_SHOW);
}

}  // namespace

void Win32WindowSystem::place_control(int window, int number, ControlKind kind,
                                      const PixelRect& rect, std::string_view text, int flags) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  Control& c = w->controls[number];
  if (c.hwnd == nullptr) {
    c.kind = kind;
    c.flags = flags;
    const NativeKind native = native_kind(kind, flags, (flags & kGroupStart) != 0);
    c.hwnd = CreateWindowExW(
        native.extended, native.window_class, L"", WS_CHILD | WS_VISIBLE | native.style, rect.x,
        rect.y, std::max(rect.width, 1), native_height(kind, std::max(rect.height, 1)), w->hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), s.instance, nullptr);
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), TRUE);
    if (is_check_list(c)) {
      ListView_SetExtendedListViewStyle(c.hwnd, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = std::max(rect.width - 24, 10);
      ListView_InsertColumn(c.hwnd, 0, &column);
    }
    if (kind == ControlKind::multi_list) set_grid_columns(window, number, 0);
  } else {
    MoveWindow(c.hwnd, rect.x, rect.y, std::max(rect.width, 1),
               native_height(c.kind, std::max(rect.height, 1)), TRUE);
    c.flags = (c.flags & ~kChangingFlags) | (flags & kChangingFlags);
  }
  apply_changing_flags(c);
  if (!has_rows(c.kind)) set_control_text(window, number, text);
}

void Win32WindowSystem::remove_control(int window, int number) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return;
  const auto found = w->controls.find(number);
  if (found == w->controls.end()) return;
  s.destroy_control(window, number, found->second);
  w->controls.erase(found);
}

// Its name given to screen readers goes with it, and so do its notifications still queued.
void Win32WindowSystem::State::destroy_control(int window, int number, const Control& c) {
  if (names != nullptr) {
    MSAAPROPID name = kAccessibleName;
    names->ClearHwndProps(c.hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
  }
  DestroyWindow(c.hwnd);
  std::erase_if(queue, [&](const RawEvent& e) {
    return e.window == window && e.kind == RawEvent::Kind::control && e.id == number;
  });
}

std::optional<ControlKind> Win32WindowSystem::control_kind(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return std::nullopt;
  return c->kind;
}

std::string Win32WindowSystem::control_text(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  if (c->kind == ControlKind::list_box || c->kind == ControlKind::multi_list ||
      c->kind == ControlKind::tree || c->kind == ControlKind::tab_panel) {
    const int index = control_state(window, number);
    return index >= 0 && index < static_cast<int>(c->items.size())
               ? c->items[static_cast<std::size_t>(index)].text
               : std::string();
  }
  // A combo box's own text is its field's.
  return with_line_feeds(utf8_of(text_of(c->hwnd)));
}

void Win32WindowSystem::set_control_text(int window, int number, std::string_view text) {
  State& s = *state_;
  Control* c = s.control_of(window, number);
  if (c == nullptr || (has_rows(c->kind) && c->kind != ControlKind::combo_box)) return;
  s.programmatic = true;
  SetWindowTextW(c->hwnd, with_line_ends(text).c_str());
  s.programmatic = false;
}

int Win32WindowSystem::control_flags(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? 0 : c->flags;
}

void Win32WindowSystem::set_control_flags(int window, int number, int flags) {
  Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  c->flags = (c->flags & ~kChangingFlags) | (flags & kChangingFlags);
  apply_changing_flags(*c);
}

namespace {

int listbox_selection(const Control& c) {
  // A list of several has no one selection: its focused row stands for it.
  const UINT message = is_several(c) ? LB_GETCARETINDEX : LB_GETCURSEL;
  return static_cast<int>(SendMessageW(c.hwnd, message, 0, 0));
}

bool row_marked(const Control& c, int index) {
  if (is_check_list(c)) return ListView_GetCheckState(c.hwnd, index) != 0;
  if (is_several(c)) return SendMessageW(c.hwnd, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  return false;
}

}  // namespace

namespace {

// Unchecks the options of the group of option `number`: from an option marked as its start to
// the next such one.
void uncheck_group(Win32WindowSystem::State& s, int window, int number) {
  const auto option = [&](int n) -> Control* {
    Control* c = s.control_of(window, n);
    return c != nullptr && c->kind == ControlKind::option ? c : nullptr;
  };
  int first = number;
  for (Control* c = option(first);
       c != nullptr && (c->flags & kGroupStart) == 0 && option(first - 1) != nullptr;
       c = option(first)) {
    --first;
  }
  for (int n = first; Control* c = option(n); ++n) {
    if (n != first && (c->flags & kGroupStart) != 0) break;
    SendMessageW(c->hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

}  // namespace

int Win32WindowSystem::control_state(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return -1;
  switch (c->kind) {
    case ControlKind::check_box:
    case ControlKind::option:
      return SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    case ControlKind::list_box:
      if (is_check_list(*c)) return ListView_GetNextItem(c->hwnd, -1, LVNI_SELECTED);
      return listbox_selection(*c);
    case ControlKind::multi_list:
      return listbox_selection(*c);
    case ControlKind::combo_box:
      return static_cast<int>(SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
    case ControlKind::tree:
      return tree_index(*c, TreeView_GetSelection(c->hwnd));
    case ControlKind::tab_panel:
      return TabCtrl_GetCurSel(c->hwnd);
    default:
      return 0;
  }
}

void Win32WindowSystem::set_control_state(int window, int number, int state) {
  State& s = *state_;
  Control* c = s.control_of(window, number);
  if (c == nullptr) return;
  s.programmatic = true;
  const auto index = static_cast<WPARAM>(state);
  switch (c->kind) {
    case ControlKind::check_box:
      SendMessageW(c->hwnd, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::option:
      // Checking an option leaves its group's others unchecked, as a click would. A group
      // runs from an option marked as its start to the next such one.
      if (state != 0) uncheck_group(s, window, number);
      SendMessageW(c->hwnd, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::list_box:
    case ControlKind::multi_list:
      if (is_check_list(*c)) {
        ListView_SetItemState(c->hwnd, state, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(c->hwnd, state, FALSE);
      } else if (is_several(*c)) {
        // The row alone is selected and focused, and a Shift selection starts from it.
        SendMessageW(c->hwnd, LB_SETSEL, FALSE, -1);
        if (state >= 0) SendMessageW(c->hwnd, LB_SETSEL, TRUE, state);
        SendMessageW(c->hwnd, LB_SETCARETINDEX, index, FALSE);
        SendMessageW(c->hwnd, LB_SETANCHORINDEX, index, 0);
      } else {
        SendMessageW(c->hwnd, LB_SETCURSEL, index, 0);
      }
      break;
    case ControlKind::combo_box:
      SendMessageW(c->hwnd, CB_SETCURSEL, index, 0);
      break;
    case ControlKind::tree:
      if (state >= 0 && state < static_cast<int>(c->nodes.size())) {
        TreeView_SelectItem(c->hwnd, c->nodes[index]);
        TreeView_EnsureVisible(c->hwnd, c->nodes[index]);
      }
      break;
    case ControlKind::tab_panel:
      TabCtrl_SetCurSel(c->hwnd, state);
      break;
    default:
      break;
  }
  s.programmatic = false;
}

void Win32WindowSystem::add_item(int window, int number, const ListItem& item) {
  State& s = *state_;
  Control* c = s.control_of(window, number);
  if (c == nullptr) return;
  s.programmatic = true;
  std::wstring text = wide_of(item.text);
  const auto index = static_cast<int>(c->items.size());
  switch (c->kind) {
    case ControlKind::list_box:
    case ControlKind::multi_list:
      if (is_check_list(*c)) {
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = index;
        row.pszText = text.data();
        ListView_InsertItem(c->hwnd, &row);
      } else {
        SendMessageW(c->hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
      break;
    case ControlKind::combo_box:
      SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      break;
    case ControlKind::tree: {
      // The parent is the last item added one level up.
      HTREEITEM parent = TVI_ROOT;
      for (int i = index - 1; i >= 0 && item.level > 0; --i) {
        if (c->items[static_cast<std::size_t>(i)].level < item.level) {
          parent = c->nodes[static_cast<std::size_t>(i)];
          break;
        }
      }
      TVINSERTSTRUCTW insert{};
      insert.hParent = parent;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT;
      insert.item.pszText = text.data();
      c->nodes.push_back(TreeView_InsertItem(c->hwnd, &insert));
      break;
    }
    case ControlKind::tab_panel: {
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = text.data();
      TabCtrl_InsertItem(c->hwnd, index, &tab);
      break;
    }
    default:
      s.programmatic = false;
      return;
  }
  c->items.push_back(item);
  c->items.back().marked = false;
  s.programmatic = false;
  if (item.marked) set_item_marked(window, number, index, true);
}

void Win32WindowSystem::clear_items(int window, int number) {
  State& s = *state_;
  Control* c = s.control_of(window, number);
  if (c == nullptr) return;
  s.programmatic = true;
  if (is_check_list(*c)) {
    ListView_DeleteAllItems(c->hwnd);
  } else if (c->kind == ControlKind::list_box || c->kind == ControlKind::multi_list) {
    SendMessageW(c->hwnd, LB_RESETCONTENT, 0, 0);
  } else if (c->kind == ControlKind::combo_box) {
    SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
  } else if (c->kind == ControlKind::tree) {
    TreeView_DeleteAllItems(c->hwnd);
  } else if (c->kind == ControlKind::tab_panel) {
    TabCtrl_DeleteAllItems(c->hwnd);
  }
  c->items.clear();
  c->nodes.clear();
  s.programmatic = false;
}

int Win32WindowSystem::item_count(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

ListItem Win32WindowSystem::item(int window, int number, int index) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  ListItem found = c->items[static_cast<std::size_t>(index)];
  found.marked = row_marked(*c, index);
  return found;
}

// Equal cells: the given number of them a line, or, for none given, as many as a fifth of the
// width each.
void Win32WindowSystem::set_grid_columns(int window, int number, int columns) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr || c->kind != ControlKind::multi_list) return;
  RECT inside{};
  GetClientRect(c->hwnd, &inside);
  const int width = inside.right - inside.left;
  const int cell = columns > 0 ? width / columns : width / 5;
  SendMessageW(c->hwnd, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(cell, 20)), 0);
}

void Win32WindowSystem::set_item_marked(int window, int number, int index, bool marked) {
  State& s = *state_;
  Control* c = s.control_of(window, number);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return;
  s.programmatic = true;
  if (is_check_list(*c)) {
    ListView_SetCheckState(c->hwnd, index, marked ? TRUE : FALSE);
  } else if (is_several(*c)) {
    SendMessageW(c->hwnd, LB_SETSEL, marked ? TRUE : FALSE, index);
  }
  s.programmatic = false;
}

// The annotation service of MSAA, on this thread's COM apartment.
IAccPropServices* Win32WindowSystem::State::name_service() {
  if (names != nullptr) return names;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return nullptr;
  void* service = nullptr;
  if (FAILED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                              kAccPropServicesInterface, &service))) {
    CoUninitialize();
    return nullptr;
  }
  names = static_cast<IAccPropServices*>(service);
  return names;
}

// MSAA names a control after its caption, or the label just before it; a name given here comes
// first.
void Win32WindowSystem::set_control_name(int window, int number, std::string_view name) {
  State& s = *state_;
  const Control* c = s.control_of(window, number);
  IAccPropServices* service = c == nullptr ? nullptr : s.name_service();
  if (service == nullptr) return;
  service->SetHwndPropStr(c->hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAccessibleName,
                          wide_of(name).c_str());
}

namespace {

// The caret is the selection's moving end: the end Shift and the arrows move, which EM_GETSEL
// does not tell, since it gives the selection in order. The focused edit's caret is shown where
// that end is. An edit without the focus has no caret: the selections the program makes (the
// whole text, a found word) end at theirs.
DWORD caret_index(HWND edit) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start == end) return start;
  POINT shown{};
  if (GetFocus() != edit || !GetCaretPos(&shown)) return end;
  const auto start_shown = static_cast<DWORD>(SendMessageW(edit, EM_POSFROMCHAR, start, 0));
  const bool at_start = static_cast<SHORT>(LOWORD(start_shown)) == shown.x &&
                        static_cast<SHORT>(HIWORD(start_shown)) == shown.y;
  return at_start ? start : end;
}

}  // namespace

CaretPosition Win32WindowSystem::caret(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return {};
  const DWORD at = caret_index(c->hwnd);
  const auto line = static_cast<int>(SendMessageW(c->hwnd, EM_LINEFROMCHAR, at, 0));
  const auto line_start =
      static_cast<int>(SendMessageW(c->hwnd, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
  return {line + 1, static_cast<int>(at) - line_start + 1};
}

void Win32WindowSystem::set_caret(int window, int number, CaretPosition position) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  const auto line_start =
      SendMessageW(c->hwnd, EM_LINEINDEX, static_cast<WPARAM>(std::max(position.line - 1, 0)), 0);
  if (line_start < 0) return;
  const auto at = static_cast<WPARAM>(line_start + std::max(position.column - 1, 0));
  SendMessageW(c->hwnd, EM_SETSEL, at, static_cast<LPARAM>(at));
  SendMessageW(c->hwnd, EM_SCROLLCARET, 0, 0);
}

void Win32WindowSystem::select_all_text(int window, int number) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr) return;
  if (c->kind == ControlKind::combo_box) {
    SendMessageW(c->hwnd, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  } else {
    SendMessageW(c->hwnd, EM_SETSEL, 0, -1);
  }
}

void Win32WindowSystem::select_text(int window, int number, int start, int length) {
  const Control* c = state_->control_of(window, number);
  if (c == nullptr || start < 0 || length < 0) return;
  SendMessageW(c->hwnd, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  SendMessageW(c->hwnd, EM_SCROLLCARET, 0, 0);
}

void Win32WindowSystem::play_sound(std::string_view file) {
  const std::wstring name = wide_of(file);
  if (name.empty() ||
      !PlaySoundW(name.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT)) {
    MessageBeep(MB_OK);
  }
}

int Win32WindowSystem::focused_control(int window) const {
  const Window* w = state_->window_of(window);
  if (w == nullptr) return -1;
  return state_->control_number(*w, GetFocus());
}

void Win32WindowSystem::set_focus(int window, int number) {
  if (const Control* c = state_->control_of(window, number)) SetFocus(c->hwnd);
}

int Win32WindowSystem::add_menu(int window, int parent, std::string_view title) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return 0;
  HMENU parent_menu = nullptr;
  if (parent == 0) {
    if (w->bar == nullptr) {
      w->bar = CreateMenu();
      SetMenu(w->hwnd, w->bar);
    }
    parent_menu = w->bar;
  } else if (const auto found = s.menus.find(parent); found != s.menus.end()) {
    parent_menu = found->second.handle;
  } else {
    return 0;
  }
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(parent_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu),
              wide_of(title).c_str());
  DrawMenuBar(w->hwnd);
  const int handle = s.next_menu++;
  s.menus[handle] = {menu, window};
  return handle;
}

void Win32WindowSystem::add_menu_item(int menu, int command, std::string_view text) {
  const auto found = state_->menus.find(menu);
  if (found == state_->menus.end()) return;
  AppendMenuW(found->second.handle, MF_STRING, static_cast<UINT_PTR>(command),
              wide_of(text).c_str());
}

// The item is found by its command in the menu bar and its menus, and in the pop-up menu.
void Win32WindowSystem::set_menu_item_checked(int window, int command, bool checked) {
  const Window* w = state_->window_of(window);
  if (w == nullptr) return;
  const auto mark = static_cast<UINT>(MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  for (const HMENU menu : {w->bar, w->popup}) {
    if (menu != nullptr) CheckMenuItem(menu, static_cast<UINT>(command), mark);
  }
}

void Win32WindowSystem::add_menu_separator(int menu) {
  const auto found = state_->menus.find(menu);
  if (found != state_->menus.end()) AppendMenuW(found->second.handle, MF_SEPARATOR, 0, nullptr);
}

int Win32WindowSystem::popup_menu(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr) return 0;
  for (auto it = s.menus.begin(); it != s.menus.end(); ++it) {
    if (it->second.handle == w->popup) {
      s.menus.erase(it);
      break;
    }
  }
  if (w->popup != nullptr) DestroyMenu(w->popup);
  w->popup = CreatePopupMenu();
  const int handle = s.next_menu++;
  s.menus[handle] = {w->popup, window};
  return handle;
}

void Win32WindowSystem::show_popup_menu(int window) {
  State& s = *state_;
  Window* w = s.window_of(window);
  if (w == nullptr || w->popup == nullptr) return;
  // The menu opens at the focused control, as the context-menu key opens it.
  RECT at{};
  const HWND focus = GetFocus();
  GetWindowRect(focus != nullptr && IsChild(w->hwnd, focus) ? focus : w->hwnd, &at);
  const auto command =
      static_cast<int>(TrackPopupMenu(w->popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                      at.left, at.top, 0, w->hwnd, nullptr));
  if (command != 0) s.post({.kind = RawEvent::Kind::command, .window = window, .id = command});
}

void Win32WindowSystem::add_shortcut(int window, int shortcut, int command) {
  if (Window* w = state_->window_of(window)) w->shortcuts[shortcut] = command;
}

void Win32WindowSystem::remove_shortcut(int window, int shortcut) {
  if (Window* w = state_->window_of(window)) w->shortcuts.erase(shortcut);
}

void Win32WindowSystem::start_timer(int window, int id, int interval_ms) {
  if (Window* w = state_->window_of(window)) {
    SetTimer(w->hwnd, static_cast<UINT_PTR>(id), static_cast<UINT>(std::max(interval_ms, 1)),
             nullptr);
  }
}

void Win32WindowSystem::stop_timer(int window, int id) {
  if (Window* w = state_->window_of(window)) KillTimer(w->hwnd, static_cast<UINT_PTR>(id));
}

namespace {

// The tray's picture: an icon file, or a bitmap (the program's "bg.bmp") made into an icon; the
// system's application icon when neither loads.
HICON icon_of(std::string_view image) {
  const std::wstring file = wide_of(image);
  if (auto* icon = static_cast<HICON>(
          LoadImageW(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE))) {
    return icon;
  }
  HICON made = nullptr;
  if (auto* picture = static_cast<HBITMAP>(
          LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE))) {
    BITMAP size{};
    GetObjectW(picture, sizeof size, &size);
    // A mask of zeros: every pixel of the picture shows.
    const std::vector<BYTE> zeros(
        static_cast<std::size_t>((size.bmWidth + 15) / 16 * 2 * size.bmHeight));
    const HBITMAP opaque = CreateBitmap(size.bmWidth, size.bmHeight, 1, 1, zeros.data());
    ICONINFO parts{TRUE, 0, 0, opaque, picture};
    made = CreateIconIndirect(&parts);
    DeleteObject(opaque);
    DeleteObject(picture);
  }
  return made != nullptr ? made
                         : CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
}

}  // namespace

void Win32WindowSystem::set_tray_icon(int icon, std::string_view image, std::string_view tooltip) {
  State& s = *state_;
  const bool known = s.tray.count(icon) != 0;
  TrayIcon& tray_icon = s.tray[icon];
  NOTIFYICONDATAW& data = tray_icon.data;
  data.cbSize = sizeof data;
  data.hWnd = s.tray_window;
  data.uID = static_cast<UINT>(icon);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  if (known && data.hIcon != nullptr) DestroyIcon(data.hIcon);
  data.hIcon = icon_of(image);
  const std::wstring tip = wide_of(tooltip).substr(0, std::size(data.szTip) - 1);
  std::fill(std::begin(data.szTip), std::end(data.szTip), L'\0');
  std::copy(tip.begin(), tip.end(), data.szTip);
  // An icon the area refused is offered again at the next change.
  tray_icon.shown = Shell_NotifyIconW(known && tray_icon.shown ? NIM_MODIFY : NIM_ADD, &data) != 0;
}

void Win32WindowSystem::remove_tray_icon(int icon) {
  State& s = *state_;
  const auto found = s.tray.find(icon);
  if (found == s.tray.end()) return;
  if (found->second.shown) Shell_NotifyIconW(NIM_DELETE, &found->second.data);
  DestroyIcon(found->second.data.hIcon);
  s.tray.erase(found);
}

bool Win32WindowSystem::tray_icon_shown(int icon) const {
  const auto found = state_->tray.find(icon);
  return found != state_->tray.end() && found->second.shown;
}

std::uint16_t Win32WindowSystem::key_state(int key) const {
  // The key held now: the high bit. The low bit only says it went down since someone last asked,
  // which would report a key long released as held.
  return static_cast<std::uint16_t>(GetAsyncKeyState(key) & 0x8000);
}

void Win32WindowSystem::synthesize_key(int key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(key);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
  const bool extended = (key >= vk::page_up && key <= 46) || key == vk::right_control ||
                        key == 165 || key == 111 || key == 144;
  input.ki.dwFlags = (down ? 0u : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0u);
  SendInput(1, &input, sizeof input);
}

void* Win32WindowSystem::native_window(int window) const {
  const Window* w = state_->window_of(window);
  return w == nullptr ? nullptr : w->hwnd;
}

void* Win32WindowSystem::native_control(int window, int number) const {
  const Control* c = state_->control_of(window, number);
  return c == nullptr ? nullptr : c->hwnd;
}

bool Win32WindowSystem::events_pending() const {
  MSG message;
  // Any message but painting and the timers, which tell nothing of the user: the timers that make
  // an edit's caret blink come without end, and the program's own are the dialog layer's to count.
  constexpr UINT kCaretTimer = 0x118;  // WM_SYSTIMER
  constexpr std::pair<UINT, UINT> kTold[] = {
      {0, WM_PAINT - 1}, {WM_PAINT + 1, WM_TIMER - 1}, {kCaretTimer + 1, 0xFFFF}};
  return !state_->queue.empty() ||
         std::any_of(std::begin(kTold), std::end(kTold), [&](const std::pair<UINT, UINT>& range) {
           return PeekMessageW(&message, nullptr, range.first, range.second, PM_NOREMOVE) != 0;
         });
}

RawEvent Win32WindowSystem::wait_event(int timeout_ms) {
  State& s = *state_;
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (s.queue.empty() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!s.pre_translate(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      // Input that the controls take in alone (Tab moving the focus, Return typed into an
      // editor) ends the wait too, even one without a limit, for the caller to see what changed.
      if (s.queue.empty() && is_input(message.message)) return {};
    }
    if (!s.queue.empty()) {
      const RawEvent event = s.queue.front();
      s.queue.pop_front();
      return event;
    }
    DWORD wait = INFINITE;
    if (timeout_ms >= 0) {
      const DWORD waited = GetTickCount() - start;
      if (waited >= static_cast<DWORD>(timeout_ms)) return {};
      wait = static_cast<DWORD>(timeout_ms) - waited;
    }
    const HANDLE change = s.file_watch ? s.file_watch->handle() : nullptr;
    const DWORD woken =
        MsgWaitForMultipleObjects(change != nullptr ? 1 : 0, &change, FALSE, wait, QS_ALLINPUT);
    if (change != nullptr && woken == WAIT_OBJECT_0 && s.file_watch->changed()) {
      s.post({.kind = RawEvent::Kind::file});
    }
  }
}

namespace {

void drop_events(std::deque<RawEvent>& queue, RawEvent::Kind kind) {
  std::erase_if(queue, [kind](const RawEvent& e) { return e.kind == kind; });
}

}  // namespace

void Win32WindowSystem::watch_file(const std::filesystem::path& file) {
  State& s = *state_;
  if (file.empty()) drop_events(s.queue, RawEvent::Kind::file);
  if (!s.file_watch) {
    if (file.empty()) return;
    s.file_watch = std::make_unique<FileWatch>();
  }
  if (s.file_watch->watch(file)) s.post({.kind = RawEvent::Kind::file});
}

void Win32WindowSystem::watch_desktop_key(int key) {
  State& s = *state_;
  if (key == 0) drop_events(s.queue, RawEvent::Kind::desktop_key);
  if (!s.key_watch) {
    if (key == 0) return;
    s.key_watch = std::make_unique<DesktopKeyWatch>(
        [&s](int pressed) { s.post({.kind = RawEvent::Kind::desktop_key, .key = pressed}); });
  }
  s.key_watch->watch(key);
}

namespace {

// The window the standard dialogs belong to: the program's active window, if any.
HWND owner_window(const Win32WindowSystem::State& s) {
  const HWND active = GetActiveWindow();
  return active != nullptr && s.number_of(active) != 0 ? active : nullptr;
}

// The small window of the input box; it ends its loop with the button that closed it.
struct InputBox {
  HWND window = nullptr;
  HWND field = nullptr;
  int answer = 0;  // IDOK or IDCANCEL once closed
};

LRESULT CALLBACK input_procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* box = reinterpret_cast<InputBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (box != nullptr && message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    box->answer = LOWORD(w);
    return 0;
  }
  if (box != nullptr && message == WM_CLOSE) {
    box->answer = IDCANCEL;
    return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

HWND add_child(HWND parent, const wchar_t* window_class, const std::wstring& text, DWORD style,
               int id, RECT at, HFONT font) {
  const HWND child = CreateWindowExW(window_class == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0,
                                     window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                     at.left, at.top, at.right - at.left, at.bottom - at.top,
                                     parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return child;
}

// "*.wav;*.ogg" as the open and save dialogs take it: its description, then its patterns.
std::wstring filter_of(std::string_view pattern) {
  const std::wstring patterns = wide_of(pattern.empty() ? "*.*" : pattern);
  return patterns + L'\0' + patterns + L'\0' + L'\0';
}

struct FileChoice {
  std::wstring buffer = std::wstring(32768, L'\0');
  std::wstring title;
  std::wstring filter;
  std::wstring folder;
  OPENFILENAMEW dialog{};
};

void prepare(FileChoice& choice, HWND owner, std::string_view title, std::string_view pattern,
             std::string_view folder, DWORD flags) {
  choice.title = wide_of(title);
  choice.filter = filter_of(pattern);
  choice.folder = wide_of(folder);
  choice.dialog.lStructSize = sizeof choice.dialog;
  choice.dialog.hwndOwner = owner;
  choice.dialog.lpstrFilter = choice.filter.c_str();
  choice.dialog.lpstrFile = choice.buffer.data();
  choice.dialog.nMaxFile = static_cast<DWORD>(choice.buffer.size());
  choice.dialog.lpstrTitle = choice.title.c_str();
  choice.dialog.lpstrInitialDir = choice.folder.empty() ? nullptr : choice.folder.c_str();
  choice.dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | flags;
}

}  // namespace

void Win32WindowSystem::message_box(std::string_view title, std::string_view text) {
  MessageBoxW(owner_window(*state_), with_line_ends(text).c_str(), wide_of(title).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

namespace {

// Windows names the buttons of its boxes in its own language; the program speaks French
// whatever that is, and "Oui" and "Non" answer to their letters.
LRESULT CALLBACK name_buttons_in_french(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(w);
    SetDlgItemTextW(box, IDYES, L"&Oui");
    SetDlgItemTextW(box, IDNO, L"&Non");
  }
  return CallNextHookEx(nullptr, code, w, l);
}

}  // namespace

bool Win32WindowSystem::yes_no_box(std::string_view title, std::string_view text) {
  const HHOOK naming =
      SetWindowsHookExW(WH_CBT, name_buttons_in_french, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(owner_window(*state_), with_line_ends(text).c_str(),
                                 wide_of(title).c_str(), MB_YESNO | MB_ICONQUESTION);
  if (naming != nullptr) UnhookWindowsHookEx(naming);
  return answer == IDYES;
}

std::optional<std::string> Win32WindowSystem::input_box(std::string_view title,
                                                        std::string_view prompt,
                                                        std::string_view preset) {
  static const bool registered = [] {
    WNDCLASSEXW box{};
    box.cbSize = sizeof box;
    box.lpfnWndProc = input_procedure;
    box.hInstance = GetModuleHandleW(nullptr);
    box.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    box.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    box.lpszClassName = L"TaveloSaisie";
    return RegisterClassExW(&box) != 0;
  }();
  if (!registered) return std::nullopt;
  const HWND owner = owner_window(*state_);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT outer{0, 0, 360, 130};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  InputBox box;
  box.window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, L"TaveloSaisie",
                               wide_of(title).c_str(), style, (desktop_width() - width) / 2,
                               (desktop_height() - height) / 2, width, height, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (box.window == nullptr) return std::nullopt;
  SetWindowLongPtrW(box.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  const HFONT font = state_->font;
  add_child(box.window, L"STATIC", wide_of(prompt), SS_LEFT, -1, {10, 10, 350, 44}, font);
  box.field = add_child(box.window, L"EDIT", wide_of(preset), ES_AUTOHSCROLL | WS_TABSTOP, 100,
                        {10, 48, 350, 72}, font);
  add_child(box.window, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, {170, 88, 255, 116},
            font);
  add_child(box.window, L"BUTTON", L"Annuler", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
            {265, 88, 350, 116}, font);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(box.window, SW_SHOW);
  SetForegroundWindow(box.window);
  SetFocus(box.field);
  SendMessageW(box.field, EM_SETSEL, 0, -1);
  MSG message;
  while (box.answer == 0 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(box.window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  const std::string text = utf8_of(text_of(box.field));
  if (owner != nullptr) EnableWindow(owner, TRUE);
  DestroyWindow(box.window);
  if (owner != nullptr) SetForegroundWindow(owner);
  if (box.answer != IDOK) return std::nullopt;
  return text;
}

std::optional<std::string> Win32WindowSystem::open_file_dialog(std::string_view title,
                                                               std::string_view pattern,
                                                               std::string_view folder) {
  FileChoice choice;
  prepare(choice, owner_window(*state_), title, pattern, folder, OFN_FILEMUSTEXIST);
  if (!GetOpenFileNameW(&choice.dialog)) return std::nullopt;
  return utf8_of(choice.buffer.c_str());
}

std::vector<std::string> Win32WindowSystem::open_files_dialog(std::string_view title,
                                                              std::string_view pattern,
                                                              std::string_view folder) {
  FileChoice choice;
  prepare(choice, owner_window(*state_), title, pattern, folder,
          OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  if (!GetOpenFileNameW(&choice.dialog)) return {};
  // One file: its full path. Several: the folder, then each name, each ended by a zero.
  std::vector<std::wstring> parts;
  for (const wchar_t* part = choice.buffer.c_str(); *part != L'\0'; part += wcslen(part) + 1) {
    parts.emplace_back(part);
  }
  std::vector<std::string> files;
  if (parts.size() == 1) files.push_back(utf8_of(parts[0]));
  for (std::size_t i = 1; i < parts.size(); ++i) {
    files.push_back(utf8_of(parts[0] + L"\\" + parts[i]));
  }
  return files;
}

std::optional<std::string> Win32WindowSystem::save_file_dialog(std::string_view title,
                                                               std::string_view pattern,
                                                               std::string_view folder,
                                                               std::string_view proposed_name) {
  FileChoice choice;
  const std::wstring proposed = wide_of(proposed_name).substr(0, choice.buffer.size() - 1);
  std::copy(proposed.begin(), proposed.end(), choice.buffer.begin());
  prepare(choice, owner_window(*state_), title, pattern, folder, OFN_OVERWRITEPROMPT);
  if (!GetSaveFileNameW(&choice.dialog)) return std::nullopt;
  return utf8_of(choice.buffer.c_str());
}

std::optional<std::string> Win32WindowSystem::folder_dialog(std::string_view title) {
  const std::wstring wide_title = wide_of(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner_window(*state_);
  browse.lpszTitle = wide_title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  std::optional<std::string> folder;
  if (chosen != nullptr) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) folder = utf8_of(path);
    CoTaskMemFree(chosen);
  }
  CoUninitialize();
  return folder;
}

}  // namespace tavelo
