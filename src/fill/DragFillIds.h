#pragma once
// Control ids of the drag-fill window (range 1600-1699).
#define IDC_DF_PANEL1 1600
#define IDC_DF_IMAGE1 1601
#define IDC_DF_IMAGE2 1602
#define IDC_DF_TOOLBAR1 1603
#define IDC_DF_TOOLBUTTON1 1604
#define IDC_DF_TOOLBUTTON2 1605
#define IDC_DF_LISTBOX1 1606
#define IDC_DF_STATUSBAR1 1607
#define IDC_DF_EDTFIND 1608
