// The backdrop window and the page procedures.
#ifndef SCREENS_H
#define SCREENS_H

#include "../setup/state.h"

#define NAVY RGB(0, 0, 128)

// 0 when the class is registered, or the message of what failed.
UINT RegisterBackdropClass(void);

void CenterOnScreen(HWND window);
void SetStatusText(HWND dialog, int control, UINT string);
INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AgreementPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPanel(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK DirectoryPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
