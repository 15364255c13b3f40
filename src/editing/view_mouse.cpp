// The drawing view's mouse.
#include "editing/view_mouse.h"

void OnViewButtonDown(HWND, WPARAM, POINT, BOOL) {}
void OnViewMouseMove(HWND, WPARAM, POINT) {}
void OnViewButtonUp(HWND, WPARAM, POINT) {}
void OnViewDoubleClick(HWND, WPARAM, POINT) {}
