// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Program-wide state that belongs to the application shell: panel handles, loop and
// request flags, the status line and the program's own texts.

#include <cstdint>

constexpr int kTextSize = 72;  // size of the program's short text buffers
constexpr int kPathSize = 260; // size of path buffers

// Panel handles: LoadAllPanels (start-up) sets them once the panels are loaded,
// CloseLinkAndPanels clears them to 0; every page's callbacks read them.
extern int pPA;    // the main panel: tabs, status line, graphs, Run/Video/STOP/GET/SEND
extern int pPH;    // the help pop-up panel; the help placement in params_ui reads it
extern int pPara1; // parameter page 1 (tolerances, teach); measure and para1 callbacks
extern int pPara2; // parameter page 2 (power, exposure, video threshold)
extern int pPara3; // parameter page 3 (receiver modes, integration time)
extern int pCalib; // the calibration page around its two sub-pages
extern int pCal1;  // calibration sub-page 1: the procedure; the measurement display follows it
extern int pCal2;  // calibration sub-page 2: header and table, filled by the calibration service
extern int pRec;   // the data-recorder page
extern int pConn;  // the connection page (link_ui, settings file's page values)

// Loop and request flags. A request flag (1 = asked for) set by a callback while a loop
// runs is carried out and cleared by that loop's CarryOutDeferredRequests between frames.
extern int stop_flag;      // whether a loop may run and how the last one ended:
                           //  0 a loop runs (Run, calibration included, Video, a recording, the
                           //    set-up assistant; each sets 0 at its start, runs while it stays 0),
                           //  1 idle or stop asked (STOP, the recorder's Stop, connection-page
                           //    actions, a failed fetch, the program's close; start-up value),
                           // -1 the last Run, Video or recording ended on a time-out or lost
                           //    link: PushSTOP and the recorder show the time-out text, and
                           //    requests go out at once, none being left to a loop,
                           //  2 a recording has all its samples: shown as completed, then 1.
                           // Read by the loops, RequestsWaitForLoop and the exports (no dialog
                           // while 0).
extern int exit_flag;      // 1 abandons a waiting exchange and ends the loops: the program's
                           // close (stays 1) or a Disconnect press (dropped again once the link
                           // is closed or no exchange waits);
                           // read by the link's waits, the loops and the recorder's end
extern int err_flag;       // 1 the sensor is not usable (not identified, refused or failed);
                           // set by the identification and the connection page, read for
                           // dimming SEND/GET and by the set-up assistant
extern int teach_flag;     // teach asked for (para1 TEACH) while a loop runs; while it waits, a
                           // GET does not fetch the sensor's threshold profile
extern int send_flag;      // SEND asked for while a loop runs (transfer); PushSEND of `target`
extern int get_flag;       // GET asked for while a loop runs (transfer); PushGET of `target`
extern int reset_flag;     // output RESET asked for while a loop runs (main panel)
extern int cal_start_flag; // calibration start asked for while a loop runs (calib_ui procedure)
extern int cal_save_flag;  // calibration save asked for while a loop runs (calib_ui procedure)
extern int cal_exit_flag;  // calibration end asked for while a loop runs (calib_ui procedure);
                           // carried out, it ends the loop too
extern int cal_file_flag;  // 1 a calibration table file was loaded into linArray (table
                           // loader); the calibration service writes it to the XFLASH
extern int hide_flag;      // 1 the calibration service section is hidden (start-up value); the
                           // calibration text's double click toggles it (calib_ui service)
extern int deco_flag;      // 1 the main panel's analog-output group is shown; its double click
                           // toggles it (main callbacks), start-up 0

// Texts.
extern char szStatus[kTextSize];          // the status line's text: every room writes it,
                                          // ShowStatus and the connection log show it
extern char szVersion[kTextSize];         // "V4.0" from start-up, then the sensor's short
                                          // firmware version from identification; shown in the
                                          // header band and the status line
extern char szSoftName[kTextSize];        // the program's name (start-up); header band and
                                          // hardware info file
extern char szSoftBuildDate[kTextSize];   // the program's build text (start-up); tooltip of the
                                          // header band's texts and hardware info file
extern char szSoftwareVersion[kTextSize]; // name and build text as the hardware info file
                                          // writes them, made just before it is written
extern char proj_dir[kPathSize];          // the documents directory (start-up's file locations):
                                          // where file selections open and the record file lies
extern char dir_name[kPathSize];          // the program's directory (start-up), from which the
                                          // file locations are chosen
extern char appini_pathname[kPathSize];   // the settings file (start-up); read at start, written
                                          // on close, by the connection page's link choice and
                                          // by the plant settings
extern char rec_fname[kPathSize];         // the record file: start-up default in proj_dir, the
                                          // recorder's file button; recorder, statistics and
                                          // plant link read it
extern char para_pathname[kPathSize];     // the parameter file GET/SEND last chose (transfer)
extern char hwini_pathname[kPathSize];    // the hardware info file last written (hwinfofile)
extern char calib_fname[kPathSize];       // the calibration table file last loaded (table
                                          // loader); shown on calibration sub-page 2

// Where GET and SEND move the parameter set: the sensor's RAM or EEPROM, or a parameter file.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;
extern int target; // RAM, EEPROM or DATFILE: the main panel's target buttons set it (RAM at
                   // start-up and when Run or Video starts); GET, SEND and their deferred requests read it
