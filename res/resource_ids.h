// Resource numbers, shared by the Windows resource script and the Linux build (which
// embeds the same files as byte arrays). Plain #defines so the resource compiler reads them.
#pragma once

// <windows.h> names a system cursor IDC_HAND; here the name is the program's cursor 136, so a
// Win32 file includes <windows.h> before this header.
#ifdef IDC_HAND
#undef IDC_HAND
#endif

#define IDS_APP_TITLE 103       // string: "Quorel"
#define IDD_ABOUT 103           // About dialog
#define IDM_ABOUT 104           // command: the About box (system menu, Alt+? and Alt+/)
#define IDM_EXIT 105            // command: close request, asks the exit question
#define IDI_APP 107             // program icon
#define IDI_APP_SMALL 108       // small program icon
#define IDS_WINDOW_CLASS 109    // string: "QUOREL"
#define IDA_ACCELERATORS 109    // accelerator table
#define IDC_HAND 136            // cursor over an entry, hot spot 12,1
#define IDC_PRESS 138           // cursor while the button is held, hot spot 13,7
#define IDW_CLICK 139           // sound: an item was started
#define IDW_PAGE 141            // sound: a page was turned, settings applied
#define IDW_HOVER 143           // sound: the pointer entered another entry
#define IDB_BACKWARD 144        // page button pictures, 32 x 24, 16 colours
#define IDB_FORWARD 145
#define IDB_EXIT 146
#define IDB_RETURN 147
