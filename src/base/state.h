#pragma once
// Program-wide state that belongs to the application shell: panel handles, loop and
// request flags, the status line and the program's own texts.

#include <cstdint>

constexpr int kTextSize = 72;   // size of the program's short text buffers
constexpr int kPathSize = 260;  // size of path buffers

// Panel handles, valid for the whole run once the panels are loaded.
extern int pPA, pPH;
extern int pPara1, pPara2, pPara3, pCalib, pCal1, pCal2, pRec, pConn;

// Loop and request flags (1 = set).
extern int stop_flag, exit_flag, err_flag;
extern int teach_flag, send_flag, get_flag, reset_flag;
extern int cal_start_flag, cal_save_flag, cal_exit_flag, cal_file_flag;
extern int hide_flag, deco_flag;

// Texts.
extern char szStatus[kTextSize];
extern char szVersion[kTextSize];
extern char szSoftName[kTextSize];
extern char szSoftBuildDate[kTextSize];
extern char szSoftwareVersion[kTextSize];
extern char proj_dir[kPathSize];
extern char dir_name[kPathSize];
extern char appini_pathname[kPathSize];
extern char rec_fname[kPathSize];
extern char para_pathname[kPathSize];
extern char hwini_pathname[kPathSize];
extern char calib_fname[kPathSize];

// Where GET and SEND move the parameter set: the sensor's RAM or EEPROM, or a parameter file.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;
extern int target;
