#include "plotr/module/tests/rig/LiveInput.h"

// Before the X headers, whose macros (None, Bool) its templates would meet.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <glib.h>
#include <X11/extensions/XTest.h>
#include <wx/app.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace live {
namespace {

// Our own connection for what wxUIActionSimulator cannot send (wheel buttons); events from any
// client reach the windows alike.
Display* XTestDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

void SendButton(unsigned xButton) {
  if (Display* d = XTestDisplay()) {
    XTestFakeButtonEvent(d, xButton, True, CurrentTime);
    XTestFakeButtonEvent(d, xButton, False, CurrentTime);
    XSync(d, False);
  }
}

// Runs the main context's sources (X events, timers, wx's idle and pending events) for `ms`
// without a loop object of its own: a dialog ended meanwhile quits its own modal loop, which a
// nested wx loop would take for itself.
void RunEventsFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
}


wxPoint ToScreen(const wxWindow* window, wxPoint at) { return window->ClientToScreen(at); }

int MaskShift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// The server's pixels of a screen rectangle, read by our own connection: wx's screen DC can hand
// back an older copy of the screen under GTK 3. What lies off the screen stays black.
wxImage GrabRoot(wxPoint origin, wxSize size) {
  wxImage image(std::max(size.x, 1), std::max(size.y, 1));
  Display* d = XTestDisplay();
  if (d == nullptr) return image;
  XSync(d, False);
  const int screen = DefaultScreen(d);
  const int left = std::max(origin.x, 0), top = std::max(origin.y, 0);
  const int right = std::min(origin.x + size.x, DisplayWidth(d, screen));
  const int bottom = std::min(origin.y + size.y, DisplayHeight(d, screen));
  if (right <= left || bottom <= top) return image;
  XImage* shot = XGetImage(d, DefaultRootWindow(d), left, top, static_cast<unsigned>(right - left),
                           static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (shot == nullptr) return image;
  const int rs = MaskShift(shot->red_mask), gs = MaskShift(shot->green_mask), bs = MaskShift(shot->blue_mask);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const unsigned long p = XGetPixel(shot, x - left, y - top);
      image.SetRGB(x - origin.x, y - origin.y, static_cast<unsigned char>((p & shot->red_mask) >> rs),
                   static_cast<unsigned char>((p & shot->green_mask) >> gs),
                   static_cast<unsigned char>((p & shot->blue_mask) >> bs));
    }
  }
  XDestroyImage(shot);
  return image;
}

}  // namespace

// Whether another client holds the keyboard: a grab of our own is refused then.
bool KeyboardGrabbed() {
  Display* d = XTestDisplay();
  if (d == nullptr) return false;
  const int result = XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
  if (result == GrabSuccess) {
    XUngrabKeyboard(d, CurrentTime);
    XSync(d, False);
  }
  return result == AlreadyGrabbed;
}

void Pump(int ms) {
  RunEventsFor(ms);
  if (wxTheApp) wxTheApp->ProcessIdle();
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (done()) return true;
    Pump(10);
  }
  return done();
}

void After(int ms, std::function<void()> action) {
  auto* timer = new wxTimer;
  timer->Bind(wxEVT_TIMER, [timer, action = std::move(action)](wxTimerEvent&) {
    // The timer goes once the action is over, not under its own event.
    action();
    wxTheApp->CallAfter([timer] { delete timer; });
  });
  timer->StartOnce(std::max(ms, 1));
}

void AfterUntil(std::function<bool()> ready, std::function<void()> action, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  struct Poll {
    std::function<bool()> ready;
    std::function<void()> action;
    std::chrono::steady_clock::time_point end;
    void operator()() const {
      if (ready() || std::chrono::steady_clock::now() >= end)
        action();
      else
        After(50, *this);
    }
  };
  After(50, Poll{std::move(ready), std::move(action), end});
}

namespace {

// Where the window and everything in it stand on the screen, as the toolkit has placed them;
// tips and dialogs it owns come and go on their own.
std::vector<wxRect> Placement(const wxWindow* window) {
  std::vector<wxRect> rects{wxRect(window->ClientToScreen(wxPoint(0, 0)), window->GetClientSize())};
  for (const wxWindow* child : window->GetChildren()) {
    if (!child->IsShown() || child->IsTopLevel()) continue;
    const std::vector<wxRect> inner = Placement(child);
    rects.insert(rects.end(), inner.begin(), inner.end());
  }
  return rects;
}

}  // namespace

bool WaitUntilLaidOut(const wxWindow* window, int ms) {
  // Three looks in a row at the same places, the pending events run between them.
  std::vector<wxRect> last = Placement(window);
  int same = 0;
  for (int waited = 0; waited < ms && same < 3; waited += 50) {
    Pump(50);
    std::vector<wxRect> now = Placement(window);
    same = now == last ? same + 1 : 0;
    last = std::move(now);
  }
  return same >= 3;
}

void Settle() {
  if (Display* d = XTestDisplay()) XSync(d, False);
  Pump(30);
}

void Key(int keyCode, int modifiers) {
  wxUIActionSimulator sim;
  sim.Char(keyCode, modifiers);
  Settle();
}

void SendKeyNow(char key) {
  const char name[2] = {key, 0};
  SendNamedKeyNow(name);
}

void SendNamedKeyNow(const char* keysym) {
  Display* d = XTestDisplay();
  if (d == nullptr) return;
  const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  XFlush(d);
}

void ClickNow(wxPoint screen) {
  Display* d = XTestDisplay();
  if (d == nullptr) return;
  XTestFakeMotionEvent(d, -1, screen.x, screen.y, CurrentTime);
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XFlush(d);
}

wxRect MenuItemOnScreen(const wxMenuItem& item) {
  // The toolkit is loaded with wx; its few calls are looked up there rather than built against.
  struct Allocation {
    int x, y, width, height;
  };
  using Mapped = int (*)(GtkWidget*);
  using GetAllocation = void (*)(GtkWidget*, Allocation*);
  using GetWindow = void* (*)(GtkWidget*);
  using GetOrigin = int (*)(void*, int*, int*);
  static const auto mapped = reinterpret_cast<Mapped>(dlsym(RTLD_DEFAULT, "gtk_widget_get_mapped"));
  static const auto allocation = reinterpret_cast<GetAllocation>(dlsym(RTLD_DEFAULT, "gtk_widget_get_allocation"));
  static const auto window = reinterpret_cast<GetWindow>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static const auto origin = reinterpret_cast<GetOrigin>(dlsym(RTLD_DEFAULT, "gdk_window_get_origin"));
  GtkWidget* widget = item.GetMenuItem();
  if (widget == nullptr || !mapped || !allocation || !window || !origin || !mapped(widget)) return {};
  Allocation a{};
  allocation(widget, &a);
  int x = 0, y = 0;
  origin(window(widget), &x, &y);
  return wxRect(x + a.x, y + a.y, a.width, a.height);
}

namespace {

// A disabled item leaves the popup up, holding the keyboard: it goes, and the test sees the
// command not run instead of waiting for its deadline.
void CloseIfStillUp() {
  After(1000, [] {
    Display* d = XTestDisplay();
    if (d == nullptr || !KeyboardGrabbed()) return;
    const KeyCode escape = XKeysymToKeycode(d, XK_Escape);
    XTestFakeKeyEvent(d, escape, True, CurrentTime);
    XTestFakeKeyEvent(d, escape, False, CurrentTime);
    XFlush(d);
  });
}

}  // namespace

void ChooseFromNextPopup(char mnemonic, const std::string& screenshot) {
  // A popup menu holds the keyboard grab while it is up; the first check comes before the click.
  struct Chooser {
    char key;
    int triesLeft;
    std::string screenshot;
    void operator()() {
      if (KeyboardGrabbed()) {
        if (!screenshot.empty()) {
          // The grab comes before the menu's first paint.
          After(300, [key = key, name = screenshot] {
            SaveScreenshot(name);
            SendKeyNow(key);
            CloseIfStillUp();
          });
          return;
        }
        SendKeyNow(key);
        CloseIfStillUp();
      } else if (--triesLeft > 0) {
        After(50, *this);
      }
    }
  };
  After(50, Chooser{mnemonic, 200, screenshot});
}

void PressInNextPopup(const std::string& keyName) {
  struct Presser {
    std::string key;
    int triesLeft;
    void operator()() {
      if (KeyboardGrabbed()) {
        SendNamedKeyNow(key.c_str());
      } else if (--triesLeft > 0) {
        After(50, *this);
      }
    }
  };
  After(50, Presser{keyName, 200});
}

void Type(const std::string& text) {
  Display* d = XTestDisplay();
  if (d == nullptr) return;
  const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
  for (const char c : text) {
    // Printable ASCII characters are their own keysyms; the shifted ones sit in a key's second place.
    const KeySym sym = static_cast<unsigned char>(c);
    const KeyCode code = XKeysymToKeycode(d, sym);
    if (code == 0) continue;
    const bool shifted = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
    if (shifted) XTestFakeKeyEvent(d, shift, True, CurrentTime);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(d, shift, False, CurrentTime);
    XSync(d, False);
    Pump(3);
  }
  Settle();
}

wxPoint Centre(const wxWindow* window) {
  const wxSize size = window->GetClientSize();
  return {size.x / 2, size.y / 2};
}

bool MoveTo(const wxWindow* window, wxPoint at) {
  Display* d = XTestDisplay();
  const wxRect screen = d != nullptr ? wxRect(0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d)))
                                     : wxRect(wxPoint(0, 0), wxGetDisplaySize());
  wxPoint target = ToScreen(window, at);
  // A window that moves while the pointer goes (its layout still settling) gets it at another
  // spot: the pointer follows until the window stands where it stood when the pointer arrived.
  for (int moves = 0; moves < 20; ++moves) {
    if (!screen.Contains(target)) {
      ADD_FAILURE() << "the point " << at.x << "," << at.y << " of " << window->GetName() << " lies off the screen, at "
                    << target.x << "," << target.y;
      return false;
    }
    wxUIActionSimulator sim;
    sim.MouseMove(target);
    Settle();
    const wxPoint now = ToScreen(window, at);
    if (now == target) return true;
    target = now;
  }
  return true;
}

void Click(const wxWindow* window, wxPoint at, int button) {
  if (!MoveTo(window, at)) return;
  wxUIActionSimulator sim;
  sim.MouseClick(button);
  Settle();
}

void DoubleClick(const wxWindow* window, wxPoint at) {
  if (!MoveTo(window, at)) return;
  wxUIActionSimulator sim;
  sim.MouseDblClick();
  Settle();
}

void Press(const wxWindow* window, wxPoint at, int button) {
  if (!MoveTo(window, at)) return;
  wxUIActionSimulator sim;
  sim.MouseDown(button);
  Settle();
}

void Release(int button) {
  wxUIActionSimulator sim;
  sim.MouseUp(button);
  Settle();
}

void Drag(const wxWindow* source, wxPoint from, const wxWindow* target, wxPoint to, int steps,
          std::function<void()> beforeRelease) {
  if (!MoveTo(source, from)) return;
  const wxPoint a = ToScreen(source, from);
  const wxPoint b = ToScreen(target, to);
  wxUIActionSimulator sim;
  sim.MouseDown();
  Pump(20);
  // The moves and the release go from timers, sent straight to the server without waiting for
  // their events: a source that starts drag and drop is inside the drop loop from one of the
  // first moves on, and only that loop runs what comes next.
  auto released = std::make_shared<bool>(false);
  auto next = std::make_shared<std::function<void(int)>>();
  *next = [=](int i) {
    Display* d = XTestDisplay();
    if (i <= steps) {
      // The target answers the last move before the drop.
      After(i == steps ? 100 : 20, [next, i] { (*next)(i + 1); });
      if (d != nullptr) {
        XTestFakeMotionEvent(d, -1, a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps, CurrentTime);
        XFlush(d);
      }
      return;
    }
    if (beforeRelease) beforeRelease();
    if (d != nullptr) {
      XTestFakeButtonEvent(d, 1, False, CurrentTime);
      XFlush(d);
    }
    *released = true;
    // The chain holds itself; it goes once it has run out.
    wxTheApp->CallAfter([next] { *next = nullptr; });
  };
  After(20, [next] { (*next)(1); });
  PumpUntil([&] { return *released; }, 20 * steps + 10000);
  Settle();
}

void Wheel(const wxWindow* window, wxPoint at, int notches) {
  if (!MoveTo(window, at)) return;
  for (int i = 0; i < std::abs(notches); ++i) {
    SendButton(notches > 0 ? 4 : 5);
    Pump(10);
  }
  Settle();
}

wxWindow* FindNamed(wxWindow* root, const wxString& name) {
  return FindWindowOf<wxWindow>(root, [&](const wxWindow& w) { return w.GetName() == name; });
}

wxImage GrabScreen(const wxWindow* window, const wxRect& rect) {
  Settle();
  return GrabRoot(ToScreen(window, rect.GetPosition()), rect.GetSize());
}

wxImage GrabScreen(const wxWindow* window) {
  return GrabScreen(window, wxRect(wxPoint(0, 0), window->GetClientSize()));
}

int CountInk(const wxImage& image, const wxColour& background, int tolerance) {
  int ink = 0;
  const unsigned char* p = image.GetData();
  for (int i = 0, n = image.GetWidth() * image.GetHeight(); i < n; ++i, p += 3)
    if (std::abs(p[0] - background.Red()) > tolerance || std::abs(p[1] - background.Green()) > tolerance ||
        std::abs(p[2] - background.Blue()) > tolerance)
      ++ink;
  return ink;
}

int CountChanged(const wxImage& a, const wxImage& b) {
  if (a.GetSize() != b.GetSize()) return -1;
  int changed = 0;
  const unsigned char* p = a.GetData();
  const unsigned char* q = b.GetData();
  for (int i = 0, n = a.GetWidth() * a.GetHeight() * 3; i < n; i += 3)
    if (p[i] != q[i] || p[i + 1] != q[i + 1] || p[i + 2] != q[i + 2]) ++changed;
  return changed;
}

std::string SaveScreenshot(const std::string& name) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  const std::filesystem::path folder = CW_SCREENS_DIR;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Pump(200);
  Display* d = XTestDisplay();
  if (d == nullptr) return {};
  const int screen = DefaultScreen(d);
  const wxImage shot = GrabRoot(wxPoint(0, 0), wxSize(DisplayWidth(d, screen), DisplayHeight(d, screen)));
  const std::string path = (folder / (name + ".png")).string();
  return shot.SaveFile(path, wxBITMAP_TYPE_PNG) ? path : std::string();
}

}  // namespace live
