// Resource identifiers of Ravak.exe.
#pragma once

#define IDI_RAVAK 1

#define IDB_LOGO 10
#define IDB_ABOUT 11
#define IDB_SPLASH 12
#define IDB_KEYBOARD1 13
#define IDB_KEYBOARD3 14
#define IDB_MENU_TOOLS 15
#define IDB_MENU_ABOUT 16
#define IDB_MENU_EXIT 17

#define IDM_TRAY 100
#define ID_mnuActiveAll 101
#define ID_N1 102
#define ID_mniNextSokhan 103
#define ID_mniBackSokhan 104
#define ID_N3 105
#define ID_N7 106

#define IDD_MAIN 200
#define IDD_GENERAL 201
#define IDD_MEMORY 202
#define IDD_AUTOCORRECT 203
#define IDD_ABOUT 204
#define IDD_SELKEY 205

// frmMain
#define IDC_img2 1000
#define IDC_pgc1 1001
#define IDC_btnOK 1002
#define IDC_btnApply 1003
#define IDC_btn1 1004
// General tab
#define IDC_chkRavak 1100
#define IDC_grpHotkey 1101
#define IDC_lbl1 1102
#define IDC_hk1 1103
#define IDC_lbl12 1104
#define IDC_chkAutoChangeLng 1105
#define IDC_lbl10 1106
#define IDC_lbl5 1107
#define IDC_lblKey 1108
#define IDC_btnChangeKey 1109
#define IDC_lbl11 1110
#define IDC_chkShowTips 1111
#define IDC_lbl8 1112
#define IDC_chkSlowSystem 1113
#define IDC_lbl9 1114
// Advanced memory tab
#define IDC_chkActivePro 1200
#define IDC_lbl4 1201
#define IDC_hkProCopy 1202
#define IDC_lbl3 1203
#define IDC_hkProPaste 1204
#define IDC_lstPr 1205
#define IDC_btnPrAdd 1206
#define IDC_btnPrDel 1207
#define IDC_btnPrUp 1208
#define IDC_btnPrDown 1209
#define IDC_lbl13 1210
// Auto-correct tab
#define IDC_chkACEN 1300
#define IDC_lbl2 1301
#define IDC_edtKey 1302
#define IDC_lbl6 1303
#define IDC_edtPreStr 1304
#define IDC_lblPointer 1305
#define IDC_lbl7 1306
#define IDC_edtPostStr 1307
#define IDC_chkRTL 1308
#define IDC_lvAC 1309
#define IDC_btnACAdd 1310
#define IDC_btnACSave 1311
#define IDC_btnACDelete 1312
#define IDC_lbl14 1313
// About tab
#define IDC_img1 1400
#define IDC_lblThanks 1401
#define IDC_lblVisit 1402
#define IDC_lblLink1 1403
#define IDC_lblLink2 1404
#define IDC_lblLink3 1405
#define IDC_lblLink4 1406
#define IDC_lblVisitEnd 1407
#define IDC_lblVersion 1408
// frmSelKey
#define IDC_lblSelKey 1500
#define IDC_imgKey1 1501
#define IDC_imgKey3 1502
#define IDC_btn2 1503
#define IDC_btn3 1504
#define IDC_selkey_btn1 1505
#define IDC_footer 1506

#define IDS_TAB_GENERAL 3000
#define IDS_TAB_MEMORY 3001
#define IDS_TAB_AUTOCORRECT 3002
#define IDS_TAB_ABOUT 3003
#define IDS_TRAY_HINT 3004
#define IDS_AC_COL_AFTER 3005
#define IDS_AC_COL_BEFORE 3006
#define IDS_AC_COL_KEY 3007
#define IDS_NEW_ITEM 3008
