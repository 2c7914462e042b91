#pragma once
// Resource ids of the installer's and the uninstaller's form descriptions.

// Forms.
#define IDD_FRMSETUP 300
#define IDD_FRMEXIT 301
#define IDD_FRMBACKGROUND 302
#define IDD_FRMWELCOME 303
#define IDD_FRMLICENSE 304
#define IDD_FRMUSER 305
#define IDD_FRMLOCATION 306
#define IDD_FRMICON 307
#define IDD_FRMCOMPLETE 308
#define IDD_FRMPROCESS 309
#define IDD_FRMUNINSTALL 320

// Pictures and texts.
#define IDB_SETUPICON 330
#define IDB_SIDEPICTURE 331
#define IDB_LICENSEPICTURE 332
#define IDR_LICENSETEXT 333

// Controls (each form numbers its own).
#define IDC_IMAGE1 1001
#define IDC_IMAGE2 1002
#define IDC_LABEL1 1003
#define IDC_LABEL2 1004
#define IDC_LABEL3 1005
#define IDC_PROGRESS 1006
#define IDC_BUTTON1 1007
#define IDC_BUTTON2 1008
#define IDC_NEXT 1009
#define IDC_BACK 1010
#define IDC_MEMO1 1011
#define IDC_EDTNAME 1012
#define IDC_EDTCOMPANY 1013
#define IDC_GROUPBOX1 1014
#define IDC_EDTDIR 1015
#define IDC_SPEEDBUTTON1 1016
#define IDC_LBLSRC 1017
#define IDC_LBLDSC 1018
#define IDC_RGITEM 1019
#define IDC_LBLINFO 1020
#define IDC_LBLAPP 1021
#define IDC_LBLLICENSE 1022
#define IDC_LBLREADME 1023
#define IDC_LBLHELP 1024
#define IDC_LBLLANGUAGE 1025
#define IDC_AFDASF 1026
#define IDC_BTNOK 1027
