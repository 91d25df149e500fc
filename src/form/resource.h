// Resource ids shared by the .rc script and the code.
#pragma once
#define IDI_VISTREL 1
#define IDC_MAGNIFIER 101
#define IDC_ARROWPICTURE 102
