// The drawing view's mouse: presses, moves, releases and double clicks.
#pragma once

#include <windows.h>

// A left or right press while no drag is under way.
void OnViewButtonDown(HWND view, WPARAM keys, POINT point, BOOL right);
// A move while a drag is under way.
void OnViewMouseMove(HWND view, WPARAM keys, POINT point);
// A left or right release while a drag is under way.
void OnViewButtonUp(HWND view, WPARAM keys, POINT point);
// A left double click.
void OnViewDoubleClick(HWND view, WPARAM keys, POINT point);
