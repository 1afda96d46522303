#include "app/help_dialog.h"

INT_PTR CALLBACK help_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;  // let the system give the default button the focus
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK:
                    EndDialog(dialog, IDOK);
                    break;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    break;
                default:
                    break;
            }
            return TRUE;
        default:
            return FALSE;
    }
}
