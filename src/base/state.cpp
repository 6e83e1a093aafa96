// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/state.h"

int target = RAM;

int pPA, pPH;
int pPara1, pPara2, pPara3, pCalib, pCal1, pCal2, pRec, pConn;

int stop_flag = 1, exit_flag, err_flag;
int teach_flag, send_flag, get_flag, reset_flag;
int cal_start_flag, cal_save_flag, cal_exit_flag, cal_file_flag;
int hide_flag = 1, deco_flag;

char szStatus[kTextSize];
char szVersion[kTextSize];
char szSoftName[kTextSize];
char szSoftBuildDate[kTextSize];
char szSoftwareVersion[kTextSize];
char proj_dir[kPathSize];
char dir_name[kPathSize];
char appini_pathname[kPathSize];
char rec_fname[kPathSize];
char para_pathname[kPathSize];
char hwini_pathname[kPathSize];
char calib_fname[kPathSize];
