// The base of the custom labels: an object attached to an existing static control.
//
// Classes in this file:
//   CStatic  subclasses one control (SetWindowSubclass with the object as reference data),
//            routes its messages through OnMessage and lets go in WM_NCDESTROY
#pragma once

#include <windows.h>

#include "framework/window.h"

class CStatic : public CWnd {
 public:
  CStatic() = default;
  ~CStatic() override;

  // Attaches the object to the control; false when it already has a window or the
  // control is missing.
  bool SubclassWindow(HWND control);
  // Destroys the control's window.
  virtual BOOL DestroyWindow();

  // What a parent does with a notification from one of its controls: hands it to the
  // control as a reflected message. Returns the control's answer, 0 when it did not want it.
  static LRESULT ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Runs once the object is attached, before any message of the control reaches it.
  virtual void PreSubclassWindow() {}
  // Return true when the message was handled; result is what the sender gets.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The control's own processing of the message being handled.
  LRESULT Default();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Detach();

  UINT currentMessage_ = 0;
  WPARAM currentWParam_ = 0;
  LPARAM currentLParam_ = 0;
};
