// Message maps: constant tables that route a message (with its notification code and
// control id) to a member function, the way the pages, the sheet and the controls read them.
//
// A class lists its entries in a static table and routes through it from its OnMessage:
//
//   static constexpr MessageEntry<CMyPage> kMap[] = {
//       OnClicked<&CMyPage::OnBrowse>(1009),
//       OnReflectedCommand<&CMyLabel::OnClicked>(STN_CLICKED),
//   };
//   bool OnMessage(...) override { return RouteMessage(*this, kMap, ...) || Base::OnMessage(...); }
#pragma once

#include <windows.h>

#include <cstddef>

// Notifications that a parent hands back to the child control they came from.
constexpr UINT kReflectBase = WM_USER + 0x1C00;
constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;
constexpr UINT kReflectedCtlColorStatic = kReflectBase + WM_CTLCOLORSTATIC;

template <class T>
struct MessageEntry {
  UINT message;
  UINT code;  // notification code of a command; ignored for other messages
  UINT id;    // control id of a command; 0 matches every control
  // Returns true when the message was handled; result is what its sender gets.
  bool (*call)(T& self, WPARAM wParam, LPARAM lParam, LRESULT& result);

  bool Matches(UINT msg, WPARAM wParam) const {
    if (msg != message) return false;
    if (msg != WM_COMMAND && msg != kReflectedCommand) return true;
    return HIWORD(wParam) == code && (id == 0 || LOWORD(wParam) == id);
  }
};

template <class>
struct MemberOf;
template <class T, class R, class... Args>
struct MemberOf<R (T::*)(Args...)> {
  using type = T;
};
template <auto F>
using ClassOf = typename MemberOf<decltype(F)>::type;

// BN_CLICKED of one control: void Handler().
template <auto F>
constexpr MessageEntry<ClassOf<F>> OnClicked(UINT id) {
  return {WM_COMMAND, BN_CLICKED, id, [](ClassOf<F>& self, WPARAM, LPARAM, LRESULT& result) {
            (self.*F)();
            result = 0;
            return true;
          }};
}

// A command notification that the parent reflected to this control: void Handler().
template <auto F>
constexpr MessageEntry<ClassOf<F>> OnReflectedCommand(UINT code) {
  return {kReflectedCommand, code, 0, [](ClassOf<F>& self, WPARAM, LPARAM, LRESULT& result) {
            (self.*F)();
            result = 1;
            return true;
          }};
}

// WM_CTLCOLORSTATIC reflected from the parent: HBRUSH Handler(HDC). A null brush leaves the
// colours to the parent.
template <auto F>
constexpr MessageEntry<ClassOf<F>> OnReflectedCtlColor() {
  return {kReflectedCtlColorStatic, 0, 0,
          [](ClassOf<F>& self, WPARAM wParam, LPARAM, LRESULT& result) {
            HBRUSH brush = (self.*F)(reinterpret_cast<HDC>(wParam));
            result = reinterpret_cast<LRESULT>(brush);
            return brush != nullptr;
          }};
}

// WM_SYSCOMMAND: void Handler(UINT command, LPARAM). The handler passes the command on
// itself when it wants the default processing.
template <auto F>
constexpr MessageEntry<ClassOf<F>> OnSysCommandMessage() {
  return {WM_SYSCOMMAND, 0, 0, [](ClassOf<F>& self, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result) {
            (self.*F)(static_cast<UINT>(wParam), lParam);
            result = 0;
            return true;
          }};
}

// Any message: bool Handler(WPARAM, LPARAM, LRESULT& result), true when handled.
template <auto F>
constexpr MessageEntry<ClassOf<F>> OnAnyMessage(UINT message) {
  return {message, 0, 0, [](ClassOf<F>& self, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return (self.*F)(wParam, lParam, result);
          }};
}

// Runs the first entry that matches; false when none does or its handler declined.
template <class T, size_t N>
bool RouteMessage(T& self, const MessageEntry<T> (&map)[N], UINT message, WPARAM wParam,
                  LPARAM lParam, LRESULT& result) {
  for (const MessageEntry<T>& entry : map)
    if (entry.Matches(message, wParam)) return entry.call(self, wParam, lParam, result);
  return false;
}
