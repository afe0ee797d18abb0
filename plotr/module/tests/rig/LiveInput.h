#pragma once
// Real input for window tests: key presses, clicks, drags and wheel turns go through the X
// server (XTest under Xvfb), so focus, the controls' own key handling and the update passes lie
// in their path exactly as for a user. Waiting runs the pending events without a loop of its own,
// so a modal dialog or popup opened by an action can be driven from a modal script and still end
// its own loop. UI thread only.

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/menuitem.h>
#include <wx/string.h>
#include <wx/window.h>

#include <functional>
#include <string>

namespace live {

// Runs the UI thread's events for about `ms` milliseconds.
void Pump(int ms);
// Runs events until `done` holds or `ms` pass; the last answer of `done`.
bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
// Lets the X server deliver what was sent and the windows handle it (events, idle, paints).
void Settle();

// Runs events until `window` and every window in it keep their places and sizes on the screen:
// a window just shown or resized is laid out by the toolkit over several passes, which a loaded
// machine spreads out, and a point taken before they are through is another spot by the time its
// event arrives. False when the layout still moved after `ms`.
bool WaitUntilLaidOut(const wxWindow* window, int ms = 5000);

// Runs `action` once after `ms` in whichever loop runs then, a popup menu's or a dialog's own
// loop included: how a test answers what its next click will open.
void After(int ms, std::function<void()> action);

// Runs `action` once `ready` holds, or once `ms` have passed (the action looks for itself),
// asking every 50 ms from whichever loop runs then and never waiting inside one: how a test meets
// a window that opens only after the loop it is in has ended, like a dialog opened by a command
// of a popup menu or a box that follows a dialog.
void AfterUntil(std::function<bool()> ready, std::function<void()> action, int ms = 10000);

// Keys: a wx key code (WXK_* or a character) with wxMOD_* modifiers, pressed and released.
void Key(int keyCode, int modifiers = 0);
// Sends a lower-case letter or digit key and returns at once, without running any events: for an
// action of After() that answers a popup menu, whose loop must get the key itself.
void SendKeyNow(char key);
// The same for a key by its X name ("Down", "Escape").
void SendNamedKeyNow(const char* keysym);
// True while a popup menu (or any other window) holds the keyboard.
bool KeyboardGrabbed();
// Moves the pointer to a screen point and clicks there at once, without running any events: for
// an action of After() that clicks into a popup menu.
void ClickNow(wxPoint screen);
// Picks the item with this underlined letter from the popup menu the next action opens, once
// the popup holds the keyboard (a loaded machine may take a while to show it); with a
// `screenshot` name the screen is saved under it first, the popup showing.
void ChooseFromNextPopup(char mnemonic, const std::string& screenshot = {});
// Presses a key by its X name ("Escape") in the popup the next action opens, once it holds the
// keyboard.
void PressInNextPopup(const std::string& keyName);
// Types printable ASCII text key by key.
void Type(const std::string& text);

// The centre of a window, in its client coordinates.
wxPoint Centre(const wxWindow* window);
// Moves the pointer over `at` (client coordinates of `window`) and clicks.
void Click(const wxWindow* window, wxPoint at, int button = wxMOUSE_BTN_LEFT);
inline void Click(const wxWindow* window) { Click(window, Centre(window)); }
void DoubleClick(const wxWindow* window, wxPoint at);
// False (and a test failure) when the point lies off the screen, where the pointer cannot go: the
// server would stop it at the edge, over some other window.
bool MoveTo(const wxWindow* window, wxPoint at);
// Presses or releases a button, the pointer over `at` for the press.
void Press(const wxWindow* window, wxPoint at, int button = wxMOUSE_BTN_LEFT);
void Release(int button = wxMOUSE_BTN_LEFT);
// Presses the left button at `from` over `source`, moves in steps to `to` over `target` and
// releases there; `steps` intermediate moves let drag thresholds and drop targets see motion.
// A drag-and-drop loop that the source runs gets the moves too; `beforeRelease` runs over the
// target before the button comes up, inside that loop when there is one.
void Drag(const wxWindow* source, wxPoint from, const wxWindow* target, wxPoint to, int steps = 12,
          std::function<void()> beforeRelease = {});
// Wheel turns at `at` over `window`: positive away from the user.
void Wheel(const wxWindow* window, wxPoint at, int notches);

// Where an item of a popup menu that is up stands on the screen (empty while it is not shown).
wxRect MenuItemOnScreen(const wxMenuItem& item);

// The first window below `root` (itself included) named `name`, or of type T matching `pred`.
wxWindow* FindNamed(wxWindow* root, const wxString& name);
template <class T, class Pred>
T* FindWindowOf(wxWindow* root, Pred pred) {
  if (root == nullptr) return nullptr;
  if (auto* t = dynamic_cast<T*>(root); t != nullptr && pred(*t)) return t;
  for (wxWindow* child : root->GetChildren())
    if (T* found = FindWindowOf<T>(child, pred)) return found;
  return nullptr;
}
template <class T>
T* FindWindowOf(wxWindow* root) {
  return FindWindowOf<T>(root, [](const T&) { return true; });
}

// What the screen shows of `rect` (client coordinates of `window`), after pending paints.
wxImage GrabScreen(const wxWindow* window, const wxRect& rect);
wxImage GrabScreen(const wxWindow* window);
// Pixels of `image` that differ from `background` by more than `tolerance` in any channel.
int CountInk(const wxImage& image, const wxColour& background, int tolerance = 24);
// Pixels that differ between two grabs of one size (-1 when the sizes differ).
int CountChanged(const wxImage& a, const wxImage& b);
// The whole screen as a PNG in the build's screens folder; the path written (empty on failure).
std::string SaveScreenshot(const std::string& name);

}  // namespace live
